#include "library/library_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "runtime/error.h"
#include "runtime/input_file.h"

namespace vostel {

namespace {

[[noreturn]] void badLayout(const std::string& file, const std::string& fault) {
    throw RuntimeError(kErrInvalidFileFormat, "Invalid file format: " + file + ": " + fault);
}

// Reads little-endian values; whatever lies past the end of the bytes reads as zero.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }

    uint64_t read(int size) {
        uint64_t v = 0;
        for (int i = 0; i < size; ++i, ++pos_)
            if (pos_ < bytes_.size()) v |= uint64_t{static_cast<unsigned char>(bytes_[pos_])} << (8 * i);
        return v;
    }

    Packet elements(std::size_t n) {
        Packet p(n);  // n is at most kMaxElements, so this stays small
        std::size_t whole = pos_ < bytes_.size() ? std::min(n, (bytes_.size() - pos_) / 2) : 0;
        if constexpr (std::endian::native == std::endian::little) {
            if (whole > 0) std::memcpy(p.data(), bytes_.data() + pos_, whole * 2);
            pos_ += whole * 2;
        } else {
            for (std::size_t i = 0; i < whole; ++i) p[i] = static_cast<int16_t>(read(2));
        }
        for (std::size_t i = whole; i < n; ++i) p[i] = static_cast<int16_t>(read(2));
        return p;
    }

    std::string text(std::size_t k) {
        std::string s;
        if (pos_ < bytes_.size()) s.assign(bytes_.substr(pos_, k));
        pos_ += k;
        s.resize(k, '\0');
        return s;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

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
    SignalLibrary lib;
    if (bytes.empty()) return lib;
    Reader in(bytes);
    auto last = static_cast<int32_t>(static_cast<uint32_t>(in.read(4)));
    if (last < -1 || last > static_cast<int32_t>(kMaxRecords) - 1)
        badLayout(file, "the last index is " + std::to_string(last) + ", it must lie between -1 and " +
                            std::to_string(kMaxRecords - 1));
    for (int32_t i = 0; i <= last; ++i) {
        if (in.atEnd()) {
            // A file cut short: the records it does not hold have no packet and an empty ID.
            lib.resize(static_cast<std::size_t>(last) + 1);
            break;
        }
        SignalRecord rec;
        auto dims = static_cast<uint16_t>(in.read(2));
        if (dims > 1)
            badLayout(file, "record " + std::to_string(i) + " has a dimension count of " +
                                std::to_string(dims) + ", only 0 and 1 are valid");
        if (dims == 1) {
            auto n = static_cast<uint32_t>(in.read(4));
            auto lower = static_cast<int32_t>(static_cast<uint32_t>(in.read(4)));
            if (n > kMaxElements)
                badLayout(file, "record " + std::to_string(i) + " has " + std::to_string(n) +
                                    " elements, at most " + std::to_string(kMaxElements) + " are valid");
            if (lower != 0)
                badLayout(file, "record " + std::to_string(i) + " has a lower bound of " +
                                    std::to_string(lower) + ", only 0 is valid");
            rec.packet = in.elements(n);
        }
        rec.id = in.text(static_cast<uint16_t>(in.read(2)));
        lib.push_back(std::move(rec));
    }
    return lib;
}

SignalLibrary readLibraryFile(const std::filesystem::path& file, IfMissing ifMissing) {
    if (ifMissing == IfMissing::Fail) return decodeLibrary(readWholeFile(file), file.string());
    std::optional<InputFile> in = InputFile::openIfPresent(file);
    return in ? decodeLibrary(in->readRest(), in->name()) : SignalLibrary{};
}

}  // namespace vostel
