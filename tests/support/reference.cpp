// SPDX-License-Identifier: MIT
#include "tests/support/reference.h"

namespace reference {

namespace {

int Nibble(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Digits(unsigned sum) {
    static const char HEX[] = "0123456789ABCDEF";
    unsigned checksum = (0x100u - (sum & 0xFFu)) & 0xFFu;
    return {HEX[checksum >> 4], HEX[checksum & 15]};
}

// The checksum of the byte count and the count + 3 pairs behind it, read leniently.
std::string ChecksumOf(const std::string &line) {
    int count = PairValue(line, 1);
    unsigned sum = static_cast<unsigned>(count);
    for (int i = 0; i < count + 3; ++i)
        sum += static_cast<unsigned>(PairValue(line, 3 + 2 * static_cast<size_t>(i)));
    return Digits(sum);
}

} // namespace

int PairValue(const std::string &line, size_t at) {
    int value = 0;
    for (size_t k = at; k < at + 2 && k < line.size(); ++k) {
        int nibble = Nibble(static_cast<unsigned char>(line[k]));
        if (nibble >= 0) value = value * 16 + nibble;
    }
    return value;
}

Shape ShapeOf(const std::string &line) {
    if (line.size() < 3 || line[0] != ':') return NOT_A_RECORD;
    for (size_t k = 1; k < line.size(); ++k)
        if (Nibble(static_cast<unsigned char>(line[k])) < 0) return NOT_A_RECORD;
    size_t bare = 9 + 2 * static_cast<size_t>(PairValue(line, 1));
    return line.size() == bare + 2 ? WITH_CHECKSUM
           : line.size() == bare   ? WITHOUT_CHECKSUM
                                   : NOT_A_RECORD;
}

std::string RightDigits(const std::string &line) {
    return ChecksumOf(line);
}

std::string Complete(const std::string &line) {
    std::string kept = line.size() >= 4 ? line.substr(0, line.size() - 4) : "";
    return kept + ChecksumOf(line);
}

} // namespace reference
