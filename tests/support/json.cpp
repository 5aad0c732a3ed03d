// SPDX-License-Identifier: MIT
#include "tests/support/json.h"

#include <algorithm>

namespace json {

namespace {

struct Reader {
    const std::string &text;
    size_t at = 0;

    void Blanks() {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
            ++at;
    }
    bool Take(const char *word) {
        size_t length = std::char_traits<char>::length(word);
        if (text.compare(at, length, word) != 0) return false;
        at += length;
        return true;
    }
    static void PutUtf8(uint32_t code, std::string &out) {
        if (code < 0x80) {
            out += static_cast<char>(code);
            return;
        }
        if (code >= 0x800) out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>((code >= 0x800 ? 0x80 | (code >> 6 & 63) : 0xC0 | code >> 6));
        out += static_cast<char>(0x80 | (code & 63));
    }
    bool Hex4(uint32_t *code) {
        if (at + 4 > text.size()) return false;
        *code = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[at++];
            int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
            if (digit < 0) return false;
            *code = *code << 4 | static_cast<uint32_t>(digit);
        }
        return true;
    }
    // A UTF-8 sequence copied whole, or false for bytes that are none.
    bool Sequence(std::string &out) {
        auto lead = static_cast<uint8_t>(text[at]);
        int length = lead < 0x80         ? 1
                     : (lead >> 5) == 6  ? 2
                     : (lead >> 4) == 14 ? 3
                     : (lead >> 3) == 30 ? 4
                                         : 0;
        if (!length || at + length > text.size() || (length == 2 && lead < 0xC2)) return false;
        uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<uint8_t>(text[at + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 63);
        }
        static const uint32_t LEAST[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < LEAST[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
        out.append(text, at, static_cast<size_t>(length));
        at += static_cast<size_t>(length);
        return true;
    }
    bool String(std::string &out) {
        if (!Take("\"")) return false;
        while (at < text.size()) {
            char c = text[at];
            if (c == '"') {
                ++at;
                return true;
            }
            if (static_cast<uint8_t>(c) < 0x20) return false;
            if (c != '\\') {
                if (!Sequence(out)) return false;
                continue;
            }
            if (++at == text.size()) return false;
            char e = text[at++];
            const char *plain = "\"\\/bfnrt", *meant = "\"\\/\b\f\n\r\t";
            if (const char *found = std::char_traits<char>::find(plain, 8, e)) {
                out += meant[found - plain];
                continue;
            }
            uint32_t code = 0;
            if (e != 'u' || !Hex4(&code) || (code >= 0xD800 && code < 0xE000)) return false;
            PutUtf8(code, out);
        }
        return false;
    }
    bool Parse(Value &value, int depth) {
        Blanks();
        if (at >= text.size() || depth > 64) return false;
        char c = text[at];
        if (Take("null")) return value.kind = Value::NUL, true;
        if (Take("true")) return value.kind = Value::BOOLEAN, value.boolean = true, true;
        if (Take("false")) return value.kind = Value::BOOLEAN, true;
        if (c == '"') return value.kind = Value::STRING, String(value.text);
        if (c == '-' || (c >= '0' && c <= '9')) {
            value.kind = Value::NUMBER;
            bool negative = Take("-");
            size_t first = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                value.number = value.number * 10 + (text[at++] - '0');
            if (at == first || (text[first] == '0' && at - first > 1)) return false;
            if (negative) value.number = -value.number;
            return true;
        }
        bool array = c == '[';
        if (!array && c != '{') return false;
        value.kind = array ? Value::ARRAY : Value::OBJECT;
        ++at;
        Blanks();
        if (Take(array ? "]" : "}")) return true;
        for (;;) {
            Value item;
            std::string key;
            if (!array) {
                Blanks();
                if (!String(key)) return false;
                Blanks();
                if (!Take(":")) return false;
            }
            if (!Parse(item, depth + 1)) return false;
            if (array)
                value.items.push_back(item);
            else
                value.keys.push_back(key), value.members.push_back(item);
            Blanks();
            if (Take(",")) continue;
            return Take(array ? "]" : "}");
        }
    }
};

} // namespace

const Value &Value::operator[](const std::string &key) const {
    static const Value none;
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i] == key) return members[i];
    return none;
}

bool Parse(const std::string &text, Value *value) {
    Reader reader{text};
    *value = Value{};
    if (!reader.Parse(*value, 0)) return false;
    reader.Blanks();
    return reader.at == text.size();
}

int64_t HighestExit(const std::string &report) {
    int64_t highest = -1;
    for (size_t at = 0, end; at < report.size(); at = end + 1) {
        end = std::min(report.find('\n', at), report.size());
        Value object;
        if (report[at] != '{') continue;
        if (!Parse(report.substr(at, end - at), &object)) return -2;
        highest = std::max(highest, object["exit"].number);
    }
    return highest;
}

} // namespace json
