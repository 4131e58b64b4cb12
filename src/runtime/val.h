#pragma once
// The classic leading-number conversion and the real-to-16-bit conversion.
#include <cstdint>
#include <string_view>

namespace vostel {

// Reads the longest leading number of `text` (blanks, tabs, CR and LF skipped
// wherever they stand; '.' is the only decimal separator; exponents E/D;
// &H and &O prefixes; type suffixes % & ! @ # $). Text that does not begin
// with a number gives 0. Raises 6 (overflow) or 13 (type mismatch) as the
// classic runtime does. `text` is Windows-1252 or ASCII bytes.
double Val(std::string_view text);

// Rounds to the nearest integer, ties to even; raises 6 outside -32768..32767.
int16_t cint(double value);

}  // namespace vostel
