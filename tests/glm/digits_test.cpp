// Digit runs read a word at a time, against strtoull: every length from none
// to beyond the longest run, ended by every kind of byte, with arbitrary
// bytes behind.
#include "glm_digits.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

TEST(GlmDigitsTest, RunsReadAsStrtoullReadsThem)
{
    // The bytes just below '0' and above '9', and bytes that borrow or carry.
    const char kEnds[] = {' ', '\n', '/', ':', '.', 'e', '\0', '-', '\x7f', '\x80', '\x8a', '\xff'};
    std::mt19937 random(3);
    for (unsigned length = 0; length <= kGlmRunDigits + 2; length++) {
        for (char end : kEnds) {
            for (int trial = 0; trial < 100; trial++) {
                std::string text;
                for (unsigned i = 0; i < length; i++)
                    text += static_cast<char>('0' + random() % 10);
                text += end;
                while (text.size() < kGlmRunReadBytes + 8)
                    text += static_cast<char>(random());
                uint64_t value = 0;
                unsigned count = glmDigitRun(text.c_str(), &value);
                ASSERT_EQ(count, length <= kGlmRunDigits ? length : kGlmRunDigits + 1) << text;
                if (length <= kGlmRunDigits) {
                    ASSERT_EQ(value, std::strtoull(text.substr(0, length).c_str(), nullptr, 10))
                        << text;
                }
            }
        }
    }
}

// Decimals that fit in a word with their point, against the same text taken
// apart by hand: every digit count on either side of the point, ended by
// every kind of byte.
TEST(GlmDigitsTest, ShortDecimalsReadAsTheirDigitsAndPoint)
{
    // A point ends a number that has one already.
    const char kEnds[] = {' ', '\n', '.', 'e', '/', ':', '\0', '\x80', '\xff'};
    std::mt19937 random(4);
    for (unsigned integerDigits = 0; integerDigits <= kGlmWordDigits + 1; integerDigits++) {
        for (int fraction = -1; fraction <= static_cast<int>(kGlmWordDigits); fraction++) {
            for (char end : kEnds) {
                if (end == '.' && fraction < 0)
                    continue;
                std::string digits, text;
                for (unsigned i = 0; i < integerDigits; i++)
                    digits += static_cast<char>('0' + random() % 10);
                text = digits;
                if (fraction >= 0)
                    text += '.';
                for (int i = 0; i < fraction; i++) {
                    char digit = static_cast<char>('0' + random() % 10);
                    digits += digit;
                    text += digit;
                }
                size_t length = text.size();
                text += end;
                text += std::string(kGlmShortDecimalBytes, 'x');
                bool fits =
                    !digits.empty() && length <= kGlmWordDigits && digits.size() < kGlmWordDigits;
                uint64_t significand = 0;
                unsigned fractionDigits = 0;
                unsigned read = glmShortDecimal(text.c_str(), &significand, &fractionDigits);
                ASSERT_EQ(read, fits ? length : 0) << text;
                if (fits) {
                    ASSERT_EQ(significand, std::strtoull(digits.c_str(), nullptr, 10)) << text;
                    ASSERT_EQ(fractionDigits, fraction > 0 ? unsigned(fraction) : 0u) << text;
                }
            }
        }
    }
}
