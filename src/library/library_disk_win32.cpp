// Writing the library file with the Win32 file API.
#include <windows.h>

#include <string>

#include "library/library_file.h"
#include "runtime/error.h"
#include "runtime/system_error.h"
#include "runtime/wide_text.h"

namespace vostel {

namespace {

// Closes a handle and deletes a temporary file unless released.
struct TempFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path;
    ~TempFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        if (!path.empty()) DeleteFileW(path.c_str());
    }
};

std::string displayName(const std::filesystem::path& file) { return narrow(file.wstring()); }

}  // namespace

void writeLibraryFile(const std::filesystem::path& file, const SignalLibrary& records) {
    const std::string name = displayName(file);
    const std::string data = encodeLibrary(records);

    // A new file beside the old one, flushed, then moved over it: the old
    // file stays whole until the new one is complete.
    const std::filesystem::path dir =
        file.parent_path().empty() ? std::filesystem::path(L".") : file.parent_path();
    TempFile tmp;
    for (unsigned attempt = 0; attempt < 100 && tmp.handle == INVALID_HANDLE_VALUE; ++attempt) {
        const std::wstring candidate =
            (dir / (L"." + file.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(attempt) + L".tmp"))
                .wstring();
        tmp.handle = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (tmp.handle != INVALID_HANDLE_VALUE) {
            tmp.path = candidate;
        } else if (GetLastError() != ERROR_FILE_EXISTS) {
            throw fileError(GetLastError(), name);
        }
    }
    if (tmp.handle == INVALID_HANDLE_VALUE) throw fileError(ERROR_FILE_EXISTS, name);

    std::size_t done = 0;
    while (done < data.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        if (!WriteFile(tmp.handle, data.data() + done, chunk, &written, nullptr))
            throw fileError(GetLastError(), name);
        done += written;
    }
    if (!FlushFileBuffers(tmp.handle)) throw fileError(GetLastError(), name);
    HANDLE handle = tmp.handle;
    tmp.handle = INVALID_HANDLE_VALUE;
    if (!CloseHandle(handle)) throw fileError(GetLastError(), name);
    if (!MoveFileExW(tmp.path.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw fileError(GetLastError(), name);
    tmp.path.clear();
}

}  // namespace vostel
