// vostel: the desktop program. No command line, no configuration.
#include <QApplication>

#include "action/sender_choice.h"
#include "action/x11_keystroke_sender.h"
#include "app/clock.h"
#include "app/frm_main.h"
#include "app/mdl_main.h"
#include "app/qt_prompts.h"
#include "library/dlg_signal.h"
#include "serial/qt_serial_control.h"
#include "wayland/senders.h"

int main(int argc, char** argv) {
    // The program takes no arguments: Qt sees only the program's name, so its
    // own options (-style, -reverse, -qwindowtitle ...) do not act either.
    // Qt's environment variables work as Qt documents them.
    char fallbackName[] = "vostel";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    QApplication app(qtArgc, qtArgv);
    vostel::QtSerialControl com1;
    vostel::QtPrompts prompts;
    // Keys go through what the session offers, chosen at the first keys typed.
    vostel::ChosenKeystrokeSender keys(
        vostel::Session::fromEnvironment(),
        [](vostel::SenderKind kind) -> std::unique_ptr<vostel::KeystrokeSender> {
            if (kind != vostel::SenderKind::XTest) return vostel::wayland::openSender(kind);
            auto x11 = std::make_unique<vostel::X11KeystrokeSender>();
            x11->open();
            return x11;
        });
    vostel::SystemClock clock;
    vostel::dlgSignal naming;
    vostel::frmMain form;
    vostel::mdlMain shell(form, com1, prompts, naming, keys, clock);
    form.attach(shell);
    switch (shell.startUp()) {
    case vostel::mdlMain::StartResult::Ended: return 0;
    case vostel::mdlMain::StartResult::Failed: return 1;
    case vostel::mdlMain::StartResult::Running: break;
    }
    return QApplication::exec();
}
