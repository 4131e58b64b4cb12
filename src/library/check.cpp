#include "library/check.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "action/action.h"
#include "action/keys.h"
#include "library/near_index.h"
#include "library/tolerance.h"
#include "runtime/cp1252.h"

namespace vostel {

namespace {

// Two records share packets when every element of theirs lies within 40 of the
// other's: the ranges [v - 20, v + 20] then overlap element by element.
constexpr int kOverlap = 2 * kTolerance;
constexpr std::size_t kProgressEvery = 1024;
constexpr std::size_t kNone = NearIndex::kNone;

// Where two packets of one length lie furthest apart (the first such element).
void furthestApart(const Packet& a, const Packet& b, Finding& f) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(int{a[i]} - int{b[i]});
        if (i == 0 || d > f.distance) {
            f.element = i;
            f.distance = d;
        }
    }
}

Finding finding(Finding::Kind kind, std::size_t record, std::size_t other = 0) {
    Finding f;
    f.kind = kind;
    f.record = record;
    f.other = other;
    return f;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::optional<RuntimeError> keyDescriptionError(std::string_view id) {
    if (id.substr(0, kSendKeysPrefix.size()) != kSendKeysPrefix) return std::nullopt;
    try {
        // As the key sender gets it: the rest of the ID, from Windows-1252.
        parseKeys(cp1252ToU32(id.substr(kSendKeysPrefix.size())));
    } catch (const RuntimeError& e) {
        return e;
    }
    return std::nullopt;
}

std::optional<std::string> keysTypeNothing(std::string_view id) {
    const std::string_view word = kSendKeysPrefix.substr(0, kSendKeysPrefix.size() - 1);  // "sendkeys"
    std::size_t start = 0;
    while (start < id.size() && isBlank(id[start])) ++start;
    if (id.size() - start < word.size()) return std::nullopt;
    const std::string_view found = id.substr(start, word.size());
    if (!std::equal(found.begin(), found.end(), word.begin(), [](char a, char b) { return lower(a) == b; }))
        return std::nullopt;
    std::size_t colon = start + word.size();
    while (colon < id.size() && isBlank(id[colon])) ++colon;
    const bool hasColon = colon < id.size() && id[colon] == ':';

    std::vector<std::string> faults;
    if (start > 0) faults.push_back("blanks before the prefix");
    if (found != word) {
        std::string fault = "\"";
        fault.append(found).append("\" in place of \"sendkeys\"");
        faults.push_back(std::move(fault));
    }
    if (!hasColon) faults.push_back("no colon after \"sendkeys\"");
    if (hasColon && colon > start + word.size()) faults.push_back("a blank before the colon");
    if (faults.empty()) {
        if (id.size() > kSendKeysPrefix.size()) return std::nullopt;
        return "nothing follows \"sendkeys:\"";
    }
    std::string text;
    for (const std::string& f : faults) {
        if (!text.empty()) text += ", ";
        text += f;
    }
    return text;
}

std::vector<Finding> checkLibrary(const SignalLibrary& library, const CheckProgress& progress) {
    const std::size_t n = library.size();
    std::vector<std::size_t> shadowedBy(n, kNone), overlaps(n, kNone);

    // Records with packets, by length: only packets of one length can match.
    std::map<std::size_t, std::vector<std::size_t>> byLength;
    for (std::size_t i = 0; i < n; ++i)
        if (library[i].packet) byLength[library[i].packet->size()].push_back(i);

    std::size_t done = 0;
    for (const auto& [length, records] : byLength) {
        const NearIndex index(library, records);
        for (std::size_t r : records) {
            const Packet& p = *library[r].packet;
            const std::size_t o = index.firstWithin(p, kOverlap);
            // The record's own packet is recognised as the first record within
            // 20, the record itself when no earlier one is. That one is also
            // within 40, so there is none when no earlier record is within 40.
            const std::size_t m = o < r ? index.firstWithin(p, kTolerance) : r;
            shadowedBy[r] = m < r ? m : kNone;
            overlaps[r] = o < r ? o : kNone;
            if (progress && ++done % kProgressEvery == 0) progress(done, n);
        }
    }

    std::vector<Finding> findings;
    for (std::size_t i = 0; i < n; ++i) {
        const SignalRecord& r = library[i];
        if (!r.packet) findings.push_back(finding(Finding::Kind::AbsentPacket, i));
        const std::size_t by = shadowedBy[i];
        const bool shadowed = by != kNone && library[by].id != r.id;
        if (shadowed) findings.push_back(finding(Finding::Kind::NeverRecognised, i, by));
        const std::size_t o = overlaps[i];
        if (!shadowed && o != kNone && o != by && library[o].id != r.id) {
            Finding f = finding(Finding::Kind::Overlap, i, o);
            furthestApart(*r.packet, *library[o].packet, f);
            findings.push_back(std::move(f));
        }
        if (auto error = keyDescriptionError(r.id)) {
            Finding f = finding(Finding::Kind::BadKeys, i);
            f.error = error->number();
            f.detail = error->text();
            findings.push_back(std::move(f));
        }
        if (auto fault = keysTypeNothing(r.id)) {
            Finding f = finding(Finding::Kind::KeysTypeNothing, i);
            f.detail = *fault;
            findings.push_back(std::move(f));
        }
        if (r.id.empty()) findings.push_back(finding(Finding::Kind::EmptyId, i));
    }
    if (progress && (done != n || n % kProgressEvery != 0)) progress(n, n);
    return findings;
}

}  // namespace vostel
