#pragma once
// The library file irdata.txt: record type and the whole-file read and write.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/types.h"

namespace vostel {

struct SignalRecord {
    OptPacket packet;  // absent only in records read from a file
    std::string id;    // Windows-1252 bytes, as stored in the file
    bool operator==(const SignalRecord&) const = default;
};

using SignalLibrary = std::vector<SignalRecord>;

// Limits of the file layout as this program reads and writes it.
inline constexpr std::size_t kMaxRecords = 32768;   // last index 32767
inline constexpr std::size_t kMaxElements = 32767;  // elements per packet
inline constexpr std::size_t kMaxIdBytes = 65535;   // 16-bit length field

// Error number of a file that breaks the layout ("Invalid file format").
inline constexpr int kErrInvalidFileFormat = 321;

// Whether a missing library file reads as an empty library or is an error.
enum class IfMissing { Empty, Fail };

// Reads a library file. An empty file (and a missing one, unless `ifMissing`
// says Fail) gives no records; a file cut short gives the missing records as
// absent packets with empty IDs. A file that cannot be read, or that breaks
// the layout, raises a RuntimeError naming the file and the fault.
// Never creates or writes the file.
SignalLibrary readLibraryFile(const std::filesystem::path& file, IfMissing ifMissing = IfMissing::Empty);

// Writes the whole library safely: a new file beside `file`, flushed to disk,
// renamed over it (when `file` is a symbolic link, over the file it names, so
// the link stays). Raises a RuntimeError naming the file on failure; the old
// file is then left as it was.
void writeLibraryFile(const std::filesystem::path& file, const SignalLibrary& records);

// The file's bytes for a library (and back), without touching the disk.
// encodeLibrary raises the overflow error (6) for a library beyond the limits above.
std::string encodeLibrary(const SignalLibrary& records);
SignalLibrary decodeLibrary(std::string_view bytes, const std::string& fileNameForMessages);

}  // namespace vostel
