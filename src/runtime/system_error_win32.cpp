#include "runtime/system_error.h"

#include <windows.h>

#include "runtime/wide_text.h"

namespace vostel {

std::string systemReason(unsigned long code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ' ||
                               reason.back() == L'.'))
        reason.pop_back();
    if (reason.empty()) return "system error " + std::to_string(code);
    return narrow(reason);
}

RuntimeError fileError(unsigned long code, std::string_view what) {
    int number = kErrDeviceIO;
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            number = kErrFileNotFound;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            number = kErrPathNotFound;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            number = kErrPermissionDenied;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            number = kErrDiskFull;
            break;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            number = kErrOutOfMemory;
            break;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
            number = kErrPathFileAccess;
            break;
        default:
            break;
    }
    return errorWithReason(number, what, systemReason(code));
}

}  // namespace vostel
