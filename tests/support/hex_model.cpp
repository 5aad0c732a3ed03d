#include "tests/support/hex_model.h"

#include "tests/support/reference.h"

#include <cctype>

namespace model {

namespace {

struct Line {
    size_t start, length; // of its text, without a byte-order mark and its line end
    size_t end;           // its line end's bytes (0, 1 or 2)
};

std::vector<Line> Split(const std::string &in) {
    std::vector<Line> lines;
    for (size_t i = 0; i < in.size();) {
        size_t end = in.find_first_of(std::string("\r\n\0", 3), i);
        if (end == std::string::npos) end = in.size();
        size_t mark = lines.empty() && in.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        size_t term = end == in.size() ? 0 : in.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        lines.push_back({i + mark, end - i - mark, term});
        i = end + term;
    }
    return lines;
}

// The record of a line, without a comment; "" when it holds none.
std::string RecordOf(const std::string &line) {
    if (reference::ShapeOf(line) == reference::WITH_CHECKSUM) return line;
    std::string front = line.substr(0, line.find_first_of(" \t"));
    bool commented = front.size() < line.size();
    return commented && reference::ShapeOf(front) == reference::WITH_CHECKSUM ? front : "";
}

struct Record {
    int64_t line;
    size_t start; // in the file
    std::string text;
    int count, type;
    uint64_t address; // of data byte 0
};

std::vector<Record> Records(const std::string &file) {
    std::vector<Record> records;
    uint64_t base = 0;
    int64_t number = 0;
    for (const Line &line : Split(file)) {
        std::string text = RecordOf(file.substr(line.start, line.length));
        ++number;
        if (text.empty()) continue;
        auto pair = [&](size_t k) { return reference::PairValue(text, 1 + 2 * k); };
        int count = pair(0), type = pair(3);
        records.push_back({number, line.start, text, count, type,
                           base + static_cast<uint64_t>(pair(1) * 256 + pair(2))});
        if (count == 2 && (type == 2 || type == 4))
            base = static_cast<uint64_t>(pair(4) * 256 + pair(5)) * (type == 4 ? 65536 : 16);
    }
    return records;
}

} // namespace

Patched Patch(const std::string &in) {
    Patched patched;
    std::vector<Line> lines = Split(in);
    size_t copied = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line &line = lines[k];
        std::string text = in.substr(line.start, line.length), n = std::to_string(k + 1);
        std::string record = RecordOf(text);
        patched.out += in.substr(copied, line.start - copied);
        copied = line.start + line.length;
        if (!record.empty()) {
            std::string right = reference::RightDigits(record);
            std::string written = record.substr(record.size() - 2);
            std::string finding = n + " checksum " + written + " " + right;
            if (written != right) patched.patching.push_back(finding);
            if (std::stoul(written, nullptr, 16) != std::stoul(right, nullptr, 16))
                patched.checking.push_back(finding);
            text.replace(record.size() - 2, 2, right);
        } else if (!text.empty() && text[0] == ':') {
            size_t notDigit = 0;
            for (size_t i = 1; i < text.size() && i < 523 && !notDigit; ++i)
                if (!std::isxdigit(static_cast<unsigned char>(text[i]))) notDigit = i + 1;
            bool counted = text.size() >= 3 && std::isxdigit(static_cast<unsigned char>(text[1])) &&
                           std::isxdigit(static_cast<unsigned char>(text[2]));
            std::string finding =
                n + " malformed " + std::to_string(text.size()) + " " + std::to_string(notDigit) +
                " " + (counted ? std::to_string(11 + 2 * reference::PairValue(text, 1)) : "-1");
            patched.patching.push_back(finding);
            patched.checking.push_back(finding);
        }
        patched.out += text;
        if (!record.empty() && line.end == 0) patched.out += "\r\n";
    }
    patched.out += in.substr(copied);
    return patched;
}

std::map<uint64_t, std::vector<int64_t>> Holders(const std::string &file) {
    std::map<uint64_t, std::vector<int64_t>> holders;
    for (const Record &record : Records(file))
        for (int i = 0; record.type == 0 && i < record.count; ++i)
            holders[record.address + static_cast<uint64_t>(i)].push_back(record.line);
    return holders;
}

std::vector<std::string> Structure(const std::string &file) {
    std::vector<std::string> findings;
    std::map<uint64_t, int64_t> held;
    int64_t endLine = 0;
    const int SHOULD[] = {0, 0, 2, 4, 2, 4};
    for (const Record &r : Records(file)) {
        std::string n = std::to_string(r.line) + " ";
        if (endLine) findings.push_back(n + "after-end " + std::to_string(endLine));
        if (!endLine && r.type == 1) endLine = r.line;
        if (r.type > 5) findings.push_back(n + "type " + std::to_string(r.type));
        if (r.type >= 1 && r.type <= 5 && r.count != SHOULD[r.type])
            findings.push_back(n + "count " + std::to_string(r.type) + " " +
                               std::to_string(r.count) + " " + std::to_string(SHOULD[r.type]));
        bool found = false;
        for (int i = 0; r.type == 0 && i < r.count; ++i) {
            uint64_t address = r.address + static_cast<uint64_t>(i);
            if (held.count(address) && !found)
                findings.push_back(n + "overlap " + std::to_string(address) + " " +
                                   std::to_string(held[address]));
            found = found || held.count(address);
            held.emplace(address, r.line);
        }
    }
    if (!endLine)
        findings.push_back(std::to_string(Split(file).empty() ? 1 : Split(file).size()) +
                           " no-end");
    return findings;
}

SetResult Set(const std::string &file, const std::map<uint64_t, uint8_t> &bytes) {
    SetResult result;
    std::map<uint64_t, std::vector<int64_t>> holders = Holders(file);
    for (const auto &[address, value] : bytes) {
        const std::vector<int64_t> &lines = holders[address];
        if (lines.size() != 1) {
            result.refusal = std::to_string(address) + " " +
                             std::to_string(lines.empty() ? 0 : lines[0]) + " " +
                             std::to_string(lines.size() > 1 ? lines[1] : 0);
            return result;
        }
    }
    std::string out = file;
    for (const Record &r : Records(file)) {
        bool lower = false, upper = false;
        for (char c : r.text.substr(1)) {
            lower = lower || (c >= 'a' && c <= 'f');
            upper = upper || (c >= 'A' && c <= 'F');
        }
        const char *digits = lower && !upper ? "0123456789abcdef" : "0123456789ABCDEF";
        uint64_t from = 0, to = 0;
        auto stretch = [&] {
            if (to > from)
                result.stretches.push_back(std::to_string(r.line) + " " + std::to_string(from) +
                                           " " + std::to_string(to - 1));
            from = to = 0;
        };
        for (int i = 0; r.type == 0 && i < r.count; ++i) {
            uint64_t address = r.address + static_cast<uint64_t>(i);
            auto set = bytes.find(address);
            if (set == bytes.end()) continue;
            if (address != to) stretch();
            if (to == from) from = address;
            to = address + 1;
            out[r.start + 9 + 2 * static_cast<size_t>(i)] = digits[set->second >> 4];
            out[r.start + 10 + 2 * static_cast<size_t>(i)] = digits[set->second & 15];
        }
        stretch();
    }
    result.out = Patch(out).out;
    return result;
}

std::string RandomLayout(std::mt19937 &rng) {
    bool lower = rng() % 4 == 0, right = rng() % 2 == 0; // every checksum right
    std::string end = rng() % 2 ? "\r\n" : "\n";
    std::string file = rng() % 5 == 0 ? "\xEF\xBB\xBF" : "";
    auto hex = [&](unsigned value, int digits) {
        std::string text;
        for (int k = digits - 1; k >= 0; --k)
            text += (lower ? "0123456789abcdef" : "0123456789ABCDEF")[value >> 4 * k & 15];
        return text;
    };
    auto record = [&](unsigned type, unsigned offset, std::vector<unsigned> data) {
        std::string line =
            ":" + hex(static_cast<unsigned>(data.size()), 2) + hex(offset, 4) + hex(type, 2);
        for (unsigned byte : data)
            line += hex(byte, 2);
        line += right || rng() % 3 ? reference::RightDigits(line + "00") : hex(rng() % 256, 2);
        if (rng() % 6 == 0) line += rng() % 2 ? " // " + hex(rng(), 8) + " ..3@" : "\t;";
        return line;
    };
    unsigned next = rng() % 64;
    for (int n = static_cast<int>(rng() % 60); n > 0; --n) {
        unsigned kind = rng() % 40, count = 1 + rng() % 32;
        std::vector<unsigned> data;
        for (unsigned k = 0; k < count; ++k)
            data.push_back(rng() % 256);
        if (kind < 26) { // data: next to the one before, or somewhere near it
            unsigned offset = rng() % 2 ? next : next - 48 + rng() % 96;
            next = (offset + count) & 0xFFFF;
            file += record(0, offset & 0xFFFF, data);
        } else if (kind < 32) { // address records, mostly with two bytes
            data.resize(rng() % 6 ? 2 : rng() % 5);
            if (data.size() == 2) // bases that meet again, and one where addresses pass 4 GiB
                data = rng() % 5 ? std::vector<unsigned>{0, static_cast<unsigned>(rng() % 3)}
                                 : std::vector<unsigned>{0xFF, 0xFF};
            file += record(kind < 30 ? 4 : 2, 0, data);
        } else if (kind < 36) { // end-of-file, start address and unknown types
            data.resize(rng() % 4 ? std::vector<size_t>{0, 4, 4, 0}[kind - 32] : rng() % 5);
            file += record(
                std::vector<unsigned>{1, 3, 5, 6 + static_cast<unsigned>(rng() % 250)}[kind - 32],
                0, data);
        } else {
            file += rng() % 2 ? "; note" : "";
        }
        file += end;
    }
    return file + (rng() % 3 ? ":00000001FF" + end : "");
}

} // namespace model
