#pragma once
// frmMain: the main window. Controls at fixed places (app/layout.h), the log
// txt1 and the timer Timer1 that drives the receive cycle.
#include <QWidget>
#include <string>

#include "app/layout.h"
#include "app/mdl_main.h"

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace vostel::qt {

class PictureBox;

class frmMain : public QWidget, public MainForm {
    Q_OBJECT
public:
    frmMain();

    // The shell whose handlers the timer and the buttons run.
    void attach(mdlMain& shell) { shell_ = &shell; }

    void showForm() override;
    DrawingSurface& drawingArea() override;
    void enableTimer1() override;
    void prependLog(std::string_view theID) override;

    // The log as the text box holds it: lines ended by CR LF, Windows-1252.
    std::string logText() const;

    PictureBox* picMain;
    QPlainTextEdit* txt1;
    QPushButton* butRec;
    QPushButton* btnLoadIRData;
    QTimer* Timer1;

private:
    void Timer1_Timer();
    void butRec_Click();
    void btnLoadIRData_Click();

    mdlMain* shell_ = nullptr;
};

}  // namespace vostel::qt
