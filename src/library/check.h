#pragma once
// Checking a library for records that will surprise their owner: buttons that
// can never be recognised, records that share packets, key descriptions that
// fail or type nothing, and empty IDs.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_file.h"
#include "runtime/error.h"

namespace vostel {

struct Finding {
    enum class Kind {
        AbsentPacket,     // the record has no packet: nothing can match it
        NeverSent,        // the receiver never sends a packet that matches it
        NeverRecognised,  // its own packet is recognised as the earlier record `other`
        Overlap,          // some packets match both it and the earlier record `other`
        BadKeys,          // "sendkeys:" with a description the key sender rejects
        KeysTypeNothing,  // looks like "sendkeys:" but is not exactly that
        EmptyId,          // a recognised press logs an empty line
    };
    Kind kind = Kind::EmptyId;
    std::size_t record = 0;
    std::size_t other = 0;    // NeverRecognised, Overlap: the earlier record
    std::size_t element = 0;  // Overlap: where the two packets lie furthest apart
    int distance = 0;         // Overlap: how far apart they are there (at most 40)
    int error = 0;            // BadKeys: the run-time error's number
    std::string detail;       // NeverSent: why; BadKeys: the error's text; KeysTypeNothing: what differs
    std::string mended;       // KeysTypeNothing: the ID mended ("" when nothing follows the prefix)
};

// Called now and then while checking: records done so far, and all records.
using CheckProgress = std::function<void(std::size_t done, std::size_t total)>;

// The findings for a library, by record index; for one record in the order of
// Kind. Each record is compared only with the first earlier record it shares
// packets with, so the result stays one finding of that kind per record.
// Records with the same ID are not reported against each other: the same ID is
// logged whichever of them is recognised.
std::vector<Finding> checkLibrary(const SignalLibrary& library, const CheckProgress& progress = {});

// Why the receiver never sends a packet within `tolerance` of `packet`: the
// framer delivers no packet of that length, or no duration that near an
// element. In words that follow "the receiver": "never sends a packet of 2
// durations (...)". Nothing when it may send one.
std::optional<std::string> neverSent(const Packet& packet, int tolerance);

// An ID that looks meant to type keys but types nothing: its start lies within
// a small edit distance of "sendkeys:" (case and blanks included: "SendKeys:a",
// " sendkeys:a", "send keys:a", "sendkey:a", "sendkeys;a"), or it is exactly
// "sendkeys:".
struct KeysSlip {
    std::string fault;   // what differs
    std::string mended;  // the ID with "sendkeys:" in place of the slip; "" for exactly "sendkeys:"
};
std::optional<KeysSlip> keysTypeNothing(std::string_view id);

// For an ID that begins with "sendkeys:": the run-time error the program
// shows when the button is pressed, or nothing when the description is valid.
std::optional<RuntimeError> keyDescriptionError(std::string_view id);

}  // namespace vostel
