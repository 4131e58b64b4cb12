// Signal library: recognition over the largest library, and its save and load.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <random>

#include "library/library_file.h"
#include "library/ocr.h"

using namespace vostel;

namespace {

class NeverAsked : public NamingPrompt {
public:
    bool showDialog(std::string&) override { return false; }
};

// A temporary directory for the library file, removed at exit.
const std::filesystem::path& benchDir() {
    static struct Dir {
        std::filesystem::path path;
        Dir() {
            std::string pattern = (std::filesystem::temp_directory_path() / "vostel-bench-XXXXXX").string();
            if (!::mkdtemp(pattern.data())) std::abort();
            path = pattern;
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } dir;
    return dir.path;
}

Packet randomPacket(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> v(0, 254);
    Packet p(n);
    for (auto& e : p) e = static_cast<int16_t>(v(rng));
    return p;
}

// 32768 records of 100 elements, each equal to `probe` but for its last element.
SignalLibrary worstCase(const Packet& probe) {
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) {
        lib[i].packet = probe;
        lib[i].packet->back() = static_cast<int16_t>(probe.back() + 21 + static_cast<int>(i % 50));
        lib[i].id = "signal " + std::to_string(i);
    }
    return lib;
}

// Scans a library as loaded from its file by an OCR, so memory is laid out as in use.
void scan(benchmark::State& state, const SignalLibrary& lib, const Packet& probe) {
    std::filesystem::path file = benchDir() / "scan.txt";
    writeLibraryFile(file, lib);
    NeverAsked prompt;
    OCR ocr(prompt, file);
    ocr.loadIRData();
    std::string id;
    for (auto _ : state) {
        bool found = ocr.findID(probe, id);
        benchmark::DoNotOptimize(found);
        benchmark::DoNotOptimize(id);
    }
    state.counters["records"] = static_cast<double>(lib.size());
}

void BM_FindIDWorstCase(benchmark::State& state) {
    std::mt19937 rng(1);
    Packet probe = randomPacket(rng, 100);
    scan(state, worstCase(probe), probe);
}
BENCHMARK(BM_FindIDWorstCase)->Unit(benchmark::kMillisecond);

// Full library of records of other lengths: every comparison ends at the length check.
void BM_FindIDOtherLengths(benchmark::State& state) {
    std::mt19937 rng(2);
    std::uniform_int_distribution<std::size_t> len(3, 99);
    SignalLibrary lib(kMaxRecords);
    for (auto& r : lib) r = {randomPacket(rng, len(rng)), "x"};
    scan(state, lib, randomPacket(rng, 100));
}
BENCHMARK(BM_FindIDOtherLengths)->Unit(benchmark::kMicrosecond);

// Full library of records of the same length that differ in the first element.
void BM_FindIDDifferEarly(benchmark::State& state) {
    std::mt19937 rng(3);
    Packet probe = randomPacket(rng, 100);
    SignalLibrary lib(kMaxRecords, {probe, "x"});
    for (auto& r : lib) r.packet->front() = static_cast<int16_t>(probe.front() + 30);
    scan(state, lib, probe);
}
BENCHMARK(BM_FindIDDifferEarly)->Unit(benchmark::kMicrosecond);

// An everyday library: 50 remote-control signals of 30 to 70 elements, the probe matching the last.
void BM_FindIDEverydayLibrary(benchmark::State& state) {
    std::mt19937 rng(4);
    std::uniform_int_distribution<std::size_t> len(30, 70);
    SignalLibrary lib(50);
    for (auto& r : lib) r = {randomPacket(rng, len(rng)), "sendkeys:{F5}"};
    scan(state, lib, *lib.back().packet);
}
BENCHMARK(BM_FindIDEverydayLibrary)->Unit(benchmark::kMicrosecond);

void BM_SaveLargestLibrary(benchmark::State& state) {
    std::mt19937 rng(5);
    SignalLibrary lib = worstCase(randomPacket(rng, 100));
    std::filesystem::path file = benchDir() / "irdata.txt";
    for (auto _ : state) writeLibraryFile(file, lib);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
}
BENCHMARK(BM_SaveLargestLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadLargestLibrary(benchmark::State& state) {
    std::mt19937 rng(6);
    std::filesystem::path file = benchDir() / "irdata.txt";
    writeLibraryFile(file, worstCase(randomPacket(rng, 100)));
    NeverAsked prompt;
    OCR ocr(prompt, file);
    for (auto _ : state) ocr.loadIRData();
    state.counters["records"] = static_cast<double>(ocr.library()->size());
}
BENCHMARK(BM_LoadLargestLibrary)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
