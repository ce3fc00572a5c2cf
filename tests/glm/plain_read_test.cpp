// The one-pass reading of plain files against the two passes that define
// every file's reading: random files of every kind and size, odd or not, must
// give the same model bit for bit, the same refusal and the same output,
// whether the one-pass reading accepts them or leaves them to the two passes.
#include "glm_parse.h"
#include "glm_plainread.h"
#include "glm_readerror.h"
#include "guardedtext.h"
#include "modelfiles.h"
#include "objtext.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace
{

// Small files fit in one window of the text as it is read; larger ones cross
// many.
constexpr unsigned kSmallFiles = 400;
constexpr size_t kSmallFileBytes = 6000;
constexpr size_t kLargeFileBytes = 9 * 1024 * 1024;
constexpr int kOddPerMille = 2;

struct Reading {
    ModelPtr model;
    GlmReadFailure failure;
    std::string message;
    std::string output; // standard output during the reading
};

} // namespace

class GlmPlainReadTest : public ::testing::Test
{
protected:
    GlmPlainReadTest() { files.write(kObjTextLibrary, kObjTextMaterials); }

    static Reading read(const std::string &path, GlmMesh *(*reader)(const char *, GlmReadError *))
    {
        GlmReadError error;
        testing::internal::CaptureStdout();
        Reading reading{ModelPtr(reader(path.c_str(), &error)), error.failure,
                        error.message ? error.message : "", ""};
        reading.output = testing::internal::GetCapturedStdout();
        std::free(error.message);
        return reading;
    }

    // Whether the one-pass reading accepts the file by itself.
    static bool acceptsPlain(const std::string &path)
    {
        ModelPtr model(static_cast<GlmMesh *>(std::calloc(1, sizeof(GlmMesh))));
        model->sourcePath = glmCopyString(path.c_str());
        int fd = open(path.c_str(), O_RDONLY);
        bool accepted = glmReadPlainOBJ(model.get(), fd);
        close(fd);
        return accepted;
    }

    // Reads obj both ways and expects the same; returns whether the one-pass
    // reading took it.
    bool expectReadAsInGeneral(const std::string &obj)
    {
        std::string path = files.write("m.obj", obj);
        Reading actual = read(path, glmReadOBJFile);
        Reading expected = read(path, glmReadOBJFileInGeneral);
        EXPECT_EQ(actual.failure, expected.failure) << obj;
        EXPECT_EQ(actual.message, expected.message) << obj;
        EXPECT_EQ(actual.output, expected.output) << obj;
        EXPECT_EQ(!actual.model, !expected.model) << obj;
        if (actual.model && expected.model) {
            EXPECT_EQ(glmModelDifference(actual.model.get(), expected.model.get()), nullptr) << obj;
        }
        return acceptsPlain(path);
    }

    ModelFiles files;
};

TEST_F(GlmPlainReadTest, SmallFilesReadAsTheTwoPassesReadThem)
{
    unsigned accepted = 0;
    for (unsigned seed = 0; seed < kSmallFiles; seed++) {
        std::mt19937 random(seed);
        ObjText text(seed, kOddPerMille);
        accepted += expectReadAsInGeneral(text.make(random() % kSmallFileBytes));
        if (HasFailure())
            return;
    }
    // Both ways must have been taken often.
    EXPECT_GT(accepted, kSmallFiles / 4);
    EXPECT_LT(accepted, kSmallFiles * 3 / 4);
}

TEST_F(GlmPlainReadTest, LargeFilesReadAsTheTwoPassesReadThemAlsoWhenOddAtTheEnd)
{
    std::string plain = ObjText(1, 0).make(kLargeFileBytes);
    EXPECT_TRUE(expectReadAsInGeneral(plain));
    // A vertex line, then blank lines to a page's end.
    constexpr size_t kPageBytes = 4096;
    std::string ending = plain + "v 1 2 3";
    EXPECT_TRUE(expectReadAsInGeneral(
        ending + std::string(2 * kPageBytes - ending.size() % kPageBytes, '\n')));
    // A face whose corners run on after more blank lines than a window holds.
    expectReadAsInGeneral(plain + "f 1 2 3" + std::string(kLargeFileBytes / 4, '\n') + "4\n");
    EXPECT_FALSE(expectReadAsInGeneral(plain + "f 1 2 3 x\nvp 1\n"));
    EXPECT_FALSE(expectReadAsInGeneral(plain + "f 1 2 999999999\n"));
}

// A file's text where the page after the room the reader is given behind it
// can be neither read nor written: a statement that reads past that room
// crashes the test. The texts end in each kind of statement that reads
// numbers, in a number of every length a digit run reads (the farther a run
// starts from its number's start, the farther it reads), with and without line
// ends after it.
TEST_F(GlmPlainReadTest, TextsEndingWhereMemoryEndsAreReadWithinTheirPadding)
{
    const std::string head = std::string(kSquare) + "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n";
    const struct {
        const char *start; // the statement up to its last number
        bool decimals;     // whether that number may have a point
    } kLastStatements[] = {
        {"v 1 2 ", true},        {"vn 0 0 ", true},          {"vt 1 ", true},
        {"s ", false},           {"f 1 2 ", false},          {"f -1 -2 -", false},
        {"f 1/1 2/2 3/", false}, {"f 1//1 2//1 3//", false}, {"f 1/1/1 2/2/1 3/3/", false}};
    for (const auto &statement : kLastStatements) {
        for (unsigned digits = 1; digits <= kGlmRunDigits; digits++) {
            const std::string integer = std::string(digits - 1, '0') + "1";
            for (const std::string &number : {integer, "0." + integer}) {
                if (!statement.decimals && number != integer)
                    continue;
                for (const char *after : {"", "\n", " ", "\n\n\n"}) {
                    const std::string obj = head + statement.start + number + after;
                    GuardedText guarded(obj, 1 + kGlmPlainPaddingBytes);
                    ASSERT_NE(guarded.text(), nullptr);
                    ModelPtr model(static_cast<GlmMesh *>(std::calloc(1, sizeof(GlmMesh))));
                    // Taken: the statements ran to the text's end.
                    EXPECT_TRUE(glmReadPlainText(model.get(), guarded.text(), obj.size())) << obj;
                }
            }
        }
    }
}

// The counting pass reads a line's rest as fgets into 128 bytes would; what
// lies beyond is read as statements of its own. A last line may also lack its
// line end.
TEST_F(GlmPlainReadTest, LinesAroundTheLineLimitAndLastLinesReadAsTheTwoPassesReadThem)
{
    const struct {
        const char *keyword;
        const char *content; // after the blanks that make the length
    } kLines[] = {{"g", "body"},    {"usemtl", "red"}, {"mtllib", kObjTextLibrary},
                  {"#", "f 1 2 3"}, {"v 1 2 3", ""},   {"vt 1 2", "3"},
                  {"s", "v 1 2 3"}};
    const size_t kLimit = kGlmTokenSize;
    for (const auto &line : kLines) {
        for (size_t length = kLimit - 4; length <= kLimit + 4; length++) {
            std::string text = line.keyword;
            text += std::string(length - text.size() - std::strlen(line.content), ' ');
            text += line.content;
            std::string head = std::string("mtllib ") + kObjTextLibrary + "\n" + kSquare;
            const bool accepted = expectReadAsInGeneral(head + text + "\nf 1 2 3\n");
            // A line that the line reading takes whole, with statements after
            // it, is plain: the one pass must take the file itself.
            if (length < kLimit) {
                EXPECT_TRUE(accepted) << text;
            }
            expectReadAsInGeneral(head + "f 1 2 3\n" + text);
        }
    }
}
