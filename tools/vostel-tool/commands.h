#pragma once
// The commands of vostel-tool. Each returns the process exit status.
#include <string>
#include <vector>

namespace vostel::tool {

using Args = std::vector<std::string>;

// The program's arguments in UTF-8, the program's name first (command_line_*.cpp).
Args commandLine(int argc, char** argv);

// vostel-tool decode [--hex] [--chunk N] [FILE]
int cmdDecode(const Args& args);
extern const char* const kDecodeUsage;

// vostel-tool list|export|import|rename|delete|match ...
// Returns -1 when `command` is not one of the library commands.
int cmdLibrary(const std::string& command, const Args& args);
extern const char* const kLibraryUsage;

// vostel-tool ports | link N DEVICE [--force] | unlink N
// Returns -1 when `command` is not one of the port commands.
int cmdPort(const std::string& command, const Args& args);
extern const char* const kPortUsage;

}  // namespace vostel::tool
