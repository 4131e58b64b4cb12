// The main window's layout, texts and log, on Qt's offscreen platform.
#include "qt/frm_main.h"

#include <gtest/gtest.h>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include "qt/picture_box.h"

namespace vostel::qt {
namespace {

struct Layout {
    QRect pic, txt, rec, load;
};

Layout layoutOf(const frmMain& f) {
    return {f.picMain->geometry(), f.txt1->geometry(), f.butRec->geometry(), f.btnLoadIRData->geometry()};
}

TEST(FrmMain, ControlsAtTheirPlaces) {
    frmMain f;
    f.show();
    EXPECT_EQ(f.windowTitle(), "Vostel");
    EXPECT_EQ(f.size(), QSize(758, 382));
    EXPECT_EQ(f.picMain->geometry(), QRect(80, 8, 673, 369));
    EXPECT_EQ(f.txt1->geometry(), QRect(0, 72, 73, 305));
    EXPECT_EQ(f.butRec->geometry(), QRect(0, 40, 73, 25));  // 372 twips, the nearest whole pixel
    EXPECT_EQ(f.btnLoadIRData->geometry(), QRect(0, 8, 73, 25));
    EXPECT_EQ(twipsToPixels(372), 25);
    EXPECT_EQ(twipsToPixels(10095), 673);
}

TEST(FrmMain, WindowKind) {
    frmMain f;
    const Qt::WindowFlags flags = f.windowFlags();
    EXPECT_TRUE(f.isWindow());
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Window);
    EXPECT_NE(f.minimumSize(), f.maximumSize());  // sizable
    EXPECT_EQ(f.picMain->frameWidth(), 2);
    EXPECT_EQ(f.picMain->backColor(), qRgb(192, 255, 192));
}

TEST(FrmMain, ControlsStayWhenResizedOrMaximized) {
    frmMain f;
    f.show();
    const Layout before = layoutOf(f);
    f.resize(300, 200);
    QApplication::processEvents();
    Layout after = layoutOf(f);
    EXPECT_EQ(after.pic, before.pic);
    EXPECT_EQ(after.txt, before.txt);
    EXPECT_EQ(after.rec, before.rec);
    EXPECT_EQ(after.load, before.load);
    f.showMaximized();
    QApplication::processEvents();
    after = layoutOf(f);
    EXPECT_EQ(after.pic, before.pic);
    EXPECT_EQ(after.txt, before.txt);
    EXPECT_EQ(after.load, before.load);
}

TEST(FrmMain, TextsToolTipsAndTabOrder) {
    frmMain f;
    EXPECT_EQ(f.butRec->text(), "Record");
    EXPECT_EQ(f.butRec->toolTip(),
              QString::fromUtf8("Drücke eine Taste auf der Fernbedienung, halte sie einwenig, damit "
                                "du siehst, ob die Daten korrekt ankommen, und drücke dann Record"));
    EXPECT_EQ(f.btnLoadIRData->text(), "LoadIRData");
    EXPECT_TRUE(f.btnLoadIRData->toolTip().isEmpty());
    EXPECT_TRUE(f.picMain->toolTip().isEmpty());
    EXPECT_TRUE(f.txt1->toolTip().isEmpty());

    f.show();
    QWidget* order[] = {f.picMain, f.txt1, f.butRec, f.btnLoadIRData, f.picMain};
    EXPECT_EQ(f.focusWidget(), f.picMain);
    for (int i = 0; i < 4; ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next != order[i] && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST(FrmMain, LogBoxSettingsAndTimer) {
    frmMain f;
    EXPECT_EQ(f.txt1->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(f.txt1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(f.txt1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(f.txt1->isReadOnly());
    EXPECT_TRUE(f.txt1->toPlainText().isEmpty());
    EXPECT_EQ(f.Timer1->interval(), 100);
    EXPECT_FALSE(f.Timer1->isActive());
    f.enableTimer1();
    EXPECT_TRUE(f.Timer1->isActive());
}

TEST(FrmMain, LogPutsTheNewestIdFirst) {
    frmMain f;
    f.prependLog("first");
    f.prependLog("second");
    f.prependLog("sendkeys:\xE4");
    EXPECT_EQ(f.logText(), "sendkeys:\xE4\r\nsecond\r\nfirst\r\n");
    EXPECT_EQ(f.txt1->document()->blockCount(), 4);
    EXPECT_EQ(f.txt1->document()->availableUndoSteps(), 0);
}

TEST(FrmMain, TypedTextStaysAndIsPushedDown) {
    frmMain f;
    f.show();
    f.prependLog("A");
    f.txt1->moveCursor(QTextCursor::End);
    QTest::keyClicks(f.txt1, "note");
    f.prependLog("B");
    EXPECT_EQ(f.logText(), "B\r\nA\r\nnote");
}

TEST(FrmMain, NewestEntryIsInView) {
    frmMain f;
    f.show();
    for (int i = 0; i < 500; ++i) f.prependLog("entry " + std::to_string(i) + std::string(40, 'x'));
    f.txt1->moveCursor(QTextCursor::End);
    f.txt1->horizontalScrollBar()->setValue(f.txt1->horizontalScrollBar()->maximum());
    QApplication::processEvents();
    ASSERT_GT(f.txt1->verticalScrollBar()->value(), 0);
    f.prependLog("newest");
    QApplication::processEvents();
    EXPECT_EQ(f.txt1->verticalScrollBar()->value(), 0);
    EXPECT_EQ(f.txt1->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(f.txt1->cursorForPosition(QPoint(2, 2)).block().text(), "newest");
    EXPECT_EQ(f.txt1->textCursor().position(), 0);
}

}  // namespace
}  // namespace vostel::qt
