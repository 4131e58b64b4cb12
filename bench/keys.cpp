// Parsing key descriptions: a typical one and one at the keystroke limit.
#include <benchmark/benchmark.h>

#include "action/keys.h"
#include "runtime/cp1252.h"

namespace {

void BM_ParseTypical(benchmark::State& state) {
    const std::u32string keys = vostel::cp1252ToU32("^a+(hello) World{LEFT 5}{DEL}~%{F4}");
    for (auto _ : state) benchmark::DoNotOptimize(vostel::parseKeys(keys));
}
BENCHMARK(BM_ParseTypical);

void BM_ParseLimit(benchmark::State& state) {
    const std::u32string keys = vostel::cp1252ToU32("{a 5000}+({LEFT 4999})x");
    for (auto _ : state) benchmark::DoNotOptimize(vostel::parseKeys(keys));
}
BENCHMARK(BM_ParseLimit);

}  // namespace

BENCHMARK_MAIN();
