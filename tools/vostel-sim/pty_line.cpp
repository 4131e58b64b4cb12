#include "pty_line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "serial/port_names.h"

namespace vostel::sim {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& what, int err) {
    throw std::runtime_error(what + ": " + std::strerror(err));
}

}  // namespace

void PtyLine::open(bool raw) {
    close();
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0) fail("cannot open a pseudo-terminal", errno);
    char name[128];
    if (grantpt(m) != 0 || unlockpt(m) != 0 || ptsname_r(m, name, sizeof name) != 0) {
        int err = errno;
        ::close(m);
        fail("cannot set up the pseudo-terminal", err);
    }
    int s = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (s < 0) {
        int err = errno;
        ::close(m);
        fail(std::string("cannot open ") + name, err);
    }
    // Raw mode: no echo of what the unit sends, no translation of the program's
    // carriage return, every byte value passed through.
    termios t{};
    if (tcgetattr(s, &t) == 0) {
        if (raw) cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(s, TCSANOW, &t);
    }
    master_ = m;
    slave_ = s;
    slavePath_ = name;
}

std::size_t PtyLine::unread() const {
    int n = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &n) != 0 || n < 0) return 0;
    return static_cast<std::size_t>(n);
}

void PtyLine::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

void PortLink::create(const fs::path& folder, int port, const std::string& target) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec))
        throw std::runtime_error("cannot use the ports folder " + folder.string() + ": " +
                                 (ec ? ec.message() : std::string("not a folder")));
    for (int n = port > 0 ? port : 1; n <= kMaxPortNumber; ++n) {
        const std::string name = "com" + std::to_string(n);
        const fs::path link = folder / name;
        const fs::path lock = folder / ("." + name + ".lock");
        const bool lockExisted = ::access(lock.c_str(), F_OK) == 0;
        const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) fail("cannot create " + lock.string(), errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            if (port > 0)
                throw std::runtime_error(link.string() +
                                         " belongs to another vostel-sim that is running (port " +
                                         std::to_string(n) + " is taken; choose another with --port)");
            continue;
        }
        lockPath_ = lock, lockFd_ = fd;
        if (::symlink(target.c_str(), link.c_str()) == 0) {
            path_ = link, target_ = target, port_ = n;
            return;
        }
        const int err = errno;
        // Taken: reuse only a link to a pseudo-terminal that an emulator left,
        // known by its lock file, which nobody holds now, or by its device being gone.
        const bool pseudoTerminal =
            fs::is_symlink(link, ec) && fs::read_symlink(link, ec).string().rfind("/dev/pts/", 0) == 0;
        if (err == EEXIST && pseudoTerminal && (lockExisted || !fs::exists(link, ec))) {
            path_ = link, port_ = n;
            retarget(target);
            replacedStale_ = true;
            return;
        }
        if (lockExisted) {
            ::close(lockFd_);
            lockFd_ = -1;
            lockPath_.clear();
        } else {
            releaseLock();
        }
        if (err != EEXIST) fail("cannot create " + link.string(), err);
        if (port > 0)
            throw std::runtime_error(link.string() + " already exists (port " + std::to_string(n) +
                                     " is taken; choose another with --port)");
    }
    throw std::runtime_error("no free port number in " + folder.string());
}

void PortLink::retarget(const std::string& target) {
    fs::path tmp = path_;
    tmp += std::string(".new") + std::to_string(::getpid());
    ::unlink(tmp.c_str());
    if (::symlink(target.c_str(), tmp.c_str()) != 0) fail("cannot create " + tmp.string(), errno);
    if (::rename(tmp.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        fail("cannot replace " + path_.string(), err);
    }
    target_ = target;
}

void PortLink::remove() noexcept {
    if (!path_.empty()) {
        std::error_code ec;
        if (fs::is_symlink(path_, ec) && fs::read_symlink(path_, ec).string() == target_)
            ::unlink(path_.c_str());
        path_.clear();
    }
    releaseLock();
}

void PortLink::releaseLock() noexcept {
    if (lockFd_ < 0) return;
    ::unlink(lockPath_.c_str());
    ::close(lockFd_);
    lockFd_ = -1;
    lockPath_.clear();
}

}  // namespace vostel::sim
