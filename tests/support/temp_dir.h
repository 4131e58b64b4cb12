#pragma once
// Temporary folders for tests: one removed with everything in it when the
// test is done, and a fixture that makes one the working directory.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace vostel::testing {

class TempDir {
public:
    // A new folder of a random name (also on Windows, which has no mkdtemp).
    TempDir() {
        std::random_device seed;
        std::mt19937_64 random(seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path candidate = base / ("vostel-test-" + std::to_string(random() % 1000000000));
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) {
                path_ = candidate;
                return;
            }
        }
        throw std::runtime_error("cannot make a temporary folder");
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
