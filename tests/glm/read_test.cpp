// OBJ and MTL reading: structure, groups, materials and the file errors.
#include "modelfiles.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

class GlmReadTest : public ::testing::Test
{
protected:
    ModelPtr read(const std::string &obj)
    {
        return ModelPtr(glmReadOBJ(files.write("m.obj", obj).c_str()));
    }

    static std::vector<unsigned> vertexIndices(const GlmMesh *model, unsigned triangle)
    {
        const unsigned *v = model->tris[triangle].vertexIndex;
        return {v[0], v[1], v[2]};
    }

    static std::vector<std::string> groupNames(const GlmMesh *model)
    {
        std::vector<std::string> names;
        for (GlmGroupNode *group = model->groupList; group; group = group->next)
            names.push_back(group->name);
        return names;
    }

    ModelFiles files;
};

// Every triangle in exactly one group, "default" last, counts adding up.
static void expectGroupInvariants(const GlmMesh *model)
{
    std::multiset<unsigned> seen;
    unsigned groups = 0;
    const GlmGroupNode *last = nullptr;
    for (GlmGroupNode *group = model->groupList; group; group = group->next, groups++) {
        for (unsigned i = 0; i < group->triangleCount; i++)
            seen.insert(group->triangleIndices[i]);
        last = group;
    }
    EXPECT_EQ(groups, model->groupCount);
    ASSERT_NE(last, nullptr);
    EXPECT_STREQ(last->name, "default");
    EXPECT_EQ(seen.size(), model->triangleCount);
    for (unsigned t = 0; t < model->triangleCount; t++)
        EXPECT_EQ(seen.count(t), 1u) << "triangle " << t;
}

TEST_F(GlmReadTest, VertexAndFaceFileHasOnlyTheDefaultGroup)
{
    ModelPtr model = read(std::string(kSquare) + "f 1 2 3\nf 1 3 4\n");
    EXPECT_EQ(model->vertexCount, 4u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 3 + 1], 1.0f);
    EXPECT_EQ(model->triangleCount, 2u);
    EXPECT_EQ(groupNames(model.get()), std::vector<std::string>{"default"});
    EXPECT_EQ(model->groupList->triangleCount, 2u);
    EXPECT_EQ(model->normals, nullptr);
    EXPECT_EQ(model->texCoords, nullptr);
    EXPECT_EQ(model->materialTable, nullptr);
    EXPECT_EQ(model->materialCount, 0u);
    EXPECT_EQ(model->facetnorms, nullptr);
    expectGroupInvariants(model.get());
}

TEST_F(GlmReadTest, FiveCornerFaceBecomesAFanOfThreeTriangles)
{
    ModelPtr model = read(std::string(kSquare) + "v 0 2 0\nf 1 2 3 4 5\n");
    ASSERT_EQ(model->triangleCount, 3u);
    EXPECT_EQ(vertexIndices(model.get(), 0), (std::vector<unsigned>{1, 2, 3}));
    EXPECT_EQ(vertexIndices(model.get(), 1), (std::vector<unsigned>{1, 3, 4}));
    EXPECT_EQ(vertexIndices(model.get(), 2), (std::vector<unsigned>{1, 4, 5}));
    for (unsigned i = 0; i < 3; i++)
        EXPECT_EQ(model->groupList->triangleIndices[i], i);
}

TEST_F(GlmReadTest, EachCornerFormFillsOnlyItsSlots)
{
    std::string data;
    for (int i = 0; i < 9; i++)
        data += "v 0 0 0\nvn 0 0 1\nvt 0 0\n";
    ModelPtr model = read(data + "f 1/4/7 2/5/8 3/6/9\nf 1//7 2//8 3//9\nf 1/4 2/5 3/6\n");
    ASSERT_EQ(model->triangleCount, 3u);
    const GlmTri *tri = model->tris;
    for (unsigned c = 0; c < 3; c++) {
        EXPECT_EQ(tri[0].vertexIndex[c], c + 1);
        EXPECT_EQ(tri[0].texCoordIndex[c], c + 4);
        EXPECT_EQ(tri[0].normalIndex[c], c + 7);
        EXPECT_EQ(tri[1].normalIndex[c], c + 7);
        EXPECT_EQ(tri[1].texCoordIndex[c], 0u);
        EXPECT_EQ(tri[2].texCoordIndex[c], c + 4);
        EXPECT_EQ(tri[2].normalIndex[c], 0u);
    }
}

TEST_F(GlmReadTest, GroupsKeepTheirLeadingBlankAndRepeatedNamesShareOneGroup)
{
    ModelPtr model =
        read(std::string(kSquare) + "f 1 2 3\ng body\nf 1 3 4\ng lid\nf 1 2 4\ng body\nf 2 3 4\n");
    EXPECT_EQ(groupNames(model.get()), (std::vector<std::string>{" lid", " body", "default"}));
    GlmGroupNode *body = glmLookupGroup(model.get(), " body");
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->triangleCount, 2u);
    EXPECT_EQ(body->triangleIndices[1], 3u);
    EXPECT_EQ(glmLookupGroup(model.get(), "default")->triangleIndices[0], 0u);
    EXPECT_EQ(glmLookupGroup(model.get(), "body"), nullptr);
    expectGroupInvariants(model.get());
}

TEST_F(GlmReadTest, MaterialLibraryYieldsDefaultPlusNamedMaterials)
{
    files.write("m.mtl", "Ns 500\nnewmtl steel\nKd 0.1 0.2 0.3\nNs 1000\n"
                         "newmtl wood\nKa 0.5 0.5 0.5\nKs 1 1 1\nillum 2\n");
    ModelPtr model = read(std::string("mtllib m.mtl\n") + kSquare + "f 1 2 3\n");
    EXPECT_STREQ(model->materialLibrary, "m.mtl");
    ASSERT_EQ(model->materialCount, 3u);
    const GlmMaterialEntry *table = model->materialTable;
    EXPECT_STREQ(table[0].name, "default");
    EXPECT_FLOAT_EQ(table[0].shininess, 64.0f); // set before the first newmtl
    EXPECT_STREQ(table[1].name, "steel");
    EXPECT_FLOAT_EQ(table[1].diffuseColor[2], 0.3f);
    EXPECT_FLOAT_EQ(table[1].diffuseColor[3], 1.0f);
    EXPECT_FLOAT_EQ(table[1].shininess, 128.0f);
    EXPECT_STREQ(table[2].name, "wood");
    EXPECT_FLOAT_EQ(table[2].ambientColor[0], 0.5f);
    EXPECT_FLOAT_EQ(table[2].specularColor[1], 1.0f);
    EXPECT_FLOAT_EQ(table[2].diffuseColor[0], 0.8f);
    EXPECT_FLOAT_EQ(table[2].shininess, 65.0f);
}

TEST_F(GlmReadTest, UsemtlBeforeGroupGivesTheGroupItsMaterialAndUnknownNamesMaterialZero)
{
    files.write("m.mtl", "newmtl red\nKd 1 0 0\nnewmtl blue\n");
    testing::internal::CaptureStdout();
    ModelPtr model = read(std::string("mtllib m.mtl\n") + kSquare +
                          "usemtl blue\ng top\nf 1 2 3\ng side\nusemtl plaid\nf 1 3 4\n");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(glmLookupGroup(model.get(), " top")->materialIndex, 2u);
    EXPECT_EQ(glmLookupGroup(model.get(), " side")->materialIndex, 0u);
    EXPECT_EQ(out, "glmFindMaterial():  can't find material \"plaid\".\n");
}

TEST_F(GlmReadTest, LibraryIsFoundInTheCurrentDirectoryWhenThePathHasNoSlash)
{
    files.write("here.mtl", "newmtl only\n");
    files.write("here.obj", std::string("mtllib here.mtl\n") + kSquare + "f 1 2 3\n");
    std::string previous = std::filesystem::current_path();
    std::filesystem::current_path(files.directory());
    ModelPtr model(glmReadOBJ("here.obj"));
    std::filesystem::current_path(previous);
    ASSERT_EQ(model->materialCount, 2u);
    EXPECT_STREQ(model->materialTable[1].name, "only");
}

TEST_F(GlmReadTest, LaterLibraryReplacesTheEarlierTable)
{
    files.write("a.mtl", "newmtl a1\nnewmtl a2\n");
    files.write("b.mtl", "newmtl b1\n");
    ModelPtr model = read(std::string("mtllib a.mtl\nmtllib x.mtl b.mtl\n") + kSquare);
    EXPECT_STREQ(model->materialLibrary, "b.mtl");
    ASSERT_EQ(model->materialCount, 2u);
    EXPECT_STREQ(model->materialTable[1].name, "b1");
}

using GlmReadDeathTest = GlmReadTest;

TEST_F(GlmReadDeathTest, MissingFilesEndTheProcessWithAMessageOnStandardError)
{
    std::string missing = files.directory() + "/none.obj";
    EXPECT_EXIT((keepOnlyStderr(), glmReadOBJ(missing.c_str())), testing::ExitedWithCode(1),
                "^glmReadOBJ\\(\\) failed: can't open data file \"" + missing + "\"\\.\n$");
    std::string obj = files.write("lib.obj", "mtllib gone.mtl\n");
    EXPECT_EXIT((keepOnlyStderr(), glmReadOBJ(obj.c_str())), testing::ExitedWithCode(1),
                "^glmReadMTL\\(\\) failed: can't open material file \"" + files.directory() +
                    "/gone.mtl\"\\.\n$");
}

TEST_F(GlmReadDeathTest, UnknownVertexTokenEndsTheProcessWithAMessageOnStandardOutput)
{
    std::string obj = files.write("vp.obj", "v 0 0 0\nvp 0.5 0.5\n");
    EXPECT_EXIT((keepOnlyStdout(), glmReadOBJ(obj.c_str())), testing::ExitedWithCode(1),
                "^glmFirstPass\\(\\): Unknown token \"vp\"\\.\n$");
}

TEST_F(GlmReadDeathTest, FaceIndexOutsideItsArrayIsRejectedWithFileLineAndIndex)
{
    const struct {
        const char *face;
        const char *message;
    } cases[] = {
        {"f 1 2 0", "vertex index 0 out of range 1..4 in \"[^\"]*\", line 7"},
        {"f 1 -5 3", "vertex index -5 out of range 1..4 in \"[^\"]*\", line 7"},
        {"f 1 2 3 5", "vertex index 5 out of range 1..4 in \"[^\"]*\", line 7"},
        {"f 1 2\n 4294967297", "vertex index 4294967297 out of range 1..4 in \"[^\"]*\", line 8"},
        {"f 1/1 2/1 3/9", "texture coordinate index 9 out of range 1..1"},
        {"f 1//1 2//1 3//1", "normal index 1 out of range 1..0"},
        {"f 1//x 2//1 3//1", "normal index 0 out of range 1..0"},
    };
    for (const auto &c : cases) {
        std::string obj = files.write("bad.obj", std::string("\n") + kSquare + "vt 0 0\n" + c.face);
        EXPECT_EXIT((keepOnlyStderr(), glmReadOBJ(obj.c_str())), testing::ExitedWithCode(1),
                    std::string("^glmFillPass\\(\\): ") + c.message)
            << c.face;
    }
}

TEST_F(GlmReadDeathTest, ArraysThatDoNotFitInMemoryAreRefusedWithAMessage)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves far more address space than it uses";
#endif
    if (!addressLimitHolds())
        GTEST_SKIP() << "this machine does not hold a process to an address-space limit";
    std::string vertices;
    for (int i = 0; i < 2000000; i++)
        vertices += "v\n";
    std::string obj = files.write("big.obj", vertices);
    EXPECT_EXIT((keepOnlyStderr(), limitAddressSpace(kSpareAddressBytes), glmReadOBJ(obj.c_str())),
                testing::ExitedWithCode(1),
                "^glmReadOBJ\\(\\): out of memory for the arrays of \"[^\"]*big.obj\"\\.\n$");
    // The reporting reader refuses it with the same message and lives on.
    auto reportAndExit = [&obj] {
        GlmReadError error;
        if (glmReadOBJFile(obj.c_str(), &error) || error.failure != kGlmReadTooLarge)
            std::exit(2);
        std::fputs(error.message, stderr);
        std::exit(0);
    };
    EXPECT_EXIT((limitAddressSpace(kSpareAddressBytes), reportAndExit()),
                testing::ExitedWithCode(0),
                "^glmReadOBJ\\(\\): out of memory for the arrays of \"[^\"]*big.obj\"\\.\n$");
}

TEST_F(GlmReadDeathTest, NullModelStopsTheRecordFunctionsByAssertion)
{
    EXPECT_DEATH(glmLookupGroup(nullptr, "default"), "model");
    EXPECT_DEATH(glmEnsureGroup(nullptr, "default"), "model");
    EXPECT_DEATH(glmFree(nullptr), "model");
}

// Files that are broken, crafted or merely unusual: never a crash, never an
// access outside the arrays (run under AddressSanitizer), invariants intact.
using GlmReadBadFileTest = GlmReadTest;

static const char *const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

TEST_F(GlmReadBadFileTest, LongTokensAndLinesAreCutTheSameWayInBothPasses)
{
    std::string longName(300, 'n');
    // A line is skipped 127 bytes at a time, so this comment's tail is a face.
    std::string comment = "# " + std::string(126, '-') + " f 1 2 3\n";
    ModelPtr model = read(std::string(kTriangle) + "g " + longName + "\nf 1 2 3\n" + comment +
                          std::string(500, 'x') + "\n");
    GlmGroupNode *group = model->groupList;
    EXPECT_EQ(std::string(group->name), " " + std::string(125, 'n'));
    EXPECT_EQ(model->triangleCount, 2u);
    expectGroupInvariants(model.get());
}

TEST_F(GlmReadBadFileTest, PassesThatDisagreeNeverFillMoreThanWasCounted)
{
    files.write("m.mtl", "newmtl a\nKd 1 1 1 newmtl extra\nNs 1\nnewmtl b\n");
    ModelPtr model = read(std::string("mtllib m.mtl\n") + kTriangle +
                          "v 1 1 0 v 2 2 0\nf 1 2 3\nv 0 0 1 f 1 2 3 4\n"
                          "vt 0 0 f 1 2 3\nv 0 0 2 g ghost\nf 1 2 3\n");
    EXPECT_EQ(model->vertexCount, 6u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 4], 1.0f);
    EXPECT_EQ(model->texCoordCount, 1u);
    EXPECT_EQ(model->triangleCount, 2u); // the three uncounted triangles are dropped
    EXPECT_EQ(model->groupCount, 1u);
    EXPECT_EQ(model->materialCount, 3u); // "extra" takes the place counted for "b"
    EXPECT_STREQ(model->materialTable[2].name, "extra");
    expectGroupInvariants(model.get());
}

TEST_F(GlmReadBadFileTest, HugeFacesAndNumbersStayWithinTheirArrays)
{
    std::string face = "f";
    for (int i = 0; i < 100000; i++)
        face += i % 2 ? " 2 3" : " 1";
    ModelPtr model = read(std::string(kTriangle) + face + "\nv 1e39 -1e39 1e-50\n");
    EXPECT_EQ(model->triangleCount, 149998u);
    EXPECT_EQ(model->groupList->triangleCount, 149998u);
    EXPECT_TRUE(std::isinf(model->vertices[3 * 4]));
    EXPECT_FLOAT_EQ(model->vertices[3 * 4 + 2], 0.0f);
    expectGroupInvariants(model.get());
}

TEST_F(GlmReadBadFileTest, MissingFinalNewlineCrlfAndNulBytesAreRead)
{
    ModelPtr plain = read(std::string(kTriangle) + "g last\nf 1 2 3");
    EXPECT_EQ(plain->triangleCount, 1u);
    ModelPtr crlf = read("v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\ng body\r\nf 1 2 3\r\n");
    EXPECT_FLOAT_EQ(crlf->vertices[3 * 2], 1.0f);
    EXPECT_STREQ(crlf->groupList->name, " body\r"); // only the line end is dropped
    EXPECT_EQ(crlf->triangleCount, 1u);
    ModelPtr nul = read(std::string(kTriangle) + std::string("\0junk\ng a\0b\nf 1 2 3\0\n", 22));
    EXPECT_EQ(nul->triangleCount, 1u);
    EXPECT_STREQ(nul->groupList->name, " ");
    expectGroupInvariants(nul.get());
}

TEST_F(GlmReadBadFileTest, NumbersThatFailToParseLeaveZero)
{
    ModelPtr model = read("v 1 x 3\nv\nv 1 2 3\nf 1 2 3\n");
    EXPECT_FLOAT_EQ(model->vertices[3 * 1], 1.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 1 + 1], 0.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 1 + 2], 0.0f);
    EXPECT_FLOAT_EQ(model->vertices[3 * 2], 0.0f);
}

TEST_F(GlmReadBadFileTest, CornersRunOnAcrossLinesAndShortCornersKeepEarlierNumbers)
{
    std::string data = std::string(kTriangle) + "v 1 1 0\nvn 0 0 1\nvn 0 1 0\n";
    ModelPtr model = read(data + "f 1//2 2//1 3\n4\n");
    ASSERT_EQ(model->triangleCount, 2u);
    EXPECT_EQ(model->tris[0].normalIndex[2], 1u);
    EXPECT_EQ(vertexIndices(model.get(), 1), (std::vector<unsigned>{1, 3, 4}));
}
