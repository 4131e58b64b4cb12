#include "serial/comport.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/error.h"
#include "serial/protocol.h"
#include "support/errors.h"
#include "support/fakes.h"

namespace vostel {
namespace {

using test::Events;

const std::string kAsk = "InputBox Nummer eingeben|Welchen Com-Port wollen sie benutzen?";
const std::string kWarning = "MsgBox Fehlerhafte Portnummer eingegeben|48|Das Programm wird beendet";

// The control and the prompts note what happens in one list, in order.
struct Link {
    Events events;
    test::FakeSerial control{events};
    test::FakePrompts prompts{events};
    ComPort link{control, prompts};
    explicit Link(const std::string& typed, bool alreadyOpen = false) {
        prompts.answer = typed;
        control.open = alreadyOpen;
    }
};

Events openSequence(int port) {
    return {kAsk,
            "CommPort " + std::to_string(port),
            "Settings 9600,N,8,1",
            "InputLen 0",
            "open",
            "Output " + std::string(protocol::kInitCommand)};
}

TEST(ComPortInit, TypingThreeOpensPortThreeAndSendsTheCommand) {
    Link run("3");
    EXPECT_TRUE(run.link.Init());
    EXPECT_EQ(run.events, openSequence(3));
    const std::string command = run.events.back().substr(std::string("Output ").size());
    EXPECT_EQ(command, std::string("\x41\x54\x56\x31\x51\x30\x0D"));
}

TEST(ComPortInit, ClosesAPortThatIsAlreadyOpenBeforeOpeningIt) {
    Link run("1", true);
    EXPECT_TRUE(run.link.Init());
    EXPECT_EQ(run.events, (Events{kAsk, "CommPort 1", "Settings 9600,N,8,1", "InputLen 0", "close", "open",
                                  openSequence(1).back()}));
}

TEST(ComPortInit, ReadsTheLeadingNumberAndRoundsTiesToEven) {
    const std::pair<std::string, int> cases[] = {
        {" 4", 4},   {"2.5", 2},   {"3.5", 4}, {"1.5", 2},           {"3,5", 3}, {"1 2", 12},
        {"3E1", 30}, {"&H10", 16}, {"0.6", 1}, {"7\xE2\x82\xAC", 7},  // "7€": the euro sign ends the number
    };
    for (const auto& [typed, port] : cases) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        Link run(typed);
        EXPECT_TRUE(run.link.Init());
        EXPECT_EQ(run.events, openSequence(port));
    }
}

TEST(ComPortInit, NumberBelowOneWarnsAndDoesNothingFurther) {
    for (const std::string typed :
         {"0.5", "", "COM3", "0", "-3", "0.4", "  ", "\xEF\xBC\x93"}) {  // fullwidth 3
        SCOPED_TRACE("typed \"" + typed + "\"");
        Link run(typed);
        EXPECT_FALSE(run.link.Init());
        EXPECT_EQ(run.events, (Events{kAsk, kWarning}));
    }
}

TEST(ComPortInit, NumberOutsideSixteenBitsRaisesOverflowWithoutTheWarning) {
    for (const std::string typed : {"40000", "32767.5", "-40000"}) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        Link run(typed);
        EXPECT_EQ(testing::errorOf([&] { run.link.Init(); }).number(), kErrOverflow);
        EXPECT_EQ(run.events, Events{kAsk});
    }
}

TEST(ComPortInit, ControlErrorsReachTheCaller) {
    Link run("9");
    run.control.onOpen = [] { throw RuntimeError(kErrInvalidPort, "Invalid Port Number: /dev/ttyS8"); };
    EXPECT_EQ(testing::errorOf([&] { run.link.Init(); }).number(), kErrInvalidPort);
    EXPECT_EQ(run.events, (Events{kAsk, "CommPort 9", "Settings 9600,N,8,1", "InputLen 0"}));
}

TEST(ComPortData, ReadsTheControlOnceAndPassesTheBytesUnchanged) {
    Link run("");
    run.control.chunks.push_back(std::string("\xFE\x10\xFF", 3));
    const std::string first = run.link.getDataAsString();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(first[0]), 254);
    EXPECT_EQ(static_cast<unsigned char>(first[1]), 16);
    EXPECT_EQ(static_cast<unsigned char>(first[2]), 255);
    EXPECT_EQ(run.link.getDataAsString(), "");
    EXPECT_EQ(run.control.reads, 2);
}

}  // namespace
}  // namespace vostel
