// The block scanner against the standard stream functions it replaces: the
// same values and the same characters consumed, also across block ends.
#include "glm_scanner.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

class GlmScannerTest : public ::testing::Test
{
protected:
    // Result and consumed length of one standard conversion on text.
    template <typename T>
    static std::pair<int, long> standard(const std::string &text, const char *format, T *value)
    {
        std::FILE *file = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
        int result = std::fscanf(file, format, value);
        long consumed = std::ftell(file);
        std::fclose(file);
        return {result, consumed};
    }

    static const char *const kInputs[];
};

const char *const GlmScannerTest::kInputs[] = {
    "1.5 x",   "-0.25e-3 x", "+7 x",    "1e x",         "1e+ x",          "- x",
    ". x",     ".5 x",       "5. x",    "inf x",        "-Infinity x",    "infin x",
    "in x",    "nan(12) x",  "0x1p3 x", "0x x",         "0x1p x",         "1e400 x",
    "1e-50 x", "1.5.5",      "0.1",     "3.4028235e38", "1.17549435e-38", "  \n\t 42",
    "x",       "",           "12a",     "--1",          "4294967297 ",    "-2147483649 "};

TEST_F(GlmScannerTest, FloatsMatchTheStandardConversionInValueAndLength)
{
    for (const char *input : kInputs) {
        float expected = -7.0f, actual = -7.0f;
        auto [result, consumed] = standard(input, "%f", &expected);
        GlmScanner scanner;
        glmScanString(&scanner, input);
        EXPECT_EQ(glmScanFloat(&scanner, &actual), result) << input;
        EXPECT_EQ(scanner.cur - input, consumed) << input;
        if (!std::isnan(expected)) {
            EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << input;
        }
    }
}

// Plain decimals take a shorter road than other numbers; it must end at the
// same bits. Includes the edges of that road: significands around 2^24 and
// ten or eleven fraction digits.
TEST_F(GlmScannerTest, PlainDecimalsConvertToTheStandardBits)
{
    std::vector<std::string> inputs = {
        "16777216 ",      "16777217 ",  "16777215.0 ", "1677721.7 ",      "0.0000000001 ",
        "0.00000000001 ", "9999999.9 ", "-0.0 ",       "0.000001 ",       "1677721.69 ",
        "8388608.5 ",     "3.4028235 ", "000000.5 ",   "123456789012.5 ", "0.999999999999999999 "};
    std::mt19937 random(5);
    const char *const endings[] = {" ", "\n", "x", "e", "/", ".5", "e-3"};
    for (int i = 0; i < 20000; i++) {
        std::string text = random() % 8 == 0 ? "-" : "";
        for (unsigned n = random() % 9; n > 0; n--)
            text += static_cast<char>('0' + random() % 10);
        if (random() % 4 != 0) {
            text += '.';
            for (unsigned n = random() % 12; n > 0; n--)
                text += static_cast<char>('0' + random() % 10);
        }
        inputs.push_back(text + endings[random() % (sizeof endings / sizeof *endings)]);
    }
    for (const std::string &input : inputs) {
        float expected = -7.0f, actual = -7.0f;
        auto [result, consumed] = standard(input, "%f", &expected);
        GlmScanner scanner;
        glmScanString(&scanner, input.c_str());
        ASSERT_EQ(glmScanFloat(&scanner, &actual), result) << input;
        ASSERT_EQ(scanner.cur - input.c_str(), consumed) << input;
        ASSERT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << input;
    }
}

TEST_F(GlmScannerTest, IntegersMatchTheStandardConversionWithinIntRange)
{
    for (const char *input : kInputs) {
        int expected = -7;
        auto [result, consumed] = standard(input, "%d", &expected);
        long long actual = -7;
        GlmScanner scanner;
        glmScanString(&scanner, input);
        EXPECT_EQ(glmScanInt(&scanner, &actual), result) << input;
        EXPECT_EQ(scanner.cur - input, consumed) << input;
        if (result == 1 && actual == static_cast<int>(actual)) {
            EXPECT_EQ(actual, expected) << input;
        }
    }
}

TEST_F(GlmScannerTest, NumbersAcrossBlockBoundariesReadAsFromOneStream)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    std::string text;
    while (text.size() < 3 * 256 * 1024) {
        char number[64];
        std::snprintf(number, sizeof number, "%.*g %d\n", int(random() % 12), value(random),
                      int(random() % 100000));
        text += number;
    }
    text += std::string(600 * 1024, '7') + " 1.25";
    std::FILE *expected = fmemopen(text.data(), text.size(), "r");
    std::FILE *actual = fmemopen(text.data(), text.size(), "r");
    GlmScanner scanner;
    glmScanOpen(&scanner, actual);
    for (;;) {
        float wantFloat = 0, gotFloat = 0;
        int want = std::fscanf(expected, "%f", &wantFloat);
        ASSERT_EQ(glmScanFloat(&scanner, &gotFloat), want);
        if (want != 1)
            break;
        ASSERT_EQ(gotFloat, wantFloat) << glmScanOffset(&scanner);
        int wantInt = 0;
        long long gotInt = 0;
        if (std::fscanf(expected, "%d", &wantInt) != 1)
            continue;
        ASSERT_EQ(glmScanInt(&scanner, &gotInt), 1);
        ASSERT_EQ(gotInt, wantInt);
    }
    EXPECT_EQ(glmScanOffset(&scanner), static_cast<long long>(text.size()));
    glmScanClose(&scanner);
    std::fclose(expected);
    std::fclose(actual);
}

TEST_F(GlmScannerTest, TokensAndLinesAreCutAt127Bytes)
{
    std::string input = std::string(200, 't') + " next\n" + std::string(130, 'l') + "\nrest";
    GlmScanner scanner;
    glmScanString(&scanner, input.c_str());
    char token[kGlmTokenSize];
    ASSERT_TRUE(glmScanToken(&scanner, token));
    EXPECT_EQ(std::string(token), std::string(127, 't'));
    ASSERT_TRUE(glmScanToken(&scanner, token));
    EXPECT_STREQ(token, "next");
    char line[kGlmTokenSize];
    glmScanLine(&scanner, line);
    EXPECT_STREQ(line, "\n");
    glmScanLine(&scanner, line);
    EXPECT_EQ(std::string(line), std::string(127, 'l'));
    glmScanSkipLine(&scanner);
    ASSERT_TRUE(glmScanToken(&scanner, token));
    EXPECT_STREQ(token, "rest");
    EXPECT_FALSE(glmScanToken(&scanner, token));
}
