// Face corners as the reader scans them, held against the standard
// conversions that define them: the in-place path for plain corners must read
// exactly what fscanf and sscanf would, on plain and on odd input alike.
#include "glm_parse.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace
{

// Random text made of corners, plain ones mostly, with the odd things files
// hold between them: signs, blanks after slashes, letters, long numbers,
// doubled slashes, keywords and line ends.
class CornerText
{
public:
    explicit CornerText(unsigned seed) : random(seed) {}

    std::string make(size_t bytes)
    {
        std::string text;
        while (text.size() < bytes) {
            text += corner();
            text += separator();
        }
        return text;
    }

private:
    std::mt19937 random;

    bool chance(int percent) { return static_cast<int>(random() % 100) < percent; }

    std::string number()
    {
        std::string text;
        if (chance(10))
            text += chance(50) ? "-" : "+";
        int digits = chance(3) ? 17 + random() % 4 : 1 + random() % 7;
        for (int i = 0; i < digits; i++)
            text += static_cast<char>('0' + random() % 10);
        return chance(2) ? text + (chance(50) ? "x" : "e") : text;
    }

    std::string slash()
    {
        if (chance(3))
            return chance(50) ? "/ " : "//";
        return "/";
    }

    std::string corner()
    {
        if (chance(4))
            return chance(50) ? "f" : "vt";
        switch (random() % 4) {
        case 0:
            return number();
        case 1:
            return number() + slash() + number();
        case 2:
            return number() + slash() + number() + slash() + number();
        default:
            return number() + "//" + (chance(5) ? "" : number());
        }
    }

    std::string separator()
    {
        static const char *const kSeparators[] = {" ", " ", " ", "\t", "\n", "\r\n", "  "};
        return kSeparators[random() % (sizeof kSeparators / sizeof *kSeparators)];
    }
};

struct FormCase {
    GlmFaceForm form;
    const char *format;
};

const FormCase kForms[] = {{kGlmFaceVertex, "%d"},
                           {kGlmFaceVertexTexture, "%d/%d"},
                           {kGlmFaceVertexTextureNormal, "%d/%d/%d"},
                           {kGlmFaceVertexNormal, "%d//%d"}};

bool fitsInt(long long value)
{
    return value >= INT_MIN && value <= INT_MAX;
}

// Expects the numbers the corner converted to be the standard ones (want
// holds vertex, texture coordinate, normal); numbers beyond int range are
// left out, as fscanf's result is undefined there.
void expectSameNumbers(GlmFaceForm form, int converted, const GlmCorner &corner, const int want[3],
                       long offset)
{
    int normalAt = form == kGlmFaceVertexNormal ? 2 : 3;
    if (converted >= 1 && fitsInt(corner.vertex)) {
        EXPECT_EQ(corner.vertex, want[0]) << "at " << offset;
    }
    if (glmFormHasTexture(form) && converted >= 2 && fitsInt(corner.texCoord)) {
        EXPECT_EQ(corner.texCoord, want[1]) << "at " << offset;
    }
    if (glmFormHasNormal(form) && converted >= normalAt && fitsInt(corner.normal)) {
        EXPECT_EQ(corner.normal, want[2]) << "at " << offset;
    }
}

} // namespace

// Several blocks of text, so that corners also straddle the scanner's refills.
TEST(GlmCornerTest, CornersReadAsFscanfReadsThemAlsoAcrossBlocks)
{
    std::string text = CornerText(11).make(700 * 1024);
    for (const FormCase &form : kForms) {
        std::FILE *expected = fmemopen(text.data(), text.size(), "r");
        std::FILE *actual = fmemopen(text.data(), text.size(), "r");
        GlmScanner scanner;
        glmScanOpen(&scanner, actual);
        GlmCorner corner = {0, 0, 0};
        char token[kGlmTokenSize];
        for (;;) {
            int want[3] = {0, 0, 0};
            int *second = form.form == kGlmFaceVertexNormal ? &want[2] : &want[1];
            int wanted = std::fscanf(expected, form.format, &want[0], second, &want[2]);
            int converted = glmScanCorner(&scanner, form.form, &corner);
            ASSERT_EQ(converted, wanted) << form.format << " at " << std::ftell(expected);
            ASSERT_EQ(glmScanOffset(&scanner), std::ftell(expected)) << form.format;
            if (wanted < 0)
                break;
            expectSameNumbers(form.form, converted, corner, want, std::ftell(expected));
            if (converted == 0) {
                std::fscanf(expected, "%*s");
                glmScanToken(&scanner, token);
            }
        }
        glmScanClose(&scanner);
        std::fclose(expected);
        std::fclose(actual);
    }
}

// The first corner is a token, and its form is the first of "%d//%d" (when
// the token holds "//"), "%d/%d/%d", "%d/%d" and "%d" that sscanf fills.
TEST(GlmCornerTest, FirstCornerTakesTheFormSscanfFindsInItsToken)
{
    std::string text = CornerText(12).make(300 * 1024);
    std::FILE *expected = fmemopen(text.data(), text.size(), "r");
    std::FILE *actual = fmemopen(text.data(), text.size(), "r");
    GlmScanner scanner;
    glmScanOpen(&scanner, actual);
    char wantToken[kGlmTokenSize];
    char token[kGlmTokenSize];
    while (std::fscanf(expected, "%127s", wantToken) == 1) {
        std::fscanf(expected, "%*[^ \t\n\v\f\r]");
        int want[3] = {0, 0, 0};
        GlmFaceForm wantForm = kGlmFaceVertex;
        if (std::strstr(wantToken, "//")) {
            std::sscanf(wantToken, "%d//%d", &want[0], &want[2]);
            wantForm = kGlmFaceVertexNormal;
        } else if (std::sscanf(wantToken, "%d/%d/%d", &want[0], &want[1], &want[2]) == 3) {
            wantForm = kGlmFaceVertexTextureNormal;
        } else if (std::sscanf(wantToken, "%d/%d", &want[0], &want[1]) == 2) {
            wantForm = kGlmFaceVertexTexture;
        } else {
            std::sscanf(wantToken, "%d", &want[0]);
        }
        GlmCorner corner = {0, 0, 0};
        GlmFaceForm form = glmScanFirstCorner(&scanner, token, &corner);
        long offset = std::ftell(expected);
        ASSERT_EQ(form, wantForm) << wantToken << " at " << offset;
        ASSERT_EQ(glmScanOffset(&scanner), offset) << wantToken;
        if (fitsInt(corner.vertex) && fitsInt(corner.texCoord) && fitsInt(corner.normal)) {
            EXPECT_EQ(corner.vertex, want[0]) << wantToken;
            EXPECT_EQ(corner.texCoord, want[1]) << wantToken;
            EXPECT_EQ(corner.normal, want[2]) << wantToken;
        }
    }
    glmScanClose(&scanner);
    std::fclose(expected);
    std::fclose(actual);
}

TEST(GlmCornerTest, PlainAndGeneralReadingAgreeOnEveryCornerOfText)
{
    std::string text = CornerText(13).make(64 * 1024);
    for (const FormCase &form : kForms) {
        GlmScanner plain, general;
        glmScanString(&plain, text.c_str());
        glmScanString(&general, text.c_str());
        GlmCorner a = {1, 2, 3}, b = {1, 2, 3};
        char token[kGlmTokenSize];
        for (;;) {
            int converted = glmScanCorner(&plain, form.form, &a);
            ASSERT_EQ(converted, glmScanCornerInGeneral(&general, form.form, &b));
            ASSERT_EQ(plain.cur, general.cur);
            ASSERT_EQ(a.vertex, b.vertex);
            ASSERT_EQ(a.texCoord, b.texCoord);
            ASSERT_EQ(a.normal, b.normal);
            if (converted < 0)
                break;
            if (converted == 0) {
                glmScanToken(&plain, token);
                glmScanToken(&general, token);
            }
        }
    }
}
