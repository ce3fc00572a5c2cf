#include "glm.h"
#include "meshbuilder.h"
#include "modelfiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const std::string kSquareVertices = "\n# 4 vertices\n"
                                    "v 0.000000 0.000000 0.000000\n"
                                    "v 1.000000 0.000000 0.000000\n"
                                    "v 1.000000 1.000000 0.000000\n"
                                    "v 0.000000 1.000000 0.500000\n";

const std::string kGroupCounts = "\n# 2 groups\n# 2 faces (triangles)\n\n";

MaterialPlan material(const char *name, float red, float shininess)
{
    return MaterialPlan{name,
                        {red, 0.5f, 0.25f, 1.0f},
                        {0.2f, 0.2f, 0.2f, 1.0f},
                        {0.0f, 0.0f, 1.0f, 1.0f},
                        shininess};
}

// A unit square in two triangles, every kind of normal and texture coordinate
// present, in the groups "default" (the first triangle) and " top" (the second,
// named the way a "g top" line names it). Materials "default" and "red"; " top"
// uses "red".
GlmMesh *newSquare()
{
    return buildMesh(
        {{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.5f},
         {0, 0, 1, 0, 0.6f, 0.8f},
         {0, 0, 1, 0, 0.5f, 1},
         {0, 0, 1, 0, -1, 0},
         {GlmTri{{1, 2, 3}, {1, 1, 2}, {1, 2, 3}, 1}, GlmTri{{1, 3, 4}, {2, 2, 1}, {3, 2, 1}, 2}},
         {material("default", 0.8f, 65.0f), material("red", 1.0f, 128.0f)},
         {{"default", {0}, 0}, {" top", {1}, 1}}});
}

std::string contentsOf(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Length of the comment block a written file starts with: its leading lines
// that begin with "#".
size_t headerLength(const std::string &text)
{
    size_t at = 0;
    while (at < text.size() && text[at] == '#') {
        const size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return at;
}

std::string headerOf(const std::string &text)
{
    return text.substr(0, headerLength(text));
}

// What a written file holds after its header.
std::string bodyOf(const std::string &path)
{
    const std::string text = contentsOf(path);
    return text.substr(headerLength(text));
}

} // namespace

class WriteTest : public testing::Test
{
protected:
    void TearDown() override { glmFree(model); }

    // Writes the model in mode and returns what the writer printed on
    // standard output.
    std::string write(unsigned mode)
    {
        testing::internal::CaptureStdout();
        glmWriteOBJ(model, objPath.c_str(), mode);
        return testing::internal::GetCapturedStdout();
    }

    ModelFiles files;
    const std::string directory = files.directory() + "/";
    const std::string objPath = directory + "out.obj";
    GlmMesh *model = newSquare();
};

TEST_F(WriteTest, ModeZeroWritesPositionsAndPlainFacesHeadGroupFirst)
{
    EXPECT_EQ(write(0), "");
    EXPECT_EQ(bodyOf(objPath), kSquareVertices + kGroupCounts +
                                   "g  top\nf 1 3 4\n\n"
                                   "g default\nf 1 2 3\n\n");
}

TEST_F(WriteTest, ModeOneWritesFacetNormalsNumberedByFacetIndex)
{
    EXPECT_EQ(write(GLM_DRAW_FACETED), "");
    EXPECT_EQ(bodyOf(objPath), kSquareVertices +
                                   "\n# 2 normals\n"
                                   "vn 0.000000 0.000000 1.000000\n"
                                   "vn 0.000000 -1.000000 0.000000\n" +
                                   kGroupCounts + "g  top\nf 1//2 3//2 4//2\n\n" +
                                   "g default\nf 1//1 2//1 3//1\n\n");
}

TEST_F(WriteTest, ModeThreeWarnsAndWritesVertexNormals)
{
    EXPECT_EQ(write(GLM_DRAW_FACETED | GLM_DRAW_SMOOTHED),
              "glmWriteOBJ() warning: flat normal output requested and smooth normal output "
              "requested (using smooth).\n");
    EXPECT_EQ(bodyOf(objPath), kSquareVertices +
                                   "\n# 2 normals\n"
                                   "vn 0.000000 0.000000 1.000000\n"
                                   "vn 0.000000 0.600000 0.800000\n" +
                                   kGroupCounts + "g  top\nf 1//2 3//2 4//1\n\n" +
                                   "g default\nf 1//1 2//1 3//2\n\n");
}

TEST_F(WriteTest, ModeSixteenWritesLibraryUsemtlAndTheMtlFileBeside)
{
    model->materialLibrary = ownedCopy("square.mtl");
    EXPECT_EQ(write(GLM_DRAW_MATERIALS), "");
    EXPECT_EQ(bodyOf(objPath), "\nmtllib square.mtl\n\n" + kSquareVertices + kGroupCounts +
                                   "g  top\nusemtl red\nf 1 3 4\n\n" +
                                   "g default\nusemtl default\nf 1 2 3\n\n");
    EXPECT_EQ(bodyOf(directory + "square.mtl"), "\n"
                                                "newmtl default\n"
                                                "Ka 0.200000 0.200000 0.200000\n"
                                                "Kd 0.800000 0.500000 0.250000\n"
                                                "Ks 0.000000 0.000000 1.000000\n"
                                                "Ns 507.812500\n\n"
                                                "newmtl red\n"
                                                "Ka 0.200000 0.200000 0.200000\n"
                                                "Kd 1.000000 0.500000 0.250000\n"
                                                "Ks 0.000000 0.000000 1.000000\n"
                                                "Ns 1000.000000\n\n");
}

TEST_F(WriteTest, MaterialModeWithoutLibraryNameWritesNoMaterialLines)
{
    EXPECT_EQ(write(GLM_DRAW_MATERIALS | GLM_DRAW_COLORED),
              "glmWriteOBJ() warning: color and material output requested outputting only "
              "materials.\n");
    const std::string text = contentsOf(objPath);
    EXPECT_EQ(text.find("mtllib"), std::string::npos);
    EXPECT_NE(text.find("usemtl red\n"), std::string::npos);
}

TEST_F(WriteTest, MissingDataDropsModeBitsWithWarningsInOrder)
{
    dropOptionalData(model);
    EXPECT_EQ(write(GLM_DRAW_FACETED | GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED | GLM_DRAW_COLORED |
                    GLM_DRAW_MATERIALS),
              "glmWriteOBJ() warning: flat normal output requested with no facet normals "
              "defined.\n"
              "glmWriteOBJ() warning: smooth normal output requested with no normals defined.\n"
              "glmWriteOBJ() warning: texture coordinate output requested with no texture "
              "coordinates defined.\n"
              "glmWriteOBJ() warning: color output requested with no colors (materials) "
              "defined.\n"
              "glmWriteOBJ() warning: material output requested with no materials defined.\n");
    EXPECT_EQ(bodyOf(objPath), kSquareVertices + kGroupCounts +
                                   "g  top\nf 1 3 4\n\n"
                                   "g default\nf 1 2 3\n\n");
}

TEST_F(WriteTest, FaceFormFollowsTheCorrectedMode)
{
    const struct {
        unsigned mode;
        const char *face;
    } cases[] = {
        {GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED, "f 1/1/1 2/2/1 3/3/2\n"},
        {GLM_DRAW_FACETED | GLM_DRAW_TEXTURED, "f 1/1/1 2/2/1 3/3/1\n"},
        {GLM_DRAW_TEXTURED, "f 1/1 2/2 3/3\n"},
        {GLM_DRAW_SMOOTHED, "f 1//1 2//1 3//2\n"},
        {GLM_DRAW_FACETED, "f 1//1 2//1 3//1\n"},
        {GLM_DRAW_COLORED, "f 1 2 3\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        write(c.mode);
        const std::string text = contentsOf(objPath);
        EXPECT_NE(text.find(std::string("g default\n") + c.face), std::string::npos) << text;
    }
}

TEST_F(WriteTest, TexturedModesWriteTheTextureCoordinates)
{
    write(GLM_DRAW_TEXTURED);
    EXPECT_NE(contentsOf(objPath).find("\n# 3 texcoords\n"
                                       "vt 0.000000 0.000000\n"
                                       "vt 1.000000 0.000000\n"
                                       "vt 0.500000 1.000000\n"),
              std::string::npos);
}

// The headers are comments: the reader passes over them and gets the model
// back. Each names the format of its file, and both say the same otherwise.
TEST_F(WriteTest, HeadersAreCommentsTheReaderPassesOver)
{
    model->materialLibrary = ownedCopy("square.mtl");
    write(GLM_DRAW_MATERIALS);
    const std::string objHeader = headerOf(contentsOf(objPath));
    const std::string mtlHeader = headerOf(contentsOf(directory + "square.mtl"));
    const size_t objKind = objHeader.find("Wavefront OBJ");
    ASSERT_NE(objKind, std::string::npos) << objHeader;
    EXPECT_EQ(
        std::string(objHeader).replace(objKind, std::strlen("Wavefront OBJ"), "Wavefront MTL"),
        mtlHeader);

    GlmReadError error = {kGlmReadNoFailure, nullptr};
    const ModelPtr copy(glmReadOBJFile(objPath.c_str(), &error));
    ASSERT_NE(copy, nullptr) << (error.message ? error.message : "");
    EXPECT_EQ(copy->vertexCount, model->vertexCount);
    EXPECT_EQ(copy->triangleCount, model->triangleCount);
    const GlmGroupNode *top = glmLookupGroup(copy.get(), "  top");
    ASSERT_NE(top, nullptr);
    EXPECT_STREQ(copy->materialTable[top->materialIndex].name, "red");
}

using WriteDeathTest = WriteTest;

TEST_F(WriteDeathTest, UnwritableObjPathEndsTheProcess)
{
    const std::string path = directory + "missing/out.obj";
    EXPECT_EXIT(glmWriteOBJ(model, path.c_str(), 0), testing::ExitedWithCode(1),
                "glmWriteOBJ\\(\\) failed: can't open file \"" + path + "\" to write.\n");
}

TEST_F(WriteDeathTest, UnwritableMtlPathEndsTheProcess)
{
    model->materialLibrary = ownedCopy("missing/square.mtl");
    const std::string path = directory + "missing/square.mtl";
    EXPECT_EXIT(glmWriteOBJ(model, objPath.c_str(), GLM_DRAW_MATERIALS), testing::ExitedWithCode(1),
                "glmWriteMTL\\(\\) failed: can't open file \"" + path + "\".\n");
}

// A square of two triangles whose faces carry texture and normal indices in
// orders unlike the vertex order, so that a writer mixing them up shows.
const char *const kTexturedSquareObj = "mtllib square.mtl\n"
                                       "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                       "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                       "vn 0 0 1\nvn 0 0.6 0.8\n"
                                       "g top\nusemtl red\nf 1/4/2 2/3/1 3/1/2\n"
                                       "g bottom\nf 1/2/1 3/3/2 4/4/1\n";
const char *const kSquareMtl = "newmtl red\nKd 1 0 0\nKa 0.5 0 0\nKs 0 0 1\nNs 1000\n";

class WriteRoundTripTest : public testing::Test
{
protected:
    // Reads the square, lets prepare change it, writes it in mode and reads
    // the result back.
    void roundTrip(unsigned mode, void (*prepare)(GlmMesh *))
    {
        files.write("square.mtl", kSquareMtl);
        original.reset(glmReadOBJ(files.write("square.obj", kTexturedSquareObj).c_str()));
        prepare(original.get());
        const std::string copyPath = files.directory() + "/copy/square.obj";
        std::filesystem::create_directory(files.directory() + "/copy");
        glmWriteOBJ(original.get(), copyPath.c_str(), mode);
        copy.reset(glmReadOBJ(copyPath.c_str()));
    }

    // The original's triangles in the order the writer wrote them (group list
    // order), which is the order the reader numbers them in the copy.
    std::vector<const GlmTri *> trianglesAsWritten() const
    {
        std::vector<const GlmTri *> written;
        for (const GlmGroupNode *group = original->groupList; group; group = group->next) {
            for (unsigned i = 0; i < group->triangleCount; i++)
                written.push_back(&original->tris[group->triangleIndices[i]]);
        }
        return written;
    }

    static void expectSameVectors(const float *a, const float *b, unsigned count, int width)
    {
        for (unsigned i = width; i < (count + 1) * width; i++)
            EXPECT_NEAR(a[i], b[i], 1e-6f) << "component " << i;
    }

    ModelFiles files;
    ModelPtr original;
    ModelPtr copy;
};

TEST_F(WriteRoundTripTest, SmoothTexturedModelReadsBackWithTheSameIndices)
{
    roundTrip(GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED, [](GlmMesh *) {});
    ASSERT_EQ(copy->triangleCount, original->triangleCount);
    ASSERT_EQ(copy->normalCount, original->normalCount);
    ASSERT_EQ(copy->texCoordCount, original->texCoordCount);
    ASSERT_EQ(copy->vertexCount, original->vertexCount);
    const std::vector<const GlmTri *> written = trianglesAsWritten();
    for (unsigned t = 0; t < copy->triangleCount; t++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(copy->tris[t].vertexIndex[c], written[t]->vertexIndex[c]);
            EXPECT_EQ(copy->tris[t].normalIndex[c], written[t]->normalIndex[c]);
            EXPECT_EQ(copy->tris[t].texCoordIndex[c], written[t]->texCoordIndex[c]);
        }
    }
    expectSameVectors(copy->vertices, original->vertices, original->vertexCount, 3);
    expectSameVectors(copy->normals, original->normals, original->normalCount, 3);
    expectSameVectors(copy->texCoords, original->texCoords, original->texCoordCount, 2);
}

TEST_F(WriteRoundTripTest, FacetTexturedModelReadsBackWithFacetNormalsAsNormals)
{
    roundTrip(GLM_DRAW_FACETED | GLM_DRAW_TEXTURED, glmFaceNormals);
    ASSERT_EQ(copy->triangleCount, original->triangleCount);
    ASSERT_EQ(copy->normalCount, original->facetCount);
    const std::vector<const GlmTri *> written = trianglesAsWritten();
    for (unsigned t = 0; t < copy->triangleCount; t++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(copy->tris[t].vertexIndex[c], written[t]->vertexIndex[c]);
            EXPECT_EQ(copy->tris[t].normalIndex[c], written[t]->facetIndex);
            EXPECT_EQ(copy->tris[t].texCoordIndex[c], written[t]->texCoordIndex[c]);
        }
    }
    expectSameVectors(copy->normals, original->facetnorms, original->facetCount, 3);
}

TEST_F(WriteRoundTripTest, EveryGroupReadsBackWithItsTrianglesAndMaterial)
{
    roundTrip(GLM_DRAW_MATERIALS, [](GlmMesh *) {});
    // A group name read from a g line begins with the blank after the g, so
    // each group written as "g name" reads back as " name"; "default" too,
    // which leaves the reader's own "default" group empty beside it.
    ASSERT_EQ(copy->groupCount, original->groupCount + 1);
    EXPECT_EQ(glmLookupGroup(copy.get(), "default")->triangleCount, 0u);
    for (const GlmGroupNode *was = original->groupList; was; was = was->next) {
        SCOPED_TRACE(was->name);
        const GlmGroupNode *is = glmLookupGroup(copy.get(), (" " + std::string(was->name)).c_str());
        ASSERT_NE(is, nullptr);
        EXPECT_EQ(is->triangleCount, was->triangleCount);
        const GlmMaterialEntry &wasMaterial = original->materialTable[was->materialIndex];
        const GlmMaterialEntry &isMaterial = copy->materialTable[is->materialIndex];
        EXPECT_STREQ(isMaterial.name, wasMaterial.name);
        EXPECT_NEAR(isMaterial.shininess, wasMaterial.shininess, 1e-4f);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(isMaterial.diffuseColor[i], wasMaterial.diffuseColor[i], 1e-6f);
            EXPECT_NEAR(isMaterial.ambientColor[i], wasMaterial.ambientColor[i], 1e-6f);
            EXPECT_NEAR(isMaterial.specularColor[i], wasMaterial.specularColor[i], 1e-6f);
        }
    }
}
