// The whole window at work: real frmMain, picMain, dlgSignal and Timer1, with
// fakes only for the serial control, the prompts, the keys and the clock.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "display/picture_box.h"
#include "fakes.h"
#include "library/dlg_signal.h"
#include "modal.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;
using namespace test;

TEST(AppFlow, StartRecordAndRecognise) {
    const fs::path dir = fs::path(::testing::TempDir()) / "vostel-app-flow";
    fs::remove_all(dir);
    fs::create_directories(dir);
    Events ev;
    FakeSerial com(ev);
    FakePrompts prompts(ev);
    FakeSender keys(ev);
    FakeClock clock;
    dlgSignal naming;
    frmMain form;
    mdlMain shell(form, com, prompts, naming, keys, clock, dir / "irdata.txt");
    form.attach(shell);

    prompts.answer = "5";
    bool visibleDuringPrompt = false, tickingDuringPrompt = true;
    prompts.onInput = [&] {
        visibleDuringPrompt = form.isVisible();
        tickingDuringPrompt = form.Timer1->isActive();
    };
    ASSERT_EQ(shell.startUp(), mdlMain::StartResult::Running);
    EXPECT_TRUE(visibleDuringPrompt);
    EXPECT_FALSE(tickingDuringPrompt);
    EXPECT_TRUE(form.Timer1->isActive());

    QTest::mouseClick(form.butRec, Qt::LeftButton);
    EXPECT_EQ(shell.recordCount(), 1);
    int readsWhileNaming = -1;
    whenModalOpens([&](QWidget* w) {
        auto* dialog = qobject_cast<dlgSignalForm*>(w);
        const int reads = com.reads;
        QTest::qWait(350);  // Timer1 ticks on but the cycle is busy
        readsWhileNaming = com.reads - reads;
        QTest::keyClicks(dialog->Text1, "sendkeys:hi");
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    });
    clock.readings = {5.0f, 5.5f};
    com.chunks.push_back("\xFE\x0A\x14\x1E\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.logText().empty(); }, 5000));
    EXPECT_EQ(readsWhileNaming, 0);
    EXPECT_EQ(form.logText(), "sendkeys:hi\r\n");
    EXPECT_NE(std::find(ev.begin(), ev.end(), "keys hi"), ev.end());
    EXPECT_TRUE(fs::exists(dir / "irdata.txt"));
    const QImage& img = form.picMain->image();
    EXPECT_EQ(img.pixel(0, 0) | 0xFF000000u, qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(5, 0) | 0xFF000000u, qRgb(255, 224, 192));
    EXPECT_EQ(img.pixel(19, 0) | 0xFF000000u, qRgb(192, 255, 192));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vostel
