#pragma once
// The library file irdata.txt: record type and the whole-file read and write.
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/types.h"

namespace vostel {

struct SignalRecord {
    OptPacket packet;  // absent only in records read from a file
    std::string id;    // Windows-1252 bytes, as stored in the file
    bool operator==(const SignalRecord&) const = default;
};

using SignalLibrary = std::vector<SignalRecord>;

// Reads a library file. A missing or empty file gives no records; a file cut
// short gives the missing records as absent packets with empty IDs. A file that
// breaks the layout raises a RuntimeError naming the file and the fault.
SignalLibrary readLibraryFile(const std::filesystem::path& file);

// Writes the whole library safely: a new file beside `file`, flushed to disk,
// renamed over it. Raises a RuntimeError naming the file on failure; the old
// file is then left as it was.
void writeLibraryFile(const std::filesystem::path& file, const SignalLibrary& records);

// The file's bytes for a library (and back), without touching the disk.
std::string encodeLibrary(const SignalLibrary& records);
SignalLibrary decodeLibrary(std::string_view bytes, const std::string& fileNameForMessages);

}  // namespace vostel
