// vostel-portal-typist: types each argument, a key description in
// Windows-1252 bytes, through the program's own sender choice. Without a
// compositor and without DISPLAY, that choice ends at the RemoteDesktop portal.
// Goes on after a run-time error, as the program does; exits with the last
// error's number, each error's text on stderr.
#include <QCoreApplication>
#include <cstdio>

#include "action/sender_choice.h"
#include "runtime/error.h"
#include "wayland/senders.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    vostel::ChosenKeystrokeSender keys(vostel::Session::fromEnvironment(), vostel::wayland::openSender);
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            keys.sendKeys(argv[i], false);
        } catch (const vostel::RuntimeError& e) {
            std::fprintf(stderr, "%s\n", e.text().c_str());
            status = e.number();
        }
    }
    return status;
}
