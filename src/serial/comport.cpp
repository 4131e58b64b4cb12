#include "serial/comport.h"

#include "runtime/cp1252.h"
#include "runtime/val.h"
#include "serial/protocol.h"

namespace vostel {

bool ComPort::Init() {
    // The input box gives UTF-8; the number is read from the Windows-1252
    // bytes, so a character outside ASCII simply ends the number.
    const std::string typed = prompts_.inputBox("Nummer eingeben", "Welchen Com-Port wollen sie benutzen?");
    const int16_t port = cint(Val(utf8ToCp1252(typed)));
    if (port < 1) {
        prompts_.msgBox("Das Programm wird beendet", 48, "Fehlerhafte Portnummer eingegeben");
        return false;
    }
    openPort(control_, port);
    return true;
}

void ComPort::openPort(SerialControl& control, int16_t port) {
    control.setCommPort(port);
    control.setSettings("9600,N,8,1");
    control.setInputLen(0);
    if (control.portOpen()) control.setPortOpen(false);
    control.setPortOpen(true);
    control.output(protocol::kInitCommand);
}

std::string ComPort::getDataAsString() { return control_.input(); }

}  // namespace vostel
