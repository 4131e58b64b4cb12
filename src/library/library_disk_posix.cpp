// Writing the library file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

#include "library/library_file.h"
#include "runtime/error.h"

namespace vostel {

namespace {

// Closes a descriptor and removes a temporary file unless released.
struct TempFile {
    int fd = -1;
    std::string path;
    ~TempFile() {
        if (fd >= 0) ::close(fd);
        if (!path.empty()) ::unlink(path.c_str());
    }
};

// Creates a new, empty temporary file named `stem` and six random letters.
// Created with mode 0666, so the system applies the umask (and a folder's
// default access list) as for any new file, without the umask being read or
// changed here; created 0600 instead when its mode is set afterwards.
int createTemporary(const std::string& stem, mode_t mode, std::string& path) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = stem;
        for (int i = 0; i < 6; ++i) path += kLetters[pick(random)];
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;  // errno is EEXIST
}

}  // namespace

void writeLibraryFile(const std::filesystem::path& file, const SignalLibrary& records) {
    const std::string name = file.string();
    const std::string data = encodeLibrary(records);
    // Through a symbolic link, the linked file is replaced (or created) and the link stays.
    std::filesystem::path target = file;
    std::error_code ec;
    if (std::filesystem::is_symlink(file, ec)) {
        const std::filesystem::path linked = std::filesystem::read_symlink(file, ec);
        if (!ec) {
            std::filesystem::path resolved =
                std::filesystem::weakly_canonical(file.parent_path() / linked, ec);
            if (!ec) target = resolved;
        }
    }
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";

    // A new library gets the mode any new file gets; a replaced one keeps its mode.
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    TempFile tmp;
    std::string pattern;
    std::string stem = (dir / ".").string();
    stem += target.filename().string();
    stem += '.';
    tmp.fd = createTemporary(stem, replacing ? 0600 : 0666, pattern);
    if (tmp.fd < 0) throw errorFromErrno(errno, name);
    tmp.path = pattern;
    if (replacing && ::fchmod(tmp.fd, old.st_mode & 07777) != 0) throw errorFromErrno(errno, name);

    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(tmp.fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw errorFromErrno(errno, name);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(tmp.fd) != 0) throw errorFromErrno(errno, name);
    int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0) throw errorFromErrno(errno, name);
    if (::rename(tmp.path.c_str(), target.c_str()) != 0) throw errorFromErrno(errno, name);
    tmp.path.clear();

    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) throw errorFromErrno(errno, dir.string());
    int rc = ::fsync(dfd);
    int err = errno;
    ::close(dfd);
    if (rc != 0 && err != EINVAL) throw errorFromErrno(err, dir.string());
}

}  // namespace vostel
