// Framer throughput on a realistic receiver stream: packets of 60 to 100
// durations back to back, handed over in 96-byte chunks (about one 100 ms
// tick of the line) and in one-byte chunks, each chunk's Packets taken out.
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "decode/decoder.h"

namespace {

std::string makeStream() {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> length(60, 100), duration(5, 200);
    std::string s;
    while (s.size() < (1 << 20)) {
        s += '\xFE';
        for (int i = length(rng); i > 0; --i) s += static_cast<char>(duration(rng));
        s += '\xFF';
    }
    return s;
}

void frame(benchmark::State& state) {
    static const std::string stream = makeStream();
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    const std::string_view all(stream);
    std::size_t packets = 0;
    for (auto _ : state) {
        vostel::Decoder decoder;
        for (std::size_t pos = 0; pos < all.size(); pos += chunk) {
            decoder.setData(all.substr(pos, chunk));
            while (decoder.packetIsLeft()) {
                vostel::OptPacket p = decoder.getNextPacket();
                benchmark::DoNotOptimize(p);
                ++packets;
            }
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["packets/s"] =
        benchmark::Counter(static_cast<double>(packets), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(frame)->Arg(96)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
