#include "library/ocr.h"

#include <random>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

using namespace vostel;
using vostel::testing::kWorkedExample;
using vostel::testing::withFileSizeLimit;

namespace {

// Answers the naming prompt with a fixed reply and counts how often it was asked.
class FakePrompt : public NamingPrompt {
public:
    bool ok = true;
    std::string text = "on";
    int shown = 0;
    bool showDialog(std::string& retString) override {
        ++shown;
        if (ok) retString = text;
        return ok;
    }
};

class OcrTest : public vostel::testing::TempDirTest {
protected:
    FakePrompt prompt;
    OCR ocr{prompt};

    void record(const Packet& p, const std::string& id) {
        prompt.text = id;
        ocr.Record(p);
    }
    std::string find(const Packet& p, bool* found = nullptr) {
        std::string id = "untouched";
        bool f = ocr.findID(p, id);
        if (found) *found = f;
        return id;
    }
};

int errorNumber(auto&& f) { return vostel::testing::errorOf(f).number(); }

// The element rule, one element at a time.
bool referenceMatch(const Packet& a, const Packet& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::abs(int{a[i]} - int{b[i]}) > 20) return false;
    return true;
}

}  // namespace

TEST_F(OcrTest, NothingRecordedOrLoadedFindsNothingWithoutError) {
    bool found = true;
    EXPECT_EQ(find({10, 200, 35}, &found), "<not found>");
    EXPECT_FALSE(found);
    EXPECT_FALSE(ocr.library().has_value());
}

TEST_F(OcrTest, CancelOrEmptyIdChangesNothing) {
    prompt.ok = false;
    ocr.Record({10, 200, 35});
    prompt.ok = true;
    prompt.text = "";
    ocr.Record({10, 200, 35});
    EXPECT_EQ(prompt.shown, 2);
    EXPECT_FALSE(ocr.library().has_value());
    EXPECT_FALSE(std::filesystem::exists("irdata.txt"));

    // With a stored library, the file stays byte for byte as it was.
    writeBytes("irdata.txt", kWorkedExample);
    ocr.Record({1, 2, 3});
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
}

TEST_F(OcrTest, FirstRecordingCreatesOneRecordAndTheFile) {
    record({10, 200, 35}, "on");
    ASSERT_TRUE(ocr.library().has_value());
    EXPECT_EQ(*ocr.library(), (SignalLibrary{{Packet{10, 200, 35}, "on"}}));
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
    EXPECT_EQ(find({10, 200, 35}), "on");

    record({1, 2, 3}, "b");
    record({4, 5, 6}, "c");
    EXPECT_EQ(readBytes("irdata.txt").substr(0, 4), std::string("\x02\x00\x00\x00", 4));
}

TEST_F(OcrTest, BlankIdIsValidAndDuplicatesAreAppended) {
    record({10, 200, 35}, "   ");
    record({10, 200, 35}, "   ");
    EXPECT_EQ(ocr.library()->size(), 2u);
    EXPECT_EQ(find({10, 200, 35}), "   ");
}

TEST_F(OcrTest, ToleranceIsTwentyInclusiveAndLengthsMustAgree) {
    record({120, 30, 60}, "near");
    bool found = false;
    EXPECT_EQ(find({100, 50, 80}, &found), "near");
    EXPECT_TRUE(found);

    OCR other(prompt, "other.txt");
    std::string id;
    prompt.text = "far";
    other.Record({121, 50, 80});
    EXPECT_FALSE(other.findID({100, 50, 80}, id));
    EXPECT_EQ(id, "<not found>");
    prompt.text = "longer";
    other.Record({100, 50, 80, 10});
    EXPECT_FALSE(other.findID({100, 50, 80}, id));
    EXPECT_TRUE(other.findID({100, 50, 80, 30}, id));
    EXPECT_EQ(id, "longer");
}

TEST_F(OcrTest, FirstMatchInIndexOrderWins) {
    record({10, 200, 35}, "first");
    record({10, 200, 35}, "second");
    EXPECT_EQ(find({10, 200, 35}), "first");
    // A new recording is found at once unless an earlier record matches.
    record({50, 50, 50}, "third");
    EXPECT_EQ(find({50, 50, 50}), "third");
    record({55, 45, 60}, "fourth");
    EXPECT_EQ(find({55, 45, 60}), "third");
}

TEST_F(OcrTest, BlockComparisonAgreesWithTheElementRule) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> value(-32768, 32767);
    for (std::size_t n : {0u, 1u, 3u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 100u, 257u}) {
        Packet stored(n);
        for (auto& e : stored) e = static_cast<int16_t>(value(rng));
        SignalLibrary lib{{stored, "x"}};
        std::string id;
        EXPECT_TRUE(OCR::findIn(lib, stored, id)) << n;
        for (std::size_t pos = 0; pos < n; ++pos) {
            for (int delta : {-21, -20, 20, 21, 40000, -40000}) {
                Packet received = stored;
                received[pos] = static_cast<int16_t>(std::clamp(stored[pos] + delta, -32768, 32767));
                EXPECT_EQ(OCR::findIn(lib, received, id), referenceMatch(received, stored))
                    << "n=" << n << " pos=" << pos << " delta=" << delta;
            }
        }
    }
}

// Mended: extreme values never overflow; they simply do not match.
TEST_F(OcrTest, ExtremeValuesCompareWithoutOverflow) {
    SignalLibrary lib{{Packet{-32768, 32767, 0}, "edge"}};
    std::string id;
    EXPECT_FALSE(OCR::findIn(lib, {32767, -32768, 0}, id));
    EXPECT_EQ(id, "<not found>");
    EXPECT_TRUE(OCR::findIn(lib, {-32748, 32747, -20}, id));
    EXPECT_EQ(id, "edge");
}

// Mended: a recording before loading keeps the stored library.
TEST_F(OcrTest, RecordingBeforeLoadingKeepsTheStoredRecords) {
    writeLibraryFile("irdata.txt", {{Packet{1, 2, 3}, "a"}, {Packet{4, 5, 6}, "b"}});
    record({10, 200, 35}, "on");
    SignalLibrary expected{{Packet{1, 2, 3}, "a"}, {Packet{4, 5, 6}, "b"}, {Packet{10, 200, 35}, "on"}};
    EXPECT_EQ(*ocr.library(), expected);
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);
    EXPECT_EQ(find({1, 2, 3}), "a");

    // Only the first recording of a run loads: the next ones append to memory.
    writeBytes("irdata.txt", kWorkedExample);
    record({7, 8, 9}, "x");
    expected.push_back({Packet{7, 8, 9}, "x"});
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);
}

TEST_F(OcrTest, RecordingIsRefusedWhenTheStoredLibraryCannotBeLoaded) {
    const std::string damaged = std::string("\x00\x00\x00\x00\x07\x00", 6);
    writeBytes("irdata.txt", damaged);
    EXPECT_EQ(errorNumber([&] { record({10, 200, 35}, "on"); }), kErrInvalidFileFormat);
    EXPECT_EQ(prompt.shown, 0);  // refused before a name is asked for
    EXPECT_FALSE(ocr.library().has_value());
    EXPECT_EQ(readBytes("irdata.txt"), damaged);
}

// Mended: loading a missing file is an error naming its full path; nothing
// changes and no file is made.
TEST_F(OcrTest, LoadingAMissingFileNamesItsFullPath) {
    const RuntimeError e = vostel::testing::errorOf([&] { ocr.loadIRData(); });
    EXPECT_EQ(e.number(), kErrFileNotFound);
    EXPECT_TRUE(
        e.text().starts_with("File not found: " + (std::filesystem::current_path() / "irdata.txt").string()))
        << e.text();
    EXPECT_FALSE(ocr.library().has_value());
    EXPECT_FALSE(std::filesystem::exists("irdata.txt"));
}

// Mended: an empty file loads as no records, and recordings after it are found.
TEST_F(OcrTest, LoadingAnEmptyFileGivesNoRecords) {
    writeBytes("irdata.txt", "");
    ocr.loadIRData();
    EXPECT_TRUE(ocr.library()->empty());
    record({10, 200, 35}, "on");
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);  // 24 bytes: no phantom record before it
    EXPECT_EQ(find({10, 200, 35}), "on");
}

TEST_F(OcrTest, LoadReplacesTheLibraryAndAFailedLoadKeepsIt) {
    record({10, 200, 35}, "on");
    writeLibraryFile("irdata.txt", {{Packet{1, 2, 3}, "a"}});
    ocr.loadIRData();
    EXPECT_EQ(*ocr.library(), (SignalLibrary{{Packet{1, 2, 3}, "a"}}));

    writeBytes("irdata.txt", std::string("\xFE\xFF\xFF\xFF", 4));  // last index -2
    EXPECT_EQ(errorNumber([&] { ocr.loadIRData(); }), kErrInvalidFileFormat);
    EXPECT_EQ(*ocr.library(), (SignalLibrary{{Packet{1, 2, 3}, "a"}}));
}

// Mended: a record with an absent packet is passed over, not the end of every scan.
TEST_F(OcrTest, AbsentPacketsAreSkipped) {
    // Last index 2 but one whole record: records 1 and 2 have no packet.
    std::string cut = kWorkedExample;
    cut[0] = 2;
    writeBytes("irdata.txt", cut);
    ocr.loadIRData();
    ASSERT_EQ(ocr.library()->size(), 3u);
    record({5, 6, 7}, "after");
    EXPECT_EQ(find({5, 6, 7}), "after");
    EXPECT_EQ(find({10, 200, 35}), "on");

    writeLibraryFile("irdata.txt", {{std::nullopt, ""}, {Packet{1, 2, 3}, "behind"}});
    ocr.loadIRData();
    EXPECT_EQ(find({1, 2, 3}), "behind");
}

// Mended: every record is scanned, the last of the largest library too.
TEST_F(OcrTest, ScansTheWholeLargestLibrary) {
    SignalLibrary lib(kMaxRecords, {Packet{100, 100, 100}, "filler"});
    lib.back() = {Packet{9, 9, 9}, "last"};
    writeLibraryFile("irdata.txt", lib);
    ocr.loadIRData();
    EXPECT_EQ(find({9, 9, 9}), "last");
}

// Limits: no record beyond 32768 records, no ID beyond 65535 bytes.
TEST_F(OcrTest, RecordingBeyondTheLimitsIsRefused) {
    SignalLibrary full(kMaxRecords, {Packet{1, 1, 1}, "filler"});
    writeLibraryFile("irdata.txt", full);
    const std::string before = readBytes("irdata.txt");
    EXPECT_EQ(errorNumber([&] { record({10, 200, 35}, "on"); }), kErrOverflow);
    EXPECT_EQ(ocr.library()->size(), kMaxRecords);
    EXPECT_EQ(readBytes("irdata.txt"), before);

    OCR fresh(prompt, "other.txt");
    prompt.text = std::string(kMaxIdBytes + 1, 'x');
    EXPECT_EQ(errorNumber([&] { fresh.Record({1, 2, 3}); }), kErrOverflow);
    EXPECT_TRUE(!fresh.library() || fresh.library()->empty());
    EXPECT_FALSE(std::filesystem::exists("other.txt"));
    prompt.text = std::string(kMaxIdBytes, 'x');
    fresh.Record({1, 2, 3});
    EXPECT_EQ(readLibraryFile("other.txt")[0].id.size(), kMaxIdBytes);
}

// Mended: a failed save reports its error and leaves the file as it was; the
// record stays in memory and the next successful save writes it.
TEST_F(OcrTest, FailedSaveKeepsTheRecordForTheNextSave) {
    writeLibraryFile("irdata.txt", {{Packet{4, 5, 6}, "old"}});
    ocr.loadIRData();
    const std::string before = readBytes("irdata.txt");
    prompt.text = "new";
    int err = withFileSizeLimit(30, [&] { return errorNumber([&] { ocr.Record(Packet(100, 1)); }); });
    EXPECT_GT(err, 0);
    EXPECT_EQ(readBytes("irdata.txt"), before);
    EXPECT_EQ(entryCount(), 1u);
    SignalLibrary expected{{Packet{4, 5, 6}, "old"}, {Packet(100, 1), "new"}};
    EXPECT_EQ(*ocr.library(), expected);
    EXPECT_EQ(find(Packet(100, 1)), "new");

    record({7, 7, 7}, "next");
    expected.push_back({Packet{7, 7, 7}, "next"});
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);
}
