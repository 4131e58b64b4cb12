// vostel-tool learn: a button's template from several presses, checked
// against the library as check checks it, stored with the library's safe save.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "library/check.h"
#include "library/learn.h"
#include "monitor.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "serial/port_names.h"

namespace vostel::tool {

const char* const kLearnUsage =
    "  learn [--port N] [--packets K] [--library FILE] [--replace] [--force] [--timeout S] ID\n"
    "      Learns a button from K presses (default 5, at least 3) on port N (default 1):\n"
    "      their element-wise median is stored under ID, or with --replace as the\n"
    "      packet of the record with that ID. Refused when an earlier record would\n"
    "      recognise it, unless --force. Gives up after S seconds (default 60).\n"
    "      Exit status 0 stored, 1 not stored, 2 on errors, 130 after Ctrl+C.\n";

namespace {

constexpr int kDefaultPackets = 5;
constexpr int kMostPackets = 100;
constexpr int kDefaultTimeout = 60;  // seconds
constexpr int kLongestTimeout = 86400;
constexpr int kInterrupted = 130;  // as a shell reports a command ended by Ctrl+C

struct LearnOptions {
    int16_t port = 1;
    int packets = kDefaultPackets;
    std::filesystem::path library = "irdata.txt";
    bool replace = false;
    bool force = false;
    int timeout = kDefaultTimeout;
    std::string id;  // Windows-1252
};

// On standard error, after what standard output holds so far, so that the two read in order.
void complain(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "vostel-tool: learn: %s\n", text.c_str());
}

bool number(const std::string& text, int low, int high, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

// Parses the arguments; prints the fault and returns false on a bad one.
bool parseOptions(const Args& args, LearnOptions& o) {
    std::optional<std::string> id;
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        int n = 0;
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            if (id) {
                complain("more than one ID: '" + *id + "' and '" + a + "' (put an ID with blanks in quotes)");
                return false;
            }
            id = a;
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--replace") {
            o.replace = true;
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--library" && hasValue) {
            o.library = args[++i];
        } else if (a == "--port" && hasValue) {
            if (!number(args[++i], 1, kMaxPortNumber, n)) {
                complain("bad port '" + args[i] + "' (a number from 1 to " + std::to_string(kMaxPortNumber) +
                         ")");
                return false;
            }
            o.port = static_cast<int16_t>(n);
        } else if (a == "--packets" && hasValue) {
            if (!number(args[++i], static_cast<int>(kMinSamples), kMostPackets, o.packets)) {
                complain("bad packet count '" + args[i] + "' (a number from " + std::to_string(kMinSamples) +
                         " to " + std::to_string(kMostPackets) + ")");
                return false;
            }
        } else if (a == "--timeout" && hasValue) {
            if (!number(args[++i], 1, kLongestTimeout, o.timeout)) {
                complain("bad timeout '" + args[i] + "' (seconds, from 1 to " +
                         std::to_string(kLongestTimeout) + ")");
                return false;
            }
        } else {
            complain("unexpected argument '" + a + "' (see vostel-tool learn --help)");
            return false;
        }
    }
    if (!id) {
        complain("no ID given (the name to store the button under)");
        return false;
    }
    int lost = 0;
    o.id = utf8ToCp1252(*id, &lost);
    if (lost > 0) {
        complain("the ID '" + *id + "' has characters that Windows-1252 cannot hold");
        return false;
    }
    if (o.id.empty() || o.id.size() > kMaxIdBytes) {
        complain(o.id.empty() ? "an empty ID is not allowed"
                              : "the ID is longer than " + std::to_string(kMaxIdBytes) + " bytes");
        return false;
    }
    return true;
}

// The first record with this ID, or none.
std::optional<std::size_t> recordWithId(const SignalLibrary& lib, const std::string& id) {
    auto it = std::find_if(lib.begin(), lib.end(), [&](const SignalRecord& r) { return r.id == id; });
    if (it == lib.end()) return std::nullopt;
    return static_cast<std::size_t>(it - lib.begin());
}

// What check would say about the ID itself, said before the button is pressed.
void warnAboutId(const std::string& id) {
    if (auto error = keyDescriptionError(id))
        complain("warning: pressing the button will show run-time error " + std::to_string(error->number()) +
                 ": " + error->text());
    if (auto slip = keysTypeNothing(id))
        complain("warning: the ID types nothing (" + slip->fault +
                 "); only an ID beginning with exactly \"sendkeys:\" types keys" +
                 (slip->mended.empty() ? "" : ": did you mean " + quotedId(slip->mended) + "?"));
}

std::string named(const SignalLibrary& lib, std::size_t i) {
    return std::to_string(i) + " " + quotedId(lib[i].id);
}

class Learner : public PortCycle {
public:
    Learner(const LearnOptions& o) : options_(o), reader_("learn", o.port) {}

    bool open(SerialControl& control) override {
        if (!reader_.open(control)) return false;
        complain("listening on port " + std::to_string(options_.port) + "; press the button briefly, " +
                 std::to_string(options_.packets) + " times (Ctrl+C ends without storing)");
        deadline_ = Clock::now() + std::chrono::seconds(options_.timeout);
        return true;
    }

    bool tick() override {
        reader_.read([this](const Packet& p) {
            if (packets_.size() >= static_cast<std::size_t>(options_.packets)) return;
            packets_.push_back(p);
            std::printf("packet %zu (%zu):", packets_.size(), p.size());
            for (int16_t d : p) std::printf(" %d", int{d});
            std::printf("\n");
        });
        return packets_.size() < static_cast<std::size_t>(options_.packets) && Clock::now() < deadline_;
    }

    int finish(bool interrupted) override {
        reader_.reportFramingErrors();
        const std::string got =
            std::to_string(packets_.size()) + " of " + std::to_string(options_.packets) + " packets";
        if (interrupted) {
            complain("ended by Ctrl+C after " + got + ": nothing stored");
            return kInterrupted;
        }
        if (packets_.size() < static_cast<std::size_t>(options_.packets)) {
            complain("only " + got + " in " + std::to_string(options_.timeout) +
                     " s: nothing stored (is the receiver on port " + std::to_string(options_.port) +
                     "? --timeout S waits longer)");
            return 1;
        }
        return store();
    }

private:
    using Clock = std::chrono::steady_clock;

    int store();
    void explainLeftOut(const LearnedTemplate& t) const;

    const LearnOptions options_;
    PacketReader reader_;
    std::vector<Packet> packets_;
    Clock::time_point deadline_{};
};

void Learner::explainLeftOut(const LearnedTemplate& t) const {
    for (const LeftOut& l : t.leftOut) {
        const std::string packet = "packet " + std::to_string(l.packet + 1);
        if (l.why == LeftOut::Why::Length)
            std::printf("%s has %zu durations, the others %zu: left out\n", packet.c_str(), l.length,
                        t.length);
        else
            std::printf("%s differs from the median by %d at element %zu (over 20): left out\n",
                        packet.c_str(), l.distance, l.element);
    }
}

int Learner::store() {
    const LearnedTemplate t = learnTemplate(packets_);
    explainLeftOut(t);
    if (!t.packet) {
        complain("only " + std::to_string(t.samples.size()) + " of " + std::to_string(packets_.size()) +
                 " packets agree, at least 3 must: the button's packets vary too much, nothing stored. "
                 "Press it briefly, about once a second, aimed at the receiver from a metre or two, "
                 "or learn from more presses (--packets 9)");
        return 1;
    }

    // The file as it is now: it may have changed while the button was pressed.
    SignalLibrary lib;
    try {
        lib = readLibraryFile(options_.library, IfMissing::Empty);
    } catch (const RuntimeError& e) {
        complain(e.text() + ": nothing stored");
        return 2;
    }
    const std::optional<std::size_t> existing = recordWithId(lib, options_.id);
    if (options_.replace && !existing) {
        complain("no record has the ID " + quotedId(options_.id) + " any more: nothing stored");
        return 2;
    }
    if (!options_.replace && lib.size() >= kMaxRecords) {
        complain("the library is full (" + std::to_string(kMaxRecords) + " records): nothing stored");
        return 2;
    }
    const std::vector<Finding> before = checkLibrary(lib);
    const std::size_t index = options_.replace ? *existing : lib.size();
    if (options_.replace)
        lib[index].packet = t.packet;
    else
        lib.push_back({t.packet, options_.id});

    // What check says about the new template, and about later records it now meets.
    bool refused = false;
    for (const Finding& f : checkLibrary(lib)) {
        const bool aboutIt = f.record == index;
        const bool meetsIt =
            f.other == index && !aboutIt && std::none_of(before.begin(), before.end(), [&](const Finding& b) {
                return b.record == f.record && b.kind == f.kind && b.other == f.other;
            });
        if (f.kind == Finding::Kind::NeverRecognised && aboutIt) {
            refused = !options_.force;
            complain(std::string(options_.force ? "warning: " : "") + "record " + named(lib, f.other) +
                     " recognises these presses first, so " + quotedId(options_.id) +
                     " would never be logged" + (options_.force ? "" : ": nothing stored") + ". If record " +
                     std::to_string(f.other) + " is this button, rename it: vostel-tool rename " +
                     std::to_string(f.other) + " '" + cp1252ToUtf8(options_.id) +
                     "' (or delete it: vostel-tool delete " + std::to_string(f.other) + ")" +
                     (options_.force ? "" : "; --force stores it anyway"));
        } else if (f.kind == Finding::Kind::Overlap && aboutIt) {
            complain("warning: overlaps record " + named(lib, f.other) + ": a press within 20 of both logs " +
                     quotedId(lib[f.other].id) + "; furthest apart at element " + std::to_string(f.element) +
                     ", by " + std::to_string(f.distance) + " (over 40 keeps two records apart)");
        } else if (f.kind == Finding::Kind::NeverRecognised && meetsIt) {
            complain("warning: record " + named(lib, f.record) +
                     " will never be recognised: its presses log " + quotedId(options_.id) + " now");
        } else if (f.kind == Finding::Kind::Overlap && meetsIt) {
            complain("warning: record " + named(lib, f.record) +
                     " overlaps it: a press within 20 of both logs " + quotedId(options_.id));
        }
    }
    if (refused) return 1;

    try {
        writeLibraryFile(options_.library, lib);
    } catch (const RuntimeError& e) {
        complain(e.text() + ": nothing stored");
        return 2;
    }
    warnIfVostelHolds(options_.library);
    std::printf("%s\n", listLine(lib, index).c_str());
    std::printf("made from packets");
    for (std::size_t i = 0; i < t.samples.size(); ++i)
        std::printf("%s %zu", i == 0 ? "" : ",", t.samples[i] + 1);
    std::printf(", which lie within %d of it (furthest at element %zu)\n", t.largest, t.element);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int cmdLearn(const Args& args) {
    LearnOptions o;
    if (!parseOptions(args, o)) return 2;
    // The library must be readable before anyone presses a button.
    SignalLibrary lib;
    try {
        lib = readLibraryFile(o.library, IfMissing::Empty);
    } catch (const RuntimeError& e) {
        complain(e.text());
        return 2;
    }
    if (o.replace && !recordWithId(lib, o.id)) {
        complain("no record has the ID " + quotedId(o.id) + " (without --replace it is added)");
        return 2;
    }
    if (const auto same = recordWithId(lib, o.id); same && !o.replace)
        complain("warning: record " + named(lib, *same) +
                 " has this ID already and is the one recognised; --replace stores the new template there");
    warnAboutId(o.id);
    Learner learner(o);
    return runPortCycle(learner);
}

}  // namespace vostel::tool
