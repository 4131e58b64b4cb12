#include "qt/frm_main.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "qt/controls.h"
#include "qt/picture_box.h"
#include "runtime/cp1252.h"

namespace vostel::qt {

frmMain::frmMain() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmMain"));
    const WindowLayout& layout = frmMainLayout();
    resize(twipsToPixels(layout.client.width), twipsToPixels(layout.client.height));
    const std::vector<QWidget*> controls = buildControls(*this, layout);
    picMain = static_cast<PictureBox*>(controls[tabIndex(MainControl::picMain)]);
    txt1 = static_cast<QPlainTextEdit*>(controls[tabIndex(MainControl::txt1)]);
    butRec = static_cast<QPushButton*>(controls[tabIndex(MainControl::butRec)]);
    btnLoadIRData = static_cast<QPushButton*>(controls[tabIndex(MainControl::btnLoadIRData)]);
    // Tab and Shift+Tab move the focus on, so the keyboard reaches the buttons.
    txt1->setTabChangesFocus(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimer1IntervalMs);

    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(butRec, &QPushButton::clicked, this, &frmMain::butRec_Click);
    connect(btnLoadIRData, &QPushButton::clicked, this, &frmMain::btnLoadIRData_Click);
}

void frmMain::showForm() { show(); }

DrawingSurface& frmMain::drawingArea() { return *picMain; }

void frmMain::enableTimer1() { Timer1->start(); }

void frmMain::prependLog(std::string_view theID) {
    QTextDocument* doc = txt1->document();
    // Inserting at the start costs the same however long the log is. Turning
    // undo off and on again drops the undo history, as replacing a text box's
    // text does, so the log does not grow a second copy of itself.
    doc->setUndoRedoEnabled(false);
    QTextCursor start(doc);
    start.insertText(QString::fromStdString(cp1252ToUtf8(theID)) + QLatin1Char('\n'));
    doc->setUndoRedoEnabled(true);
    txt1->moveCursor(QTextCursor::Start);
    txt1->verticalScrollBar()->setValue(0);
    txt1->horizontalScrollBar()->setValue(0);
}

std::string frmMain::logText() const {
    QString text = txt1->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return utf8ToCp1252(text.toStdString());
}

void frmMain::Timer1_Timer() {
    if (shell_) shell_->Timer1_Timer();
}

void frmMain::butRec_Click() {
    if (shell_) shell_->butRec_Click();
}

void frmMain::btnLoadIRData_Click() {
    if (shell_) shell_->btnLoadIRData_Click();
}

}  // namespace vostel::qt
