// The naming dialog on Qt's offscreen platform, driven through its event loop.
#include "qt/dlg_signal.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "modal.h"

namespace vostel::qt {
namespace {

using test::whenModalOpens;

dlgSignalForm* formOf(QWidget* w) { return qobject_cast<dlgSignalForm*>(w); }

// Opens the dialog, types `text` (when given) into Text1 and presses `button`.
bool nameIt(dlgSignal& dlg, std::string& ret, const char* text, const char* button) {
    whenModalOpens([=](QWidget* w) {
        dlgSignalForm* form = formOf(w);
        if (text) {
            form->Text1->clear();
            const QString typed = QString::fromUtf8(text);
            // QTest types ASCII keys only; other text is put in as an input method would.
            bool ascii = true;
            for (QChar c : typed) ascii = ascii && c.unicode() < 128;
            if (ascii)
                QTest::keyClicks(form->Text1, typed);
            else
                form->Text1->insert(typed);
        }
        QTest::mouseClick(button[0] == 'O' ? form->OKButton : form->CancelButton, Qt::LeftButton);
    });
    return dlg.showDialog(ret);
}

TEST(DlgSignal, WindowAndControls) {
    dlgSignal dlg;
    EXPECT_EQ(dlg.window(), nullptr);  // created on first use
    std::string ret;
    QString title, tip, focus;
    QRect client, text, ok, cancel;
    Qt::WindowFlags flags;
    bool modal = false, fixed = false;
    QWidget *parent = reinterpret_cast<QWidget*>(1), *afterText = nullptr, *afterOk = nullptr;
    whenModalOpens([&](QWidget* w) {
        dlgSignalForm* form = formOf(w);
        title = form->windowTitle();
        client = form->geometry();
        text = form->Text1->geometry();
        ok = form->OKButton->geometry();
        cancel = form->CancelButton->geometry();
        tip = form->Text1->toolTip();
        focus = form->focusWidget() ? form->focusWidget()->objectName() : QString();
        flags = form->windowFlags();
        modal = form->windowModality() == Qt::ApplicationModal;
        fixed = form->minimumSize() == form->maximumSize();
        parent = form->parentWidget();
        afterText = form->Text1->nextInFocusChain();
        afterOk = form->OKButton->nextInFocusChain();
        EXPECT_EQ(form->OKButton->text(), "OK");
        EXPECT_EQ(form->CancelButton->text(), "Cancel");
        EXPECT_TRUE(form->Text1->text().isEmpty());
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    });
    EXPECT_FALSE(dlg.showDialog(ret));
    EXPECT_EQ(title, "Enter ID for Signal-Packet");
    EXPECT_EQ(client, QRect(184, 250, 187, 72));
    EXPECT_EQ(text, QRect(8, 8, 169, 25));
    EXPECT_EQ(ok, QRect(8, 40, 81, 25));
    EXPECT_EQ(cancel, QRect(96, 40, 81, 25));
    EXPECT_EQ(tip, QString::fromUtf8("Gib hier einen knappen Text als ID für dieses Signal an"));
    EXPECT_EQ(focus, "Text1");
    EXPECT_TRUE(modal);
    EXPECT_TRUE(fixed);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ((flags & Qt::WindowType_Mask), Qt::Tool);  // kept out of the task bar
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(afterText, formOf(dlg.window())->OKButton);
    EXPECT_EQ(afterOk, formOf(dlg.window())->CancelButton);
}

TEST(DlgSignal, EnterAndEscapeDoNotCloseIt) {
    dlgSignal dlg;
    std::string ret = "before";
    bool stillOpen = false, anyDefault = true;
    whenModalOpens([&](QWidget* w) {
        dlgSignalForm* form = formOf(w);
        QTest::keyClicks(form->Text1, "Power");
        QTest::keyClick(form->Text1, Qt::Key_Return);
        QTest::keyClick(form->Text1, Qt::Key_Enter);
        QTest::keyClick(form->Text1, Qt::Key_Escape);
        form->OKButton->setFocus();
        QTest::keyClick(form->OKButton, Qt::Key_Return);
        QTest::keyClick(form->OKButton, Qt::Key_Escape);
        stillOpen = form->isVisible();
        anyDefault = form->OKButton->isDefault() || form->CancelButton->isDefault() ||
                     form->OKButton->autoDefault() || form->CancelButton->autoDefault();
        QTest::mouseClick(form->CancelButton, Qt::LeftButton);
    });
    EXPECT_FALSE(dlg.showDialog(ret));
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(anyDefault);
    EXPECT_EQ(ret, "before");  // Cancel leaves the caller's text alone
}

TEST(DlgSignal, TextIsKeptAfterOkAndCancel) {
    dlgSignal dlg;
    std::string ret;
    EXPECT_TRUE(nameIt(dlg, ret, "Volume up", "OK"));
    EXPECT_EQ(ret, "Volume up");
    QDialog* first = dlg.window();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->isVisible());  // hidden, not destroyed

    // The same ID is offered again, selected in the focused text box; OK at once takes it.
    QString offered, selected;
    bool textHasFocus = false;
    whenModalOpens([&](QWidget* w) {
        offered = formOf(w)->Text1->text();
        selected = formOf(w)->Text1->selectedText();
        textHasFocus = w->focusWidget() == formOf(w)->Text1;
        QTest::mouseClick(formOf(w)->OKButton, Qt::LeftButton);
    });
    ret.clear();
    EXPECT_TRUE(dlg.showDialog(ret));
    EXPECT_EQ(offered, "Volume up");
    EXPECT_EQ(selected, "Volume up");
    EXPECT_TRUE(textHasFocus);
    EXPECT_EQ(ret, "Volume up");

    // Typing replaces the offered ID.
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(formOf(w)->Text1, "Mute");
        QTest::mouseClick(formOf(w)->OKButton, Qt::LeftButton);
    });
    EXPECT_TRUE(dlg.showDialog(ret));
    EXPECT_EQ(ret, "Mute");
    EXPECT_EQ(dlg.window(), first);

    // A typed ID and Cancel: false, the caller's text unchanged, the ID offered next time.
    ret = "unchanged";
    EXPECT_FALSE(nameIt(dlg, ret, "Stop", "Cancel"));
    EXPECT_EQ(ret, "unchanged");
    EXPECT_EQ(formOf(dlg.window())->Text1->text(), "Stop");

    // OK with an empty text box gives true and an empty text.
    EXPECT_TRUE(nameIt(dlg, ret, "", "OK"));
    EXPECT_EQ(ret, "");
}

TEST(DlgSignal, CloseBoxDiscardsTheWindowAndKeepsOkPressed) {
    dlgSignal dlg;
    std::string ret;
    EXPECT_TRUE(nameIt(dlg, ret, "Play", "OK"));
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(formOf(w)->Text1, " more");
        w->close();  // the close box
    });
    ret = "old";
    EXPECT_TRUE(dlg.showDialog(ret));  // okPressed unchanged: still true
    EXPECT_EQ(ret, "");                // from the fresh, empty dialog
    ASSERT_NE(dlg.window(), nullptr);
    EXPECT_FALSE(dlg.window()->isVisible());

    QString offered;
    whenModalOpens([&](QWidget* w) {
        offered = formOf(w)->Text1->text();
        QTest::mouseClick(formOf(w)->CancelButton, Qt::LeftButton);
    });
    EXPECT_FALSE(dlg.showDialog(ret));
    EXPECT_TRUE(offered.isEmpty());

    whenModalOpens([](QWidget* w) { w->close(); });
    ret = "kept";
    EXPECT_FALSE(dlg.showDialog(ret));  // okPressed false since Cancel
    EXPECT_EQ(ret, "kept");
}

TEST(DlgSignal, TextIsReturnedInWindows1252) {
    dlgSignal dlg;
    std::string ret;
    EXPECT_TRUE(nameIt(dlg, ret, "Lautstärke € Ω", "OK"));
    EXPECT_EQ(ret, "Lautst\xE4rke \x80 ?");
}

// What the text box shows is what is stored: characters Windows-1252 lacks
// show as '?' as soon as they are typed or pasted, with the cursor after them.
TEST(DlgSignal, TextBoxShowsUnstorableCharactersAsQuestionMarks) {
    dlgSignal dlg;
    QString shown, shownAfterPaste;
    int cursor = -1;
    whenModalOpens([&](QWidget* w) {
        QLineEdit* text = formOf(w)->Text1;
        text->clear();
        QTest::keyClicks(text, "a");
        text->insert(QString::fromUtf8("Ω😀"));  // as an input method puts it in
        QTest::keyClicks(text, "b");
        shown = text->text();
        cursor = text->cursorPosition();
        QApplication::clipboard()->setText(QString::fromUtf8("€→"));
        text->home(false);
        text->paste();
        shownAfterPaste = text->text();
        QTest::mouseClick(formOf(w)->OKButton, Qt::LeftButton);
    });
    std::string ret;
    EXPECT_TRUE(dlg.showDialog(ret));
    EXPECT_EQ(shown, "a??b");
    EXPECT_EQ(cursor, 4);
    EXPECT_EQ(shownAfterPaste, QString::fromUtf8("€?a??b"));
    EXPECT_EQ(ret, "\x80?a??b");
}

// The text box sets no length limit: a long ID (pasted, say) comes back whole,
// so the library can refuse one beyond its limit instead of storing it cut.
TEST(DlgSignal, LongIdIsReturnedWhole) {
    dlgSignal dlg;
    const std::string id(70000, 'x');
    whenModalOpens([&](QWidget* w) {
        formOf(w)->Text1->insert(QString::fromStdString(id));
        QTest::mouseClick(formOf(w)->OKButton, Qt::LeftButton);
    });
    std::string ret;
    EXPECT_TRUE(dlg.showDialog(ret));
    EXPECT_EQ(ret.size(), id.size());
}

TEST(DlgSignal, EventLoopRunsWhileOpen) {
    dlgSignal dlg;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    bool ticked = false;
    whenModalOpens([&](QWidget* w) {
        ticked = QTest::qWaitFor([&] { return ticks >= 3; }, 5000);
        QTest::mouseClick(formOf(w)->OKButton, Qt::LeftButton);
    });
    std::string ret;
    dlg.showDialog(ret);
    EXPECT_TRUE(ticked);
}

}  // namespace
}  // namespace vostel::qt
