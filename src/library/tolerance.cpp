#include "library/tolerance.h"

namespace vostel {

namespace {

// Whether no element of the block of 32 differs by more than `limit`. Branch-free
// and in 16-bit lanes, so the compiler turns it into a few vector instructions:
// max - min is the distance |x - y|, which always fits an unsigned 16-bit value.
constexpr std::size_t kBlock = 32;
[[gnu::always_inline]] inline bool blockWithin(const int16_t* x, const int16_t* y, uint16_t limit) {
    uint16_t bad = 0;
#pragma GCC unroll 1  // keep the loop whole for the vectoriser
    for (std::size_t j = 0; j < kBlock; ++j) {
        int16_t hi = x[j] > y[j] ? x[j] : y[j];
        int16_t lo = x[j] > y[j] ? y[j] : x[j];
        auto distance = static_cast<uint16_t>(static_cast<uint16_t>(hi) - static_cast<uint16_t>(lo));
        bad = static_cast<uint16_t>(bad | (distance > limit));
    }
    return bad == 0;
}

// Block by block, leaving at the first block with an element beyond the limit,
// so the result is that of the element rule.
[[gnu::always_inline]] inline bool withinByBlocks(const int16_t* a, const int16_t* b, std::size_t n,
                                                  int limit) {
    if (n < kBlock) {
        for (std::size_t i = 0; i < n; ++i) {
            int d = int{a[i]} - int{b[i]};
            if (d > limit || d < -limit) return false;
        }
        return true;
    }
    const auto lim = static_cast<uint16_t>(limit);
    std::size_t i = 0;
    for (; i + kBlock <= n; i += kBlock)
        if (!blockWithin(a + i, b + i, lim)) return false;
    // The rest: checked as the last whole block, overlapping the one before.
    return i == n || blockWithin(a + n - kBlock, b + n - kBlock, lim);
}

}  // namespace

// Where the processor has AVX2, a block is two registers. The variant is
// chosen once, at start-up, by asking the processor: this works alike for ELF
// and for Windows executables, which have no loader-resolved function clones.
#if defined(__x86_64__) && defined(__GNUC__)
namespace {
__attribute__((target("avx2"))) bool withinAvx2(const int16_t* a, const int16_t* b, std::size_t n,
                                                int limit) {
    return withinByBlocks(a, b, n, limit);
}
bool withinPlain(const int16_t* a, const int16_t* b, std::size_t n, int limit) {
    return withinByBlocks(a, b, n, limit);
}
using WithinFunction = bool (*)(const int16_t*, const int16_t*, std::size_t, int);
const WithinFunction withinVariant = [] {
    __builtin_cpu_init();  // needed before main
    return __builtin_cpu_supports("avx2") ? withinAvx2 : withinPlain;
}();
}  // namespace

bool withinDistance(const int16_t* a, const int16_t* b, std::size_t n, int limit) {
    return withinVariant(a, b, n, limit);
}
#else
bool withinDistance(const int16_t* a, const int16_t* b, std::size_t n, int limit) {
    return withinByBlocks(a, b, n, limit);
}
#endif

}  // namespace vostel
