// Runs the real vostel-tool on real files in a temporary working directory.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "library/library_file.h"
#include "support/process.h"
#include "support/temp_dir.h"

using namespace vostel;
using vostel::testing::kWorkedExample;

namespace {

using Result = vostel::testing::RunResult;

class ToolTest : public vostel::testing::TempDirTest {
protected:
    // vostel-tool ARGS in the test's folder; standard output goes to `outFile` when named.
    static Result run(std::vector<std::string> args, const std::string& input = "",
                      const std::string& outFile = "") {
        args.insert(args.begin(), VOSTEL_TOOL);
        return vostel::testing::run(args, input, outFile);
    }

    // A failure: status 2, one line on standard error mentioning `needle`, nothing on standard output.
    void expectFailure(const Result& r, const std::string& needle) {
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
    }

    const SignalLibrary sample{
        {Packet{10, 200, 35}, "on"}, {std::nullopt, ""}, {Packet{-5, 7, 32767}, "\xC4\x80 \"q\""}};
};

}  // namespace

TEST_F(ToolTest, ListShowsEveryRecordOnOneLine) {
    writeLibraryFile("irdata.txt",
                     {{Packet{10, 200, 35}, "on"}, {std::nullopt, ""}, {Packet{-5}, "\xC4\x80"}});
    Result r = run({"list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "0 \"on\" 3: 10 200 35\n1 \"\" absent\n2 \"\xC3\x84\xE2\x82\xAC\" 1: -5\n");
    EXPECT_TRUE(r.err.empty());

    writeLibraryFile("other.bin", {});
    r = run({"list", "other.bin"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(ToolTest, ExportWritesJsonWithUtf8Ids) {
    writeLibraryFile("lib.bin", {{Packet{10, 200, 35}, "on"}, {std::nullopt, ""}, {Packet{}, "\xE9"}});
    Result r = run({"export", "lib.bin"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"records\": [{\"id\": \"on\", \"packet\": [10, 200, 35]}, {\"id\": \"\", \"packet\": null}, "
              "{\"id\": \"\xC3\xA9\", \"packet\": []}]}\n");
    // Quotes, backslashes and control characters are escaped.
    writeLibraryFile("esc.bin", {{Packet{1, 2, 3}, "a\"b\\c\x01"}});
    r = run({"export", "esc.bin"});
    EXPECT_EQ(r.out, "{\"records\": [{\"id\": \"a\\\"b\\\\c\\u0001\", \"packet\": [1, 2, 3]}]}\n");
}

TEST_F(ToolTest, ImportWritesTheFileByteForByte) {
    Result r = run({"import", "-"}, R"({"records": [{"id": "on", "packet": [10, 200, 35]}]})");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);

    writeBytes(
        "in.json",
        R"({"records": [{"packet": null, "id": "\u00c4\u20ac"}, {"id": "x", "packet": [-32768, 32767]}]})");
    r = run({"import", "in.json", "lib.bin"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readLibraryFile("lib.bin"),
              (SignalLibrary{{std::nullopt, "\xC4\x80"}, {Packet{-32768, 32767}, "x"}}));
}

TEST_F(ToolTest, ExportAndImportRoundTrip) {
    writeLibraryFile("a.bin", sample);
    Result exported = run({"export", "a.bin"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    Result imported = run({"import", "-", "b.bin"}, exported.out);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(readBytes("b.bin"), readBytes("a.bin"));
}

TEST_F(ToolTest, ImportRefusesBadDocumentsAndWritesNothing) {
    writeBytes("irdata.txt", kWorkedExample);
    struct Case {
        std::string json;
        std::string needle;
    };
    const Case cases[] = {
        {R"({"records": [{"id": "a", "packet": [1]}, {"id": "a\u0100", "packet": [1]}]})",
         "record 1: the ID has a character that Windows-1252 cannot hold: U+0100 '\xC4\x80' at position 1"},
        {R"({"records": [{"id": "a", "packet": [32768]}]})", "record 0: element 0"},
        {R"({"records": [{"id": "a", "packet": [1, -32769]}]})", "record 0: element 1"},
        {R"({"records": [{"id": "a", "packet": [1.5]}]})", "record 0: element 0"},
        {R"({"records": [{"id": "a", "packet": ["1"]}]})", "record 0: element 0"},
        {R"({"records": [{"id": "a", "packet": [1e400]}]})", "standard input"},
        {R"({"records": [{"id": 5, "packet": [1]}]})", "record 0"},
        {R"({"records": [{"id": "a"}]})", "record 0"},
        {R"({"records": [{"id": "a", "packet": 3}]})", "record 0"},
        {R"({"records": [{"id": "a", "packet": null, "extra": 1}]})", "record 0"},
        {R"({"records": [[1, 2]]})", "record 0"},
        {R"({"records": [{"id": "\ud800", "packet": null}]})", "record 0"},
        {R"({"records": {}})", "records"},
        {R"([1, 2])", "records"},
        {R"({"records": [], "more": 1})", "records"},
        {"{\"records\": [", "not JSON"},
        {"", "not JSON"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        expectFailure(run({"import", "-"}, c.json), c.needle);
        EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
    }
    expectFailure(run({"import", "no-such.json"}), "no-such.json");
    expectFailure(run({"import"}), "import");
    EXPECT_EQ(entryCount(), 1u);
}

// A library's records are never dropped unasked: --replace or --append says what becomes of them.
TEST_F(ToolTest, ImportIntoALibraryWithRecordsNeedsReplaceOrAppend) {
    writeLibraryFile("irdata.txt", sample);
    const std::string json = R"({"records": [{"id": "on", "packet": [10, 200, 35]}]})";
    expectFailure(run({"import", "-"}, json), "irdata.txt holds 3 records; --replace");
    expectFailure(run({"import", "-", "--replace", "--append"}, json), "exclude");
    expectFailure(run({"import", "-", "--replace"}, "{"), "not JSON");
    EXPECT_EQ(readLibraryFile("irdata.txt"), sample);

    Result r = run({"import", "--append", "-"}, json);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "added 1 record, now 4\n");
    SignalLibrary expected = sample;
    expected.push_back({Packet{10, 200, 35}, "on"});
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);

    r = run({"import", "-", "irdata.txt", "--replace"}, json);
    EXPECT_EQ(r.out, "replaced 4 records with 1\n");
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);

    // A damaged library: refused, unless --replace restores it.
    writeBytes("irdata.txt", "damaged");
    expectFailure(run({"import", "--append", "-"}, json), "not a Vostel library");
    r = run({"import", "--replace", "-"}, json);
    EXPECT_NE(r.out.find("replaced what was no readable library (irdata.txt is not a Vostel library"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
}

TEST_F(ToolTest, RenameAndDeleteRewriteTheFile) {
    writeLibraryFile("irdata.txt", sample);
    Result r = run({"rename", "1", "off \xC3\xA9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    SignalLibrary expected = sample;
    expected[1].id = "off \xE9";
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);

    r = run({"delete", "0"});
    EXPECT_EQ(r.status, 0) << r.err;
    expected.erase(expected.begin());
    EXPECT_EQ(readLibraryFile("irdata.txt"), expected);

    // Deleting every record leaves a library without records (last index -1).
    EXPECT_EQ(run({"delete", "1"}).status, 0);
    EXPECT_EQ(run({"delete", "0"}).status, 0);
    EXPECT_EQ(readBytes("irdata.txt"), std::string("\xFF\xFF\xFF\xFF"));
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(ToolTest, RenameAndDeleteRefuseBadArgumentsAndChangeNothing) {
    writeLibraryFile("lib.bin", sample);
    const std::string before = readBytes("lib.bin");
    expectFailure(run({"rename", "3", "x", "lib.bin"}), "no record 3");
    expectFailure(run({"rename", "-1", "x", "lib.bin"}), "-1");
    expectFailure(run({"rename", "1x", "x", "lib.bin"}), "1x");
    expectFailure(run({"rename", "0", "", "lib.bin"}), "empty");
    expectFailure(run({"rename", "0", "a\xE2\x88\x92", "lib.bin"}), "U+2212 '\xE2\x88\x92' at position 1");
    expectFailure(run({"delete", "99999999999999999999", "lib.bin"}), "99999999999999999999");
    expectFailure(run({"delete", "0", "lib.bin", "extra"}), "too many");
    expectFailure(run({"delete", "0"}), "irdata.txt");  // the default file does not exist
    EXPECT_EQ(readBytes("lib.bin"), before);
    EXPECT_FALSE(std::filesystem::exists("irdata.txt"));
}

TEST_F(ToolTest, MatchReportsTheFirstMatchingId) {
    writeLibraryFile("irdata.txt",
                     {{std::nullopt, ""}, {Packet{120, 30, 60}, "near"}, {Packet{100, 50, 80}, "same"}});
    Result r = run({"match", "100", "50", "80"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "near\n");
    r = run({"match", "100", "50", "81", "0"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "<not found>\n");

    writeLibraryFile("lib.bin", {{Packet{-7}, "\xE9"}});
    r = run({"match", "--library", "lib.bin", "-27"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\xC3\xA9\n");

    expectFailure(run({"match", "1", "x"}), "'x'");
    expectFailure(run({"match", "40000"}), "40000");
    expectFailure(run({"match"}), "packet");
    expectFailure(run({"match", "--library"}), "--library");
    expectFailure(run({"match", "--library", "none.bin", "1"}), "none.bin");
}

TEST_F(ToolTest, DamagedFilesAndUnknownCommandsFail) {
    writeBytes("irdata.txt", std::string("\x00\x00\x00\x00\x05\x00", 6));
    for (const char* cmd : {"list", "export"})
        expectFailure(run({cmd}), "irdata.txt is not a Vostel library: record 0 has a dimension count of 5");
    expectFailure(run({"rename", "0", "x"}), "dimension count");
    expectFailure(run({"match", "1"}), "dimension count");
    expectFailure(run({"list", "missing.bin"}), "missing.bin");
    expectFailure(run({"frobnicate"}), "frobnicate");
    EXPECT_EQ(readBytes("irdata.txt"), std::string("\x00\x00\x00\x00\x05\x00", 6));
}

// --help after any command prints its usage; any other argument that starts
// with '-' and is no option of the command is refused, never taken as a file.
TEST_F(ToolTest, HelpAfterACommandAndUnknownOptions) {
    writeLibraryFile("irdata.txt", sample);
    for (const char* cmd : {"list", "export", "import", "rename", "delete", "match", "decode", "check",
                            "monitor", "ports", "link", "unlink"}) {
        Result r = run({cmd, "--help"});
        EXPECT_EQ(r.status, 0) << cmd << ": " << r.err;
        std::string usage = "vostel-tool ";
        usage += cmd;
        EXPECT_NE(r.out.find(usage), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
    }
    expectFailure(run({"list", "--all"}), "unknown option '--all'");
    expectFailure(run({"delete", "0", "-f"}), "unknown option '-f'");
    expectFailure(run({"import", "--force", "lib.json"}), "unknown option '--force'");
    expectFailure(run({"check", "-v"}), "'-v'");
    EXPECT_EQ(readLibraryFile("irdata.txt"), sample);
    // Negative elements are no options; after "--" nothing is.
    EXPECT_EQ(run({"match", "-5", "7", "32767"}).out, "\xC3\x84\xE2\x82\xAC \"q\"\n");
    EXPECT_EQ(run({"rename", "0", "--", "-on-"}).status, 0);
    EXPECT_EQ(readLibraryFile("irdata.txt")[0].id, "-on-");
}

// A JSON export given where a library belongs says what to do with it.
TEST_F(ToolTest, JsonGivenAsALibraryPointsToImport) {
    writeBytes("lib.json", "{\"records\": [{\"id\": \"on\", \"packet\": [10, 200, 35]}]}\n");
    expectFailure(run({"list", "lib.json"}), "lib.json is not a Vostel library: ");
    expectFailure(run({"list", "lib.json"}), "vostel-tool import reads JSON");
}

// An export or a list that cannot be written (a full disk) must not pass for
// a successful one: a backup made with export would be silently empty.
TEST_F(ToolTest, OutputThatCannotBeWrittenFails) {
    writeLibraryFile("irdata.txt", sample);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"list"}, {"export"}, {"match", "10", "200", "35"}})
        expectFailure(run(args, "", "/dev/full"), "standard output");
}

TEST_F(ToolTest, CheckReportsWhatWillSurpriseAndHowToMendIt) {
    writeLibraryFile("irdata.txt", {{Packet{100, 50, 80}, "power"},
                                    {Packet{110, 60, 70}, "vol+"},
                                    {Packet{140, 50, 80}, "vol-"},
                                    {std::nullopt, "lost"},
                                    {Packet(5, 9), "sendkeys:{FOO}"},
                                    {Packet(6, 9), "SendKeys:abc"},
                                    {Packet(7, 9), ""},
                                    {Packet{10, 20}, "two"},
                                    {Packet{10, 275, 20}, "far"},
                                    {Packet(8, 9), "sendkeys:"}});
    Result r = run({"check"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(
        r.out,
        "record 1 \"vol+\": never recognised: pressing the button recorded as \"vol+\" logs \"power\", "
        "record 0; fix: vostel-tool delete 1, or to log \"vol+\" for that button, vostel-tool delete 0\n"
        "record 2 \"vol-\": overlaps record 0 \"power\": a packet within 20 of both logs \"power\"; furthest "
        "apart at element 0, by 40 (over 40 keeps two records apart)\n"
        "record 3 \"lost\": never recognised: it has no packet; fix: vostel-tool delete 3\n"
        "record 4 \"sendkeys:{FOO}\": pressing the button shows run-time error 5: Invalid procedure call or "
        "argument: unknown key name {FOO}; fix: vostel-tool rename 4 'sendkeys:...' with a description that "
        "works\n"
        "record 5 \"SendKeys:abc\": types nothing (\"SendKeys:\" in place of \"sendkeys:\"); only an ID "
        "beginning with exactly \"sendkeys:\" types keys; fix: vostel-tool rename 5 'sendkeys:abc'\n"
        "record 6 \"\": empty ID: a recognised press logs an empty line; fix: vostel-tool rename 6 NAME\n"
        "record 7 \"two\": never recognised: the receiver never sends a packet of 2 durations (it sends 3 to "
        "32765); fix: vostel-tool delete 7\n"
        "record 8 \"far\": never recognised: the receiver never sends a duration within 20 of 275 (element "
        "1; "
        "it sends 0 to 254); fix: vostel-tool delete 8\n"
        "record 9 \"sendkeys:\": types nothing: nothing follows \"sendkeys:\"; fix: vostel-tool rename 9 "
        "'sendkeys:...' with the keys to type\n");
    EXPECT_TRUE(r.err.empty()) << r.err;  // no progress when standard error is no terminal

    // The packet the receiver cannot send still matches; --explain says so.
    r = run({"match", "--explain", "10", "20"});
    EXPECT_EQ(r.out,
              "two\nthe receiver cannot send this packet: it never sends a packet of 2 durations (it sends 3 "
              "to 32765)\nrecord 7 \"two\" matches: every element within 20, the largest difference 0 at "
              "element 0\n");

    r = run({"check", "--json", "irdata.txt"});
    EXPECT_EQ(r.status, 1) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["records"], 10);
    ASSERT_EQ(j["findings"].size(), 9u);
    EXPECT_EQ(j["findings"][0]["kind"], "never-recognised");
    EXPECT_EQ(j["findings"][0]["otherId"], "power");
    EXPECT_EQ(j["findings"][1]["kind"], "overlap");
    EXPECT_EQ(j["findings"][1]["distance"], 40);
    EXPECT_EQ(j["findings"][3]["error"], 5);
    EXPECT_EQ(j["findings"][5]["kind"], "empty-id");
    EXPECT_EQ(j["findings"][6]["kind"], "never-sent");
    EXPECT_EQ(j["findings"][6]["fix"], "vostel-tool delete 7 irdata.txt");  // the file named, as given

    writeLibraryFile("clean.bin", {{Packet{100, 50, 80}, "power"}, {Packet{141, 50, 80}, "sendkeys:^a"}});
    r = run({"check", "clean.bin"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = run({"check", "--json", "clean.bin"});
    EXPECT_EQ(nlohmann::json::parse(r.out)["findings"].size(), 0u);

    expectFailure(run({"check", "missing.bin"}), "missing.bin");
    expectFailure(run({"check", "clean.bin", "--full"}), "--full");
}

TEST_F(ToolTest, MatchExplainsAMatchANearMissAndAWrongLength) {
    writeLibraryFile("irdata.txt", {{Packet{100, 50, 80}, "power"},
                                    {Packet{100, 60, 95}, "vol+"},
                                    {Packet{10, 10, 10, 10}, "four"},
                                    {Packet{10}, "one"}});
    // A match that hides a later record.
    Result r = run({"match", "--explain", "105", "55", "95"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "power\nrecord 0 \"power\" matches: every element within 20, the largest difference 15 at element 2\n"
        "it comes first, so these would have matched too: record 1 \"vol+\"\n");

    // A near miss: the record with fewer elements beyond 20 first.
    r = run({"match", "--library", "irdata.txt", "--explain", "100", "95", "70"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "<not found>\nnearest records of 3 elements:\n"
              "  record 0 \"power\": 1 element more than 20 apart, the largest difference 45 at element 1\n"
              "  record 1 \"vol+\": 2 elements more than 20 apart, the largest difference 35 at element 1\n");

    // No record of that length.
    r = run({"match", "--explain", "10", "10"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "<not found>\nthe receiver cannot send this packet: it never sends a packet of 2 durations (it "
              "sends 3 "
              "to 32765)\nno record has 2 elements; the nearest lengths:\n  1 element: record 3 \"one\"\n"
              "  3 elements: records 0 \"power\", 1 \"vol+\"\n  4 elements: record 2 \"four\"\n");

    expectFailure(run({"match", "--explian", "1"}), "--explian");
}

TEST_F(ToolTest, MonitorRefusesBadArgumentsBeforeOpeningAPort) {
#if VOSTEL_TOOL_MONITOR
    expectFailure(run({"monitor", "--port", "0"}), "bad port '0'");
    expectFailure(run({"monitor", "--library", "missing.bin"}), "missing.bin");
    expectFailure(run({"monitor", "--idz"}), "'--idz'");
#else
    expectFailure(run({"monitor", "--ids"}), "-DVOSTEL_GUI=OFF");
#endif
}
