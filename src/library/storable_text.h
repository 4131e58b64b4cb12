#pragma once
// What the naming dialog's text box shows while the user types: the text as
// the library will store it, in Windows-1252. Every character the code page
// cannot hold shows as '?' at once, whether typed or pasted.
#include <cstddef>
#include <string>
#include <string_view>

namespace vostel {

struct StorableText {
    std::u16string text;  // UTF-16, as both toolkits' text boxes hold it
    std::size_t cursor;   // the cursor, still behind the same character
};

// `typed` with every character Windows-1252 lacks (a surrogate pair counts as
// one, an unpaired surrogate too) replaced by '?'; `cursor` counts UTF-16
// units before the cursor in `typed`.
StorableText storableText(std::u16string_view typed, std::size_t cursor);

}  // namespace vostel
