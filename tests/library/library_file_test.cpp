#include "library/library_file.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <fstream>
#include <future>

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "support/errors.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

using namespace vostel;
using vostel::testing::errorOf;
using vostel::testing::kWorkedExample;
using vostel::testing::withFileSizeLimit;

namespace {

std::string le32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    return {static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
            static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
}
std::string le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

SignalLibrary sample() {
    return {{Packet{10, 200, 35}, "on"}, {Packet{-32768, 0, 32767}, "off"}, {Packet{}, "   "}};
}

}  // namespace

TEST(LibraryFileLayout, WorkedExampleAndLastIndex) {
    EXPECT_EQ(encodeLibrary({{Packet{10, 200, 35}, "on"}}), kWorkedExample);
    EXPECT_EQ(encodeLibrary(sample()).substr(0, 4), std::string("\x02\x00\x00\x00", 4));
    // A record with an absent packet: dimension count 0, then the ID.
    EXPECT_EQ(encodeLibrary({{std::nullopt, "x"}}), le32(0) + le16(0) + le16(1) + "x");
    // A library without records has the last index -1 and reads back as no records.
    EXPECT_EQ(encodeLibrary({}), le32(-1));
    EXPECT_TRUE(decodeLibrary(le32(-1), "f").empty());
}

TEST(LibraryFileLayout, IdOutsideAsciiIsStoredAsItsWindows1252Bytes) {
    std::string id = "\xC4\x80 \xE9";  // Ä, euro sign, blank, é
    std::string bytes = encodeLibrary({{Packet{1, 2, 3}, id}});
    EXPECT_EQ(bytes.substr(20), le16(4) + id);
    EXPECT_EQ(decodeLibrary(bytes, "f")[0].id, id);
}

TEST(LibraryFileLayout, RoundTripReproducesEveryRecord) {
    SignalLibrary lib = sample();
    lib.push_back({std::nullopt, ""});
    Packet big(kMaxElements);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<int16_t>(i * 7 - 30000);
    lib.push_back({big, std::string(kMaxIdBytes, '\xFF')});
    EXPECT_EQ(decodeLibrary(encodeLibrary(lib), "f"), lib);
}

TEST(LibraryFileLayout, EncodingRefusesWhatTheLayoutCannotHold) {
    EXPECT_EQ(errorOf([] {
                  encodeLibrary(SignalLibrary(kMaxRecords + 1, {Packet{1}, "a"}));
              }).number(),
              kErrOverflow);
    EXPECT_EQ(errorOf([] {
                  encodeLibrary({{Packet{1}, std::string(kMaxIdBytes + 1, 'a')}});
              }).number(),
              kErrOverflow);
    EXPECT_EQ(errorOf([] { encodeLibrary({{Packet(kMaxElements + 1), "a"}}); }).number(), kErrOverflow);
}

// Mended: an empty file gives no records instead of one phantom record.
TEST(LibraryFileReading, EmptyBytesGiveNoRecords) { EXPECT_TRUE(decodeLibrary("", "f").empty()); }

TEST(LibraryFileReading, FileCutShortIsReadLeniently) {
    // Last index 2, but only one whole record.
    std::string bytes = le32(2) + kWorkedExample.substr(4);
    SignalLibrary lib = decodeLibrary(bytes, "f");
    ASSERT_EQ(lib.size(), 3u);
    EXPECT_EQ(lib[0], (SignalRecord{Packet{10, 200, 35}, "on"}));
    EXPECT_EQ(lib[1], (SignalRecord{std::nullopt, ""}));
    EXPECT_EQ(lib[2], (SignalRecord{std::nullopt, ""}));

    // Cut inside the elements and inside the ID: what is missing reads as zero bytes.
    lib = decodeLibrary(kWorkedExample.substr(0, 17), "f");
    ASSERT_EQ(lib.size(), 1u);
    EXPECT_EQ(lib[0], (SignalRecord{Packet{10, 0xC8, 0}, ""}));
    lib = decodeLibrary(kWorkedExample.substr(0, 23), "f");
    EXPECT_EQ(lib[0].id, std::string("o\0", 2));

    // A tiny file that promises the most: bounded by the limits, not by what it claims.
    lib = decodeLibrary(le32(32767) + le16(1) + le32(32767) + le32(0), "f");
    ASSERT_EQ(lib.size(), kMaxRecords);
    EXPECT_EQ(lib[0].packet, Packet(kMaxElements, 0));
    EXPECT_FALSE(lib[32767].packet.has_value());
}

TEST(LibraryFileReading, BytesAfterTheLastRecordAreIgnored) {
    EXPECT_EQ(decodeLibrary(kWorkedExample + "junk", "f"), (SignalLibrary{{Packet{10, 200, 35}, "on"}}));
}

// Mended: a damaged file fails with a message naming the file and the fault.
TEST(LibraryFileReading, LayoutFaultsAreNamed) {
    struct Case {
        std::string bytes;
        std::string fault;
    };
    const std::string rec0 = le16(1) + le32(3) + le32(0) + le16(1) + le16(2) + le16(3) + le16(0);
    const Case cases[] = {
        {le32(-2), "the last index is -2"},
        {le32(32768), "the last index is 32768"},
        {le32(0x7FFFFFFF), "the last index is 2147483647"},
        {le32(1) + rec0 + le16(2), "record 1 has a dimension count of 2"},
        {le32(0) + le16(0xFFFF), "record 0 has a dimension count of 65535"},
        {le32(0) + le16(1) + le32(32768) + le32(0), "record 0 has 32768 elements"},
        {le32(0) + le16(1) + le32(-1) + le32(0), "record 0 has 4294967295 elements"},
        {le32(0) + le16(1) + le32(3) + le32(1), "record 0 has a lower bound of 1"},
        {le32(0) + le16(1) + le32(3) + le32(-1), "record 0 has a lower bound of -1"},
    };
    for (const Case& c : cases) {
        RuntimeError e = errorOf([&] { decodeLibrary(c.bytes, "/some/dir/irdata.txt"); });
        EXPECT_EQ(e.number(), kErrInvalidFileFormat) << c.fault;
        EXPECT_NE(e.text().find("/some/dir/irdata.txt"), std::string::npos) << e.text();
        EXPECT_NE(e.text().find(c.fault), std::string::npos) << e.text();
    }
}

// A file that is no library says so first, after its name; a JSON document
// (an export given where the library belongs) gets a hint to import it.
TEST(LibraryFileReading, FileThatIsNoLibrarySaysSo) {
    RuntimeError e = errorOf([] { decodeLibrary("peas, carrots, beans\n", "shopping.txt"); });
    EXPECT_EQ(e.number(), kErrInvalidFileFormat);
    EXPECT_TRUE(e.text().starts_with("shopping.txt is not a Vostel library: the last index is ")) << e.text();
    EXPECT_EQ(e.text().find("JSON"), std::string::npos) << e.text();

    e = errorOf(
        [] { decodeLibrary("\n  {\"records\": [{\"id\": \"on\", \"packet\": [1, 2, 3]}]}\n", "lib.json"); });
    EXPECT_TRUE(e.text().starts_with("lib.json is not a Vostel library: ")) << e.text();
    EXPECT_NE(e.text().find("vostel-tool import reads JSON"), std::string::npos) << e.text();
}

class LibraryFileOnDisk : public vostel::testing::TempDirTest {
protected:
    // Runs f in a child process and returns how that ended: its exit status, or
    // 128 + the signal that killed it.
    template <class F>
    static int inChild(F f) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            int status = 99;
            try {
                status = f();
            } catch (...) {
                status = 98;
            }
            ::_exit(status);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

// A library file far larger than its layout (here a sparse file of 16 GiB
// whose first bytes are a library): loading reads the records and stops,
// within a memory limit far below the file's size.
TEST_F(LibraryFileOnDisk, HugeFileLoadsItsRecordsWithinBoundedMemory) {
    const SignalLibrary lib = sample();
    writeBytes("irdata.txt", encodeLibrary(lib));
    const off_t huge = off_t{16} << 30;
    if (::truncate("irdata.txt", huge) != 0) GTEST_SKIP() << "no room for a sparse file here";
    const int status = inChild([&] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit =
            static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (256u << 20);
        const struct rlimit bounded { limit, limit };
        if (::setrlimit(RLIMIT_AS, &bounded) != 0) return 97;
        if (readLibraryFile("irdata.txt") != lib) return 1;
        // Read: the records and at most one buffer more, not the gigabytes after them.
        std::ifstream io("/proc/self/io");
        std::string key;
        unsigned long long readBytes = 0;
        while (io >> key >> readBytes && key != "rchar:") {
        }
        return readBytes < (1u << 20) ? 0 : 2;
    });
    EXPECT_EQ(status, 0) << "1: wrong records, 2: read far past them, 98: failed (out of memory?)";
}

// Mended: loading a missing file gives no records and never creates it.
TEST_F(LibraryFileOnDisk, MissingFileGivesNoRecordsAndIsNotCreated) {
    EXPECT_TRUE(readLibraryFile("irdata.txt").empty());
    EXPECT_FALSE(std::filesystem::exists("irdata.txt"));
    writeBytes("irdata.txt", "");
    EXPECT_TRUE(readLibraryFile("irdata.txt").empty());
    EXPECT_EQ(std::filesystem::file_size("irdata.txt"), 0u);
}

TEST_F(LibraryFileOnDisk, UnreadableFilesRaiseFileErrorsNamingThem) {
    std::filesystem::create_directory("irdata.txt");
    RuntimeError e = errorOf([] { readLibraryFile("irdata.txt"); });
    EXPECT_EQ(e.number(), kErrPathFileAccess);
    EXPECT_NE(e.text().find("irdata.txt"), std::string::npos);
}

// A named pipe in the library file's place has no writer: opening it to read
// would wait for one for good. It is refused like any other non-file.
TEST_F(LibraryFileOnDisk, NamedPipeIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo("irdata.txt", 0600), 0);
    auto load = std::async(std::launch::async, [] { return errorOf([] { readLibraryFile("irdata.txt"); }); });
    if (load.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Let the blocked reader go, so the test ends, then fail.
        ::close(::open("irdata.txt", O_WRONLY | O_NONBLOCK));
        load.wait();
        FAIL() << "loading waited for a writer on the named pipe";
    }
    RuntimeError e = load.get();
    EXPECT_EQ(e.number(), kErrPathFileAccess);
    EXPECT_NE(e.text().find("irdata.txt"), std::string::npos) << e.text();
}

TEST_F(LibraryFileOnDisk, SaveWritesExactlyTheContentAndKeepsNoTemporaryFile) {
    writeLibraryFile("irdata.txt", sample());
    EXPECT_EQ(readLibraryFile("irdata.txt"), sample());
    // Mended: saving a shorter library shortens the file; nothing stale stays behind.
    writeLibraryFile("irdata.txt", {{Packet{10, 200, 35}, "on"}});
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
    EXPECT_EQ(readLibraryFile("irdata.txt"), (SignalLibrary{{Packet{10, 200, 35}, "on"}}));
    EXPECT_EQ(entryCount(), 1u);
}

// irdata.txt may be a link to a library kept elsewhere (a synchronised
// folder, say): saving writes that file and leaves the link in place.
TEST_F(LibraryFileOnDisk, SaveThroughALinkWritesTheLinkedFile) {
    std::filesystem::create_directory("kept");
    writeBytes("kept/library.bin", kWorkedExample);
    std::filesystem::create_symlink("kept/library.bin", "irdata.txt");
    writeLibraryFile("irdata.txt", sample());
    EXPECT_TRUE(std::filesystem::is_symlink("irdata.txt"));
    EXPECT_EQ(readLibraryFile("kept/library.bin"), sample());
    EXPECT_EQ(readLibraryFile("irdata.txt"), sample());
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator("kept"), std::filesystem::directory_iterator()), 1);

    // A link to a library not written yet: the first save creates it there.
    std::filesystem::remove("irdata.txt");
    std::filesystem::create_symlink(std::filesystem::absolute("kept/new.bin"), "irdata.txt");
    writeLibraryFile("irdata.txt", sample());
    EXPECT_TRUE(std::filesystem::is_symlink("irdata.txt"));
    EXPECT_EQ(readLibraryFile("kept/new.bin"), sample());
}

TEST_F(LibraryFileOnDisk, SaveKeepsThePermissionsOfTheOldFile) {
    writeBytes("irdata.txt", kWorkedExample);
    std::filesystem::permissions("irdata.txt", std::filesystem::perms(0640));
    writeLibraryFile("irdata.txt", sample());
    EXPECT_EQ(std::filesystem::status("irdata.txt").permissions(), std::filesystem::perms(0640));
}

// A new library gets the mode the umask gives any new file, and saving never
// calls umask(), which would change it for the whole process for a moment: in
// the child, the kernel ends the process at the first call.
TEST_F(LibraryFileOnDisk, NewFileFollowsTheUmaskWithoutCallingIt) {
    const int status = inChild([] {
        ::umask(027);
        struct sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_umask, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        struct sock_fprog program {
            static_cast<unsigned short>(std::size(filter)), filter
        };
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
            return 97;
        writeLibraryFile("irdata.txt", sample());
        return 0;
    });
    if (status == 97) GTEST_SKIP() << "system call filters are not available here";
    ASSERT_EQ(status, 0) << "128 + " << SIGSYS << ": saving called umask()";
    EXPECT_EQ(std::filesystem::status("irdata.txt").permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(readLibraryFile("irdata.txt"), sample());
    EXPECT_EQ(entryCount(), 1u);
}

// Mended: a save that fails part-way (here: the file size limit, which holds for
// root too, like a full disk) leaves the old file intact and no temporary file.
TEST_F(LibraryFileOnDisk, FailedSaveLeavesTheOldFileIntact) {
    writeBytes("irdata.txt", kWorkedExample);
    SignalLibrary big(100, {Packet(100, 7), "signal"});

    RuntimeError e =
        withFileSizeLimit(1000, [&] { return errorOf([&] { writeLibraryFile("irdata.txt", big); }); });
    EXPECT_GT(e.number(), 0);
    EXPECT_NE(e.text().find("irdata.txt"), std::string::npos) << e.text();
    EXPECT_EQ(readBytes("irdata.txt"), kWorkedExample);
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(LibraryFileOnDisk, SaveIntoAPathThatCannotHoldFilesFails) {
    writeBytes("plain", "x");
    RuntimeError e = errorOf([] { writeLibraryFile("plain/irdata.txt", sample()); });
    EXPECT_EQ(e.number(), kErrPathNotFound);
    EXPECT_NE(e.text().find("plain/irdata.txt"), std::string::npos) << e.text();
    e = errorOf([] { writeLibraryFile("missing-dir/irdata.txt", sample()); });
    EXPECT_EQ(e.number(), kErrFileNotFound);
    EXPECT_EQ(entryCount(), 1u);
}

TEST_F(LibraryFileOnDisk, SaveOverADirectoryFailsAndLeavesIt) {
    std::filesystem::create_directories("irdata.txt/inside");
    RuntimeError e = errorOf([] { writeLibraryFile("irdata.txt", sample()); });
    EXPECT_GT(e.number(), 0);
    EXPECT_TRUE(std::filesystem::is_directory("irdata.txt/inside"));
    EXPECT_EQ(entryCount(), 1u);
}
