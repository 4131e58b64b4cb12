// vostel-portal-typist: types each argument, a key description in
// Windows-1252 bytes, through the program's own sender choice. Without a
// compositor and without DISPLAY, that choice ends at the RemoteDesktop portal.
// Exits with the run-time error's number, its text on stderr.
#include <QCoreApplication>
#include <cstdio>

#include "action/sender_choice.h"
#include "runtime/error.h"
#include "wayland/senders.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vostel::ChosenKeystrokeSender keys(vostel::Session::fromEnvironment(), vostel::wayland::openSender);
    for (int i = 1; i < argc; ++i) {
        try {
            keys.sendKeys(argv[i], false);
        } catch (const vostel::RuntimeError& e) {
            std::fprintf(stderr, "%s\n", e.text().c_str());
            return e.number();
        }
    }
    return 0;
}
