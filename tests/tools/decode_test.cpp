// Runs the real vostel-tool binary on files and standard input.
#include <string>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace {

using Result = vostel::testing::RunResult;
using vostel::testing::readBytes;

class DecodeTool : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::string& data) {
        vostel::testing::writeBytes(dir_ / name, data);
        return (dir_ / name).string();
    }

    // vostel-tool decode ARGS, with `input` on standard input.
    static Result decode(std::vector<std::string> args, const std::string& input = "") {
        args.insert(args.begin(), {VOSTEL_TOOL, "decode"});
        return vostel::testing::run(args, input);
    }

    vostel::testing::TempDir dir_;
};

const std::string kErr0 = "error 0 (framing error)";

}  // namespace

TEST_F(DecodeTool, HexLinesAreChunksNumberedByLine) {
    const std::string input =
        "fe 10 20 30 ff\n"             // 1: a whole packet
        "\n"                           // 2: empty, not handed over
        "FE1020\n"                     // 3: blanks optional, upper case
        "30 ff fe 40 50 60 ff 00\r\n"  // 4: two packets, then the fault
        "  fe 10 fe  \n"               // 5: a fragment holding 254
        "20 30 ff";                    // 6: last line without a line break
    Result r = decode({"--hex"}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "chunk 1: packet 16 32 48\n"
              "chunk 4: packet 16 32 48\n"
              "chunk 4: packet 64 80 96\n"
              "chunk 4: " +
                  kErr0 +
                  "\n"
                  "chunk 6: packet 16 254 32 48\n");
}

TEST_F(DecodeTool, RawInputInChunksOfN) {
    std::string stream = "\xFE\x10\x20\x30\xFF\xFE\x40\x50\x60\xFF\x30\xFF";
    const std::string path = file("capture.bin", stream);
    EXPECT_EQ(decode({path}).out,
              "chunk 1: packet 16 32 48\nchunk 1: packet 64 80 96\nchunk 1: " + kErr0 + "\n");
    Result r = decode({"--chunk", "3", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "chunk 2: packet 16 32 48\n"
              "chunk 4: " +
                  kErr0 + "\n");
    // Standard input, with or without "-".
    EXPECT_EQ(decode({"--chunk", "3"}, stream).out, r.out);
    EXPECT_EQ(decode({"--chunk", "3", "-"}, stream).out, r.out);
    // Empty input frames nothing.
    r = decode({}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(DecodeTool, OversizedChunksAndPacketsReportOverflow) {
    Result r = decode({"--chunk", "40000"}, std::string(40000, '\x10'));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "chunk 1: error 6 (Overflow)\n");
    // A pending packet that outgrows the limit is dropped; the next one frames.
    std::string stream = "\xFE" + std::string(40000, '\x11') + "\xFF\xFE\x01\x02\x03\xFF";
    r = decode({"--chunk", "20000"}, stream);
    EXPECT_EQ(r.out, "chunk 2: error 6 (Overflow)\nchunk 3: " + kErr0 + "\n");
    std::string durations;
    for (int i = 0; i < 20000; ++i) durations += "11";
    r = decode({"--hex"}, "fe" + durations + "\n" + durations + "\nfe 04 05 06 ff\n");
    EXPECT_EQ(r.out, "chunk 2: error 6 (Overflow)\nchunk 3: packet 4 5 6\n");
}

TEST_F(DecodeTool, TheSampleCaptures) {
    for (const char* name : {"remote-capture.bin", "remote-capture.hex"}) {
        std::vector<std::string> args;
        if (std::string(name).ends_with(".hex")) args.push_back("--hex");
        args.push_back(std::string(VOSTEL_SAMPLES) + "/" + name);
        Result r = decode(args);
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.err, "") << name;
        EXPECT_EQ(r.out, readBytes(std::string(VOSTEL_TEST_DATA) + "/" + name + ".expected")) << name;
        EXPECT_EQ(r.out.rfind("chunk 1: " + kErr0 + "\n", 0), 0u) << name;
    }
}

TEST_F(DecodeTool, UnreadableInputGivesOneLineAndAFailure) {
    auto oneLine = [](const std::string& s) { return !s.empty() && s.find('\n') == s.size() - 1; };
    Result r = decode({(dir_ / "missing.bin").string()});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(oneLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("missing.bin"), std::string::npos);

    r = decode({dir_.path().string()});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(oneLine(r.err)) << r.err;

    for (const char* bad : {"fe 1\n", "fe 10 2x\n", "f e\n", "fe,10\n"}) {
        r = decode({"--hex"}, std::string("fe 10 20 30 ff\n") + bad);
        EXPECT_NE(r.status, 0) << bad;
        EXPECT_TRUE(oneLine(r.err)) << r.err;
        EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    }
    // A lone digit is named as such, at its own column.
    for (const char* lone : {"fe 1 ff\n", "fe 1\n"}) {
        r = decode({"--hex"}, lone);
        EXPECT_NE(r.err.find("line 1, column 4"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("the hexadecimal digit '1' stands alone"), std::string::npos) << r.err;
    }
    // A binary file read with --hex: the message names the place and shows
    // neither the long line nor its control bytes.
    r = decode({"--hex"}, "fe 10 20 30 ff\nfe 10\r" + std::string(100000, 'x') + "\n");
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(oneLine(r.err)) << r.err.substr(0, 200);
    EXPECT_LT(r.err.size(), 200u);
    EXPECT_EQ(r.err.find('\r'), std::string::npos);
    EXPECT_NE(r.err.find("line 2, column 6"), std::string::npos) << r.err.substr(0, 200);

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--chunk"}, {"--chunk", "0"}, {"--chunk", "x"}, {"--bogus"}, {"a", "b"}}) {
        r = decode(args);
        EXPECT_NE(r.status, 0);
        EXPECT_NE(r.err, "");
        EXPECT_EQ(r.out, "");
    }
}
