// The one-pass reading of plain files against the two passes that define
// every file's reading: random files of every kind and size, odd or not, must
// give the same model bit for bit, the same refusal and the same output,
// whether the one-pass reading accepts them or leaves them to the two passes.
#include "glm_parse.h"
#include "glm_plainread.h"
#include "glm_readerror.h"
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
    // A vertex line, then blank lines to a page's end: nothing may read past
    // the file.
    constexpr size_t kPageBytes = 4096;
    std::string ending = plain + "v 1 2 3";
    EXPECT_TRUE(expectReadAsInGeneral(
        ending + std::string(2 * kPageBytes - ending.size() % kPageBytes, '\n')));
    // A face whose corners run on after more blank lines than a window holds.
    expectReadAsInGeneral(plain + "f 1 2 3" + std::string(kLargeFileBytes / 4, '\n') + "4\n");
    EXPECT_FALSE(expectReadAsInGeneral(plain + "f 1 2 3 x\nvp 1\n"));
    EXPECT_FALSE(expectReadAsInGeneral(plain + "f 1 2 999999999\n"));
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
            expectReadAsInGeneral(head + text + "\nf 1 2 3\n");
            expectReadAsInGeneral(head + "f 1 2 3\n" + text);
        }
    }
}
