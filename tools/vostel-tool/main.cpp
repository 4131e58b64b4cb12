// vostel-tool: command-line companion of the Vostel desktop program.
#include <cstdio>
#include <string>

#include "commands.h"
#include "vostel_version.h"

namespace {

#ifndef VOSTEL_TOOL_MONITOR
const char* const kMonitorUsage =
    "  monitor [--port N] [--library FILE] [--ids]\n"
    "      Not in this build: on Linux it opens the port through Qt's serial port.\n";
const char* const kLearnUsage =
    "  learn [--port N] [--packets K] [--library FILE] [--replace] [--force] [--timeout S] ID\n"
    "      Not in this build: on Linux it opens the port through Qt's serial port.\n";
#else
using vostel::tool::kLearnUsage;
using vostel::tool::kMonitorUsage;
#endif

void printUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: vostel-tool COMMAND [ARGS]\n       vostel-tool --help | "
                 "--version\n\ncommands:\n%s%s%s%s%s%s%s",
                 vostel::tool::kDecodeUsage, vostel::tool::kLibraryUsage, vostel::tool::kCheckUsage,
                 kMonitorUsage, kLearnUsage, vostel::tool::kPortUsage,
                 "  FILE is the library file, irdata.txt in the working directory by default.\n");
}

// monitor and learn open the port: their usage, the command, or why this build lacks them.
int portCommand(const std::string& command, const char* usage, int (*run)(const vostel::tool::Args&),
                const vostel::tool::Args& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::printf("usage: vostel-tool %s", usage + 2);  // without the indent of the list
            return 0;
        }
    }
#ifdef VOSTEL_TOOL_MONITOR
    (void)command;
    return run(args);
#else
    (void)run;
    std::fprintf(stderr,
                 "vostel-tool: %s is not part of this build: on Linux it opens the port through Qt's serial "
                 "port, and this build has no Qt (it was configured with -DVOSTEL_GUI=OFF)\n",
                 command.c_str());
    return 2;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const vostel::tool::Args all = vostel::tool::commandLine(argc, argv);
    if (all.size() < 2) {
        printUsage(stderr);
        return 2;
    }
    std::string command = all[1];
    vostel::tool::Args args(all.begin() + 2, all.end());
    if (command == "-h" || command == "--help" || command == "help") {
        printUsage(stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("vostel-tool %s\n", VOSTEL_VERSION);
        return 0;
    }
    try {
        if (command == "decode") return vostel::tool::cmdDecode(args);
        if (command == "check") return vostel::tool::cmdCheck(args);
#ifdef VOSTEL_TOOL_MONITOR
        if (command == "monitor") return portCommand(command, kMonitorUsage, vostel::tool::cmdMonitor, args);
        if (command == "learn") return portCommand(command, kLearnUsage, vostel::tool::cmdLearn, args);
#else
        if (command == "monitor" || command == "learn")
            return portCommand(command, command == "monitor" ? kMonitorUsage : kLearnUsage, nullptr, args);
#endif
        int rc = vostel::tool::cmdLibrary(command, args);
        if (rc >= 0) return rc;
        rc = vostel::tool::cmdPort(command, args);
        if (rc >= 0) return rc;
        std::fprintf(stderr, "vostel-tool: unknown command '%s' (try vostel-tool --help)\n", command.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vostel-tool: %s\n", e.what());
        return 2;
    }
}
