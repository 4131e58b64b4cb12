#include "serial/port_open_error.h"

namespace vostel {

RuntimeError portOpenError(PortOpenFailure failure, const std::string& port, const std::string& reason,
                           const std::string& hint) {
    switch (failure) {
        case PortOpenFailure::Missing:
            return RuntimeError(kErrInvalidPort,
                                "Invalid Port Number: " + port + " does not exist (" + reason + ")." + hint);
        case PortOpenFailure::InUse:
            return RuntimeError(kErrPortAlreadyOpen, "Port already open: " + port +
                                                         " is in use by another program" +
                                                         (reason.empty() ? "" : " (" + reason + ")"));
        case PortOpenFailure::Settings:
            return RuntimeError(kErrCommState, "Could not set comm state: " + port +
                                                   " refused the line settings (" + reason + ")");
        case PortOpenFailure::NotSerial:
            break;
    }
    return RuntimeError(kErrInvalidPort, "Invalid Port Number: " + port +
                                             " cannot be opened as a serial port (" + reason + ")");
}

}  // namespace vostel
