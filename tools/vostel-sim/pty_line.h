#pragma once
// The emulated serial line: a pseudo-terminal whose slave side is reachable
// as comN in the ports folder.
#include <filesystem>
#include <string>

namespace vostel::sim {

class PtyLine {
public:
    PtyLine() = default;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine() { close(); }

    // Opens a new pseudo-terminal at 9600 baud, in raw mode unless `raw` is
    // false (then it is a terminal as a person types on); throws
    // std::runtime_error with the reason. The emulator keeps the slave side
    // open itself, so the master never reports a hang-up while the program
    // has the port closed.
    void open(bool raw = true);
    void close();
    bool isOpen() const { return master_ >= 0; }
    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    // Bytes sent that the program has not read yet.
    std::size_t unread() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// The link comN -> device in the ports folder, removed again by remove() and
// by the destructor, but only while it still points to the device it was made for.
// While the link exists, the emulator holds a lock on the file .comN.lock
// beside it; the system releases that lock when the process ends in any way,
// so a link whose lock nobody holds was left by an emulator that is gone.
class PortLink {
public:
    PortLink() = default;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;
    ~PortLink() { remove(); }

    // Creates the folder if missing, then links comN (or, when port is 0, the
    // lowest free comN from 1) to target. An existing comN is replaced only
    // when an emulator that has ended left it: a link to a pseudo-terminal
    // whose lock nobody holds, or one that no longer exists; replacedStale()
    // then tells. Throws std::runtime_error with a one-line reason.
    void create(const std::filesystem::path& folder, int port, const std::string& target);
    // Points the link at a new device, atomically.
    void retarget(const std::string& target);
    void remove() noexcept;

    int port() const { return port_; }
    const std::filesystem::path& path() const { return path_; }
    bool replacedStale() const { return replacedStale_; }

private:
    void releaseLock() noexcept;

    std::filesystem::path path_;
    std::string target_;
    int port_ = 0;
    bool replacedStale_ = false;
    std::filesystem::path lockPath_;
    int lockFd_ = -1;
};

}  // namespace vostel::sim
