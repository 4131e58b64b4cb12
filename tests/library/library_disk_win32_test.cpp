// The library file on Windows: written whole through a new file moved over the
// old one, read with the Win32 InputFile, errors naming the file.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "library/library_file.h"
#include "runtime/error.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

class LibraryDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vostel-lib-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static std::string bytesOf(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }
    static RuntimeError errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const RuntimeError& e) {
            return e;
        }
        return RuntimeError(-1, "no error");
    }

    fs::path dir_;
    fs::path previous_;
    const SignalLibrary lib_{{Packet{10, 200, 35}, "on"}, {Packet{1, 2, 3, 4}, "Lautst\xE4rke \x80"}};
};

TEST_F(LibraryDisk, SaveWritesExactlyTheContentReadBackAndKeepsNoTemporaryFile) {
    writeLibraryFile("irdata.txt", lib_);
    EXPECT_EQ(bytesOf("irdata.txt"), encodeLibrary(lib_));
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(readLibraryFile("irdata.txt"), lib_);
    // Saving again replaces the file whole.
    writeLibraryFile("irdata.txt", {lib_[0]});
    EXPECT_EQ(bytesOf("irdata.txt"), encodeLibrary({lib_[0]}));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(LibraryDisk, MissingFileGivesNoRecordsOrFileNotFound) {
    EXPECT_TRUE(readLibraryFile("irdata.txt").empty());
    EXPECT_FALSE(fs::exists("irdata.txt"));
    const RuntimeError e = errorOf([] { readLibraryFile("irdata.txt", IfMissing::Fail); });
    EXPECT_EQ(e.number(), kErrFileNotFound);
    EXPECT_NE(e.text().find("irdata.txt"), std::string::npos);
}

TEST_F(LibraryDisk, AFolderInTheFilesPlaceIsNamedAndLeftAlone) {
    fs::create_directory("irdata.txt");
    const RuntimeError read = errorOf([] { readLibraryFile("irdata.txt"); });
    EXPECT_EQ(read.number(), kErrPathFileAccess);
    EXPECT_NE(read.text().find("irdata.txt is a folder"), std::string::npos);
    const RuntimeError save = errorOf([&] { writeLibraryFile("irdata.txt", lib_); });
    EXPECT_NE(save.number(), -1);
    EXPECT_NE(save.text().find("irdata.txt"), std::string::npos);
    EXPECT_TRUE(fs::is_directory("irdata.txt"));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(LibraryDisk, SaveIntoAMissingFolderFailsNamingTheFile) {
    const RuntimeError e = errorOf([&] { writeLibraryFile("missing\\irdata.txt", lib_); });
    EXPECT_EQ(e.number(), kErrPathNotFound);
    EXPECT_NE(e.text().find("missing\\irdata.txt"), std::string::npos);
}

}  // namespace
}  // namespace vostel
