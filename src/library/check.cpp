#include "library/check.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include "action/action.h"
#include "action/keys.h"
#include "decode/decoder.h"
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

// How far a slip of the "sendkeys:" prefix may go: two typing errors.
constexpr int kMaxSlip = 2;

// The edit distance (insertions, deletions, substitutions and swaps of two
// neighbours) between `a` and `b`, letters compared without their case.
int foldedDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

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

std::optional<std::string> neverSent(const Packet& packet, int tolerance) {
    const std::size_t n = packet.size();
    if (n < Decoder::kMinDurations || n > Decoder::kMaxDurations)
        return "never sends a packet of " + std::to_string(n) + " durations (it sends " +
               std::to_string(Decoder::kMinDurations) + " to " + std::to_string(Decoder::kMaxDurations) + ")";
    for (std::size_t i = 0; i < n; ++i) {
        const int v = packet[i];
        if (v >= Decoder::kMinDuration - tolerance && v <= Decoder::kMaxDuration + tolerance) continue;
        return "never sends a duration " +
               (tolerance > 0 ? "within " + std::to_string(tolerance) + " of " : std::string()) +
               std::to_string(v) + " (element " + std::to_string(i) + "; it sends " +
               std::to_string(Decoder::kMinDuration) + " to " + std::to_string(Decoder::kMaxDuration) + ")";
    }
    return std::nullopt;
}

std::optional<KeysSlip> keysTypeNothing(std::string_view id) {
    std::size_t start = 0;
    while (start < id.size() && isBlank(id[start])) ++start;
    const std::string_view rest = id.substr(start);
    if (start == 0 && rest.starts_with(kSendKeysPrefix)) {
        if (id.size() > kSendKeysPrefix.size()) return std::nullopt;
        return KeysSlip{"nothing follows \"sendkeys:\"", ""};
    }
    // The start of the ID nearest the prefix; on a tie, one that ends in a
    // mistyped colon (the longest), else the shortest: "sendkeys a" and
    // "sendkeys :a" lose their blank, "sendkeysabc" keeps its "a".
    int best = kMaxSlip + 1;
    std::size_t length = 0;
    for (std::size_t n = kSendKeysPrefix.size() - kMaxSlip;
         n <= kSendKeysPrefix.size() + kMaxSlip && n <= rest.size(); ++n) {
        const int d = foldedDistance(rest.substr(0, n), kSendKeysPrefix);
        const bool endsLikeColon = !std::isalnum(static_cast<unsigned char>(rest[n - 1]));
        if (d < best || (d == best && endsLikeColon)) {  // lengths grow: a later tie is longer
            best = d;
            length = n;
        }
    }
    if (best > kMaxSlip) return std::nullopt;
    KeysSlip slip;
    if (start > 0) slip.fault = "blanks before the prefix";
    const std::string_view found = rest.substr(0, length);
    if (found != kSendKeysPrefix) {
        if (!slip.fault.empty()) slip.fault += ", ";
        slip.fault.append("\"").append(found).append("\" in place of \"sendkeys:\"");
    }
    slip.mended = std::string(kSendKeysPrefix).append(rest.substr(length));
    return slip;
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
        if (const auto why = r.packet ? neverSent(*r.packet, kTolerance) : std::nullopt) {
            Finding f = finding(Finding::Kind::NeverSent, i);
            f.detail = "the receiver " + *why;
            findings.push_back(std::move(f));
        }
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
        if (auto slip = keysTypeNothing(r.id)) {
            Finding f = finding(Finding::Kind::KeysTypeNothing, i);
            f.detail = slip->fault;
            f.mended = slip->mended;
            findings.push_back(std::move(f));
        }
        if (r.id.empty()) findings.push_back(finding(Finding::Kind::EmptyId, i));
    }
    if (progress && (done != n || n % kProgressEvery != 0)) progress(n, n);
    return findings;
}

}  // namespace vostel
