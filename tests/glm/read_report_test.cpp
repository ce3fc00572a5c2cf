// The reporting reader: every file glmReadOBJ would end the process for is
// refused with the reason and the very message glmReadOBJ prints, and nothing
// stays allocated (the sanitized test run checks for leaks). Memory running
// out needs a death test's child and is tried with the read death tests.
#include "modelfiles.h"

#include <gtest/gtest.h>
#include <string>

class GlmReadReportTest : public ::testing::Test
{
protected:
    ModelFiles files;
};

TEST_F(GlmReadReportTest, FilesThatCannotBeOpenedAreReportedWithThePath)
{
    std::string missing = files.directory() + "/none.obj";
    EXPECT_EQ(refusalMessage(missing, kGlmReadCannotOpen),
              "glmReadOBJ() failed: can't open data file \"" + missing + "\".\n");
    // The library is met after vertices, a group and another library.
    files.write("first.mtl", "newmtl one\n");
    std::string obj = files.write(
        "lib.obj", std::string(kSquare) + "g body\nmtllib first.mtl\nf 1 2 3\nmtllib gone.mtl\n");
    EXPECT_EQ(refusalMessage(obj, kGlmReadCannotOpen),
              "glmReadMTL() failed: can't open material file \"" + files.directory() +
                  "/gone.mtl\".\n");
}

TEST_F(GlmReadReportTest, UnknownVertexTokenIsReportedByName)
{
    std::string obj =
        files.write("vp.obj", std::string(kSquare) + "f 1 2 3\nvp 0.5 0.5\nv 0 0 0\n");
    EXPECT_EQ(refusalMessage(obj, kGlmReadUnknownToken), "glmFirstPass(): Unknown token \"vp\".\n");
}

// The filling pass has allocated every array when it meets these.
TEST_F(GlmReadReportTest, FaceIndexOutsideItsArrayIsReportedWithFileAndLine)
{
    const struct {
        const char *faces;
        int line;
        const char *message;
    } cases[] = {
        {"f 1 2 3\nf 1 2 0\n", 8, "vertex index 0 out of range 1..4"},
        {"f 1 2 3 4 5\n", 7, "vertex index 5 out of range 1..4"},
        {"f 1/1 2/1 3/2\n", 7, "texture coordinate index 2 out of range 1..1"},
        {"f 1//1 2//1 3//1\n", 7, "normal index 1 out of range 1..0"},
    };
    for (const auto &c : cases) {
        std::string obj =
            files.write("bad.obj", std::string(kSquare) + "vt 0 0\ng body\n" + c.faces);
        EXPECT_EQ(refusalMessage(obj, kGlmReadIndexOutOfRange),
                  std::string("glmFillPass(): ") + c.message + " in \"" + obj + "\", line " +
                      std::to_string(c.line) + ".\n")
            << c.faces;
    }
}

TEST_F(GlmReadReportTest, SuccessfulReadReportsNoFailureAlsoAfterARefusal)
{
    std::string bad = files.write("bad.obj", std::string(kSquare) + "f 1 2 9\n");
    refusalMessage(bad, kGlmReadIndexOutOfRange);
    std::string good = files.write("good.obj", std::string(kSquare) + "g top\nf 1 2 3 4\n");
    GlmReadError error = {kGlmReadUnknownToken, nullptr};
    ModelPtr model(glmReadOBJFile(good.c_str(), &error));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(error.failure, kGlmReadNoFailure);
    EXPECT_EQ(error.message, nullptr);
    EXPECT_EQ(model->triangleCount, 2u);
}
