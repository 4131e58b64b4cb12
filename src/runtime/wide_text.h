#pragma once
// Text conversions between the program's texts (UTF-8, or Windows-1252 for
// signal IDs) and the UTF-16 of the Win32 API. Windows only.
#include <string>
#include <string_view>

namespace vostel {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// Signal IDs: Windows-1252 bytes to UTF-16 and back ('?' for characters the code page lacks).
std::wstring cp1252ToWide(std::string_view bytes);
std::string wideToCp1252(std::wstring_view text);

}  // namespace vostel
