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
