// The classic input box and message box on Qt's offscreen platform.
#include "qt/prompts.h"

#include <gtest/gtest.h>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "modal.h"

namespace vostel::qt {
namespace {

using test::whenModalOpens;

QLineEdit* fieldOf(QWidget* w) { return w->findChild<QLineEdit*>(); }

TEST(QtPrompts, InputBoxTextsAndEnter) {
    Prompts prompts;
    QString title, label, initial;
    whenModalOpens([&](QWidget* w) {
        title = w->windowTitle();
        for (QLabel* l : w->findChildren<QLabel*>()) label += l->text();
        initial = fieldOf(w)->text();
        QTest::keyClicks(fieldOf(w), " 5");
        QTest::keyClick(fieldOf(w), Qt::Key_Return);
    });
    EXPECT_EQ(prompts.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?"), " 5");
    EXPECT_EQ(title, "Welchen Com-Port wollen sie benutzen?");
    EXPECT_EQ(label, "Nummer eingeben");
    EXPECT_TRUE(initial.isEmpty());
}

TEST(QtPrompts, InputBoxOkButtonAndNonAsciiText) {
    Prompts prompts;
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(fieldOf(w), "3");
        fieldOf(w)->insert(QString::fromUtf8("ä"));
        auto* buttons = w->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(prompts.inputBox("p", "t"), "3\xC3\xA4");
}

TEST(QtPrompts, InputBoxCancelEscapeAndCloseGiveEmptyText) {
    Prompts prompts;
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(fieldOf(w), "7");
        auto* buttons = w->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_EQ(prompts.inputBox("p", "t"), "");
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(fieldOf(w), "7");
        QTest::keyClick(fieldOf(w), Qt::Key_Escape);
    });
    EXPECT_EQ(prompts.inputBox("p", "t"), "");
    whenModalOpens([](QWidget* w) {
        QTest::keyClicks(fieldOf(w), "7");
        w->close();
    });
    EXPECT_EQ(prompts.inputBox("p", "t"), "");
}

TEST(QtPrompts, WarningBoxWithOneOkButton) {
    Prompts prompts;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    whenModalOpens([&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    prompts.msgBox("Das Programm wird beendet", 48, "Fehlerhafte Portnummer eingegeben");
    EXPECT_EQ(title, "Fehlerhafte Portnummer eingegeben");
    EXPECT_EQ(text, "Das Programm wird beendet");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, 1);

    whenModalOpens([&](QWidget* w) {
        icon = qobject_cast<QMessageBox*>(w)->icon();
        text = qobject_cast<QMessageBox*>(w)->text();
        QTest::keyClick(w, Qt::Key_Return);
    });
    prompts.msgBox("Run-time error '6':\n\nOverflow", 16, "Vostel");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, "Run-time error '6':\n\nOverflow");
}

}  // namespace
}  // namespace vostel::qt
