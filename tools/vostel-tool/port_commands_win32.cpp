// The port commands on Windows, where port N is COMN: there is no ports
// folder to set up, so they only say so (as their usage, for --help).
#include <cstdio>

#include "commands.h"

namespace vostel::tool {

const char* const kPortUsage = "";

int cmdPort(const std::string& command, const Args& args) {
    if (command != "ports" && command != "link" && command != "unlink") return -1;
    for (const std::string& a : args) {
        if (a != "--help" && a != "-h") continue;
        std::printf("usage: vostel-tool %s\n  on Windows port N is COMN; there are no port links to set up\n",
                    command.c_str());
        return 0;
    }
    std::fprintf(stderr, "vostel-tool: %s: on Windows port N is COMN; there are no port links to set up\n",
                 command.c_str());
    return 2;
}

}  // namespace vostel::tool
