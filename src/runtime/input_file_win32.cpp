// InputFile on Windows, over the C runtime's descriptors (_wopen and _read),
// so that release() hands over a descriptor as on Linux.
#include "runtime/input_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

#include "runtime/error.h"
#include "runtime/wide_text.h"

namespace vostel {

namespace {

std::string displayName(const std::filesystem::path& path) { return narrow(path.wstring()); }

// Folders cannot be opened as files on Windows; they are named as such first.
int openChecked(const std::filesystem::path& path, bool missingIsError) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw RuntimeError(kErrPathFileAccess,
                           "Path/File access error: " + displayName(path) + " is a folder, not a file");
    const int fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0 && (missingIsError || errno != ENOENT)) throw errorFromErrno(errno, displayName(path));
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
    struct _stat64 st {};
    if (_fstat64(fd_, &st) != 0) {
        const int err = errno;
        _close(fd_);
        throw errorFromErrno(err, name_);
    }
    // A device (CON, a serial port) or a pipe in the file's place.
    if ((st.st_mode & _S_IFMT) != _S_IFREG) {
        _close(fd_);
        throw RuntimeError(kErrPathFileAccess, "Path/File access error: " + name_ + " is not a regular file");
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
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
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(n - done, 1u << 30));
        const int got = _read(fd_, buffer + done, chunk);
        if (got < 0) throw errorFromErrno(errno, name_);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace vostel
