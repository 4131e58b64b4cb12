// The library commands: list, export, import, rename, delete, match.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>

#include "commands.h"
#include "library/library_file.h"
#include "library/ocr.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"

namespace vostel::tool {

const char* const kLibraryUsage =
    "  list [FILE]                        one line per record: index, ID, element count, elements\n"
    "  export [FILE]                      the library as JSON on standard output\n"
    "  import JSON [FILE]                 write the library from a JSON file ('-': standard input)\n"
    "  rename INDEX NEWID [FILE]          give record INDEX a new ID\n"
    "  delete INDEX [FILE]                remove record INDEX\n"
    "  match [--library FILE] V1 V2 ...   the ID of the first record matching the packet\n"
    "  FILE is the library file, irdata.txt in the working directory by default.\n";

namespace {

constexpr const char* kDefaultFile = "irdata.txt";

// A failure of the command's input: reported on one line, exit status 2.
struct UsageError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw UsageError{message}; }

std::filesystem::path fileArg(const Args& args, std::size_t fixed, const char* command) {
    if (args.size() > fixed + 1)
        fail(std::string(command) + ": too many arguments (see vostel-tool --help)");
    if (args.size() < fixed) fail(std::string(command) + ": missing arguments (see vostel-tool --help)");
    return args.size() == fixed + 1 ? std::filesystem::path(args[fixed]) : std::filesystem::path(kDefaultFile);
}

// Reads a library that must exist: a missing file is an error here, not an empty library.
SignalLibrary readExisting(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) throw errorFromErrno(errno, file.string());
    return readLibraryFile(file);
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

// An ID typed on the command line (UTF-8) as Windows-1252 bytes.
std::string idFromUtf8(const std::string& utf8) {
    int lost = 0;
    std::string id = utf8ToCp1252(utf8, &lost);
    if (lost > 0) fail("the ID '" + utf8 + "' has characters that Windows-1252 cannot hold");
    if (id.empty()) fail("an empty ID is not allowed");
    if (id.size() > kMaxIdBytes) fail("the ID is longer than " + std::to_string(kMaxIdBytes) + " bytes");
    return id;
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

int cmdList(const Args& args) {
    SignalLibrary lib = readExisting(fileArg(args, 0, "list"));
    for (std::size_t i = 0; i < lib.size(); ++i) {
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
        std::cout << line << '\n';
    }
    return 0;
}

// A JSON string literal for a Windows-1252 ID (UTF-8, escaped as JSON needs).
std::string jsonString(const std::string& cp1252) {
    std::string utf8 = cp1252ToUtf8(cp1252);
    QJsonArray one{QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()))};
    QByteArray json = QJsonDocument(one).toJson(QJsonDocument::Compact);  // ["..."]
    return std::string(json.constData() + 1, static_cast<std::size_t>(json.size() - 2));
}

// {"records": [{"id": "on", "packet": [10, 200, 35]}, {"id": "", "packet": null}]}
int cmdExport(const Args& args) {
    SignalLibrary lib = readExisting(fileArg(args, 0, "export"));
    std::string out = "{\"records\": [";
    for (std::size_t i = 0; i < lib.size(); ++i) {
        const SignalRecord& r = lib[i];
        if (i > 0) out += ", ";
        out += "{\"id\": " + jsonString(r.id) + ", \"packet\": ";
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

SignalRecord recordFromJson(const QJsonValue& v, std::size_t i) {
    const std::string where = "record " + std::to_string(i);
    if (!v.isObject()) fail(where + ": not an object with \"id\" and \"packet\"");
    QJsonObject o = v.toObject();
    for (const QString& key : o.keys())
        if (key != "id" && key != "packet") fail(where + ": unknown field \"" + key.toStdString() + "\"");
    if (!o.contains("id") || !o.value("id").isString()) fail(where + ": \"id\" must be a string");
    if (!o.contains("packet")) fail(where + ": \"packet\" is missing (null for an absent packet)");

    SignalRecord r;
    QList<uint> ucs4 = o.value("id").toString().toUcs4();
    int lost = 0;
    r.id = u32ToCp1252(std::u32string(ucs4.begin(), ucs4.end()), &lost);
    if (lost > 0) fail(where + ": the ID has characters that Windows-1252 cannot hold");
    if (r.id.size() > kMaxIdBytes) fail(where + ": the ID is longer than " + std::to_string(kMaxIdBytes) + " bytes");

    QJsonValue p = o.value("packet");
    if (p.isNull()) return r;
    if (!p.isArray()) fail(where + ": \"packet\" must be an array of integers or null");
    QJsonArray a = p.toArray();
    if (static_cast<std::size_t>(a.size()) > kMaxElements)
        fail(where + ": the packet has more than " + std::to_string(kMaxElements) + " elements");
    r.packet.emplace();
    r.packet->reserve(static_cast<std::size_t>(a.size()));
    for (qsizetype j = 0; j < a.size(); ++j) {
        double d = a.at(j).toDouble(NAN);
        if (!a.at(j).isDouble() || std::trunc(d) != d || d < -32768 || d > 32767)
            fail(where + ": element " + std::to_string(j) + " is not a whole number from -32768 to 32767");
        r.packet->push_back(static_cast<int16_t>(d));
    }
    return r;
}

int cmdImport(const Args& args) {
    std::filesystem::path file = fileArg(args, 1, "import");
    const std::string source = args[0] == "-" ? std::string("standard input") : args[0];
    std::string text;
    if (args[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) fail("import: cannot read standard input");
    } else {
        std::FILE* f = std::fopen(source.c_str(), "rb");
        if (!f) throw errorFromErrno(errno, source);
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        bool bad = std::ferror(f) != 0;
        int err = errno;
        std::fclose(f);
        if (bad) throw errorFromErrno(err, source);
    }
    QJsonParseError perr{};
    QJsonDocument doc = QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &perr);
    if (doc.isNull())
        fail("import: " + source + " is not JSON: " + perr.errorString().toStdString() + " at offset " +
             std::to_string(perr.offset));
    if (!doc.isObject() || !doc.object().value("records").isArray() || doc.object().size() != 1)
        fail("import: " + source + " must be an object with just a \"records\" array");
    QJsonArray records = doc.object().value("records").toArray();
    if (static_cast<std::size_t>(records.size()) > kMaxRecords)
        fail("import: more than " + std::to_string(kMaxRecords) + " records");
    SignalLibrary lib;
    lib.reserve(static_cast<std::size_t>(records.size()));
    for (qsizetype i = 0; i < records.size(); ++i)
        lib.push_back(recordFromJson(records.at(i), static_cast<std::size_t>(i)));
    writeLibraryFile(file, lib);
    return 0;
}

int cmdRename(const Args& args) {
    std::filesystem::path file = fileArg(args, 2, "rename");
    SignalLibrary lib = readExisting(file);
    std::size_t i = recordIndex(args[0], lib);
    lib[i].id = idFromUtf8(args[1]);
    writeLibraryFile(file, lib);
    return 0;
}

int cmdDelete(const Args& args) {
    std::filesystem::path file = fileArg(args, 1, "delete");
    SignalLibrary lib = readExisting(file);
    std::size_t i = recordIndex(args[0], lib);
    lib.erase(lib.begin() + static_cast<std::ptrdiff_t>(i));
    writeLibraryFile(file, lib);
    return 0;
}

int cmdMatch(const Args& args) {
    std::filesystem::path file = kDefaultFile;
    std::size_t first = 0;
    if (!args.empty() && args[0] == "--library") {
        if (args.size() < 2) fail("match: --library needs a file name");
        file = args[1];
        first = 2;
    }
    if (first >= args.size()) fail("match: no packet given (V1 V2 V3 ...)");
    Packet packet;
    for (std::size_t i = first; i < args.size(); ++i)
        packet.push_back(static_cast<int16_t>(parseInteger(args[i], -32768, 32767, "element")));
    SignalLibrary lib = readExisting(file);
    std::string id;
    bool found = OCR::findIn(lib, packet, id);
    std::cout << (found ? cp1252ToUtf8(id) : id) << '\n';
    return found ? 0 : 1;
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
        const int status = run(args);
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
