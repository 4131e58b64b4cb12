#include "library/check.h"

#include <random>

#include <gtest/gtest.h>

#include "library/explain.h"
#include "library/ocr.h"

using namespace vostel;

namespace {

using Kind = Finding::Kind;

SignalLibrary randomLibrary(std::mt19937& rng, std::size_t records, int lo, int hi) {
    std::uniform_int_distribution<int> value(lo, hi), length(0, 3), absent(0, 30), id(0, 5);
    SignalLibrary lib(records);
    for (SignalRecord& r : lib) {
        r.id = "id" + std::to_string(id(rng));
        if (absent(rng) == 0) continue;
        r.packet.emplace(static_cast<std::size_t>(length(rng)));
        for (int16_t& e : *r.packet) e = static_cast<int16_t>(value(rng));
    }
    return lib;
}

// The first earlier record with a packet within `limit` in every element, by trying them all.
std::size_t firstEarlier(const SignalLibrary& lib, std::size_t j, int limit) {
    const Packet& p = *lib[j].packet;
    for (std::size_t i = 0; i < j; ++i) {
        if (!lib[i].packet || lib[i].packet->size() != p.size()) continue;
        bool near = true;
        for (std::size_t k = 0; k < p.size(); ++k)
            near = near && std::abs((*lib[i].packet)[k] - p[k]) <= limit;
        if (near) return i;
    }
    return SIZE_MAX;
}

}  // namespace

TEST(Check, EachKindOfFindingAndACleanLibrary) {
    const SignalLibrary lib{
        {Packet{100, 50, 80}, "power"},
        {Packet{110, 60, 70}, "vol+"},     // within 20 of "power": never recognised
        {Packet{140, 50, 80}, "vol-"},     // 40 from "power" in element 0: overlap
        {std::nullopt, "lost"},            // absent packet
        {Packet(5, 9), "sendkeys:{FOO}"},  // unknown key name
        {Packet(6, 9), "SendKeys:abc"},    // prefix in another case
        {Packet(7, 9), " sendkeys :a"},    // blank in front and before the colon
        {Packet(8, 9), ""},                // empty ID
        {Packet{100, 51, 79}, "power"},    // hidden by a record of its own ID: fine
        {Packet{200, 9, 9}, "sendkeys:^a{ENTER}"},
        {Packet{200, 9, 9, 9}, "sendkeys"},  // no colon
    };
    const std::vector<Finding> f = checkLibrary(lib);
    ASSERT_EQ(f.size(), 8u);
    EXPECT_EQ(f[0].kind, Kind::NeverRecognised);
    EXPECT_EQ(f[0].record, 1u);
    EXPECT_EQ(f[0].other, 0u);
    EXPECT_EQ(f[1].kind, Kind::Overlap);
    EXPECT_EQ(f[1].record, 2u);
    EXPECT_EQ(f[1].other, 0u);
    EXPECT_EQ(f[1].element, 0u);
    EXPECT_EQ(f[1].distance, 40);
    EXPECT_EQ(f[2].kind, Kind::AbsentPacket);
    EXPECT_EQ(f[2].record, 3u);
    EXPECT_EQ(f[3].kind, Kind::BadKeys);
    EXPECT_EQ(f[3].error, 5);
    EXPECT_EQ(f[3].detail, "Invalid procedure call or argument: unknown key name {FOO}");
    EXPECT_EQ(f[4].kind, Kind::KeysTypeNothing);
    EXPECT_EQ(f[4].detail, "\"SendKeys:\" in place of \"sendkeys:\"");
    EXPECT_EQ(f[4].mended, "sendkeys:abc");
    EXPECT_EQ(f[5].detail, "blanks before the prefix, \"sendkeys :\" in place of \"sendkeys:\"");
    EXPECT_EQ(f[5].mended, "sendkeys:a");
    EXPECT_EQ(f[6].kind, Kind::EmptyId);
    EXPECT_EQ(f[6].record, 7u);
    EXPECT_EQ(f[7].record, 10u);
    EXPECT_EQ(f[7].detail, "\"sendkeys\" in place of \"sendkeys:\"");

    // 41 apart in one element: no packet is within 20 of both.
    const SignalLibrary clean{{Packet{100, 50, 80}, "power"},
                              {Packet{141, 50, 80}, "vol-"},
                              {Packet{100, 50, 80, 2, 2}, "a"},
                              {Packet{100, 50, 80, 1}, "sendkeys:%(F){LEFT 3}"}};
    EXPECT_TRUE(checkLibrary(clean).empty());
}

TEST(Check, KeyDescriptionsAsTheProgramReadsThem) {
    EXPECT_FALSE(keyDescriptionError("sendkeys:abc"));
    EXPECT_FALSE(keyDescriptionError("sendkeys:{Volume_Up 3}{MEDIA_PLAY_PAUSE}{browser_back}"));
    EXPECT_EQ(keyDescriptionError("sendkeys:{VOLUME_LOUDER}")->number(), 5);
    EXPECT_FALSE(keyDescriptionError("Sendkeys:{"));  // not typed at all, so never rejected
    ASSERT_TRUE(keyDescriptionError("sendkeys:a}"));
    EXPECT_EQ(keyDescriptionError("sendkeys:a}")->boxMessage(),
              "Run-time error '5':\n\nInvalid procedure call or argument: } outside braces at position 1");
    // The rest of the ID is read as Windows-1252: 0xE4 is a typeable ä, 0x81 a control character.
    EXPECT_FALSE(keyDescriptionError("sendkeys:\xE4"));
    EXPECT_TRUE(keyDescriptionError("sendkeys:\x81"));

    EXPECT_EQ(keysTypeNothing("sendkeys:")->fault, "nothing follows \"sendkeys:\"");
    EXPECT_EQ(keysTypeNothing("sendkeys:")->mended, "");
    EXPECT_EQ(keysTypeNothing("\tSENDKEYS a")->fault,
              "blanks before the prefix, \"SENDKEYS \" in place of \"sendkeys:\"");
    // Slips of up to two keystrokes; the mended ID keeps the rest as it is.
    for (auto [id, mended] : {std::pair{"sendkey:a", "sendkeys:a"},
                              {"send keys:a", "sendkeys:a"},
                              {"Sendkeys:a", "sendkeys:a"},
                              {"sendkeys;a", "sendkeys:a"},
                              {"sendkeysabc", "sendkeys:abc"},
                              {"sednkey:a", "sendkeys:a"}}) {
        const auto slip = keysTypeNothing(id);
        ASSERT_TRUE(slip) << id;
        EXPECT_EQ(slip->mended, mended) << id;
    }
    EXPECT_FALSE(keysTypeNothing("sendkeys:a"));
    EXPECT_FALSE(keysTypeNothing("power"));
    EXPECT_FALSE(keysTypeNothing("sendmail:a"));
    EXPECT_FALSE(keysTypeNothing("sndky:a"));
}

// The grid must give what trying every earlier record gives, also at the ends of the 16-bit range.
TEST(Check, FirstEarlierRecordAgreesWithTryingThemAll) {
    std::mt19937 rng(7);
    for (auto [lo, hi] : {std::pair{0, 90}, std::pair{-32768, -32700}, std::pair{32690, 32767}}) {
        for (int round = 0; round < 8; ++round) {
            const SignalLibrary lib = randomLibrary(rng, 600, lo, hi);
            std::vector<std::size_t> shadowed(lib.size(), SIZE_MAX), overlap(lib.size(), SIZE_MAX);
            for (const Finding& f : checkLibrary(lib)) {
                if (f.kind == Kind::NeverRecognised) shadowed[f.record] = f.other;
                if (f.kind == Kind::Overlap) overlap[f.record] = f.other;
            }
            for (std::size_t j = 0; j < lib.size(); ++j) {
                if (!lib[j].packet) continue;
                std::size_t m = firstEarlier(lib, j, 20), o = firstEarlier(lib, j, 40);
                if (m != SIZE_MAX && lib[m].id == lib[j].id) m = SIZE_MAX;
                if (m != SIZE_MAX || o == firstEarlier(lib, j, 20) ||
                    (o != SIZE_MAX && lib[o].id == lib[j].id))
                    o = SIZE_MAX;
                ASSERT_EQ(shadowed[j], m) << "record " << j;
                ASSERT_EQ(overlap[j], o) << "record " << j;
            }
        }
    }
}

TEST(Check, ProgressIsReportedUpToTheEnd) {
    SignalLibrary lib(3000, SignalRecord{Packet{1, 2, 3}, "same"});
    std::vector<std::size_t> seen;
    checkLibrary(lib, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 3000u);
        seen.push_back(done);
    });
    EXPECT_EQ(seen, (std::vector<std::size_t>{1024, 2048, 3000}));
}

TEST(Explain, MatchNearMissAndWrongLength) {
    const SignalLibrary lib{
        {std::nullopt, "lost"},        {Packet{100, 50, 80}, "power"},
        {Packet{100, 60, 95}, "vol+"}, {Packet{10, 10, 10, 10}, "four"},
        {Packet{10}, "one"},           {Packet{10, 10, 10, 10, 10}, "five"},
    };
    // A match: record 1, 15 apart at element 2; record 2 would have matched too.
    Explanation e = explainMatch(lib, {105, 55, 95});
    ASSERT_TRUE(e.match);
    EXPECT_EQ(e.match->record, 1u);
    EXPECT_EQ(e.match->largest, 15);
    EXPECT_EQ(e.match->where, 2u);
    ASSERT_EQ(e.alsoMatching.size(), 1u);
    EXPECT_EQ(e.alsoMatching[0].record, 2u);
    EXPECT_TRUE(e.nearest.empty());
    std::string id;
    EXPECT_TRUE(OCR::findIn(lib, {105, 55, 95}, id));
    EXPECT_EQ(id, lib[e.match->record].id);

    // A near miss: one element beyond 20 beats two, whatever their size.
    e = explainMatch(lib, {100, 95, 70});
    EXPECT_FALSE(e.match);
    ASSERT_EQ(e.nearest.size(), 2u);
    EXPECT_EQ(e.nearest[0].record, 1u);
    EXPECT_EQ(e.nearest[0].beyond, 1u);
    EXPECT_EQ(e.nearest[0].excess, 25);
    EXPECT_EQ(e.nearest[0].largest, 45);
    EXPECT_EQ(e.nearest[0].where, 1u);
    EXPECT_EQ(e.nearest[1].record, 2u);
    EXPECT_TRUE(e.nearestLengths.empty());

    // No record of length 2: lengths 1 and 4 are nearest, then 5.
    e = explainMatch(lib, {10, 10});
    EXPECT_TRUE(e.nearest.empty());
    ASSERT_EQ(e.nearestLengths.size(), 3u);
    EXPECT_EQ(e.nearestLengths[0].length, 1u);
    EXPECT_EQ(e.nearestLengths[0].records, std::vector<std::size_t>{4});
    EXPECT_EQ(e.nearestLengths[1].length, 3u);
    EXPECT_EQ(e.nearestLengths[2].length, 4u);
    EXPECT_EQ(explainMatch(lib, {10, 10}, 1).nearestLengths.size(), 1u);
}

TEST(Explain, AgreesWithTheProgramsScan) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> value(0, 60), length(0, 3);
    for (int round = 0; round < 200; ++round) {
        const SignalLibrary lib = randomLibrary(rng, 20, 0, 60);
        Packet p(static_cast<std::size_t>(length(rng)));
        for (int16_t& v : p) v = static_cast<int16_t>(value(rng));
        std::string id;
        const bool found = OCR::findIn(lib, p, id);
        const Explanation e = explainMatch(lib, p);
        ASSERT_EQ(found, e.match.has_value());
        if (found) {
            EXPECT_EQ(id, lib[e.match->record].id);
        }
    }
}
