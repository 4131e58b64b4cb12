// Checking a library: everyday, large random, and libraries built to be slow.
#include <benchmark/benchmark.h>

#include <random>

#include "library/check.h"
#include "library/explain.h"

using namespace vostel;

namespace {

Packet randomPacket(std::mt19937& rng, std::size_t n) {
    std::uniform_int_distribution<int> v(0, 254);
    Packet p(n);
    for (auto& e : p) e = static_cast<int16_t>(v(rng));
    return p;
}

void run(benchmark::State& state, const SignalLibrary& lib) {
    std::size_t findings = 0;
    for (auto _ : state) findings = checkLibrary(lib).size();
    state.counters["records"] = static_cast<double>(lib.size());
    state.counters["findings"] = static_cast<double>(findings);
}

// 50 remote-control signals of 30 to 70 elements, some typing keys.
void BM_CheckEveryday(benchmark::State& state) {
    std::mt19937 rng(1);
    std::uniform_int_distribution<std::size_t> len(30, 70);
    SignalLibrary lib(50);
    for (std::size_t i = 0; i < lib.size(); ++i)
        lib[i] = {randomPacket(rng, len(rng)),
                  i % 2 ? "sendkeys:^(ac){LEFT 3}" : "button " + std::to_string(i)};
    run(state, lib);
}
BENCHMARK(BM_CheckEveryday)->Unit(benchmark::kMicrosecond);

// 32768 random records of 68 elements.
void BM_CheckRandomOneLength(benchmark::State& state) {
    std::mt19937 rng(2);
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) lib[i] = {randomPacket(rng, 68), std::to_string(i)};
    run(state, lib);
}
BENCHMARK(BM_CheckRandomOneLength)->Unit(benchmark::kMillisecond);

// 32768 equal records under different IDs: each is hidden by record 0.
void BM_CheckAllAlike(benchmark::State& state) {
    std::mt19937 rng(3);
    const Packet p = randomPacket(rng, 68);
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) lib[i] = {p, std::to_string(i)};
    run(state, lib);
}
BENCHMARK(BM_CheckAllAlike)->Unit(benchmark::kMillisecond);

// 32768 records whose elements are 100 or 130: every two overlap, none match.
void BM_CheckOverlapNoMatch(benchmark::State& state) {
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) {
        Packet p(68, 100);
        for (std::size_t bit = 0; bit < 15; ++bit)
            if (i >> bit & 1) p[bit * 4] = 130;
        lib[i] = {p, std::to_string(i)};
    }
    run(state, lib);
}
BENCHMARK(BM_CheckOverlapNoMatch)->Unit(benchmark::kMillisecond);

// The slowest kind: 32768 records that differ only by 41 in some of 15
// elements. The grid cannot tell them apart, and every pair is compared.
void BM_CheckCloseButApart(benchmark::State& state) {
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) {
        Packet p(68, 100);
        for (std::size_t bit = 0; bit < 15; ++bit)
            if (i >> bit & 1) p[bit] = 141;
        lib[i] = {p, std::to_string(i)};
    }
    run(state, lib);
}
BENCHMARK(BM_CheckCloseButApart)->Unit(benchmark::kMillisecond)->Iterations(1);

// 32768 random records with every element from 100 to 140: every two overlap,
// almost none match, and no element splits them into parts a search can skip.
void BM_CheckNarrowRandom(benchmark::State& state) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> v(100, 140);
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) {
        Packet p(68);
        for (auto& e : p) e = static_cast<int16_t>(v(rng));
        lib[i] = {p, std::to_string(i)};
    }
    run(state, lib);
}
BENCHMARK(BM_CheckNarrowRandom)->Unit(benchmark::kMillisecond)->Iterations(1);

// match --explain over the largest random library.
void BM_ExplainRandomOneLength(benchmark::State& state) {
    std::mt19937 rng(4);
    SignalLibrary lib(kMaxRecords);
    for (std::size_t i = 0; i < lib.size(); ++i) lib[i] = {randomPacket(rng, 68), std::to_string(i)};
    const Packet probe = randomPacket(rng, 68);
    for (auto _ : state) benchmark::DoNotOptimize(explainMatch(lib, probe));
}
BENCHMARK(BM_ExplainRandomOneLength)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
