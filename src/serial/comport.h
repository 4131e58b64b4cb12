#pragma once
// ComPort: the serial link to the receiver unit.
#include <cstdint>
#include <string>

#include "serial/serial_control.h"

namespace vostel {

class ComPort {
public:
    ComPort(SerialControl& control, Prompts& prompts) : control_(control), prompts_(prompts) {}

    // Asks for the port number, opens the port at 9600,N,8,1 and sends the
    // initialisation command. Returns false when the number was below 1: the
    // warning has been shown and the program must end at once. Raises a
    // RuntimeError (6 for a number out of range, the control's errors).
    bool Init();
    // Opens port N at 9600,N,8,1 and sends the initialisation command, as
    // Init does once it has the number. Raises the control's errors.
    static void openPort(SerialControl& control, int16_t port);
    // Everything that arrived since the last call; never waits.
    std::string getDataAsString();

private:
    SerialControl& control_;
    Prompts& prompts_;
};

}  // namespace vostel
