#include "qt/frm_main.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "qt/picture_box.h"
#include "runtime/cp1252.h"

namespace vostel::qt {

namespace {

void place(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                         twipsToPixels(height));
}

}  // namespace

frmMain::frmMain() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Vostel"));
    resize(twipsToPixels(11370), twipsToPixels(5730));

    picMain = new PictureBox(twipsToPixels(10095), twipsToPixels(5535), this);
    picMain->setObjectName(QStringLiteral("picMain"));
    picMain->move(twipsToPixels(1200), twipsToPixels(120));

    txt1 = new QPlainTextEdit(this);
    txt1->setObjectName(QStringLiteral("txt1"));
    place(txt1, 0, 1080, 1095, 4575);
    txt1->setLineWrapMode(QPlainTextEdit::NoWrap);
    txt1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txt1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab and Shift+Tab move the focus on, so the keyboard reaches the buttons.
    txt1->setTabChangesFocus(true);

    butRec = new QPushButton(QStringLiteral("Record"), this);
    butRec->setObjectName(QStringLiteral("butRec"));
    place(butRec, 0, 600, 1095, 372);
    butRec->setToolTip(QStringLiteral(
        "Drücke eine Taste auf der Fernbedienung, halte sie einwenig, damit du siehst, ob die "
        "Daten korrekt ankommen, und drücke dann Record"));

    btnLoadIRData = new QPushButton(QStringLiteral("LoadIRData"), this);
    btnLoadIRData->setObjectName(QStringLiteral("btnLoadIRData"));
    place(btnLoadIRData, 0, 120, 1095, 375);

    setTabOrder(picMain, txt1);
    setTabOrder(txt1, butRec);
    setTabOrder(butRec, btnLoadIRData);
    picMain->setFocus();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);

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
