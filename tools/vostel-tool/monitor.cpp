// vostel-tool monitor, the part every platform shares: the arguments, the
// library, and per cycle the program's framing, matching and hold-off. It
// never types keys.
#include "monitor.h"

#include <charconv>
#include <cstdio>
#include <string>

#include "commands.h"
#include "display/pulse_text.h"
#include "library/ocr.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "serial/comport.h"
#include "serial/port_names.h"

namespace vostel::tool {

const char* const kMonitorUsage =
    "  monitor [--port N] [--library FILE] [--ids]\n"
    "      Shows the receiver's packets live (port 1 by default) and the IDs the\n"
    "      program would log for them; --ids prints only those IDs.\n";

namespace {

// Parses the arguments; prints the fault and returns false on a bad one.
bool parseOptions(const Args& args, MonitorOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--ids") {
            o.idsOnly = true;
        } else if (a == "--port" && hasValue) {
            const std::string& v = args[++i];
            int n = 0;
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc() || end != v.data() + v.size() || n < 1 || n > kMaxPortNumber) {
                std::fprintf(stderr, "vostel-tool: monitor: bad port '%s' (a number from 1 to %d)\n",
                             v.c_str(), kMaxPortNumber);
                return false;
            }
            o.port = static_cast<int16_t>(n);
        } else if (a == "--library" && hasValue) {
            o.library = args[++i];
            o.libraryGiven = true;
        } else {
            std::fprintf(stderr, "vostel-tool: monitor: unexpected argument '%s' (see vostel-tool --help)\n",
                         a.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

bool PacketReader::open(SerialControl& control) {
    try {
        ComPort::openPort(control, port_);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "vostel-tool: %s: %s\n", command_.c_str(), e.text().c_str());
        return false;
    }
    control_ = &control;
    return true;
}

void PacketReader::read(const std::function<void(const Packet&)>& onPacket, bool quiet) {
    std::string input;
    try {
        input = control_->input();
    } catch (const RuntimeError& e) {
        // The control reports a lost port once and reopens it by itself.
        std::fprintf(stderr, "vostel-tool: %s: %s\n", command_.c_str(), e.text().c_str());
        lost_ = true;
        return;
    }
    if (input.empty()) return;
    if (lost_) {
        std::fprintf(stderr, "vostel-tool: %s: receiver on port %d is back\n", command_.c_str(), int{port_});
        lost_ = false;
    }
    try {
        decoder_.setData(input);
    } catch (const FramingError&) {
        // Ordinary line noise; the packets before one still count.
        ++framingErrors_;
        if (!quiet) std::printf("framing error (%zu so far)\n", framingErrors_);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "vostel-tool: %s: %s\n", command_.c_str(), e.text().c_str());
    }
    while (decoder_.packetIsLeft()) {
        if (OptPacket p = decoder_.getNextPacket()) onPacket(*p);
    }
    std::fflush(stdout);
}

void PacketReader::reportFramingErrors() const {
    if (framingErrors_ > 0)
        std::fprintf(stderr, "vostel-tool: %s: %zu framing error%s (bytes outside a whole packet)\n",
                     command_.c_str(), framingErrors_, framingErrors_ == 1 ? "" : "s");
}

Monitor::Monitor(const MonitorOptions& options, SignalLibrary library)
    : options_(options), library_(std::move(library)), reader_("monitor", options.port), holdOff_(clock_) {}

bool Monitor::open(SerialControl& control) {
    if (!reader_.open(control)) return false;
    if (!options_.idsOnly)
        std::fprintf(stderr, "vostel-tool: monitor: listening on port %d; Ctrl+C ends\n", int{options_.port});
    return true;
}

bool Monitor::tick() {
    reader_.read([this](const Packet& p) { show(p); }, options_.idsOnly);
    return true;
}

int Monitor::finish(bool) {
    reader_.reportFramingErrors();
    return 0;
}

void Monitor::show(const Packet& packet) {
    std::string id;
    const bool found = OCR::findIn(library_, packet, id);
    const bool logged = found && holdOff_.passed();
    if (options_.idsOnly) {
        if (logged) std::printf("%s\n", cp1252ToUtf8(id).c_str());
    } else {
        std::string line = std::to_string(packet.size()) + ":";
        for (int16_t d : packet) {
            line += ' ';
            line += std::to_string(d);
        }
        std::printf("%s\n  %s\n", line.c_str(), pulseTrainText(packet).c_str());
        if (logged)
            std::printf("  -> %s\n", cp1252ToUtf8(id).c_str());
        else if (found)
            std::printf("  -> %s (not logged: within 0.35 s of the last)\n", cp1252ToUtf8(id).c_str());
        else
            std::printf("  -> <not found>\n");
    }
    if (logged) {
        std::fflush(stdout);
        holdOff_.noteAction();
    }
}

int cmdMonitor(const Args& args) {
    MonitorOptions o;
    if (!parseOptions(args, o)) return 2;
    SignalLibrary library;
    try {
        if (!o.libraryGiven && !o.idsOnly && !std::filesystem::exists(o.library))
            std::fprintf(stderr, "vostel-tool: monitor: no %s here, so nothing is recognised\n",
                         o.library.string().c_str());
        library = readLibraryFile(o.library, o.libraryGiven ? IfMissing::Fail : IfMissing::Empty);
    } catch (const RuntimeError& e) {
        std::fprintf(stderr, "vostel-tool: monitor: %s\n", e.text().c_str());
        return 2;
    }
    Monitor monitor(o, std::move(library));
    return runPortCycle(monitor);
}

}  // namespace vostel::tool
