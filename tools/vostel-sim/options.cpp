#include "options.h"

#include "serial/port_names.h"

namespace vostel::sim {

const char* const kUsage =
    "usage: vostel-sim [OPTIONS]\n"
    "Emulates the infrared receiver unit on a pseudo-terminal, reachable as port N\n"
    "(the link comN in the ports folder). Prints what the program sends it.\n"
    "\n"
    "  --port N        use port N (default: the lowest free number from 1)\n"
    "  --play STEPS    press buttons on a schedule (see below) instead of by key\n"
    "  --loop          run the schedule over and over\n"
    "  --library FILE  the buttons are the records of this library file\n"
    "                  (default schedule without a terminal: init,all)\n"
    "  --raw FILE      replay this captured byte stream (default schedule: init,raw)\n"
    "  --noise         now and then send junk bytes and cut packets\n"
    "  --jitter N      move every duration by up to N units at random, as a real\n"
    "                  receiver's timing wanders (default 2, at most 50)\n"
    "  --seed N        seed of the random numbers, for a repeatable run (default: from the clock)\n"
    "  --list          print the buttons and their durations, then exit\n"
    "  --help          print this help\n"
    "  --version       print the version\n"
    "\n"
    "Without --play or --raw, keys typed on the terminal press the buttons. Space and\n"
    "then a button's key (or a letter key's capital) holds the button for a second;\n"
    "u unplugs, r plugs in again, q quits.\n"
    "\n";

namespace {

int parseNumber(const std::string& option, const std::string& text, int low, int high) {
    std::size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value < low || value > high)
        throw UsageError(option + " needs a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + text + "'");
    return static_cast<int>(value);
}

}  // namespace

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--port")
            o.port = parseNumber(a, value(), 1, kMaxPortNumber);
        else if (a == "--play")
            o.play = value();
        else if (a == "--loop")
            o.loop = true;
        else if (a == "--library")
            o.library = value();
        else if (a == "--raw")
            o.raw = value();
        else if (a == "--noise")
            o.noise = true;
        else if (a == "--jitter")
            o.jitter = parseNumber(a, value(), 0, kMostJitter);
        else if (a == "--seed")
            o.seed = static_cast<unsigned>(parseNumber(a, value(), 0, 2147483647));
        else if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--version")
            o.version = true;
        else if (a == "--list")
            o.list = true;
        else
            throw UsageError("unknown option '" + a + "' (try vostel-sim --help)");
    }
    return o;
}

}  // namespace vostel::sim
