#include "commands.h"

namespace vostel::tool {
const char* const kLibraryUsage = "";
int cmdLibrary(const std::string&, const Args&) { return -1; }
}  // namespace vostel::tool
