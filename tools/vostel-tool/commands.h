#pragma once
// The commands of vostel-tool. Each returns the process exit status.
#include <filesystem>
#include <string>
#include <vector>

#include "library/library_file.h"

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

// After a change to `file`: warns on standard error when a running Vostel holds
// it (its working folder is the file's, and the file is irdata.txt), since its
// next recording would write its own library over the change.
void warnIfVostelHolds(const std::filesystem::path& file);

// A Windows-1252 ID in double quotes, as UTF-8, with a quote, a backslash and control characters escaped.
std::string quotedId(const std::string& cp1252);

// Record i as list prints it: index, quoted ID, element count: elements (or "absent").
std::string listLine(const SignalLibrary& library, std::size_t i);

// vostel-tool check [FILE] [--json]
int cmdCheck(const Args& args);
extern const char* const kCheckUsage;

// What match --explain adds after the ID: why the packet matched, or what came nearest.
void printExplanation(const SignalLibrary& library, const Packet& packet);

// vostel-tool monitor [--port N] [--library FILE] [--ids]
int cmdMonitor(const Args& args);
extern const char* const kMonitorUsage;

// vostel-tool learn [--port N] [--packets K] [--library FILE] [--replace] [--force] [--timeout S] ID
int cmdLearn(const Args& args);
extern const char* const kLearnUsage;

// vostel-tool ports | link N DEVICE [--force] | unlink N
// Returns -1 when `command` is not one of the port commands.
int cmdPort(const std::string& command, const Args& args);
extern const char* const kPortUsage;

}  // namespace vostel::tool
