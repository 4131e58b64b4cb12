// InputFile on Windows, over the Win32 file API, its errors worded by
// fileError as those of saving are. The handle is kept as a C runtime
// descriptor, so that release() hands over a descriptor as on Linux.
#include "runtime/input_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <utility>

#include "runtime/error.h"
#include "runtime/system_error.h"
#include "runtime/wide_text.h"

namespace vostel {

namespace {

std::string displayName(const std::filesystem::path& path) { return narrow(path.wstring()); }

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

// Folders cannot be opened as files on Windows; they are named as such first.
int openChecked(const std::filesystem::path& path, bool missingIsError) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw RuntimeError(kErrPathFileAccess,
                           "Path/File access error: " + displayName(path) + " is a folder, not a file");
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        // A missing folder means a missing file, as on Linux.
        if (!missingIsError && (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)) return -1;
        throw fileError(err, displayName(path));
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        throw fileError(ERROR_TOO_MANY_OPEN_FILES, displayName(path));
    }
    return fd;
}

}  // namespace

InputFile::InputFile(const std::filesystem::path& path)
    : InputFile(openChecked(path, true), displayName(path)) {}

std::optional<InputFile> InputFile::openIfPresent(const std::filesystem::path& path) {
    const int fd = openChecked(path, false);
    if (fd < 0) return std::nullopt;
    return InputFile(fd, displayName(path));
}

InputFile::InputFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
    // A device (CON, a serial port) or a pipe in the file's place.
    const HANDLE handle = handleOf(fd_);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        _close(fd_);
        throw RuntimeError(kErrPathFileAccess, "Path/File access error: " + name_ + " is not a regular file");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        const DWORD err = GetLastError();
        _close(fd_);
        throw fileError(err, name_);
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) _close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        name_ = std::move(other.name_);
        size_ = other.size_;
    }
    return *this;
}

InputFile::~InputFile() {
    if (fd_ >= 0) _close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handleOf(fd_), buffer + done, chunk, &got, nullptr))
            throw fileError(GetLastError(), name_);
        if (got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace vostel
