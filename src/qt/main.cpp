// vostel: the desktop program. No command line, no configuration.
#include <QApplication>

#include "app/clock.h"
#include "app/mdl_main.h"
#include "qt/dlg_signal.h"
#include "qt/frm_main.h"
#include "qt/prompts.h"
#include "qt/serial_control.h"
#include "x11/keystroke_sender.h"

int main(int argc, char** argv) {
    // The program takes no arguments: Qt sees only the program's name, so its
    // own options (-style, -reverse, -qwindowtitle ...) do not act either.
    // Qt's environment variables work as Qt documents them.
    char fallbackName[] = "vostel";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    QApplication app(qtArgc, qtArgv);
    vostel::qt::SerialControl com1;
    vostel::qt::Prompts prompts;
    vostel::x11::KeystrokeSender keys;
    vostel::SystemClock clock;
    vostel::qt::dlgSignal naming;
    vostel::qt::frmMain form;
    vostel::mdlMain shell(form, com1, prompts, naming, keys, clock);
    form.attach(shell);
    switch (shell.startUp()) {
    case vostel::mdlMain::StartResult::Ended: return 0;
    case vostel::mdlMain::StartResult::Failed: return 1;
    case vostel::mdlMain::StartResult::Running: break;
    }
    return QApplication::exec();
}
