// SPDX-License-Identifier: MIT
#include "core/image_checksum.h"

#include "core/record.h"
#include "runtime/platform.h"
#include "runtime/registry.h"
#include "runtime/strings.h"

#include <cstring>

namespace {

// The 64 bits in reverse order.
uint64_t Reflect(uint64_t value) {
    uint64_t out = 0;
    for (int32_t k = 0; k < 64; ++k, value >>= 1)
        out = out << 1 | (value & 1);
    return out;
}

uint64_t Little64(const uint8_t *at) {
    uint64_t value = 0;
    for (int32_t k = 7; k >= 0; --k)
        value = value << 8 | at[k];
    return value;
}

uint64_t Big64(const uint8_t *at) {
    uint64_t value = 0;
    for (int32_t k = 0; k < 8; ++k)
        value = value << 8 | at[k];
    return value;
}

using Tables = const uint64_t (*)[256];

// A reflected CRC keeps its register reflected in its lower bits, a forward one in its upper
// bits, so that one loop of each serves every width.
uint64_t AddReflected(Tables t, uint64_t crc, const uint8_t *at, ptrdiff_t count) {
    for (; CRC_SLICES == 8 && count >= 8; count -= 8, at += 8) {
        crc ^= Little64(at);
        crc = t[7][crc & 255] ^ t[6][crc >> 8 & 255] ^ t[5][crc >> 16 & 255] ^
              t[4][crc >> 24 & 255] ^ t[3][crc >> 32 & 255] ^ t[2][crc >> 40 & 255] ^
              t[1][crc >> 48 & 255] ^ t[0][crc >> 56];
    }
    for (; count > 0; --count)
        crc = crc >> 8 ^ t[0][(crc ^ *at++) & 255];
    return crc;
}

uint64_t AddForward(Tables t, uint64_t crc, const uint8_t *at, ptrdiff_t count) {
    for (; CRC_SLICES == 8 && count >= 8; count -= 8, at += 8) {
        crc ^= Big64(at);
        crc = t[7][crc >> 56] ^ t[6][crc >> 48 & 255] ^ t[5][crc >> 40 & 255] ^
              t[4][crc >> 32 & 255] ^ t[3][crc >> 24 & 255] ^ t[2][crc >> 16 & 255] ^
              t[1][crc >> 8 & 255] ^ t[0][crc & 255];
    }
    for (; count > 0; --count)
        crc = crc << 8 ^ t[0][crc >> 56 ^ *at++];
    return crc;
}

// Whole words, each's bytes most significant first: a CRC takes the bytes, a sum adds the words.
void TakeWords(ImageChecksum &sum, const uint8_t *at, ptrdiff_t count) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_CRC) {
        sum.state = algorithm.refIn ? AddReflected(sum.tables, sum.state, at, count)
                                    : AddForward(sum.tables, sum.state, at, count);
    } else if (algorithm.wordSize <= 1) {
        for (ptrdiff_t i = 0; i < count; ++i)
            sum.state += at[i];
    } else {
        for (; count > 0; count -= algorithm.wordSize) {
            uint64_t word = 0;
            for (int32_t k = 0; k < algorithm.wordSize; ++k)
                word = word << 8 | *at++;
            sum.state += word;
        }
    }
}

} // namespace

int32_t ChecksumWidth(const ChecksumAlgorithm &algorithm) {
    return algorithm.bits / 8;
}

void BeginImageChecksum(ImageChecksum &sum, const ChecksumAlgorithm &algorithm) {
    sum.algorithm = algorithm;
    sum.state = 0;
    sum.pendingCount = 0;
    sum.digest = nullptr;
    if (algorithm.kind == CHECKSUM_DIGEST &&
        !(sum.digest = BeginPlatformDigest(ChecksumWidth(algorithm))))
        EndProcess(OUT_OF_MEMORY_EXIT);
    if (algorithm.kind != CHECKSUM_CRC) return;
    // Upper bits first; a reflected CRC's reflected into the lower ones.
    bool reflected = algorithm.refIn;
    int32_t unused = 64 - algorithm.bits;
    uint64_t poly = algorithm.poly << unused;
    sum.state = algorithm.init << unused;
    if (reflected) {
        poly = Reflect(poly);
        sum.state = Reflect(sum.state);
    }
    uint64_t(*t)[256] = sum.tables;
    for (uint32_t i = 0; i < 256; ++i) {
        uint64_t value = reflected ? i : uint64_t{i} << 56;
        for (int32_t bit = 0; bit < 8; ++bit)
            value = reflected ? value >> 1 ^ (value & 1 ? poly : 0)
                              : value << 1 ^ (value >> 63 ? poly : 0);
        t[0][i] = value;
    }
    for (int32_t k = 1; k < CRC_SLICES; ++k)
        for (int32_t i = 0; i < 256; ++i) {
            uint64_t before = t[k - 1][i];
            t[k][i] =
                reflected ? before >> 8 ^ t[0][before & 255] : before << 8 ^ t[0][before >> 56];
        }
}

// Bytes straight on; words gathered a byte at a time, each taken, its bytes most significant
// first, once it is whole.
void AddImageBytes(ImageChecksum &sum, const uint8_t *bytes, ptrdiff_t count) {
    int32_t size = sum.algorithm.wordSize;
    if (sum.digest) {
        if (count > 0) AddPlatformDigest(sum.digest, bytes, static_cast<size_t>(count));
        return;
    }
    if (size <= 1) {
        TakeWords(sum, bytes, count);
        return;
    }
    for (ptrdiff_t i = 0; i < count; ++i) {
        sum.pending[sum.pendingCount++] = bytes[i];
        if (sum.pendingCount < size) continue;
        for (int32_t k = 0; !sum.algorithm.wordsBigEndian && k < size / 2; ++k) {
            uint8_t low = sum.pending[k];
            sum.pending[k] = sum.pending[size - 1 - k];
            sum.pending[size - 1 - k] = low;
        }
        TakeWords(sum, sum.pending, size);
        sum.pendingCount = 0;
    }
}

// A byte sum takes the run at once (modulo 2^64 the count's lower bits are all that count);
// other sums and CRCs take it from a buffer of fill bytes, again and again.
void AddImageFill(ImageChecksum &sum, uint8_t fill, uint64_t count) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_SUM && algorithm.wordSize == 1) {
        sum.state += fill * count;
        return;
    }
    if (algorithm.kind == CHECKSUM_NONE) return;
    uint8_t run[512];
    std::memset(run, fill, sizeof run);
    for (; count > sizeof run; count -= sizeof run)
        AddImageBytes(sum, run, sizeof run);
    AddImageBytes(sum, run, static_cast<ptrdiff_t>(count));
}

uint64_t EndImageChecksum(const ImageChecksum &sum) {
    const ChecksumAlgorithm &algorithm = sum.algorithm;
    if (algorithm.kind == CHECKSUM_NONE || algorithm.kind == CHECKSUM_DIGEST) return 0;
    int32_t unused = 64 - algorithm.bits;
    uint64_t value = algorithm.negated ? 0 - sum.state : sum.state;
    if (algorithm.kind == CHECKSUM_CRC) { // reflected when refout, else in the upper bits
        value = algorithm.refIn != algorithm.refOut ? Reflect(value) : value;
        value = (algorithm.refOut ? value : value >> unused) ^ algorithm.xorOut;
    }
    return value << unused >> unused;
}

ChecksumValue ValueOfNumber(uint64_t number, int32_t width) {
    ChecksumValue value{};
    value.width = width;
    for (int32_t k = width - 1; k >= 0; --k, number >>= 8) // least significant byte last
        value.bytes[k] = static_cast<uint8_t>(number);
    return value;
}

ChecksumValue EndImageValue(ImageChecksum &sum) {
    if (!sum.digest) return ValueOfNumber(EndImageChecksum(sum), ChecksumWidth(sum.algorithm));
    ChecksumValue value{};
    value.width = ChecksumWidth(sum.algorithm);
    EndPlatformDigest(sum.digest, value.bytes);
    sum.digest = nullptr;
    return value;
}

void ValueBytes(const ChecksumValue &value, const ChecksumAlgorithm &algorithm, bool bigEndian,
                uint8_t *out) {
    bool reversed = !bigEndian && algorithm.kind != CHECKSUM_DIGEST;
    for (int32_t k = 0; k < value.width; ++k)
        out[k] = value.bytes[reversed ? value.width - 1 - k : k];
}

ChecksumValue StoredBytesValue(const uint8_t *bytes, const ChecksumAlgorithm &algorithm,
                               bool bigEndian) {
    ChecksumValue stored{}, value{};
    stored.width = ChecksumWidth(algorithm);
    std::memcpy(stored.bytes, bytes, static_cast<size_t>(stored.width));
    value.width = stored.width;
    ValueBytes(stored, algorithm, bigEndian, value.bytes); // (the same order both ways)
    return value;
}
