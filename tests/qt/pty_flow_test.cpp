// Start-up and the receive cycle over a real serial line: a pseudo-terminal
// linked as a port in a temporary ports folder, opened by the real serial
// control, with the real main window on Qt's offscreen platform.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "library/library_file.h"
#include "modal.h"
#include "qt/dlg_signal.h"
#include "qt/frm_main.h"
#include "qt/picture_box.h"
#include "qt/serial_control.h"
#include "serial/protocol.h"
#include "support/fakes.h"
#include "support/ports_folder.h"
#include "support/test_line.h"

namespace vostel::qt {
namespace {

namespace fs = std::filesystem;
using namespace test;

// The unit's end of the line, waiting with the event loop running.
struct Line : testing::TestLine {
    Line() : TestLine([](std::chrono::milliseconds ms) { QTest::qWait(static_cast<int>(ms.count())); }) {}
};

struct PtyFlow : ::testing::Test {
    testing::PortsFolder ports;
    Events ev;
    SerialControl com;
    FakePrompts prompts{ev};
    FakeSender keys{ev};
    FakeClock clock;
    dlgSignal naming;
    frmMain form;
    fs::path file = ports.config() / "irdata.txt";
    mdlMain shell{form, com, prompts, naming, keys, clock, file};
    PtyFlow() { form.attach(shell); }
};

TEST_F(PtyFlow, PacketsOnTheLineAreDrawnRecordedAndRecognised) {
    Line line;
    ports.link(7, line.slavePath());
    writeLibraryFile(file, {{Packet{100, 100, 100}, "Play"}});
    prompts.answer = "7";
    bool visibleDuringPrompt = false, tickingDuringPrompt = true;
    prompts.onInput = [&] {
        visibleDuringPrompt = form.isVisible();
        tickingDuringPrompt = form.Timer1->isActive();
    };
    ASSERT_EQ(shell.startUp(), mdlMain::StartResult::Running);
    EXPECT_TRUE(visibleDuringPrompt);
    EXPECT_FALSE(tickingDuringPrompt);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(line.receive(7), protocol::kInitCommand);
    QTest::mouseClick(form.btnLoadIRData, Qt::LeftButton);
    ASSERT_TRUE(prompts.boxes.empty());

    // A known packet split over ticks: drawn and logged once complete.
    clock.readings = {100.0f, 100.5f};
    line.send("\xFE\x64");
    QTest::qWait(250);
    EXPECT_EQ(form.picMain->image().pixel(0, 0) | 0xFF000000u, qRgb(192, 255, 192));
    line.send("\x64\x64\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.logText().empty(); }, 3000));
    EXPECT_EQ(form.logText(), "Play\r\n");
    EXPECT_EQ(form.picMain->image().pixel(0, 0) | 0xFF000000u, qRgb(0, 0, 255));

    // Record: the next packet is named in the real dialog while Timer1 ticks on idly.
    QTest::mouseClick(form.butRec, Qt::LeftButton);
    int drawnWhileNaming = -1;
    whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<dlgSignalForm*>(w);
        line.send("\xFE\x64\x64\x64\xFF");  // waits in the line until the dialog is closed
        QTest::qWait(350);
        drawnWhileNaming = form.picMain->image().pixel(0, 2) == form.picMain->backColor() ? 0 : 1;
        QTest::keyClicks(dialog->Text1, "sendkeys:hi");
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    });
    clock.readings = {200.0f, 200.5f, 300.0f, 300.5f};
    line.send("\xFE\x0A\x14\x1E\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.logText().starts_with("Play\r\nsendkeys"); }, 5000))
        << form.logText();
    EXPECT_EQ(drawnWhileNaming, 0);
    EXPECT_EQ(form.logText(), "Play\r\nsendkeys:hi\r\nPlay\r\n");
    EXPECT_EQ(std::count(ev.begin(), ev.end(), "keys hi"), 1);
    EXPECT_EQ(readLibraryFile(file),
              (SignalLibrary{{Packet{100, 100, 100}, "Play"}, {Packet{10, 20, 30}, "sendkeys:hi"}}));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(PtyFlow, PortThatCannotBeOpenedEndsStartUpWithTheDevice) {
    const fs::path absent = ports.config() / "no-such-device";
    ports.link(9, absent);
    prompts.answer = "9";
    EXPECT_EQ(shell.startUp(), mdlMain::StartResult::Failed);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(prompts.boxes[0].starts_with("Vostel|16|Run-time error '")) << prompts.boxes[0];
    EXPECT_NE(prompts.boxes[0].find("no-such-device"), std::string::npos) << prompts.boxes[0];
    EXPECT_FALSE(form.Timer1->isActive());
}

}  // namespace
}  // namespace vostel::qt
