#include "serial/comport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/error.h"
#include "serial/protocol.h"

namespace vostel {
namespace {

// Records every property access in order.
class FakeControl : public SerialControl {
public:
    std::vector<std::string> log;
    bool open = false;
    std::string pending;

    void setCommPort(int16_t number) override { log.push_back("CommPort=" + std::to_string(number)); }
    void setSettings(const std::string& settings) override { log.push_back("Settings=" + settings); }
    void setInputLen(int length) override { log.push_back("InputLen=" + std::to_string(length)); }
    bool portOpen() const override { return open; }
    void setPortOpen(bool value) override {
        log.push_back(value ? "PortOpen=true" : "PortOpen=false");
        open = value;
    }
    void output(std::string_view bytes) override { log.push_back("Output=" + std::string(bytes)); }
    std::string input() override {
        log.push_back("Input");
        return std::exchange(pending, {});
    }
};

class FakePrompts : public Prompts {
public:
    std::string typed;
    std::vector<std::string> log;

    std::string inputBox(std::string_view prompt, std::string_view title) override {
        log.push_back("InputBox " + std::string(prompt) + " | " + std::string(title));
        return typed;
    }
    void msgBox(std::string_view text, int style, std::string_view title) override {
        log.push_back("MsgBox " + std::string(text) + " | " + std::to_string(style) + " | " + std::string(title));
    }
};

const std::string kAsk = "InputBox Nummer eingeben | Welchen Com-Port wollen sie benutzen?";
const std::string kWarning = "MsgBox Das Programm wird beendet | 48 | Fehlerhafte Portnummer eingegeben";

std::vector<std::string> openSequence(int port) {
    return {"CommPort=" + std::to_string(port), "Settings=9600,N,8,1", "InputLen=0", "PortOpen=true",
            "Output=" + std::string(protocol::kInitCommand)};
}

struct InitRun {
    bool result;
    std::vector<std::string> control, prompts;
};

InitRun init(const std::string& typed, bool alreadyOpen = false) {
    FakeControl control;
    control.open = alreadyOpen;
    FakePrompts prompts;
    prompts.typed = typed;
    ComPort link(control, prompts);
    const bool result = link.Init();
    return {result, control.log, prompts.log};
}

TEST(ComPortInit, TypingThreeOpensPortThreeAndSendsTheCommand) {
    const InitRun run = init("3");
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.prompts, std::vector<std::string>{kAsk});
    EXPECT_EQ(run.control, openSequence(3));
    const std::string command = run.control.back().substr(std::string("Output=").size());
    EXPECT_EQ(command, std::string("\x41\x54\x56\x31\x51\x30\x0D"));
}

TEST(ComPortInit, ClosesAPortThatIsAlreadyOpenBeforeOpeningIt) {
    const InitRun run = init("1", true);
    EXPECT_EQ(run.control, (std::vector<std::string>{"CommPort=1", "Settings=9600,N,8,1", "InputLen=0",
                                                     "PortOpen=false", "PortOpen=true", openSequence(1).back()}));
}

TEST(ComPortInit, ReadsTheLeadingNumberAndRoundsTiesToEven) {
    const std::pair<std::string, int> cases[] = {
        {" 4", 4}, {"2.5", 2}, {"3.5", 4}, {"1.5", 2}, {"3,5", 3}, {"1 2", 12}, {"3E1", 30}, {"&H10", 16},
        {"0.6", 1}, {"7\xE2\x82\xAC", 7},  // "7€": the euro sign ends the number
    };
    for (const auto& [typed, port] : cases) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        const InitRun run = init(typed);
        EXPECT_TRUE(run.result);
        EXPECT_EQ(run.control, openSequence(port));
    }
}

TEST(ComPortInit, NumberBelowOneWarnsAndDoesNothingFurther) {
    for (const std::string typed : {"0.5", "", "COM3", "0", "-3", "0.4", "  ", "\xEF\xBC\x93"}) {  // fullwidth 3
        SCOPED_TRACE("typed \"" + typed + "\"");
        const InitRun run = init(typed);
        EXPECT_FALSE(run.result);
        EXPECT_EQ(run.prompts, (std::vector<std::string>{kAsk, kWarning}));
        EXPECT_TRUE(run.control.empty());
    }
}

TEST(ComPortInit, NumberOutsideSixteenBitsRaisesOverflowWithoutTheWarning) {
    for (const std::string typed : {"40000", "32767.5", "-40000"}) {
        SCOPED_TRACE("typed \"" + typed + "\"");
        FakeControl control;
        FakePrompts prompts;
        prompts.typed = typed;
        ComPort link(control, prompts);
        try {
            link.Init();
            ADD_FAILURE() << "no error raised";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), kErrOverflow);
        }
        EXPECT_EQ(prompts.log, std::vector<std::string>{kAsk});
        EXPECT_TRUE(control.log.empty());
    }
}

TEST(ComPortInit, ControlErrorsReachTheCaller) {
    class RefusingControl : public FakeControl {
        void setPortOpen(bool) override { throw RuntimeError(kErrInvalidPort, "Invalid Port Number: /dev/ttyS8"); }
    } control;
    FakePrompts prompts;
    prompts.typed = "9";
    ComPort link(control, prompts);
    try {
        link.Init();
        ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), kErrInvalidPort);
    }
    EXPECT_EQ(control.log, (std::vector<std::string>{"CommPort=9", "Settings=9600,N,8,1", "InputLen=0"}));
}

TEST(ComPortData, ReadsTheControlOnceAndPassesTheBytesUnchanged) {
    FakeControl control;
    FakePrompts prompts;
    ComPort link(control, prompts);
    control.pending = std::string("\xFE\x10\xFF", 3);
    const std::string first = link.getDataAsString();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(first[0]), 254);
    EXPECT_EQ(static_cast<unsigned char>(first[1]), 16);
    EXPECT_EQ(static_cast<unsigned char>(first[2]), 255);
    EXPECT_EQ(link.getDataAsString(), "");
    EXPECT_EQ(control.log, (std::vector<std::string>{"Input", "Input"}));
}

}  // namespace
}  // namespace vostel
