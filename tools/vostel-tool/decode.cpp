#include "commands.h"

namespace vostel::tool {
const char* const kDecodeUsage = "  decode [--hex] [--chunk N] [FILE]\n";
int cmdDecode(const Args&) { return 2; }
}  // namespace vostel::tool
