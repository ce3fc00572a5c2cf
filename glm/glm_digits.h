// Runs of decimal digits read eight at a time, for the one-pass reading of
// plain files. A loop that reads one digit per step costs a mispredicted
// branch at the end of every number, and a model file is mostly short numbers
// of varying length; these read a whole word and convert it without a branch
// per digit. Internal to glm.
#ifndef GLM_GLM_DIGITS_H
#define GLM_GLM_DIGITS_H

#include <cstdint>
#include <cstring>

// A word's first byte is its lowest: the conversions below count on it.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "digit words are read little-endian");

// Digits one word holds, and the most a run may have.
constexpr unsigned kGlmWordDigits = 8;
constexpr unsigned kGlmRunDigits = 2 * kGlmWordDigits;

// Bytes a run reads beyond its start: the two words and the byte after them.
constexpr unsigned kGlmRunReadBytes = kGlmRunDigits + 1;

// The number a word of digit values (0..9, the first character in the lowest
// byte) writes; leading bytes of 0 are leading zeros. Pairs, quadruples and
// the octet are combined by multiplication.
inline uint64_t glmWordValue(uint64_t digits)
{
    digits = (digits * (10 * 256 + 1)) >> 8;
    digits = ((digits & 0x00ff00ff00ff00ffull) * (100 * 65536 + 1)) >> 16;
    return ((digits & 0x0000ffff0000ffffull) * (10000 * 4294967296ull + 1)) >> 32;
}

// The digits that begin the 8 bytes at p, which must all be readable: returns
// how many there are (0 to 8) and stores their value in *value.
inline unsigned glmWordDigits(const char *p, uint64_t *value)
{
    constexpr uint64_t kZeros = 0x3030303030303030ull;     // '0' in every byte
    constexpr uint64_t kAboveNine = 0x7676767676767676ull; // carries 10..0x7f into the top bit
    constexpr uint64_t kTopBits = 0x8080808080808080ull;
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // Byte i (the i-th character: the word is read little-endian) becomes its
    // digit value. A byte below '0' borrows from the byte after it, and a byte
    // above 0x89 carries into it; both change only bytes after the first
    // non-digit, which are dropped below.
    uint64_t digits = word - kZeros;
    uint64_t nonDigits = (digits | (digits + kAboveNine)) & kTopBits;
    unsigned count = nonDigits ? static_cast<unsigned>(__builtin_ctzll(nonDigits)) / 8 : 8;
    if (count == 0) {
        *value = 0;
        return 0;
    }
    *value = glmWordValue(digits << (8 * (kGlmWordDigits - count)));
    return count;
}

// Bytes glmShortDecimal reads: a word and the byte after it.
constexpr unsigned kGlmShortDecimalBytes = kGlmWordDigits + 1;

// The digits of a word with one byte taken out: the bytes after it move down.
inline uint64_t glmWithoutByte(uint64_t word, unsigned byte)
{
    uint64_t below = (uint64_t(1) << (8 * byte)) - 1;
    return (word & below) | ((word >> 8) & ~below);
}

// A decimal at p (no sign) whose digits and point fit in one word, as files
// write coordinates ("0.123456", "-12.5" after its sign, "3"): returns its
// length (point included) and stores its digits' value and how many of them
// follow the point. Returns 0 for anything else, also for a longer run of
// digits. The 9 bytes at p must be readable; what follows the number is the
// caller's to check.
inline unsigned glmShortDecimal(const char *p, uint64_t *significand, unsigned *fractionDigits)
{
    constexpr uint64_t kZeros = 0x3030303030303030ull;
    constexpr uint64_t kLowBits = 0x7f7f7f7f7f7f7f7full;
    constexpr uint64_t kAboveNine = 0x7676767676767676ull;
    constexpr uint64_t kTopBits = 0x8080808080808080ull;
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    // Digits become 0..9; the top bit of every other byte is set, with no
    // carry between bytes, so that the point and the end both show.
    uint64_t values = word ^ kZeros;
    uint64_t nonDigits = (((values & kLowBits) + kAboveNine) | values) & kTopBits;
    unsigned first = nonDigits ? static_cast<unsigned>(__builtin_ctzll(nonDigits)) / 8 : 8;
    unsigned end = first;
    unsigned point = 0;
    if (first < kGlmWordDigits && p[first] == '.') {
        uint64_t after = nonDigits & (nonDigits - 1);
        end = after ? static_cast<unsigned>(__builtin_ctzll(after)) / 8 : 8;
        values = glmWithoutByte(values, first);
        point = 1;
    }
    unsigned digits = end - point;
    if (digits == 0 || digits == kGlmWordDigits ||
        (end == kGlmWordDigits && p[end] >= '0' && p[end] <= '9'))
        return 0;
    *significand = glmWordValue(values << (8 * (kGlmWordDigits - digits)));
    *fractionDigits = point ? end - first - 1 : 0;
    return end;
}

// The digits that begin p, up to 16 (kGlmRunReadBytes bytes at p must be
// readable): returns how many there are and stores their value in *value.
// More than 16 return 17 with *value undefined.
inline unsigned glmDigitRun(const char *p, uint64_t *value)
{
    static constexpr uint64_t kPowersOfTen[kGlmWordDigits + 1] = {
        1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    unsigned count = glmWordDigits(p, value);
    if (count < kGlmWordDigits)
        return count;
    uint64_t low;
    unsigned more = glmWordDigits(p + kGlmWordDigits, &low);
    *value = *value * kPowersOfTen[more] + low;
    count += more;
    return count == kGlmRunDigits && p[kGlmRunDigits] >= '0' && p[kGlmRunDigits] <= '9'
               ? kGlmRunDigits + 1
               : count;
}

#endif
