#pragma once
// Run-time errors: a number and a text, raised as a C++ exception.
#include <stdexcept>
#include <string>
#include <string_view>

namespace vostel {

// Error numbers used across the program.
enum ErrorNumber : int {
    kErrInternal = 0,     // a broken internal rule: framing errors (FramingError), the queue's invariant
    kErrInvalidCall = 5,  // "Invalid procedure call or argument"
    kErrOverflow = 6,     // "Overflow"
    kErrOutOfMemory = 7,  // "Out of memory"
    kErrSubscript = 9,    // "Subscript out of range"
    kErrDivisionByZero = 11,
    kErrTypeMismatch = 13,  // "Type mismatch"
    kErrInternalError = 51,
    kErrBadFileName = 52,
    kErrFileNotFound = 53,
    kErrDeviceIO = 57,
    kErrDiskFull = 61,
    kErrDeviceUnavailable = 68,
    kErrPermissionDenied = 70,
    kErrPathFileAccess = 75,
    kErrPathNotFound = 76,
    kErrObjectNotSet = 91,
    kErrInvalidPropertyValue = 380,
    kErrInvalidPort = 8002,
    kErrPortAlreadyOpen = 8005,
    kErrPortNotOpen = 8012,
    kErrCommState = 8015,
    kErrPortMustBeOpen = 8018,
    kErrReadingComm = 8020,
};

// The standard text of an error number; numbers without one get
// "Application-defined or object-defined error".
std::string_view standardErrorText(int number);

class RuntimeError : public std::runtime_error {
public:
    // An empty text means the standard text of the number.
    explicit RuntimeError(int number, std::string text = {});

    int number() const noexcept { return number_; }
    const std::string& text() const noexcept { return text_; }

    // "Run-time error 'N':\n\nTEXT", as the untrapped-error box shows it.
    std::string boxMessage() const;

private:
    int number_;
    std::string text_;
};

// A framing error of the received byte stream: error 0 with its standard text.
// Bytes outside a whole packet are line noise, part of ordinary operation, so
// the receive cycle and the monitor leave this type out; any other error 0 is
// a real fault and is shown.
class FramingError : public RuntimeError {
public:
    FramingError() : RuntimeError(kErrInternal) {}
};

// The file error texts of every system: "<standard text>: <what> (<the system's reason>)".
RuntimeError errorWithReason(int number, std::string_view what, std::string_view reason);

// The error an errno value stands for (ENOENT -> 53, EACCES -> 70, ENOSPC -> 61, ...),
// with `what` (a file or device name) and the system's reason added to the standard text.
RuntimeError errorFromErrno(int err, std::string_view what);

}  // namespace vostel
