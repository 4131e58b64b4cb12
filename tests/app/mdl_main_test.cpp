// The shell's start-up, receive cycle and per-packet stage, with fakes at its
// edges and the real framer, display, library and action inside.
#include "app/mdl_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "library/library_file.h"
#include "library/ocr.h"
#include "serial/protocol.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;
using namespace test;

std::string frame(std::initializer_list<int> durations) {
    std::string s;
    for (int d : durations) s += static_cast<char>(d);
    return protocol::framed(s);
}

const Packet kA{10, 20, 30};
const Packet kB{100, 100, 100};
const Packet kC{200, 50, 200, 50};

struct ShellTest : ::testing::Test {
    Events ev;
    FakeForm form{ev};
    FakeSerial com{ev};
    FakePrompts prompts{ev};
    FakeNaming naming{ev};
    FakeSender keys{ev};
    FakeClock clock;
    testing::TempDir dir;
    fs::path file = dir / "irdata.txt";
    std::unique_ptr<mdlMain> shell = std::make_unique<mdlMain>(form, com, prompts, naming, keys, clock, file);

    void start() {
        prompts.answer = "5";
        ASSERT_EQ(shell->startUp(), mdlMain::StartResult::Running);
        ev.clear();
    }
    void startWithLibrary(const SignalLibrary& records) {
        writeLibraryFile(file, records);
        start();
        shell->btnLoadIRData_Click();
        ASSERT_TRUE(prompts.boxes.empty());
    }
    void tick(std::string input) {
        com.chunks.push_back(std::move(input));
        shell->Timer1_Timer();
    }
    // The events that start with one of the prefixes, in order.
    Events only(std::initializer_list<std::string_view> prefixes) const {
        Events out;
        for (const std::string& e : ev)
            for (std::string_view p : prefixes)
                if (e.starts_with(p)) out.push_back(e);
        return out;
    }
};

TEST_F(ShellTest, StartUpOrder) {
    prompts.answer = "5";
    prompts.onInput = [&] {
        // The window is up, nothing ticks yet.
        EXPECT_EQ(ev.front(), "show");
        EXPECT_FALSE(form.timer);
    };
    EXPECT_EQ(shell->startUp(), mdlMain::StartResult::Running);
    EXPECT_EQ(ev, (Events{"show", "InputBox Nummer eingeben|Welchen Com-Port wollen sie benutzen?",
                          "CommPort 5", "Settings 9600,N,8,1", "InputLen 0", "open",
                          "Output " + std::string(protocol::kInitCommand), "timer"}));
    EXPECT_NE(shell->ocr(), nullptr);
    EXPECT_FALSE(shell->ocr()->library().has_value());  // the file is not read
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(shell->busy());
    EXPECT_EQ(com.reads, 0);
}

TEST_F(ShellTest, PortNumberBelowOneEndsAfterTheWarning) {
    for (const char* answer : {"0.5", "", "COM3", "-3"}) {
        ev.clear();
        prompts.boxes.clear();
        prompts.answer = answer;
        EXPECT_EQ(shell->startUp(), mdlMain::StartResult::Ended) << answer;
        EXPECT_EQ(
            prompts.boxes,
            (std::vector<std::string>{"Fehlerhafte Portnummer eingegeben|48|Das Programm wird beendet"}));
        EXPECT_EQ(std::count_if(ev.begin(), ev.end(), [](auto& e) { return e.starts_with("CommPort"); }), 0);
        EXPECT_FALSE(form.timer);
        EXPECT_EQ(shell->ocr(), nullptr);
    }
}

TEST_F(ShellTest, OverflowingPortNumberShowsTheRunTimeError) {
    prompts.answer = "40000";
    EXPECT_EQ(shell->startUp(), mdlMain::StartResult::Failed);
    EXPECT_EQ(prompts.boxes, (std::vector<std::string>{"Vostel|16|Run-time error '6':\n\nOverflow"}));
    EXPECT_FALSE(form.timer);
    EXPECT_EQ(shell->ocr(), nullptr);
}

TEST_F(ShellTest, PortThatCannotBeOpenedShowsTheDevice) {
    com.onOpen = [] {
        throw RuntimeError(kErrPermissionDenied, "Permission denied: /dev/ttyS4 (join the dialout group)");
    };
    prompts.answer = "5";
    EXPECT_EQ(shell->startUp(), mdlMain::StartResult::Failed);
    EXPECT_EQ(
        prompts.boxes,
        (std::vector<std::string>{
            "Vostel|16|Run-time error '70':\n\nPermission denied: /dev/ttyS4 (join the dialout group)"}));
    EXPECT_FALSE(form.timer);
}

TEST_F(ShellTest, TickWithoutInputOnlyReads) {
    start();
    shell->Timer1_Timer();
    EXPECT_EQ(com.reads, 1);
    EXPECT_TRUE(ev.empty());
    EXPECT_FALSE(shell->busy());
}

TEST_F(ShellTest, PacketSplitOverTicksIsDrawnWhenComplete) {
    start();
    tick("\xFE\x0A\x14");
    EXPECT_TRUE(ev.empty());
    EXPECT_FALSE(shell->decoder().fragment().empty());
    tick("\x1E\xFF");
    EXPECT_EQ(ev, (Events{"PSet 0,0", "Line 3,0 FF0000", "Line 9,0 C0E0FF", "Line 18,0 FF0000"}));
    EXPECT_EQ(com.reads, 2);
}

TEST_F(ShellTest, ThreePacketsInOneTickAreDrawnAndHandledInOrder) {
    startWithLibrary({{kA, "A"}, {kB, "B"}, {kC, "C"}});
    clock.readings = {1, 1, 2, 2, 3, 3};
    tick(frame({10, 20, 30}) + frame({100, 100, 100}) + frame({200, 50, 200, 50}));
    EXPECT_EQ(only({"PSet", "log"}), (Events{"PSet 0,0", "log A", "PSet 0,1", "log B", "PSet 0,2", "log C"}));
    EXPECT_EQ(form.log, "C\r\nB\r\nA\r\n");
    EXPECT_EQ(shell->visuals().curRow(), 3);
}

TEST_F(ShellTest, RecordingNamesTheDrawnPacketAndRecognisesIt) {
    start();
    shell->butRec_Click();
    EXPECT_EQ(shell->recordCount(), 1);
    naming.answers = {{true, "sendkeys:abc"}};
    naming.whileOpen = [&] {
        EXPECT_EQ(shell->recordCount(), 0);  // disarmed before the dialog opens
        EXPECT_EQ(ev.front(), "PSet 0,0");   // the packet is on screen
        const int reads = com.reads;
        com.chunks.push_back(frame({1, 2, 3}));
        shell->Timer1_Timer();  // a tick while the dialog is open does nothing
        EXPECT_EQ(com.reads, reads);
    };
    clock.readings = {5.0f, 5.5f};
    tick(frame({10, 20, 30}));
    EXPECT_EQ(only({"dialog", "log", "keys"}), (Events{"dialog", "log sendkeys:abc", "keys abc"}));
    EXPECT_EQ(shell->lastActionTime(), 5.5f);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(readLibraryFile(file), (SignalLibrary{{kA, "sendkeys:abc"}}));
    EXPECT_FALSE(shell->busy());

    // The bytes that waited during the dialog are read by the next tick.
    ev.clear();
    clock.readings = {10.0f};
    shell->Timer1_Timer();
    EXPECT_EQ(only({"PSet", "dialog"}), (Events{"PSet 0,1"}));
}

TEST_F(ShellTest, RecordPressedTwiceRecordsOnePacket) {
    start();
    shell->butRec_Click();
    shell->butRec_Click();
    EXPECT_EQ(shell->recordCount(), 1);
    naming.answers = {{true, "Power"}, {true, "Other"}};
    clock.readings = {5, 5, 6, 6};
    tick(frame({10, 20, 30}) + frame({10, 20, 30}));
    EXPECT_EQ(naming.shown, 1);
    EXPECT_EQ(only({"dialog", "log"}), (Events{"dialog", "log Power", "log Power"}));
    EXPECT_EQ(readLibraryFile(file).size(), 1u);
}

TEST_F(ShellTest, CancelledOrEmptyNamingRecordsNothingAndDisarms) {
    startWithLibrary({{kB, "B"}});
    naming.answers = {{false, "ignored"}, {true, ""}};
    clock.readings = {5, 5, 6, 6};
    shell->butRec_Click();
    tick(frame({100, 100, 100}));
    shell->butRec_Click();
    tick(frame({100, 90, 110}));
    EXPECT_EQ(shell->recordCount(), 0);
    EXPECT_EQ(naming.shown, 2);
    EXPECT_EQ(shell->ocr()->library()->size(), 1u);
    EXPECT_EQ(form.log, "B\r\nB\r\n");  // still recognised against the library
    tick(frame({100, 100, 100}));
    EXPECT_EQ(naming.shown, 2);
}

TEST_F(ShellTest, HoldOffIsStrictlyMoreThanThirtyFiveHundredths) {
    startWithLibrary({{kA, "A"}});
    const std::string packet = frame({10, 20, 30});
    // lastActionTime is 0 at first: a reading of exactly 0.35f is not enough.
    clock.readings = {0.35f};
    tick(packet);
    EXPECT_EQ(form.log, "");
    EXPECT_EQ(shell->lastActionTime(), 0.0f);
    const float justAbove = std::nextafter(0.35f, 1.0f);
    clock.readings = {justAbove, 1000.0f};
    tick(packet);
    EXPECT_EQ(form.log, "A\r\n");
    EXPECT_EQ(shell->lastActionTime(), 1000.0f);  // read after the action
    // A held key: dropped until the hold-off is over; a dropped one does not delay the next.
    clock.readings = {1000.25f};
    tick(packet);
    clock.readings = {1000.34f};
    tick(packet);
    EXPECT_EQ(form.log, "A\r\n");
    EXPECT_EQ(shell->lastActionTime(), 1000.0f);
    clock.readings = {1000.375f, 1000.5f};
    tick(packet);
    EXPECT_EQ(form.log, "A\r\nA\r\n");
    EXPECT_EQ(shell->lastActionTime(), 1000.5f);
}

TEST_F(ShellTest, HoldOffCountsAcrossMidnight) {
    startWithLibrary({{kA, "A"}});
    const std::string packet = frame({10, 20, 30});
    clock.readings = {86399.5f, 86399.75f};
    tick(packet);
    clock.readings = {0.05f};  // 0.3 s after the action
    tick(packet);
    EXPECT_EQ(form.log, "A\r\n");
    clock.readings = {0.25f, 0.25f};  // 0.5 s after it
    tick(packet);
    EXPECT_EQ(form.log, "A\r\nA\r\n");
}

TEST_F(ShellTest, UnrecognisedPacketsAreDrawnOnly) {
    start();  // the library is empty after start-up
    clock.readings = {100};
    tick(frame({10, 20, 30}));
    EXPECT_EQ(only({"PSet", "log", "keys"}), (Events{"PSet 0,0"}));
    EXPECT_EQ(clock.reads, 0);
}

TEST_F(ShellTest, FramingErrorsAreNotShown) {
    start();
    tick("\xFF");
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(shell->busy());
    // Packets queued before the fault are handled by the next tick that reads input.
    tick(frame({10, 20, 30}) + std::string(1, '\0'));
    EXPECT_TRUE(only({"PSet"}).empty());
    EXPECT_FALSE(shell->busy());
    tick(frame({40, 40, 40}));
    EXPECT_EQ(only({"PSet"}), (Events{"PSet 0,0", "PSet 0,1"}));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(ShellTest, OnlyFramingErrorsAreLeftOutNotEveryErrorZero) {
    // A broken internal rule (the queue's invariant, say) has the framing
    // errors' number, but is a fault and is shown.
    startWithLibrary({{kA, "sendkeys:x"}});
    keys.check = [](std::string_view) { throw RuntimeError(kErrInternal); };
    clock.readings = {10, 10};
    tick(frame({10, 20, 30}));
    const std::string box = "Vostel|16|Run-time error '0':\n\nApplication-defined or object-defined error";
    EXPECT_EQ(prompts.boxes, (std::vector<std::string>{box}));
    EXPECT_FALSE(shell->busy());
    // The framer's error 0, line noise, is not.
    tick("\xFF");
    EXPECT_EQ(prompts.boxes, (std::vector<std::string>{box}));
    EXPECT_FALSE(shell->busy());
}

TEST_F(ShellTest, OtherCycleErrorsAreShownOnceUntilACleanCycle) {
    startWithLibrary({{kA, "sendkeys:{BOGUS}"}});
    keys.check = [](std::string_view) { throw RuntimeError(kErrInvalidCall); };
    const std::string packet = frame({10, 20, 30});
    float t = 10;
    auto next = [&] {
        clock.readings = {t, t};
        t += 1;
        tick(packet);
    };
    next();
    // Presses of the same button with idle ticks between them: shown once.
    for (int press = 0; press < 3; ++press) {
        for (int idle = 0; idle < 5; ++idle) shell->Timer1_Timer();
        next();
    }
    const std::string box = "Vostel|16|Run-time error '5':\n\nInvalid procedure call or argument";
    EXPECT_EQ(prompts.boxes, (std::vector<std::string>{box}));
    EXPECT_FALSE(shell->busy());
    tick(frame({40, 40, 40}));  // a cycle that handles a packet cleanly
    next();
    EXPECT_EQ(prompts.boxes, (std::vector<std::string>{box, box}));
    EXPECT_EQ(form.log.size(), 5 * std::string("sendkeys:{BOGUS}\r\n").size());
}

// Each press of Record whose save fails shows its box, also when the same
// failure comes again before a cycle ran cleanly: the record is only in memory.
TEST_F(ShellTest, EveryFailedSaveIsShown) {
    shell = std::make_unique<mdlMain>(form, com, prompts, naming, keys, clock, dir / "gone" / "irdata.txt");
    start();
    naming.answers = {{true, "a"}, {true, "b"}};
    for (int press = 0; press < 2; ++press) {
        shell->butRec_Click();
        tick(frame({10, 20, 30}));
    }
    ASSERT_EQ(prompts.boxes.size(), 2u);
    EXPECT_EQ(prompts.boxes[0], prompts.boxes[1]);
    EXPECT_NE(prompts.boxes[0].find("irdata.txt"), std::string::npos);
    EXPECT_EQ(shell->ocr()->library()->size(), 2u);
}

TEST_F(ShellTest, LostPortIsShownOncePerLossAndReadingGoesOn) {
    start();
    bool lost = true;
    com.onRead = [&] {
        if (lost) {
            lost = false;
            throw RuntimeError(kErrReadingComm, "Error reading comm device: /dev/ttyUSB0 (device gone)");
        }
    };
    shell->Timer1_Timer();
    shell->Timer1_Timer();
    tick(frame({10, 20, 30}));
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].find("/dev/ttyUSB0"), std::string::npos);
    EXPECT_EQ(only({"PSet"}), (Events{"PSet 0,0"}));
    // Lost again, with nothing received in between: a new loss is shown again.
    lost = true;
    shell->Timer1_Timer();
    shell->Timer1_Timer();
    EXPECT_EQ(prompts.boxes.size(), 2u);
}

TEST_F(ShellTest, UnreadableLibraryRefusesRecordingBeforeTheNamingDialog) {
    start();
    std::FILE* f = std::fopen(file.string().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a library", f);
    std::fclose(f);
    shell->butRec_Click();
    tick(frame({10, 20, 30}));
    EXPECT_EQ(naming.shown, 0);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].find("irdata.txt"), std::string::npos);
    EXPECT_EQ(shell->recordCount(), 0);
    EXPECT_FALSE(shell->busy());
}

TEST_F(ShellTest, ErrorBoxKeepsTheCycleBusy) {
    startWithLibrary({{kA, "sendkeys:x"}});
    keys.check = [](std::string_view) { throw RuntimeError(kErrInvalidCall); };
    int readsDuringBox = -1;
    prompts.whileBox = [&] {
        const int before = com.reads;
        shell->Timer1_Timer();
        readsDuringBox = com.reads - before;
        EXPECT_TRUE(shell->busy());
    };
    clock.readings = {10, 10};
    tick(frame({10, 20, 30}));
    EXPECT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(readsDuringBox, 0);
    EXPECT_FALSE(shell->busy());
}

TEST_F(ShellTest, FailedLoadShowsTheErrorAndKeepsTheLibrary) {
    startWithLibrary({{kA, "A"}});
    // A last index below -1 breaks the file's layout.
    std::string bytes = encodeLibrary({{kB, "B"}});
    bytes[0] = bytes[1] = bytes[2] = bytes[3] = '\xF0';
    {
        std::FILE* f = std::fopen(file.string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    shell->btnLoadIRData_Click();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].starts_with("Vostel|16|Run-time error '"));
    EXPECT_NE(prompts.boxes[0].find("irdata.txt"), std::string::npos);
    clock.readings = {10, 10};
    tick(frame({10, 20, 30}));
    EXPECT_EQ(form.log, "A\r\n");
}

// LoadIRData in a folder without a library says so and keeps the library.
TEST_F(ShellTest, LoadingAMissingLibraryShowsItsPathAndKeepsTheLibrary) {
    startWithLibrary({{kA, "A"}});
    fs::remove(file);
    shell->btnLoadIRData_Click();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(
        prompts.boxes[0].starts_with("Vostel|16|Run-time error '53':\n\nFile not found: " + file.string()));
    clock.readings = {10, 10};
    tick(frame({10, 20, 30}));
    EXPECT_EQ(form.log, "A\r\n");
}

}  // namespace
}  // namespace vostel
