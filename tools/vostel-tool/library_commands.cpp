// The library commands: list, export, import, rename, delete, match.
#include <nlohmann/json.hpp>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "commands.h"
#include "library/library_file.h"
#include "library/ocr.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "runtime/input_file.h"
#include "runtime/running_vostel.h"

namespace vostel::tool {

const char* const kLibraryUsage =
    "  list [FILE]                        one line per record: index, ID, element count, elements\n"
    "  export [FILE]                      the library as JSON on standard output\n"
    "  import JSON [FILE] [--replace|--append]   the records of a JSON file ('-': standard input);\n"
    "                                     a library with records needs --replace or --append\n"
    "  rename INDEX NEWID [FILE]          give record INDEX a new ID\n"
    "  delete INDEX [FILE]                remove record INDEX\n"
    "  match [--library FILE] [--explain] V1 V2 ...   the first matching record's ID; --explain: why\n";

namespace {

constexpr const char* kDefaultFile = "irdata.txt";

// A failure of the command's input: reported on one line, exit status 2.
struct UsageError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw UsageError{message}; }

std::filesystem::path fileArg(const Args& args, std::size_t fixed, const char* command) {
    if (args.size() > fixed + 1) fail(std::string(command) + ": too many arguments (see vostel-tool --help)");
    if (args.size() < fixed) fail(std::string(command) + ": missing arguments (see vostel-tool --help)");
    return args.size() == fixed + 1 ? std::filesystem::path(args[fixed])
                                    : std::filesystem::path(kDefaultFile);
}

using nlohmann::json;

// Reads a library that must exist: a missing file is an error here, not an empty library.
SignalLibrary readExisting(const std::filesystem::path& file) {
    return readLibraryFile(file, IfMissing::Fail);
}

long long parseInteger(const std::string& text, long long lo, long long hi, const std::string& what) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < lo || v > hi)
        fail("bad " + what + " '" + text + "' (a whole number from " + std::to_string(lo) + " to " +
             std::to_string(hi) + " is needed)");
    return v;
}

std::size_t recordIndex(const std::string& text, const SignalLibrary& lib) {
    long long v = parseInteger(text, 0, static_cast<long long>(kMaxRecords) - 1, "index");
    if (static_cast<std::size_t>(v) >= lib.size())
        fail("no record " + text + ": the library holds " + std::to_string(lib.size()) + " records");
    return static_cast<std::size_t>(v);
}

// The first character of `utf8` that Windows-1252 cannot hold, with its
// position (from 0, in characters), for a message; "" when it holds them all.
std::string unholdable(const std::string& utf8) {
    const std::u32string text = decodeUtf8(utf8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (unicodeToCp1252(text[i]) >= 0) continue;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(text[i]));
        return std::string("a character that Windows-1252 cannot hold: ") + code + " '" +
               encodeUtf8(text.substr(i, 1)) + "' at position " + std::to_string(i);
    }
    return {};
}

// An ID typed on the command line (UTF-8) as Windows-1252 bytes.
std::string idFromUtf8(const std::string& utf8) {
    if (const std::string why = unholdable(utf8); !why.empty()) fail("the ID '" + utf8 + "' has " + why);
    std::string id = utf8ToCp1252(utf8);
    if (id.empty()) fail("an empty ID is not allowed");
    if (id.size() > kMaxIdBytes) fail("the ID is longer than " + std::to_string(kMaxIdBytes) + " bytes");
    return id;
}

}  // namespace

void warnIfVostelHolds(const std::filesystem::path& file) {
    if (file.filename() != kDefaultFile) return;  // Vostel only ever writes irdata.txt
    const auto running = vostelsRunningIn(std::filesystem::absolute(file).parent_path());
    if (running && !running->empty())
        std::fprintf(stderr,
                     "vostel-tool: Vostel is running in this folder: press LoadIRData there, or its next "
                     "recording overwrites this change\n");
}

std::string quotedId(const std::string& cp1252) {
    std::string out = "\"";
    for (char c : cp1252ToUtf8(cp1252)) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string listLine(const SignalLibrary& lib, std::size_t i) {
    std::string line = std::to_string(i);
    line += ' ';
    line += quotedId(lib[i].id);
    if (!lib[i].packet) {
        line += " absent";
    } else {
        line += ' ';
        line += std::to_string(lib[i].packet->size());
        line += ':';
        for (int16_t e : *lib[i].packet) {
            line += ' ';
            line += std::to_string(e);
        }
    }
    return line;
}

namespace {

int cmdList(const Args& args) {
    SignalLibrary lib = readExisting(fileArg(args, 0, "list"));
    for (std::size_t i = 0; i < lib.size(); ++i) std::cout << listLine(lib, i) << '\n';
    return 0;
}

// {"records": [{"id": "on", "packet": [10, 200, 35]}, {"id": "", "packet": null}]}
// The layout (a space after every comma and colon) is the documented one, which
// no serializer setting gives; each ID's JSON text comes from the library.
int cmdExport(const Args& args) {
    SignalLibrary lib = readExisting(fileArg(args, 0, "export"));
    std::string out = "{\"records\": [";
    for (std::size_t i = 0; i < lib.size(); ++i) {
        const SignalRecord& r = lib[i];
        if (i > 0) out += ", ";
        out += "{\"id\": " + json(cp1252ToUtf8(r.id)).dump() + ", \"packet\": ";
        if (r.packet) {
            out += '[';
            for (std::size_t k = 0; k < r.packet->size(); ++k) {
                if (k > 0) out += ", ";
                out += std::to_string((*r.packet)[k]);
            }
            out += ']';
        } else {
            out += "null";
        }
        out += '}';
    }
    out += "]}\n";
    std::cout << out;
    return 0;
}

SignalRecord recordFromJson(const json& v, std::size_t i) {
    const std::string where = "record " + std::to_string(i);
    if (!v.is_object()) fail(where + ": not an object with \"id\" and \"packet\"");
    for (const auto& field : v.items())
        if (field.key() != "id" && field.key() != "packet")
            fail(where + ": unknown field \"" + field.key() + "\"");
    const auto id = v.find("id");
    if (id == v.end() || !id->is_string()) fail(where + ": \"id\" must be a string");
    const auto p = v.find("packet");
    if (p == v.end()) fail(where + ": \"packet\" is missing (null for an absent packet)");

    SignalRecord r;
    if (const std::string why = unholdable(id->get<std::string>()); !why.empty())
        fail(where + ": the ID has " + why);
    r.id = utf8ToCp1252(id->get<std::string>());
    if (r.id.size() > kMaxIdBytes)
        fail(where + ": the ID is longer than " + std::to_string(kMaxIdBytes) + " bytes");

    if (p->is_null()) return r;
    if (!p->is_array()) fail(where + ": \"packet\" must be an array of integers or null");
    if (p->size() > kMaxElements)
        fail(where + ": the packet has more than " + std::to_string(kMaxElements) + " elements");
    r.packet.emplace();
    r.packet->reserve(p->size());
    for (std::size_t j = 0; j < p->size(); ++j) {
        const json& e = (*p)[j];
        const double d = e.is_number() ? e.get<double>() : NAN;
        if (std::trunc(d) != d || d < -32768 || d > 32767)
            fail(where + ": element " + std::to_string(j) + " is not a whole number from -32768 to 32767");
        r.packet->push_back(static_cast<int16_t>(d));
    }
    return r;
}

// Parses the document; on a syntax error, says which record it is in.
json parseDocument(const std::string& text, const std::string& source) {
    using Event = json::parse_event_t;
    std::size_t started = 0;  // elements of the "records" array begun
    bool recordsKey = false, inRecords = false;
    try {
        return json::parse(text, [&](int depth, Event event, json& parsed) {
            if (depth == 1) {
                if (event == Event::key) recordsKey = parsed == "records";
                inRecords = recordsKey && event == Event::array_start;
            } else if (depth == 2 && inRecords &&
                       (event == Event::object_start || event == Event::array_start ||
                        event == Event::value)) {
                ++started;
            }
            return true;
        });
    } catch (const json::exception& e) {
        // "[json.exception.parse_error.101] parse error at ...; last read: '...'": the
        // tag and the echo of the input (which may be long) are left out.
        std::string why = e.what();
        why.erase(0, why.find("] ") == std::string::npos ? 0 : why.find("] ") + 2);
        why = why.substr(0, why.find("; last read:")).substr(0, 200);
        const std::string where =
            inRecords && started > 0 ? " (record " + std::to_string(started - 1) + ")" : "";
        fail("import: " + source + " is not JSON" + where + ": " + why);
    }
}

std::string records(std::size_t n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

int cmdImport(const Args& options) {
    bool replace = false, append = false;
    Args args;
    for (const std::string& a : options) {
        if (a == "--replace")
            replace = true;
        else if (a == "--append")
            append = true;
        else
            args.push_back(a);
    }
    if (replace && append) fail("import: --replace and --append exclude each other");
    std::filesystem::path file = fileArg(args, 1, "import");
    const bool fromStdin = args[0] == "-";
    const std::string source = fromStdin ? std::string("standard input") : args[0];
    std::string text;
    if (fromStdin) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) fail("import: cannot read standard input");
    } else {
        text = readWholeFile(source);
    }
    const json doc = parseDocument(text, source);
    const auto found = doc.is_object() && doc.size() == 1 ? doc.find("records") : doc.end();
    if (found == doc.end() || !found->is_array())
        fail("import: " + source + " must be an object with just a \"records\" array");
    if (found->size() > kMaxRecords) fail("import: more than " + std::to_string(kMaxRecords) + " records");
    SignalLibrary imported;
    imported.reserve(found->size());
    for (std::size_t i = 0; i < found->size(); ++i) imported.push_back(recordFromJson((*found)[i], i));

    // Records of the library are never dropped unasked; --replace also replaces a damaged library.
    SignalLibrary lib;
    std::string damage;
    try {
        lib = readLibraryFile(file, IfMissing::Empty);
    } catch (const RuntimeError& e) {
        if (!replace) throw;
        damage = e.text();
    }
    const std::size_t before = lib.size();
    if (before > 0 && !replace && !append)
        fail("import: " + file.string() + " holds " + records(before) +
             "; --replace replaces them, --append adds the imported ones after them (nothing written)");
    if (replace) {
        lib = std::move(imported);
    } else {
        if (before + imported.size() > kMaxRecords)
            fail("import: " + records(before) + " and " + records(imported.size()) + " are more than " +
                 std::to_string(kMaxRecords) + " (nothing written)");
        lib.insert(lib.end(), imported.begin(), imported.end());
    }
    writeLibraryFile(file, lib);
    if (replace && !damage.empty())
        std::cout << "replaced what was no readable library (" << damage << ") with " << records(lib.size())
                  << '\n';
    else if (replace)
        std::cout << "replaced " << records(before) << " with " << lib.size() << '\n';
    else
        std::cout << "added " << records(lib.size() - before) << ", now " << lib.size() << '\n';
    warnIfVostelHolds(file);
    return 0;
}

int cmdRename(const Args& args) {
    std::filesystem::path file = fileArg(args, 2, "rename");
    SignalLibrary lib = readExisting(file);
    std::size_t i = recordIndex(args[0], lib);
    lib[i].id = idFromUtf8(args[1]);
    writeLibraryFile(file, lib);
    warnIfVostelHolds(file);
    return 0;
}

int cmdDelete(const Args& args) {
    std::filesystem::path file = fileArg(args, 1, "delete");
    SignalLibrary lib = readExisting(file);
    std::size_t i = recordIndex(args[0], lib);
    lib.erase(lib.begin() + static_cast<std::ptrdiff_t>(i));
    writeLibraryFile(file, lib);
    warnIfVostelHolds(file);
    return 0;
}

int cmdMatch(const Args& args) {
    std::filesystem::path file = kDefaultFile;
    bool explain = false;
    std::size_t first = 0;
    for (; first < args.size() && args[first].starts_with("--"); ++first) {
        if (args[first] == "--explain") {
            explain = true;
        } else if (args[first] == "--library") {
            if (++first == args.size()) fail("match: --library needs a file name");
            file = args[first];
        } else {
            fail("match: unknown option '" + args[first] + "' (see vostel-tool --help)");
        }
    }
    if (first >= args.size()) fail("match: no packet given (V1 V2 V3 ...)");
    Packet packet;
    for (std::size_t i = first; i < args.size(); ++i)
        packet.push_back(static_cast<int16_t>(parseInteger(args[i], -32768, 32767, "element")));
    SignalLibrary lib = readExisting(file);
    std::string id;
    bool found = OCR::findIn(lib, packet, id);
    std::cout << (found ? cp1252ToUtf8(id) : id) << '\n';
    if (explain) printExplanation(lib, packet);
    return found ? 0 : 1;
}

}  // namespace

namespace {

// The usage of one command, from its line in kLibraryUsage.
std::string commandUsage(const std::string& command) {
    const std::string all = kLibraryUsage;
    const std::size_t at = all.find("  " + command + " ");
    const std::size_t end = all.find('\n', at);
    const std::string line = all.substr(at + 2, end - at - 2);
    const std::size_t gap = line.find("   ");
    std::string usage = "usage: vostel-tool " + line.substr(0, gap) + "\n  " +
                        line.substr(line.find_first_not_of(' ', gap)) + "\n";
    // Lines indented further continue the command's.
    for (std::size_t from = end + 1; all.compare(from, 4, "    ") == 0;) {
        const std::size_t next = all.find('\n', from);
        usage += "  " +
                 all.substr(all.find_first_not_of(' ', from), next - all.find_first_not_of(' ', from)) + "\n";
        from = next + 1;
    }
    if (line.substr(0, gap).find("FILE") != std::string::npos)
        usage += "  FILE is the library file, irdata.txt in the working directory by default.\n";
    return usage;
}

bool isNegativeNumber(const std::string& a) {
    return a.size() > 1 && a[0] == '-' && a[1] >= '0' && a[1] <= '9';
}

// The command's operands. --help (-h) asks for the command's usage; every
// other argument that starts with '-' is an option, and the commands know
// only match's --library and --explain and import's --replace and --append,
// so the rest are refused rather than taken as file names. "-" alone (standard input), match's negative
// elements, and anything after "--" are operands.
std::optional<Args> operandsOf(const std::string& command, const Args& args) {
    Args operands;
    bool optionsEnd = false;
    for (const std::string& a : args) {
        if (optionsEnd || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--help" || a == "-h") {
            return std::nullopt;
        } else if (command == "match" && (a == "--library" || a == "--explain" || isNegativeNumber(a))) {
            operands.push_back(a);
        } else if (command == "import" && (a == "--replace" || a == "--append")) {
            operands.push_back(a);
        } else {
            fail(command + ": unknown option '" + a + "' (see vostel-tool " + command + " --help)");
        }
    }
    return operands;
}

}  // namespace

int cmdLibrary(const std::string& command, const Args& args) {
    int (*run)(const Args&) = nullptr;
    if (command == "list") run = cmdList;
    if (command == "export") run = cmdExport;
    if (command == "import") run = cmdImport;
    if (command == "rename") run = cmdRename;
    if (command == "delete") run = cmdDelete;
    if (command == "match") run = cmdMatch;
    if (!run) return -1;
    try {
        const std::optional<Args> operands = operandsOf(command, args);
        if (!operands) {
            std::cout << commandUsage(command);
            return std::cout.flush() ? 0 : 2;
        }
        const int status = run(*operands);
        // What was printed must have arrived: an export to a full disk is no backup.
        errno = 0;
        if (!std::cout.flush())
            fail(std::string("cannot write to standard output") +
                 (errno ? std::string(": ") + std::strerror(errno) : ""));
        return status;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vostel-tool: %s\n", e.message.c_str());
        return 2;
    }
}

}  // namespace vostel::tool
