#pragma once
// Windows-1252, the code page of signal IDs in memory and in the library file.
#include <string>
#include <string_view>

namespace vostel {

// The Unicode character of a Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 etc.
char32_t cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a Unicode character, or -1 when it has none.
int unicodeToCp1252(char32_t ch);

std::u32string cp1252ToU32(std::string_view bytes);
std::string cp1252ToUtf8(std::string_view bytes);

// Characters Windows-1252 cannot hold, and malformed UTF-8 sequences, become
// '?'; `unmappable`, when given, receives how many did.
std::string utf8ToCp1252(std::string_view utf8, int* unmappable = nullptr);
std::string u32ToCp1252(std::u32string_view text, int* unmappable = nullptr);

// UTF-8 helpers. decodeUtf8 turns malformed sequences into U+FFFD and counts them.
std::u32string decodeUtf8(std::string_view utf8, int* malformed = nullptr);
std::string encodeUtf8(std::u32string_view text);

}  // namespace vostel
