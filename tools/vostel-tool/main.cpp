// vostel-tool: command-line companion of the Vostel desktop program.
#include <cstdio>
#include <string>

#include "commands.h"
#include "vostel_version.h"

namespace {

void printUsage(std::FILE* out) {
    std::fprintf(
        out, "usage: vostel-tool COMMAND [ARGS]\n       vostel-tool --help | --version\n\ncommands:\n%s%s%s",
        vostel::tool::kDecodeUsage, vostel::tool::kLibraryUsage, vostel::tool::kPortUsage);
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
