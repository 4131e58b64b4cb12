// What InputFile does alike on every system; opening and reading are in
// input_file_posix.cpp and input_file_win32.cpp.
#include "runtime/input_file.h"

#include <utility>

namespace vostel {

std::string InputFile::readRest() {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size_));
    char buf[65536];
    while (const std::size_t got = read(buf, sizeof buf)) {
        bytes.append(buf, got);
        if (got < sizeof buf) break;
    }
    return bytes;
}

int InputFile::release() { return std::exchange(fd_, -1); }

std::string readWholeFile(const std::filesystem::path& path) { return InputFile(path).readRest(); }

}  // namespace vostel
