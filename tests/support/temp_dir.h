#pragma once
// Temporary folders for tests: one removed with everything in it when the
// test is done, and a fixture that makes one the working directory.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace vostel::testing {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vostel-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh temporary folder that is the working directory for one test.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(temp_.path());
        dir_ = temp_.path();
    }
    void TearDown() override { std::filesystem::current_path(previous_); }

    static std::string readBytes(const std::filesystem::path& p) { return testing::readBytes(p); }
    static void writeBytes(const std::filesystem::path& p, const std::string& bytes) {
        testing::writeBytes(p, bytes);
    }
    // Names in the directory, to see that no temporary file is left behind.
    std::size_t entryCount() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()));
    }

    TempDir temp_;
    std::filesystem::path dir_;
    std::filesystem::path previous_;
};

// Runs f with writes limited to files of `bytes` bytes: writing beyond fails
// with EFBIG, like a full disk, also for root.
template <class F>
auto withFileSizeLimit(rlim_t bytes, F f) {
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
    auto result = f();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    return result;
}

// The bytes of the one-record library: packet 10, 200, 35, ID "on".
inline const std::string kWorkedExample(
    "\x00\x00\x00\x00"
    "\x01\x00"
    "\x03\x00\x00\x00"
    "\x00\x00\x00\x00"
    "\x0A\x00\xC8\x00\x23\x00"
    "\x02\x00"
    "on",
    24);

}  // namespace vostel::testing
