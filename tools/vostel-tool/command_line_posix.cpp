// The arguments as the system gives them: UTF-8 bytes.
#include "commands.h"

namespace vostel::tool {

Args commandLine(int argc, char** argv) { return Args(argv, argv + argc); }

}  // namespace vostel::tool
