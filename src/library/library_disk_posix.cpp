// Writing the library file with POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

mode_t modeForNewFile(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

    TempFile tmp;
    std::string tmpName(".");
    tmpName += target.filename().string();
    tmpName += ".XXXXXX";
    std::string pattern = (dir / tmpName).string();
    tmp.fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (tmp.fd < 0) throw errorFromErrno(errno, name);
    tmp.path = pattern;
    if (::fchmod(tmp.fd, modeForNewFile(target)) != 0) throw errorFromErrno(errno, name);

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
