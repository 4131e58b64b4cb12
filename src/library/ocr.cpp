#include "library/ocr.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "runtime/error.h"

namespace vostel {

namespace {

constexpr const char* kNotFound = "<not found>";
constexpr int kTolerance = 20;

// Whether no element of the block of 32 differs by more than 20. Branch-free
// and in 16-bit lanes, so the compiler turns it into a few vector instructions:
// max - min is the distance |x - y|, which always fits an unsigned 16-bit value.
constexpr std::size_t kBlock = 32;
inline bool blockWithinTolerance(const int16_t* x, const int16_t* y) {
    uint16_t bad = 0;
#pragma GCC unroll 1  // keep the loop whole for the vectoriser
    for (std::size_t j = 0; j < kBlock; ++j) {
        int16_t hi = x[j] > y[j] ? x[j] : y[j];
        int16_t lo = x[j] > y[j] ? y[j] : x[j];
        auto distance = static_cast<uint16_t>(static_cast<uint16_t>(hi) - static_cast<uint16_t>(lo));
        bad = static_cast<uint16_t>(bad | (distance > kTolerance));
    }
    return bad == 0;
}

// Whether every |a[i] - b[i]| <= 20: block by block, leaving at the first block
// with an element beyond the tolerance, so the result is that of the element
// rule. Where the processor has AVX2, a block is two registers.
// (Function clones need the ELF loader's indirect functions.)
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__)
__attribute__((target_clones("avx2", "default")))
#endif
bool withinTolerance(const int16_t* a, const int16_t* b, std::size_t n) {
    if (n < kBlock) {
        for (std::size_t i = 0; i < n; ++i) {
            int d = int{a[i]} - int{b[i]};
            if (d > kTolerance || d < -kTolerance) return false;
        }
        return true;
    }
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        if (!blockWithinTolerance(a + i, b + i)) return false;
    // The rest: checked as the last whole block, overlapping the one before.
    return i == n || blockWithinTolerance(a + n - kBlock, b + n - kBlock);
}

}  // namespace

OCR::OCR(NamingPrompt& prompt, std::filesystem::path file) : prompt_(prompt), file_(std::move(file)) {}

void OCR::Record(const Packet& theData) {
    // Keep what the file holds: a recording before any load would otherwise
    // replace the stored library with this run's records alone. It is read
    // before the dialog opens, so a library that cannot be read is reported
    // before the user types a name that could not be kept, and it takes the
    // place of the library only once the user has named the packet.
    std::optional<SignalLibrary> stored;
    if (!loadedThisRun_) stored = readLibraryFile(file_);

    std::string id;
    if (!prompt_.showDialog(id) || id.empty()) return;
    if (stored) {
        signals_ = std::move(*stored);
        loadedThisRun_ = true;
    }

    std::size_t count = signals_ ? signals_->size() : 0;
    if (count >= kMaxRecords)
        throw RuntimeError(kErrOverflow, "Overflow: the signal library already holds " +
                                             std::to_string(kMaxRecords) + " records, the most it can hold");
    if (id.size() > kMaxIdBytes)
        throw RuntimeError(kErrOverflow, "Overflow: the ID is " + std::to_string(id.size()) +
                                             " bytes long, at most " + std::to_string(kMaxIdBytes) +
                                             " are allowed");
    if (theData.size() > kMaxElements)
        throw RuntimeError(kErrOverflow, "Overflow: the packet has " + std::to_string(theData.size()) +
                                             " elements, at most " + std::to_string(kMaxElements) +
                                             " are allowed");

    if (!signals_) signals_.emplace();
    signals_->push_back(SignalRecord{theData, std::move(id)});
    saveIRData();
}

void OCR::saveIRData() {
    if (!signals_) throw RuntimeError(kErrSubscript);
    writeLibraryFile(file_, *signals_);
}

void OCR::loadIRData() {
    signals_ = readLibraryFile(file_);
    loadedThisRun_ = true;
}

bool OCR::findID(const Packet& theData, std::string& theID) const {
    theID = kNotFound;
    if (!signals_) return false;
    return findIn(*signals_, theData, theID);
}

bool OCR::findIn(const SignalLibrary& records, const Packet& theData, std::string& theID) {
    theID = kNotFound;
    try {
        for (const SignalRecord& r : records) {
            if (!r.packet) continue;  // nothing to compare with; go on with the next record
            if (comparePackets(theData, *r.packet)) {
                theID = r.id;
                return true;
            }
        }
    } catch (...) {
        // No error reaches the caller (copying the ID is the only step that can fail).
        theID = kNotFound;
    }
    return false;
}

bool OCR::comparePackets(const Packet& received, const Packet& stored) {
    if (received.size() != stored.size()) return false;
    return withinTolerance(received.data(), stored.data(), received.size());
}

}  // namespace vostel
