#pragma once
// Files named by the user, read with one set of checks and messages: a missing
// file, one that may not be read, and one that is no regular file (a folder, a
// named pipe, a device) each give a RuntimeError naming the file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vostel {

// A regular file open for reading; closed when destroyed.
class InputFile {
public:
    // Opens `path`. Raises 53 "File not found" when it is missing, 70 "Permission
    // denied" when it may not be read, 75 "Path/File access error" when it is a
    // folder, a pipe or a device; a pipe without a writer is refused, not waited on.
    explicit InputFile(const std::filesystem::path& path);
    // The same checks, but a missing file gives no InputFile instead of an error.
    static std::optional<InputFile> openIfPresent(const std::filesystem::path& path);

    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    const std::string& name() const { return name_; }
    std::uint64_t size() const { return size_; }  // when it was opened

    // Reads up to `n` bytes at the current position; fewer only at the end of
    // the file. Raises the error of a failed read, naming the file.
    std::size_t read(char* buffer, std::size_t n);
    // Everything from the current position to the end.
    std::string readRest();
    // Hands the open descriptor over to the caller, who then closes it.
    int release();

private:
    InputFile(int fd, std::string name);

    int fd_ = -1;
    std::string name_;
    std::uint64_t size_ = 0;
};

// The whole content of a regular file, with the checks and messages above.
std::string readWholeFile(const std::filesystem::path& path);

}  // namespace vostel
