// vostel.exe: the desktop program on Windows. No command line, no configuration.
#include <windows.h>

#include "app/clock.h"
#include "app/mdl_main.h"
#include "win32/dlg_signal.h"
#include "win32/frm_main.h"
#include "win32/keystroke_sender.h"
#include "win32/modal.h"
#include "win32/prompts.h"
#include "win32/serial_control.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vostel::win32::SerialControl com1;
    vostel::win32::Prompts prompts;
    vostel::win32::KeystrokeSender keys;
    vostel::SystemClock clock;
    vostel::win32::dlgSignal naming;
    vostel::win32::frmMain form;
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
    return vostel::win32::runMainLoop(form.hwnd());
}
