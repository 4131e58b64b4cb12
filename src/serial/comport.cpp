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
    control_.setCommPort(port);
    control_.setSettings("9600,N,8,1");
    control_.setInputLen(0);
    if (control_.portOpen()) control_.setPortOpen(false);
    control_.setPortOpen(true);
    control_.output(protocol::kInitCommand);
    return true;
}

std::string ComPort::getDataAsString() { return control_.input(); }

}  // namespace vostel
