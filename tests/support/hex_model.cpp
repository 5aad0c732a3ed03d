// SPDX-License-Identifier: MIT
#include "tests/support/hex_model.h"

#include "tests/support/reference.h"

#include <algorithm>
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

// The line end a record on line k gets when it is written without one: that of the line before
// it, CR LF for a zero byte or when there is none.
std::string AddedEnd(const std::string &in, const std::vector<Line> &lines, size_t k) {
    std::string end =
        k ? in.substr(lines[k - 1].start + lines[k - 1].length, lines[k - 1].end) : "";
    return end == "\n" || end == "\r" ? end : "\r\n";
}

// A record's case: 'a' when its letters are all lower case, 'A' when one is upper case, 0 when
// it has none.
char CaseOf(const std::string &record) {
    if (record.find_first_of("ABCDEF") != std::string::npos) return 'A';
    return record.find_first_of("abcdef") != std::string::npos ? 'a' : 0;
}

// The right checksum of a record, in its case, else in the case of the record before it (as
// found), else upper case.
std::string InItsCase(const std::string &record, std::string digits, char before = 0) {
    char own = CaseOf(record), used = own ? own : before;
    for (char &c : digits)
        c = used == 'a' ? static_cast<char>(std::tolower(static_cast<unsigned char>(c))) : c;
    return digits;
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
    bool malformed;   // no record, but ":" and eight digits: its count, address and type
    uint64_t segment; // under a type 02 record: its base, where the data wraps to; else none
    char before;      // the case of the record before it

    // The address of data byte i: within its 64 KiB segment under a type 02 record.
    uint64_t At(int i) const {
        uint64_t offset = address - segment + static_cast<uint64_t>(i);
        return segment != NO_SEGMENT ? segment + offset % 65536
                                     : address + static_cast<uint64_t>(i);
    }
    static constexpr uint64_t NO_SEGMENT = ~uint64_t{0};
};

// The records in line order; with headed, also the lines that are no records but start with
// ":" and eight hexadecimal digits (they place nothing).
std::vector<Record> Records(const std::string &file, bool headed = false) {
    std::vector<Record> records;
    uint64_t base = 0, segment = Record::NO_SEGMENT;
    int64_t number = 0;
    char before = 0;
    for (const Line &line : Split(file)) {
        std::string whole = file.substr(line.start, line.length), text = RecordOf(whole);
        ++number;
        bool malformed = text.empty() && headed && whole.size() >= 9 && whole[0] == ':' &&
                         std::all_of(whole.begin() + 1, whole.begin() + 9, [](char c) {
                             return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                         });
        if (malformed) text = whole;
        if (text.empty()) continue;
        auto pair = [&](size_t k) { return reference::PairValue(text, 1 + 2 * k); };
        int count = pair(0), type = pair(3);
        records.push_back({number, line.start, text, count, type,
                           base + static_cast<uint64_t>(pair(1) * 256 + pair(2)), malformed,
                           segment, before});
        if (malformed) continue;
        before = CaseOf(text);
        if (count == 2 && (type == 2 || type == 4)) {
            base = static_cast<uint64_t>(pair(4) * 256 + pair(5)) * (type == 4 ? 65536 : 16);
            segment = type == 2 ? base : Record::NO_SEGMENT;
        }
    }
    return records;
}

} // namespace

Patched Patch(const std::string &in) {
    Patched patched;
    std::vector<Line> lines = Split(in);
    size_t copied = 0;
    char before = 0; // the case of the record before, as found
    for (size_t k = 0; k < lines.size(); ++k) {
        const Line &line = lines[k];
        std::string text = in.substr(line.start, line.length), n = std::to_string(k + 1);
        std::string record = RecordOf(text);
        patched.out += in.substr(copied, line.start - copied);
        copied = line.start + line.length;
        patched.lastRecordOpen = !record.empty() && line.end == 0;
        if (!record.empty()) {
            std::string written = record.substr(record.size() - 2);
            std::string right = InItsCase(record, reference::RightDigits(record), before);
            before = CaseOf(record);
            if (std::stoul(written, nullptr, 16) != std::stoul(right, nullptr, 16)) {
                patched.patching.push_back(n + " checksum " + written + " " + right);
                patched.checking.push_back(patched.patching.back());
                text.replace(record.size() - 2, 2, right);
                if (line.end == 0) {
                    patched.patching.push_back(n + " line end");
                    text += AddedEnd(in, lines, k);
                }
            }
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
    }
    patched.out += in.substr(copied);
    return patched;
}

std::map<uint64_t, std::vector<int64_t>> Holders(const std::string &file) {
    std::map<uint64_t, std::vector<int64_t>> holders;
    for (const Record &r : Records(file))
        for (int i = 0; r.type == 0 && i < r.count; ++i)
            holders[r.At(i)].push_back(r.line);
    return holders;
}

int64_t UnknownLine(const std::string &file) {
    std::vector<Line> lines = Split(file);
    for (size_t k = 0; k < lines.size(); ++k) {
        std::string text = file.substr(lines[k].start, lines[k].length);
        std::string record = RecordOf(text);
        auto pair = [&](size_t at) { return reference::PairValue(record, 1 + 2 * at); };
        if (!record.empty() && pair(3) == 1) return 0;
        size_t first = text.find_first_not_of(" \t");
        bool malformed = record.empty() && first != std::string::npos && text[first] == ':';
        bool address = !record.empty() && (pair(3) == 2 || pair(3) == 4) && pair(0) != 2;
        if (malformed || address) return static_cast<int64_t>(k + 1);
    }
    return 0;
}

std::map<uint64_t, std::vector<std::pair<int64_t, uint8_t>>> Image(const std::string &file) {
    std::map<uint64_t, std::vector<std::pair<int64_t, uint8_t>>> image;
    for (const Record &r : Records(file)) {
        if (r.type == 1) break;
        for (int i = 0; r.type == 0 && i < r.count; ++i)
            image[r.At(i)].emplace_back(
                r.line, static_cast<uint8_t>(reference::PairValue(r.text, 9 + 2 * i)));
    }
    return image;
}

std::vector<std::string> Structure(const std::string &file) {
    std::vector<std::string> findings;
    auto find = [&](int64_t line, int kind, int type, int count, int64_t other, uint64_t at) {
        findings.push_back(std::to_string(line) + " " + std::to_string(kind) + " " +
                           std::to_string(type) + " " + std::to_string(count) + " " +
                           std::to_string(other) + " " + std::to_string(at));
    };
    std::map<uint64_t, int64_t> held; // the first line that holds each address
    int64_t endLine = 0;
    bool data = false;
    const int SHOULD[] = {0, 0, 2, 4, 2, 4};
    for (const Record &r : Records(file)) {
        if (endLine) find(r.line, 0, r.type, r.count, endLine, 0);
        if (!endLine && r.type == 1) endLine = r.line;
        if (r.type > 5) find(r.line, 1, r.type, r.count, 0, 0);
        if (r.type >= 1 && r.type <= 5 && r.count != SHOULD[r.type])
            find(r.line, 2, r.type, r.count, SHOULD[r.type], 0);
        if ((r.type == 2 || r.type == 4) && r.text.compare(3, 4, "0000") != 0)
            find(r.line, 6, r.type, r.count, 0, 0);
        data = data || r.type == 0;
        if (r.type != 0 || (endLine && r.line > endLine)) continue;
        if (r.count > 0 && r.At(r.count - 1) < r.address) find(r.line, 9, 0, r.count, 0, r.segment);
        if (r.count > 0 && r.address + r.count - 1 > 0xFFFFFFFFu)
            find(r.line, 7, 0, r.count, 0, r.address + r.count - 1);
        uint64_t lowest = UINT64_MAX;
        for (int i = 0; i < r.count; ++i)
            if (held.count(r.At(i))) lowest = std::min(lowest, r.At(i));
        if (lowest != UINT64_MAX) find(r.line, 3, 0, r.count, held[lowest], lowest);
        for (int i = 0; i < r.count; ++i)
            held.emplace(r.At(i), r.line);
    }
    // Lines that hold no record, do not start with ":" and are not blank: each on its line.
    std::vector<Line> lines = Split(file);
    for (size_t k = 0; k < lines.size(); ++k) {
        std::string text = file.substr(lines[k].start, lines[k].length);
        if (RecordOf(text).empty() && text.find_first_not_of(" \t") != std::string::npos &&
            text[0] != ':')
            find(static_cast<int64_t>(k + 1), 5, 0, 0, 0, 0);
    }
    int64_t last = std::max<int64_t>(1, static_cast<int64_t>(lines.size()));
    if (!endLine) find(last, 4, 0, 0, 0, 0);
    if (!data) find(last, 8, 0, 0, 0, 0);
    std::stable_sort(
        findings.begin(), findings.end(),
        [](const std::string &a, const std::string &b) { return std::stoll(a) < std::stoll(b); });
    return findings;
}

SetResult Set(const std::string &file, const std::map<uint64_t, uint8_t> &bytes) {
    SetResult result;
    if (int64_t line = UnknownLine(file)) {
        result.refusal = "unknown " + std::to_string(line);
        return result;
    }
    // Only records before the end-of-file record hold addresses. When nothing holds a byte, the
    // first record after it that would hold it is named.
    std::map<uint64_t, std::vector<int64_t>> holders, after;
    int64_t endLine = 0;
    for (const Record &r : Records(file)) {
        if (!endLine && r.type == 1) endLine = r.line;
        for (int i = 0; r.type == 0 && i < r.count; ++i)
            (endLine ? after : holders)[r.At(i)].push_back(r.line);
    }
    for (const auto &[address, value] : bytes)
        if (std::vector<int64_t> &lines = holders[address]; lines.size() != 1) {
            std::vector<int64_t> &late = after[address];
            result.refusal = std::to_string(address) + " " +
                             std::to_string(lines.empty() ? 0 : lines[0]) + " " +
                             std::to_string(lines.size() > 1 ? lines[1] : 0) + " " +
                             std::to_string(lines.empty() && !late.empty() ? late[0] : 0);
            return result;
        }
    // Every record patched, those that hold bytes set first; each in its case as found, else in
    // the case of the record before it as found.
    std::string out = file;
    std::vector<Line> lines = Split(file);
    for (const Record &r : Records(file)) {
        char used = CaseOf(r.text) ? CaseOf(r.text) : r.before;
        const char *digits = used == 'a' ? "0123456789abcdef" : "0123456789ABCDEF";
        std::string now = r.text;
        for (int i = 0; r.type == 0 && !(endLine && r.line > endLine) && i < r.count; ++i) {
            uint64_t at = r.At(i);
            auto set = bytes.find(at);
            if (set == bytes.end()) continue;
            if (i == 0 || !bytes.count(at - 1) || r.At(i - 1) != at - 1) // a stretch: "LINE FROM "
                result.stretches.push_back(std::to_string(r.line) + " " + std::to_string(at) + " ");
            std::string &stretch = result.stretches.back(); // its last address so far
            stretch.erase(stretch.rfind(' ') + 1);
            stretch += std::to_string(at);
            now[9 + 2 * static_cast<size_t>(i)] = digits[set->second >> 4];
            now[10 + 2 * static_cast<size_t>(i)] = digits[set->second & 15];
        }
        std::string right = reference::RightDigits(now);
        if (now == r.text &&
            std::stoul(now.substr(now.size() - 2), nullptr, 16) == std::stoul(right, nullptr, 16))
            continue;
        now.replace(now.size() - 2, 2, InItsCase(r.text, right, r.before));
        out.replace(r.start, now.size(), now);
        if (r.line == static_cast<int64_t>(lines.size()) && lines.back().end == 0)
            out += AddedEnd(file, lines, lines.size() - 1);
    }
    result.out = out;
    return result;
}

std::string RandomLayout(std::mt19937 &rng) {
    auto draw = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
    bool lower = draw(4) == 0, right = draw(2) == 0; // every checksum right
    std::string end = draw(2) ? "\r\n" : "\n", file = draw(5) ? "" : "\xEF\xBB\xBF";
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
        line += right || draw(3) ? reference::RightDigits(line + "00") : hex(draw(256), 2);
        return line + (draw(6) ? "" : draw(2) ? " // " + hex(rng(), 8) + " ..3@" : "\t;");
    };
    unsigned next = draw(64);
    for (int n = static_cast<int>(draw(60)); n > 0; --n) {
        unsigned kind = draw(40);
        std::vector<unsigned> data(1 + draw(32));
        for (unsigned &byte : data)
            byte = draw(256);
        if (kind < 26) { // data: right behind the record before, or somewhere near it
            unsigned offset = (draw(2) ? next : next - 48 + draw(96)) & 0xFFFF;
            next = (offset + static_cast<unsigned>(data.size())) & 0xFFFF;
            file += record(0, offset, data);
        } else if (kind < 32) { // address records: bases that meet again, one past 4 GiB
            data.resize(draw(6) ? 2 : draw(5));
            if (data.size() == 2)
                data =
                    draw(5) ? std::vector<unsigned>{0, draw(3)} : std::vector<unsigned>{0xFF, 0xFF};
            file += record(kind < 30 ? 4 : 2, draw(8) ? 0 : draw(3) << 4 * draw(4), data);
        } else if (kind < 36) { // end-of-file, start addresses, unknown types
            data.resize(draw(4) ? std::vector<size_t>{0, 4, 4, 0}[kind - 32] : draw(5));
            file += record(std::vector<unsigned>{1, 3, 5, 6 + draw(250)}[kind - 32], 0, data);
        } else {
            file += std::vector<std::string>{"; note", "", " \t", "  :00000001FF"}[draw(4)];
        }
        file += end;
    }
    return file + (draw(3) ? ":00000001FF" + end : "");
}

} // namespace model
