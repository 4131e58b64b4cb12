// vostel: the desktop program. No command line, no configuration; only
// --help and --version, each as the only argument, answer without a window.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "action/sender_choice.h"
#include "app/clock.h"
#include "app/mdl_main.h"
#include "qt/dlg_signal.h"
#include "qt/frm_main.h"
#include "qt/prompts.h"
#include "qt/serial_control.h"
#include "vostel_version.h"
#include "wayland/senders.h"
#include "x11/keystroke_sender.h"

namespace {

const char* const kUsage =
    "usage: vostel [--help | --version]\n"
    "Shows what an infrared receiver on a serial port hears, learns the buttons of a\n"
    "remote control and turns their presses into keystrokes. It asks for the receiver's\n"
    "port number at start-up and keeps its signal library irdata.txt in the folder it\n"
    "is started from. It needs a graphical session; other arguments are ignored.\n"
    "\n"
    "  --help     print this help\n"
    "  --version  print the version\n";

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vostel %s\n", VOSTEL_VERSION);
        return 0;
    }
    // Without a display Qt would abort with a message about reinstalling the
    // application. A platform named in QT_QPA_PLATFORM is left for Qt to judge.
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("QT_QPA_PLATFORM")) {
        std::fputs("vostel: needs a graphical session, but neither DISPLAY nor WAYLAND_DISPLAY is set\n",
                   stderr);
        return 1;
    }
    // Every other argument is ignored: Qt sees only the program's name, so its
    // own options (-style, -reverse, -qwindowtitle ...) do not act either.
    // Qt's environment variables work as Qt documents them.
    char fallbackName[] = "vostel";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    QApplication app(qtArgc, qtArgv);
    vostel::qt::SerialControl com1;
    vostel::qt::Prompts prompts;
    // Keys go through what the session offers, chosen at the first keys typed.
    vostel::ChosenKeystrokeSender keys(
        vostel::Session::fromEnvironment(),
        [](vostel::SenderKind kind) -> std::unique_ptr<vostel::KeystrokeSender> {
            if (kind != vostel::SenderKind::XTest) return vostel::wayland::openSender(kind);
            auto x11 = std::make_unique<vostel::x11::KeystrokeSender>();
            x11->open();
            return x11;
        });
    vostel::SystemClock clock;
    vostel::qt::dlgSignal naming;
    vostel::qt::frmMain form;
    vostel::mdlMain shell(form, com1, prompts, naming, keys, clock);
    form.attach(shell);
    switch (shell.startUp()) {
        case vostel::mdlMain::StartResult::Ended:
            return 0;
        case vostel::mdlMain::StartResult::Failed:
            return 1;
        case vostel::mdlMain::StartResult::Running:
            break;
    }
    return QApplication::exec();
}
