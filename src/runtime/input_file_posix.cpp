// InputFile on POSIX systems: opening with the checks, and reading, over file descriptors.
#include "runtime/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "runtime/error.h"

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace vostel {

namespace {

// Non-blocking, so a named pipe in the file's place is refused after opening
// instead of waiting for a writer; regular files read as usual.
int openChecked(const std::filesystem::path& path, bool missingIsError) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_BINARY);
    if (fd < 0 && (missingIsError || errno != ENOENT)) throw errorFromErrno(errno, path.string());
    return fd;
}

// What stands in a file's place when it is no regular file.
const char* notAFile(mode_t mode) {
    if (S_ISDIR(mode)) return " is a folder, not a file";
    if (S_ISFIFO(mode)) return " is a named pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return " is a device, not a file";
    return " is not a regular file";
}

}  // namespace

InputFile::InputFile(const std::filesystem::path& path) : InputFile(openChecked(path, true), path.string()) {}

std::optional<InputFile> InputFile::openIfPresent(const std::filesystem::path& path) {
    const int fd = openChecked(path, false);
    if (fd < 0) return std::nullopt;
    return InputFile(fd, path.string());
}

InputFile::InputFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw errorFromErrno(err, name_);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw RuntimeError(kErrPathFileAccess, "Path/File access error: " + name_ + notAFile(st.st_mode));
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)), size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        name_ = std::move(other.name_);
        size_ = other.size_;
    }
    return *this;
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        const auto got = ::read(fd_, buffer + done, n - done);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw errorFromErrno(errno, name_);
        }
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace vostel
