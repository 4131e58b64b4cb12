// vostel-tool decode: frames a captured byte stream the way the receive cycle does.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "decode/decoder.h"
#include "runtime/error.h"
#include "runtime/input_file.h"

namespace vostel::tool {

const char* const kDecodeUsage =
    "  decode [--hex] [--chunk N] [FILE]\n"
    "      Frames a captured byte stream (FILE, or standard input) into packets.\n"
    "      Raw input is handed over in chunks of N bytes (default 96); with --hex\n"
    "      every line is one chunk of hexadecimal byte pairs (\"fe 10 20 30 ff\").\n"
    "      Prints \"chunk K: packet V1 V2 ...\" and \"chunk K: error N (TEXT)\".\n";

namespace {

constexpr std::size_t kMaxChunk = 1 << 20;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Where and why a --hex line stops being hexadecimal byte pairs.
struct HexFault {
    std::size_t column = 0;  // from 1; 0: the line is fine
    std::string what;
};

// What stands at `column` of a line, for the message: the line itself may be
// long or binary, so it is not shown.
std::string characterAt(const std::string& line, std::size_t column) {
    const auto c = static_cast<unsigned char>(line[column - 1]);
    char what[32];
    if (c >= 0x20 && c < 0x7F)
        std::snprintf(what, sizeof what, "'%c'", c);
    else
        std::snprintf(what, sizeof what, "the byte 0x%02X", c);
    return what;
}

// One --hex line: byte pairs, blanks allowed between them.
HexFault parseHexLine(const std::string& line, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        const int hi = hexValue(c);
        if (hi < 0) return {i + 1, characterAt(line, i + 1) + " is not a hexadecimal digit"};
        const bool alone = i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t';
        if (alone)
            return {i + 1, "the hexadecimal digit " + characterAt(line, i + 1) +
                               " stands alone; a byte is two digits, as in 0" + c};
        const int lo = hexValue(line[i + 1]);
        if (lo < 0) return {i + 2, characterAt(line, i + 2) + " is not a hexadecimal digit"};
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return {};
}

// Hands one chunk to the framer and prints what it made available, then its error.
void frameChunk(Decoder& decoder, std::size_t k, std::string_view chunk, std::string& out) {
    if (chunk.empty()) return;  // an empty read is not handed to the framer
    int error = -1;
    std::string text;
    try {
        decoder.setData(chunk);
    } catch (const RuntimeError& e) {
        error = e.number();
        // The framer's own error has no text of its own; it is ordinary line noise.
        text = error == kErrInternal ? "framing error" : e.text();
    }
    const std::string prefix = "chunk " + std::to_string(k) + ": ";
    while (decoder.packetIsLeft()) {
        out += prefix;
        out += "packet";
        const Packet packet = *decoder.getNextPacket();
        for (int16_t v : packet) {
            out += ' ';
            out += std::to_string(v);
        }
        out += '\n';
    }
    if (error >= 0) out += prefix + "error " + std::to_string(error) + " (" + text + ")\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
}

int fail(const std::string& message, int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "vostel-tool decode: %s\n", message.c_str());
    return status;
}

bool readLine(std::FILE* in, std::string& line, bool& more) {
    line.clear();
    int c;
    while ((c = std::getc(in)) != EOF && c != '\n') line += static_cast<char>(c);
    more = c != EOF;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return !std::ferror(in);
}

}  // namespace

int cmdDecode(const Args& args) {
    bool hex = false;
    std::size_t chunkSize = 96;
    std::string path;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--hex") {
            hex = true;
        } else if (a == "--chunk") {
            if (i + 1 >= args.size()) return fail("--chunk needs a number", 2);
            const std::string& n = args[++i];
            auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), chunkSize);
            if (ec != std::errc() || end != n.data() + n.size() || chunkSize < 1 || chunkSize > kMaxChunk)
                return fail(
                    "--chunk takes a number from 1 to " + std::to_string(kMaxChunk) + ", not '" + n + "'", 2);
        } else if (a == "-h" || a == "--help") {
            std::printf("usage: vostel-tool %s", kDecodeUsage + 2);  // without the indent of the list
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option '" + a + "'\nusage:\n" + kDecodeUsage, 2);
        } else if (path.empty()) {
            path = a;
        } else {
            return fail("only one FILE may be given", 2);
        }
    }

    std::FILE* in = stdin;
    const std::string name = path.empty() || path == "-" ? "standard input" : path;
    if (!path.empty() && path != "-") {
        int fd = -1;
        try {
            fd = InputFile(path).release();
        } catch (const RuntimeError& e) {
            return fail(e.text(), 1);
        }
        in = ::fdopen(fd, "rb");
        if (!in) {
            ::close(fd);
            return fail("cannot read " + path + ": " + std::strerror(errno), 1);
        }
    }
    struct Closer {
        std::FILE* f;
        ~Closer() {
            if (f != stdin) std::fclose(f);
        }
    } closer{in};

    Decoder decoder;
    std::string out;
    if (hex) {
        std::string line, chunk;
        bool more = true;
        for (std::size_t k = 1; more; ++k) {
            if (!readLine(in, line, more))
                return fail("cannot read " + name + ": " + std::strerror(errno), 1);
            if (!more && line.empty()) break;
            if (const HexFault fault = parseHexLine(line, chunk); fault.column > 0)
                return fail(name + ", line " + std::to_string(k) + ", column " +
                                std::to_string(fault.column) + ": not hexadecimal byte pairs (" + fault.what +
                                ")",
                            1);
            frameChunk(decoder, k, chunk, out);
        }
    } else {
        std::string chunk(chunkSize, '\0');
        for (std::size_t k = 1;; ++k) {
            const std::size_t n = std::fread(chunk.data(), 1, chunkSize, in);
            if (std::ferror(in)) return fail("cannot read " + name + ": " + std::strerror(errno), 1);
            frameChunk(decoder, k, std::string_view(chunk).substr(0, n), out);
            if (n < chunkSize) break;
        }
    }
    if (std::fflush(stdout) != 0) return fail(std::string("cannot write: ") + std::strerror(errno), 1);
    return 0;
}

}  // namespace vostel::tool
