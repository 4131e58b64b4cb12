#include "runtime/input_file.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"
#include "support/temp_dir.h"

using namespace vostel;

namespace {

class InputFileTest : public vostel::testing::TempDirTest {};

RuntimeError openError(const std::filesystem::path& path) {
    return vostel::testing::errorOf([&] { InputFile file(path); });
}

}  // namespace

TEST_F(InputFileTest, MissingFolderPipeAndDeviceEachGetOneClearError) {
    std::filesystem::create_directory("folder");
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);  // no writer: opening must not wait for one
    const std::pair<std::string, std::string> cases[] = {
        {"missing.bin", "File not found: missing.bin (No such file or directory)"},
        {"folder", "Path/File access error: folder is a folder, not a file"},
        {"pipe", "Path/File access error: pipe is a named pipe, not a file"},
        {"/dev/null", "Path/File access error: /dev/null is a device, not a file"},
    };
    for (const auto& [path, text] : cases) EXPECT_EQ(openError(path).text(), text);
    EXPECT_EQ(openError("missing.bin").number(), kErrFileNotFound);
    EXPECT_EQ(openError("pipe").number(), kErrPathFileAccess);

    EXPECT_FALSE(InputFile::openIfPresent("missing.bin").has_value());
    EXPECT_THROW(InputFile::openIfPresent("folder"), RuntimeError);
}

TEST_F(InputFileTest, ReadsInPiecesOrWhole) {
    std::string content(200000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    writeBytes("data.bin", content);
    EXPECT_TRUE(readWholeFile("data.bin") == content);

    InputFile file("data.bin");
    EXPECT_EQ(file.size(), content.size());
    char head[10];
    ASSERT_EQ(file.read(head, sizeof head), sizeof head);
    EXPECT_EQ(std::string(head, sizeof head), content.substr(0, 10));
    EXPECT_TRUE(file.readRest() == content.substr(10));
    EXPECT_EQ(file.read(head, sizeof head), 0u);
}
