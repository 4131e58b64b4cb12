#include "runtime/error.h"

#include <cerrno>
#include <cstring>

namespace vostel {

std::string_view standardErrorText(int number) {
    switch (number) {
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 51:
            return "Internal error";
        case 52:
            return "Bad file name or number";
        case 53:
            return "File not found";
        case 54:
            return "Bad file mode";
        case 57:
            return "Device I/O error";
        case 61:
            return "Disk full";
        case 62:
            return "Input past end of file";
        case 68:
            return "Device unavailable";
        case 70:
            return "Permission denied";
        case 75:
            return "Path/File access error";
        case 76:
            return "Path not found";
        case 91:
            return "Object variable or With block variable not set";
        case 380:
            return "Invalid property value";
        case 8002:
            return "Invalid Port Number";
        case 8005:
            return "Port already open";
        case 8012:
            return "The device is not open";
        case 8015:
            return "Could not set comm state";
        case 8018:
            return "Operation valid only when the port is open";
        case 8020:
            return "Error reading comm device";
        default:
            return "Application-defined or object-defined error";
    }
}

RuntimeError::RuntimeError(int number, std::string text)
    : std::runtime_error(text.empty() ? std::string(standardErrorText(number)) : text),
      number_(number),
      text_(text.empty() ? std::string(standardErrorText(number)) : std::move(text)) {}

std::string RuntimeError::boxMessage() const {
    return "Run-time error '" + std::to_string(number_) + "':\n\n" + text_;
}

RuntimeError errorWithReason(int number, std::string_view what, std::string_view reason) {
    std::string text(standardErrorText(number));
    if (!what.empty()) {
        text += ": ";
        text += what;
    }
    text += " (";
    text += reason;
    text += ")";
    return RuntimeError(number, std::move(text));
}

RuntimeError errorFromErrno(int err, std::string_view what) {
    int number = kErrDeviceIO;
    switch (err) {
        case ENOENT:
            number = kErrFileNotFound;
            break;
        case ENOTDIR:
            number = kErrPathNotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            number = kErrPermissionDenied;
            break;
        case ENOSPC:
            number = kErrDiskFull;
            break;
#ifdef EDQUOT  // a quota, where the system has them
        case EDQUOT:
            number = kErrDiskFull;
            break;
#endif
        case ENOMEM:
            number = kErrOutOfMemory;
            break;
        case EISDIR:
        case ENAMETOOLONG:
        case ELOOP:
            number = kErrPathFileAccess;
            break;
        default:
            break;
    }
    return errorWithReason(number, what, std::strerror(err));
}

}  // namespace vostel
