#pragma once
// OCR: the signal library. Records packets under an ID, stores them in the
// library file and recognises received packets.
#include <filesystem>
#include <optional>
#include <string>

#include "library/library_file.h"
#include "library/naming_prompt.h"

namespace vostel {

class OCR {
public:
    explicit OCR(NamingPrompt& prompt, std::filesystem::path file = "irdata.txt");

    // Asks for an ID; on OK with a non-empty ID appends the packet and saves.
    // Before the first recording of a run that did not load the library, the
    // file is loaded first, before the dialog opens, so that its records are
    // kept. Raises when that load fails (the dialog is not shown), when a limit
    // would be exceeded (nothing changes then) and when the save fails (the
    // record then stays in memory).
    void Record(const Packet& theData);
    void saveIRData();
    // Replaces the library with the file's contents; on failure (a missing file
    // included, named by its full path) raises and keeps the library.
    void loadIRData();
    // Sets theID to the first matching record's ID (or "<not found>") and returns whether found.
    bool findID(const Packet& theData, std::string& theID) const;

    // The records (the member `signals`); no value until something was recorded
    // or loaded. Not named signals(): Qt defines that word as a macro.
    const std::optional<SignalLibrary>& library() const { return signals_; }

    // The scan of findID over any library, for callers that hold one without an OCR.
    static bool findIn(const SignalLibrary& records, const Packet& theData, std::string& theID);

private:
    static bool comparePackets(const Packet& received, const Packet& stored);

    NamingPrompt& prompt_;
    std::filesystem::path file_;
    std::optional<SignalLibrary> signals_;
    bool loadedThisRun_ = false;
};

}  // namespace vostel
