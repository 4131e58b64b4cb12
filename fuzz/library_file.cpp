// Arbitrary bytes as a library file: either a library that survives a round
// trip through the writer, or a RuntimeError with a message naming the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "library/library_file.h"
#include "runtime/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vostel::SignalLibrary lib;
    try {
        lib = vostel::decodeLibrary(bytes, "irdata.txt");
    } catch (const vostel::RuntimeError& e) {
        if (e.number() != vostel::kErrInvalidFileFormat || e.text().find("irdata.txt") == std::string::npos)
            std::abort();
        return 0;
    }
    if (lib.size() > vostel::kMaxRecords) std::abort();
    if (vostel::decodeLibrary(vostel::encodeLibrary(lib), "irdata.txt") != lib) std::abort();
    return 0;
}
