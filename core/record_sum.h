// SPDX-License-Identifier: MIT
/*
 * Records read sixteen characters at a time, inline in a walk's loop over its lines.
 *
 * RecordDigitsSum takes a record whose length its byte count tells (DigitPair reads it): true
 * when its digits after the ":" are all hexadecimal digits, with its sum as RecordSum
 * (core/record.h) gives it and, when that sum is not 0 (its checksum is wrong), its case as
 * RecordCase gives it. It reads no byte after the record. DecodeDigits gives the
 * bytes that the digit pairs of such a record stand for. It all takes SSE2, which every
 * x64 processor has; elsewhere (32-bit x86, which may lack it, and ARM), and for records of fewer
 * than three data bytes, it is RecordSum and RecordCase.
 */
#pragma once

#include "core/record.h"

#include <cstdint>

// The value of two hexadecimal digits of either case (others give some value up to 408): of
// digits only letters have bit 6 set, and their values are their low four bits plus 9. Without a
// branch: a checksum's digits are as likely letters as not.
inline unsigned DigitPair(const char *digits) {
    auto value = [](char c) {
        auto byte = static_cast<unsigned>(static_cast<unsigned char>(c));
        return (byte & 15) + 9 * (byte >> 6 & 1);
    };
    return value(digits[0]) * 16 + value(digits[1]);
}

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define RECORD_SUM_SSE2 1
#endif

// The bytes that count pairs of hexadecimal digits (as a record that RecordDigitsSum took holds
// them) stand for, written to out; sixteen digits at a time where SSE2 is.
inline void DecodeDigits(const char *digits, uint8_t *out, int32_t count) {
    int32_t k = 0;
#ifdef RECORD_SUM_SSE2
    for (; k + 8 <= count; k += 8) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(digits + 2 * k));
        const __m128i letters = _mm_and_si128(_mm_srli_epi16(bytes, 6), _mm_set1_epi8(1));
        const __m128i values = _mm_add_epi8(
            _mm_and_si128(bytes, _mm_set1_epi8(15)),
            _mm_add_epi8(letters, _mm_slli_epi16(letters, 3))); // (letters: 0 or 1, times 9)
        // Each 16-bit lane: the high digit in its low byte.
        const __m128i pairs =
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x0F)), 4),
                         _mm_srli_epi16(values, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + k), _mm_packus_epi16(pairs, pairs));
    }
#endif
    for (; k < count; ++k)
        out[k] = static_cast<uint8_t>(DigitPair(digits + 2 * k));
}

#ifdef RECORD_SUM_SSE2

// Inline in the walk's loop, where the compiler would rather call: a call there costs more than
// the work, as every vector register then waits in memory across it.
#if defined(_MSC_VER)
#define RECORD_SUM_INLINE __forceinline
#else
#define RECORD_SUM_INLINE __attribute__((always_inline)) inline
#endif

namespace record_sum {

// What sixteen characters of a record add, position by position.
struct Digits {
    __m128i bad;     // non-zero where a character is no hexadecimal digit
    __m128i low;     // the low four bits of each, added modulo 256
    __m128i letters; // letters (what comes after "9" among digits), counted modulo 256
    __m128i upper;   // bit 5 clear where a letter is upper case
};

RECORD_SUM_INLINE void AddDigits(Digits &digits, __m128i bytes) {
    const __m128i digit = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
    const __m128i letter =
        _mm_sub_epi8(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    digits.bad = _mm_or_si128(digits.bad, _mm_min_epu8(_mm_subs_epu8(digit, _mm_set1_epi8(9)),
                                                       _mm_subs_epu8(letter, _mm_set1_epi8(5))));
    digits.low = _mm_add_epi8(digits.low, _mm_and_si128(bytes, _mm_set1_epi8(0x0F)));
    const __m128i isLetter = _mm_cmpgt_epi8(bytes, _mm_set1_epi8('9'));
    digits.letters = _mm_sub_epi8(digits.letters, isLetter);
    digits.upper = _mm_or_si128(digits.upper, _mm_andnot_si128(bytes, isLetter));
}

// The digits after the ":" of a record of length characters (at least 17), sixteen at a time;
// the last ones among the record's last sixteen characters, those counted already taken as "0".
// The record's digits pair up from the ":" on, and so do the blocks': a block's even positions
// hold high digits.
RECORD_SUM_INLINE bool SumDigits(const char *record, int32_t length, uint8_t *total,
                                 const char **digitSet) {
    alignas(16) static constexpr char KEEP[32] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                                  0,  0,  0,  0,  0,  -1, -1, -1, -1, -1, -1,
                                                  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const __m128i zero = _mm_setzero_si128();
    Digits digits{zero, zero, zero, zero};
    const char *at = record + 1, *end = record + length;
    for (; at + 16 <= end; at += 16)
        AddDigits(digits, _mm_loadu_si128(reinterpret_cast<const __m128i *>(at)));
    if (at < end) {
        const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i *>(KEEP + (end - at)));
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(end - 16));
        AddDigits(digits, _mm_or_si128(_mm_and_si128(keep, bytes),
                                       _mm_andnot_si128(keep, _mm_set1_epi8('0'))));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(digits.bad, zero)) != 0xFFFF) return false;
    // Each position's sum of values, modulo 256: 9 x letters is letters + 8 x letters, shifted in
    // 16-bit lanes from five bits, so that nothing crosses into the byte above.
    const __m128i letters = digits.letters;
    const __m128i values = _mm_add_epi8(
        digits.low,
        _mm_add_epi8(letters, _mm_slli_epi16(_mm_and_si128(letters, _mm_set1_epi8(0x1F)), 3)));
    // High digits count 16 times: the low byte of each lane, from four bits.
    const __m128i pairs =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x000F)), 4),
                     _mm_and_si128(values, _mm_set1_epi16(static_cast<int16_t>(0xFF00))));
    const __m128i sums = _mm_sad_epu8(pairs, zero);
    *total =
        static_cast<uint8_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    if (*total == 0) return true;
    // Upper case with one upper-case letter (bit 5, shifted to bit 7); none without letters.
    bool upper = _mm_movemask_epi8(_mm_slli_epi16(digits.upper, 2)) != 0;
    bool any = _mm_movemask_epi8(_mm_cmpeq_epi8(letters, zero)) != 0xFFFF;
    *digitSet = upper ? HEX_DIGITS : any ? LOWER_HEX_DIGITS : nullptr;
    return true;
}

} // namespace record_sum

RECORD_SUM_INLINE bool RecordDigitsSum(const char *record, int32_t length, uint8_t *total,
                                       const char **digitSet) {
    if (length >= 17) return record_sum::SumDigits(record, length, total, digitSet);
    if (RecordSum(record, length, total) != length) return false;
    if (*total) *digitSet = RecordCase(record, length);
    return true;
}
#else
#define RECORD_SUM_INLINE inline
inline bool RecordDigitsSum(const char *record, int32_t length, uint8_t *total,
                            const char **digitSet) {
    if (RecordSum(record, length, total) != length) return false;
    if (*total) *digitSet = RecordCase(record, length);
    return true;
}
#endif
