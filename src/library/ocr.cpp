#include "library/ocr.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "library/tolerance.h"
#include "runtime/error.h"

namespace vostel {

namespace {

constexpr const char* kNotFound = "<not found>";

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
    // A missing file is an error here, named in full, so that a user who
    // started the program in the wrong folder sees where it looked.
    std::error_code noWorkingFolder;
    std::filesystem::path file = std::filesystem::absolute(file_, noWorkingFolder);
    if (noWorkingFolder) file = file_;
    signals_ = readLibraryFile(file, IfMissing::Fail);
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
    return packetsMatch(received, stored);
}

}  // namespace vostel
