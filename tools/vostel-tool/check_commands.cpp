// vostel-tool check, and what match --explain prints.
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "library/check.h"
#include "library/explain.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"

namespace vostel::tool {

const char* const kCheckUsage =
    "  check [FILE] [--json]\n"
    "      Reports the records that will surprise: never recognised, sharing packets\n"
    "      with an earlier record, keys that fail or type nothing, empty IDs, each\n"
    "      with the command that mends it. Exit status 0 without findings, 1 with\n"
    "      findings; --json for scripts.\n";

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr auto kQuietFor = std::chrono::seconds(1);  // progress shows only on longer checks
constexpr std::size_t kListed = 10;                  // records named in one line at most

std::string named(const SignalLibrary& lib, std::size_t i) {
    return std::to_string(i) + " " + quotedId(lib[i].id);
}

std::string describe(const SignalLibrary& lib, const Finding& f) {
    const std::string other = f.other < lib.size() ? quotedId(lib[f.other].id) : "";
    switch (f.kind) {
        case Finding::Kind::AbsentPacket:
            return "never recognised: it has no packet";
        case Finding::Kind::NeverSent:
            return "never recognised: " + f.detail;
        case Finding::Kind::NeverRecognised:
            return "never recognised: pressing the button recorded as " + quotedId(lib[f.record].id) +
                   " logs " + other + ", record " + std::to_string(f.other);
        case Finding::Kind::Overlap:
            return "overlaps record " + named(lib, f.other) + ": a packet within 20 of both logs " + other +
                   "; furthest apart at element " + std::to_string(f.element) + ", by " +
                   std::to_string(f.distance) + " (over 40 keeps two records apart)";
        case Finding::Kind::BadKeys:
            return "pressing the button shows run-time error " + std::to_string(f.error) + ": " + f.detail;
        case Finding::Kind::KeysTypeNothing:
            if (f.mended.empty()) return "types nothing: " + f.detail;
            return "types nothing (" + f.detail +
                   "); only an ID beginning with exactly \"sendkeys:\" types keys";
        case Finding::Kind::EmptyId:
            return "empty ID: a recognised press logs an empty line";
    }
    return {};
}

// Text in single quotes for a shell; `always` false leaves plain words as they are.
std::string shellQuoted(const std::string& text, bool always = true) {
    const bool plain = !text.empty() && text.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_./+:,=@%-") == std::string::npos;
    if (plain && !always) return text;
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The command that mends the finding; "" where there is no one fix. `file` is
// the library named on the command line, "" for the default one.
std::string fixFor(const SignalLibrary& lib, const Finding& f, const std::string& file) {
    const auto command = [&](const char* what, std::size_t record, const std::string& operand = "") {
        std::string text = "vostel-tool ";
        text.append(what).append(" ").append(std::to_string(record));
        if (!operand.empty()) text.append(" ").append(operand);
        if (!file.empty()) text.append(" ").append(shellQuoted(file, false));
        return text;
    };
    switch (f.kind) {
        case Finding::Kind::AbsentPacket:
        case Finding::Kind::NeverSent:
            return command("delete", f.record);
        case Finding::Kind::NeverRecognised:
            return command("delete", f.record) + ", or to log " + quotedId(lib[f.record].id) +
                   " for that button, " + command("delete", f.other);
        case Finding::Kind::Overlap:
            return {};
        case Finding::Kind::BadKeys:
            return command("rename", f.record, "'sendkeys:...'") + " with a description that works";
        case Finding::Kind::KeysTypeNothing:
            if (f.mended.empty())
                return command("rename", f.record, "'sendkeys:...'") + " with the keys to type";
            return command("rename", f.record, shellQuoted(cp1252ToUtf8(f.mended)));
        case Finding::Kind::EmptyId:
            return command("rename", f.record, "NAME");
    }
    return {};
}

json toJson(const SignalLibrary& lib, const Finding& f, const std::string& file) {
    static const char* const kinds[] = {"absent-packet", "never-sent",        "never-recognised", "overlap",
                                        "bad-keys",      "keys-type-nothing", "empty-id"};
    json j = {{"record", f.record},
              {"id", cp1252ToUtf8(lib[f.record].id)},
              {"kind", kinds[static_cast<int>(f.kind)]},
              {"message", describe(lib, f)}};
    if (const std::string fix = fixFor(lib, f, file); !fix.empty()) j["fix"] = fix;
    switch (f.kind) {
        case Finding::Kind::NeverRecognised:
        case Finding::Kind::Overlap:
            j["other"] = f.other;
            j["otherId"] = cp1252ToUtf8(lib[f.other].id);
            if (f.kind == Finding::Kind::Overlap) {
                j["element"] = f.element;
                j["distance"] = f.distance;
            }
            break;
        case Finding::Kind::BadKeys:
            j["error"] = f.error;
            j["text"] = f.detail;
            break;
        case Finding::Kind::KeysTypeNothing:
            j["fault"] = f.detail;
            break;
        case Finding::Kind::NeverSent:
            j["reason"] = f.detail;
            break;
        default:
            break;
    }
    return j;
}

// "records 1 "a", 2 "b" and 3 more"
std::string listed(const SignalLibrary& lib, const std::vector<std::size_t>& records) {
    std::string text = records.size() == 1 ? "record " : "records ";
    for (std::size_t i = 0; i < records.size() && i < kListed; ++i) {
        if (i > 0) text += ", ";
        text += named(lib, records[i]);
    }
    if (records.size() > kListed) text += " and " + std::to_string(records.size() - kListed) + " more";
    return text;
}

std::string elements(std::size_t n) { return std::to_string(n) + (n == 1 ? " element" : " elements"); }

}  // namespace

int cmdCheck(const Args& args) {
    bool asJson = false;
    std::string file = "irdata.txt", given;
    std::size_t files = 0;
    for (const std::string& a : args) {
        if (a == "--json") {
            asJson = true;
        } else if (a == "--help" || a == "-h") {
            std::printf("usage: vostel-tool %s", kCheckUsage + 2);  // without the indent of the list
            return 0;
        } else if ((a.size() > 1 && a[0] == '-') || ++files > 1) {
            std::fprintf(stderr, "vostel-tool: check: unexpected argument '%s' (see vostel-tool --help)\n",
                         a.c_str());
            return 2;
        } else {
            file = given = a;
        }
    }
    const SignalLibrary lib = readLibraryFile(file, IfMissing::Fail);

    // Progress on a terminal, once a check takes long enough to wonder about.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const auto start = Clock::now();
    bool shown = false;
    const std::vector<Finding> findings = checkLibrary(lib, [&](std::size_t done, std::size_t total) {
        if (!terminal || Clock::now() - start < kQuietFor) return;
        std::fprintf(stderr, "\rvostel-tool: check: %zu of %zu records", done, total);
        shown = true;
    });
    if (shown) std::fprintf(stderr, "\n");

    if (asJson) {
        json out = {{"file", file}, {"records", lib.size()}, {"findings", json::array()}};
        for (const Finding& f : findings) out["findings"].push_back(toJson(lib, f, given));
        std::cout << out.dump(2) << '\n';
    } else {
        for (const Finding& f : findings) {
            const std::string fix = fixFor(lib, f, given);
            std::cout << "record " << named(lib, f.record) << ": " << describe(lib, f)
                      << (fix.empty() ? "" : "; fix: " + fix) << '\n';
        }
    }
    std::cout.flush();
    if (!std::cout) {
        std::fprintf(stderr, "vostel-tool: check: cannot write to standard output\n");
        return 2;
    }
    return findings.empty() ? 0 : 1;
}

void printExplanation(const SignalLibrary& lib, const Packet& packet) {
    if (const auto why = neverSent(packet, 0))
        std::cout << "the receiver cannot send this packet: it " << *why << '\n';
    const Explanation e = explainMatch(lib, packet);
    if (e.match) {
        std::cout << "record " << named(lib, e.match->record)
                  << " matches: every element within 20, the largest "
                  << "difference " << e.match->largest << " at element " << e.match->where << '\n';
        if (!e.alsoMatching.empty()) {
            std::vector<std::size_t> later;
            for (const Comparison& c : e.alsoMatching) later.push_back(c.record);
            std::cout << "it comes first, so these would have matched too: " << listed(lib, later) << '\n';
        }
        return;
    }
    if (!e.nearest.empty()) {
        std::cout << "nearest records of " << elements(packet.size()) << ":\n";
        for (const Comparison& c : e.nearest)
            std::cout << "  record " << named(lib, c.record) << ": " << elements(c.beyond)
                      << " more than 20 apart, the largest difference " << c.largest << " at element "
                      << c.where << '\n';
        return;
    }
    if (e.nearestLengths.empty()) {
        std::cout << "the library holds no record with a packet\n";
        return;
    }
    std::cout << "no record has " << elements(packet.size()) << "; the nearest lengths:\n";
    for (const Explanation::Length& l : e.nearestLengths)
        std::cout << "  " << elements(l.length) << ": " << listed(lib, l.records) << '\n';
}

}  // namespace vostel::tool
