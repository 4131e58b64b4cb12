// vostel-tool learn on a real pseudo-terminal linked as a port: the test plays
// the receiver unit, sending presses as packets, and looks at the library file.
#include <signal.h>

#include <memory>

#include <gtest/gtest.h>

#include "library/library_file.h"
#include "serial/protocol.h"
#include "support/ports_folder.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/test_line.h"

using namespace vostel;
using namespace std::chrono_literals;
namespace vt = vostel::testing;

namespace {

constexpr int kPort = 7;

// A press of a 4-element button near 100 50 200 30, each element moved by `d`.
Packet press(int d0, int d1 = 0) { return Packet{int16_t(100 + d0), int16_t(50 + d1), 200, 30}; }

class LearnTest : public ::testing::Test {
protected:
    LearnTest() { ports_.link(kPort, line_.slavePath()); }

    // vostel-tool learn --port kPort --library FILE ARGS, running beside the test.
    std::unique_ptr<vt::Child> start(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {VOSTEL_TOOL, "learn", "--port", std::to_string(kPort), "--library", library_.string()});
        auto child = std::make_unique<vt::Child>(args);
        EXPECT_NE(child->waitForLine("listening on port", 10s), "") << child->output();
        return child;
    }
    void send(const std::vector<Packet>& packets) {
        std::string bytes;
        for (const Packet& p : packets) bytes += protocol::framed(std::string(p.begin(), p.end()));
        line_.send(bytes);
    }
    // Runs learn with ARGS, sends PACKETS, and returns its status and output.
    vt::RunResult learn(const std::vector<std::string>& args, const std::vector<Packet>& packets) {
        auto child = start(args);
        send(packets);
        vt::RunResult r;
        r.status = child->wait(10s);
        r.out = child->output(1s);
        return r;
    }

    vt::TempDir dir_;
    vt::PortsFolder ports_;
    vt::TestLine line_;
    const std::filesystem::path library_ = dir_ / "irdata.txt";
    const SignalLibrary existing_{
        {Packet{10, 20, 30}, "a"}, {press(0), "power"}, {Packet{200, 200, 200, 200}, "c"}};
};

const std::vector<Packet> kPresses{press(2), press(-1), press(3, 4)};

}  // namespace

TEST_F(LearnTest, AnEarlierRecordThatWouldRecogniseItIsRefusedUnlessForced) {
    writeLibraryFile(library_, existing_);
    const std::string before = vt::readBytes(library_);
    vt::RunResult r = learn({"--packets", "3", "vol+"}, kPresses);
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("record 1 \"power\" recognises these presses first"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vostel-tool rename 1 'vol+'"), std::string::npos) << r.out;
    EXPECT_EQ(vt::readBytes(library_), before);

    r = learn({"--packets", "3", "--force", "vol+"}, kPresses);
    EXPECT_EQ(r.status, 0) << r.out;
    // The element-wise median of the three presses: 102 50 200 30.
    EXPECT_NE(r.out.find("3 \"vol+\" 4: 102 50 200 30\n"), std::string::npos) << r.out;
    SignalLibrary expected = existing_;
    expected.push_back({press(2), "vol+"});
    EXPECT_EQ(readLibraryFile(library_), expected);
}

TEST_F(LearnTest, ReplaceKeepsTheRecordsIndex) {
    writeLibraryFile(library_, existing_);
    const std::vector<Packet> presses{press(40, 5), press(43), Packet{1, 2, 3}, press(38, 2), press(41, 9)};
    vt::RunResult r = learn({"--packets", "5", "--replace", "power"}, presses);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("packet 3 has 3 durations, the others 4: left out"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("1 \"power\" 4: 140 52 200 30\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("made from packets 1, 2, 4, 5, which lie within 7 of it (furthest at element 1)"),
              std::string::npos)
        << r.out;
    SignalLibrary expected = existing_;
    expected[1].packet = press(40, 2);
    EXPECT_EQ(readLibraryFile(library_), expected);

    // No record of that ID: refused before the port is opened.
    r = vt::run({VOSTEL_TOOL, "learn", "--port", "99", "--library", library_.string(), "--replace", "mute"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no record has the ID \"mute\""), std::string::npos) << r.err;
}

TEST_F(LearnTest, CtrlCAndTheTimeoutStoreNothing) {
    auto child = start({"--packets", "3", "power"});
    send({press(0)});
    EXPECT_NE(child->waitForLine("packet 1 (4): 100 50 200 30"), "");
    child->signal(SIGINT);
    EXPECT_EQ(child->wait(5s), 130);
    EXPECT_NE(child->output(1s).find("ended by Ctrl+C after 1 of 3 packets: nothing stored"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(library_));

    const vt::RunResult r = learn({"--packets", "3", "--timeout", "1", "power"}, {press(0), press(1)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("only 2 of 3 packets in 1 s: nothing stored"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(library_));
}

TEST_F(LearnTest, PacketsThatVaryTooMuchStoreNothing) {
    const vt::RunResult r =
        learn({"--packets", "4", "power"}, {press(0), Packet{1, 2, 3}, press(0, 60), press(1)});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("packet 3 differs from the median by 60 at element 1 (over 20): left out"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("only 2 of 4 packets agree, at least 3 must: the button's packets vary too much"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(library_));
}

TEST_F(LearnTest, BadArgumentsAndLibrariesAreRefusedBeforeThePortOpens) {
    vt::writeBytes(library_, "not a library at all");
    const auto refused = [&](std::vector<std::string> args, const std::string& needle) {
        args.insert(args.begin(), {VOSTEL_TOOL, "learn", "--port", "99"});
        const vt::RunResult r = vt::run(args);
        EXPECT_EQ(r.status, 2) << needle;
        EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("port 99"), std::string::npos) << r.err;
    };
    refused({"--library", library_.string(), "x"}, "is not a Vostel library");
    refused({"--packets", "2", "x"}, "bad packet count '2' (a number from 3 to 100)");
    refused({"--timeout", "0", "x"}, "bad timeout '0'");
    refused({}, "no ID given");
    refused({"a", "b"}, "more than one ID");
    refused({"\xE2\x82\xAC\xF0\x9F\x98\x80"}, "Windows-1252 cannot hold");
    refused({"--replay", "x"}, "unexpected argument '--replay'");
}
