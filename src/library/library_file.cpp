#include "library/library_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "runtime/error.h"
#include "runtime/input_file.h"

namespace vostel {

namespace {

// A file that breaks the layout. A JSON document is the likeliest mistake
// (an export given where the library belongs), so it gets a hint.
[[noreturn]] void badLayout(const std::string& file, const std::string& fault, bool looksLikeJson) {
    std::string text = file + " is not a Vostel library: " + fault;
    if (looksLikeJson) text += " (it looks like JSON; vostel-tool import reads JSON into a library)";
    throw RuntimeError(kErrInvalidFileFormat, text);
}

// Where the bytes come from: fills the buffer with up to `n` bytes, fewer
// only at the end.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t n)>;

// Reads little-endian values from a source, asking it for more only as the
// records need it, so a file longer than its layout is not read to its end.
// Whatever lies past the end of the source reads as zero.
class Reader {
public:
    static constexpr std::size_t kChunk = 64 * 1024;

    // Asks the source for `chunk` bytes at a time.
    explicit Reader(ByteSource source, std::size_t chunk = kChunk)
        : source_(std::move(source)), buffer_(std::max<std::size_t>(chunk, 1)) {}

    bool atEnd() { return !fill(); }

    // Whether the first bytes, after blanks, open a JSON object or array.
    bool looksLikeJson() {
        fill();
        for (std::size_t i = pos_; i < len_; ++i) {
            const char c = buffer_[i];
            if (c == '{' || c == '[') return true;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
        }
        return false;
    }

    uint64_t read(int size) {
        unsigned char bytes[8] = {};
        const auto n = static_cast<std::size_t>(size);
        if (len_ - pos_ >= n) {  // the usual case: the value lies in the buffer
            std::memcpy(bytes, buffer_.data() + pos_, n);
            pos_ += n;
        } else {
            take(reinterpret_cast<char*>(bytes), n);
        }
        uint64_t v = 0;
        for (int i = 0; i < size; ++i) v |= uint64_t{bytes[i]} << (8 * i);
        return v;
    }

    Packet elements(std::size_t n) {
        Packet p(n);  // n is at most kMaxElements, so this stays small
        if constexpr (std::endian::native == std::endian::little) {
            take(reinterpret_cast<char*>(p.data()), n * 2);
        } else {
            for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<int16_t>(read(2));
        }
        return p;
    }

    std::string text(std::size_t k) {
        std::string s(k, '\0');
        take(s.data(), k);
        return s;
    }

private:
    bool fill() {
        if (pos_ < len_) return true;
        if (ended_) return false;
        pos_ = 0;
        len_ = source_(buffer_.data(), buffer_.size());
        ended_ = len_ < buffer_.size();
        return len_ > 0;
    }

    // Copies the next n bytes to out; what the source does not hold stays as it is (zero).
    void take(char* out, std::size_t n) {
        while (n > 0 && fill()) {
            const std::size_t part = std::min(n, len_ - pos_);
            std::memcpy(out, buffer_.data() + pos_, part);
            pos_ += part;
            out += part;
            n -= part;
        }
    }

    ByteSource source_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, len_ = 0;
    bool ended_ = false;
};

SignalLibrary decode(Reader& in, const std::string& file) {
    SignalLibrary lib;
    if (in.atEnd()) return lib;
    const bool json = in.looksLikeJson();
    auto last = static_cast<int32_t>(static_cast<uint32_t>(in.read(4)));
    if (last < -1 || last > static_cast<int32_t>(kMaxRecords) - 1)
        badLayout(file,
                  "the last index is " + std::to_string(last) + ", it must lie between -1 and " +
                      std::to_string(kMaxRecords - 1),
                  json);
    for (int32_t i = 0; i <= last; ++i) {
        if (in.atEnd()) {
            // A file cut short: the records it does not hold have no packet and an empty ID.
            lib.resize(static_cast<std::size_t>(last) + 1);
            break;
        }
        SignalRecord rec;
        auto dims = static_cast<uint16_t>(in.read(2));
        if (dims > 1)
            badLayout(file,
                      "record " + std::to_string(i) + " has a dimension count of " + std::to_string(dims) +
                          ", only 0 and 1 are valid",
                      json);
        if (dims == 1) {
            auto n = static_cast<uint32_t>(in.read(4));
            auto lower = static_cast<int32_t>(static_cast<uint32_t>(in.read(4)));
            if (n > kMaxElements)
                badLayout(file,
                          "record " + std::to_string(i) + " has " + std::to_string(n) +
                              " elements, at most " + std::to_string(kMaxElements) + " are valid",
                          json);
            if (lower != 0)
                badLayout(file,
                          "record " + std::to_string(i) + " has a lower bound of " + std::to_string(lower) +
                              ", only 0 is valid",
                          json);
            rec.packet = in.elements(n);
        }
        rec.id = in.text(static_cast<uint16_t>(in.read(2)));
        lib.push_back(std::move(rec));
    }
    return lib;
}

void put(std::string& out, uint64_t v, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string encodeLibrary(const SignalLibrary& records) {
    if (records.size() > kMaxRecords)
        throw RuntimeError(kErrOverflow, "Overflow: a library holds at most " + std::to_string(kMaxRecords) +
                                             " records, this one " + std::to_string(records.size()));
    std::size_t size = 4;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SignalRecord& r = records[i];
        if (r.packet && r.packet->size() > kMaxElements)
            throw RuntimeError(kErrOverflow, "Overflow: record " + std::to_string(i) + " has " +
                                                 std::to_string(r.packet->size()) + " elements, at most " +
                                                 std::to_string(kMaxElements) + " are allowed");
        if (r.id.size() > kMaxIdBytes)
            throw RuntimeError(kErrOverflow, "Overflow: the ID of record " + std::to_string(i) + " is " +
                                                 std::to_string(r.id.size()) + " bytes long, at most " +
                                                 std::to_string(kMaxIdBytes) + " are allowed");
        size += 4 + r.id.size() + (r.packet ? 8 + 2 * r.packet->size() : 0);
    }
    std::string out;
    out.reserve(size);
    put(out, static_cast<uint32_t>(static_cast<int32_t>(records.size()) - 1), 4);
    for (const SignalRecord& r : records) {
        put(out, r.packet ? 1 : 0, 2);
        if (r.packet) {
            put(out, r.packet->size(), 4);
            put(out, 0, 4);  // lower bound
            for (int16_t e : *r.packet) put(out, static_cast<uint16_t>(e), 2);
        }
        put(out, r.id.size(), 2);
        out += r.id;
    }
    return out;
}

SignalLibrary decodeLibrary(std::string_view bytes, const std::string& file) {
    Reader in(
        [bytes](char* buffer, std::size_t n) mutable {
            const std::size_t part = std::min(n, bytes.size());
            std::memcpy(buffer, bytes.data(), part);
            bytes.remove_prefix(part);
            return part;
        },
        std::min(bytes.size() + 1, Reader::kChunk));
    return decode(in, file);
}

SignalLibrary readLibraryFile(const std::filesystem::path& file, IfMissing ifMissing) {
    std::optional<InputFile> source = ifMissing == IfMissing::Fail ? std::optional<InputFile>(InputFile(file))
                                                                   : InputFile::openIfPresent(file);
    if (!source) return {};
    Reader in([&source](char* buffer, std::size_t n) { return source->read(buffer, n); });
    return decode(in, source->name());
}

}  // namespace vostel
