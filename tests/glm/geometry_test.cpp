// Geometry processing: fitting, extent, winding, normals, texture coordinates
// and welding.
#include "modelfiles.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class GlmGeometryTest : public ::testing::Test
{
protected:
    ModelPtr read(const std::string &obj)
    {
        return ModelPtr(glmReadOBJ(files.write("m.obj", obj).c_str()));
    }

    // A cube with corners at lo and hi on every axis, as 12 triangles.
    ModelPtr cube(float lo, float hi)
    {
        std::string obj;
        for (int i = 0; i < 8; i++)
            obj += "v " + std::to_string(i & 1 ? hi : lo) + " " + std::to_string(i & 2 ? hi : lo) +
                   " " + std::to_string(i & 4 ? hi : lo) + "\n";
        obj += "f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
        return read(obj);
    }

    static std::vector<float> coordinates(const GlmMesh *model)
    {
        return {model->vertices + 3, model->vertices + 3 * (model->vertexCount + 1)};
    }

    ModelFiles files;
};

// Two triangles sharing the edge 1-2, folded so their normals are 60 degrees
// apart: (0,0,1) and (0, sin 60, cos 60).
static const char *const kFolded = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 -0.5 0.8660254\n"
                                   "f 1 2 3\nf 2 1 4\n";

TEST_F(GlmGeometryTest, FitCentresOnTheBoundsAndScalesTheSumOfAbsoluteExtremesToTwo)
{
    ModelPtr model = cube(-1.0f, 3.0f);
    EXPECT_FLOAT_EQ(glmFitToUnitCube(model.get()), 0.5f);
    for (float c : coordinates(model.get()))
        EXPECT_FLOAT_EQ(std::fabs(c), 1.0f);

    ModelPtr offAxis = read("v 10 0 0\nv 12 1 0.5\nf 1 2 1\n");
    float dimensions[3];
    glmExtent(offAxis.get(), dimensions);
    EXPECT_FLOAT_EQ(dimensions[0], 22.0f);
    EXPECT_FLOAT_EQ(dimensions[1], 1.0f);
    EXPECT_FLOAT_EQ(glmFitToUnitCube(offAxis.get()), 2.0f / 22.0f);
    EXPECT_NEAR(offAxis->vertices[6] - offAxis->vertices[3], 2.0f * 2.0f / 22.0f, 1e-6);
}

TEST_F(GlmGeometryTest, ModelsWithoutExtentGiveFiniteResults)
{
    ModelPtr empty = read("# nothing\n");
    ModelPtr point = read("v 0 0 0\nv 0 0 0\nf 1 2 1\n");
    for (GlmMesh *model : {empty.get(), point.get()}) {
        EXPECT_FLOAT_EQ(glmFitToUnitCube(model), 1.0f);
        float dimensions[3] = {-1, -1, -1};
        glmExtent(model, dimensions);
        EXPECT_EQ(dimensions[0] + dimensions[1] + dimensions[2], 0.0f);
        glmPlanarTexCoords(model);
        for (unsigned i = 1; i <= model->texCoordCount; i++)
            EXPECT_FLOAT_EQ(model->texCoords[2 * i], 0.5f);
        for (float c : coordinates(model))
            EXPECT_TRUE(std::isfinite(c));
    }
}

TEST_F(GlmGeometryTest, FacetNormalsAreUnitAndFollowCounterClockwiseCorners)
{
    ModelPtr model = read(std::string(kFolded) + "f 1 1 2\n");
    glmFaceNormals(model.get());
    ASSERT_EQ(model->facetCount, 3u);
    EXPECT_EQ(model->tris[1].facetIndex, 2u);
    const float *n = model->facetnorms;
    EXPECT_NEAR(n[5], 1.0f, 1e-6);
    EXPECT_NEAR(n[7], 0.8660254f, 1e-6);
    EXPECT_NEAR(n[8], 0.5f, 1e-6);
    // A degenerate triangle gets a zero normal, not NaN.
    EXPECT_EQ(n[9] * n[9] + n[10] * n[10] + n[11] * n[11], 0.0f);
}

TEST_F(GlmGeometryTest, CreaseAngleDecidesWhichFacetsAreAveraged)
{
    const struct {
        float angle;
        unsigned normalCount;
    } cases[] = {{90.0f, 4}, {30.0f, 6}, {0.0f, 6}};
    for (const auto &c : cases) {
        ModelPtr model = read(kFolded);
        glmFaceNormals(model.get());
        glmVertexNormals(model.get(), c.angle);
        EXPECT_EQ(model->normalCount, c.normalCount) << c.angle;
        const GlmTri &first = model->tris[0];
        const float *shared = &model->normals[3 * first.normalIndex[0]];
        if (c.normalCount == 4) {
            // Halfway between the facets: 30 degrees from each.
            EXPECT_NEAR(shared[2], std::cos(30.0 * M_PI / 180.0), 1e-6);
            EXPECT_EQ(first.normalIndex[0], model->tris[1].normalIndex[1]);
        } else {
            EXPECT_FLOAT_EQ(shared[2], 1.0f);
            EXPECT_NE(first.normalIndex[0], model->tris[1].normalIndex[1]);
        }
    }
}

TEST_F(GlmGeometryTest, TriangleNamingAVertexTwiceGetsANormalInEverySlot)
{
    // Normal indices from the file, far beyond the normals that
    // glmVertexNormals makes: none of them may survive it.
    std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n";
    const int fileNormals = 12; // more than three triangles can be given
    for (int i = 0; i < fileNormals; ++i)
        obj += "vn 0 0 1\n";
    obj += "f 1//12 2//12 3//12\nf 2//12 4//12 2//12\nf 4//11 4//12 4//11\n";
    ModelPtr model = read(obj);
    glmFaceNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    for (unsigned t = 0; t < model->triangleCount; ++t)
        for (int slot = 0; slot < 3; ++slot) {
            const unsigned index = model->tris[t].normalIndex[slot];
            EXPECT_GE(index, 1u) << "triangle " << t << " slot " << slot;
            EXPECT_LE(index, model->normalCount) << "triangle " << t << " slot " << slot;
        }
    // The sound triangle is smoothed as before: its corners share the
    // averaged normals of their vertices.
    EXPECT_FLOAT_EQ(model->normals[3 * model->tris[0].normalIndex[0] + 2], 1.0f);
}

TEST_F(GlmGeometryTest, VertexWithoutTriangleIsReportedOnceAndGetsNoNormal)
{
    ModelPtr model = read(std::string(kFolded) + "v 5 5 5\n");
    glmFaceNormals(model.get());
    testing::internal::CaptureStderr();
    glmVertexNormals(model.get(), 90.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "glmVertexNormals(): vertex w/o a triangle\n");
    EXPECT_EQ(model->normalCount, 4u);
}

TEST_F(GlmGeometryTest, FlipWindingTwiceRestoresIndicesAndNormalsExactly)
{
    ModelPtr model = read(std::string(kFolded) + "vt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n");
    glmFaceNormals(model.get());
    glmVertexNormals(model.get(), 90.0f);
    std::vector<GlmTri> tris(model->tris, model->tris + model->triangleCount);
    std::vector<float> normals(model->normals, model->normals + 3 * (model->normalCount + 1));
    glmFlipWinding(model.get());
    EXPECT_EQ(model->tris[0].vertexIndex[0], 3u);
    EXPECT_EQ(model->tris[2].texCoordIndex[0], 3u);
    EXPECT_EQ(model->normals[3], -normals[3]);
    glmFlipWinding(model.get());
    EXPECT_EQ(std::memcmp(tris.data(), model->tris, tris.size() * sizeof(GlmTri)), 0);
    EXPECT_EQ(std::memcmp(normals.data(), model->normals, normals.size() * sizeof(float)), 0);
}

TEST_F(GlmGeometryTest, PlanarCoordinatesMapAFittedModelsXAndZIntoTheUnitSquare)
{
    ModelPtr model = cube(-1.0f, 3.0f);
    glmFitToUnitCube(model.get());
    glmPlanarTexCoords(model.get());
    ASSERT_EQ(model->texCoordCount, 8u);
    for (unsigned i = 1; i <= 8; i++) {
        EXPECT_FLOAT_EQ(model->texCoords[2 * i], (model->vertices[3 * i] + 1.0f) * 0.5f);
        EXPECT_FLOAT_EQ(model->texCoords[2 * i + 1], (model->vertices[3 * i + 2] + 1.0f) * 0.5f);
    }
    for (unsigned t = 0; t < model->triangleCount; t++)
        EXPECT_EQ(model->tris[t].texCoordIndex[1], model->tris[t].vertexIndex[1]);
}

TEST_F(GlmGeometryTest, SphereCoordinatesFollowTheNormalsDirection)
{
    ModelPtr model = read("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 1 0\nvn 1 0 0\nvn 0 0 1\n"
                          "f 1//1 2//2 3//3\n");
    glmSphereTexCoords(model.get());
    ASSERT_EQ(model->texCoordCount, 3u);
    EXPECT_NEAR(model->texCoords[2], 1.0f, 1e-6);
    EXPECT_NEAR(model->texCoords[3], 0.5f, 1e-6);
    EXPECT_EQ(model->texCoords[4], 0.0f);
    EXPECT_EQ(model->texCoords[5], 0.0f);
    EXPECT_FLOAT_EQ(model->texCoords[6], 1.5707961321f / 3.14159265f); // y = 0: theta on axis
    EXPECT_EQ(model->tris[0].texCoordIndex[2], 3u);
}

TEST_F(GlmGeometryTest, MergeWeldsNearlyEqualVerticesAndRenumbersTriangles)
{
    ModelPtr model = read("v 0 0 0\nv 0.0001 0 0\nv 1 0 0\nv 0 1 0\nf 2 3 4\nf 1 3 4\n");
    glmMergeVertices(model.get(), 0.001f);
    ASSERT_EQ(model->vertexCount, 3u);
    EXPECT_EQ(model->tris[0].vertexIndex[0], 1u);
    EXPECT_EQ(model->tris[0].vertexIndex[1], 2u);
    EXPECT_FLOAT_EQ(model->vertices[3 * 3 + 1], 1.0f);
}

TEST_F(GlmGeometryTest, VectorHelpersMatchTheirDefinitions)
{
    const float u[3] = {1, 2, 3}, v[3] = {4, 5, 6};
    float n[3];
    glmCrossOf(u, v, n);
    EXPECT_EQ(std::vector<float>(n, n + 3), (std::vector<float>{-3, 6, -3}));
    EXPECT_EQ(glmDotOf(u, v), 32.0f);
    EXPECT_EQ(glmMaxOf(-1.0f, 2.0f), 2.0f);
    EXPECT_EQ(glmAbsOf(-2.5f), 2.5f);
    EXPECT_TRUE(glmNearlyEqual(u, u, 1e-6f));
    EXPECT_FALSE(glmNearlyEqual(u, v, 3.0f)); // strictly less than epsilon
}

using GlmGeometryDeathTest = GlmGeometryTest;

TEST_F(GlmGeometryDeathTest, MissingModelOrArrayStopsByAssertion)
{
    float dimensions[3];
    EXPECT_DEATH(glmFitToUnitCube(nullptr), "model");
    EXPECT_DEATH(glmExtent(nullptr, dimensions), "model");
    EXPECT_DEATH(glmFlipWinding(nullptr), "model");
    EXPECT_DEATH(glmFaceNormals(nullptr), "model");
    EXPECT_DEATH(glmPlanarTexCoords(nullptr), "model");
    ModelPtr model = read(kFolded);
    EXPECT_DEATH(glmExtent(model.get(), nullptr), "dimensions");
    EXPECT_DEATH(glmVertexNormals(model.get(), 90.0f), "model->facetnorms");
    EXPECT_DEATH(glmSphereTexCoords(model.get()), "model->normals");
}
