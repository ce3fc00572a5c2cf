#include "glm.h"
#include "meshbuilder.h"
#include "offscreengl.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Viewport side in pixels; with identity matrices a coordinate c in -1..1
// lands on window coordinate (c + 1) * kViewportSide / 2.
constexpr int kViewportSide = 200;
constexpr int kFeedbackFloats = 4096;
// Feedback values per vertex in GL_3D_COLOR_TEXTURE: x, y, z, RGBA, STRQ.
constexpr int kFeedbackVertexFloats = 11;
constexpr float kTolerance = 1e-4f;

// Current normal, texture coordinate and colour before each draw, so that data
// the draw does not send shows up as these values.
constexpr std::array<float, 3> kStaleNormal{0.25f, -0.5f, 0.75f};
constexpr std::array<float, 2> kStaleTexCoord{0.125f, 0.375f};
constexpr std::array<float, 3> kStaleColor{0.1f, 0.2f, 0.3f};

// The vertex count of each glBegin/glEnd pair the model library issued.
std::vector<int> beginEndPairs;

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// Mesa's software renderer never frees part of the state its feedback mode
// allocates, so leak checking is off for this program. The model library
// allocates nothing while drawing; its allocations are leak-checked by the
// other test programs.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0";
}
#endif

// Recorded on their way to OpenGL, for what feedback cannot show: pairs
// without vertices. Each call is handed on to the real function.
extern "C" {
void glBegin(GLenum mode)
{
    static auto real = reinterpret_cast<void (*)(GLenum)>(dlsym(RTLD_NEXT, "glBegin"));
    beginEndPairs.push_back(0);
    real(mode);
}
void glVertex3fv(const GLfloat *v)
{
    static auto real = reinterpret_cast<void (*)(const GLfloat *)>(dlsym(RTLD_NEXT, "glVertex3fv"));
    if (!beginEndPairs.empty())
        beginEndPairs.back()++;
    real(v);
}
}

namespace
{

// One corner as OpenGL received it, in object coordinates.
struct DrawnVertex {
    std::array<float, 3> position;
    std::array<float, 4> color;
    std::array<float, 3> texCoord; // s, t, r
};
using DrawnTriangle = std::array<DrawnVertex, 3>;

DrawnVertex vertexFromFeedback(const GLfloat *values)
{
    DrawnVertex vertex;
    for (int i = 0; i < 3; i++) {
        const float window = values[i];
        vertex.position[i] = i < 2 ? window * 2 / kViewportSide - 1 : window * 2 - 1;
    }
    std::copy(values + 3, values + 7, vertex.color.begin());
    std::copy(values + 7, values + 10, vertex.texCoord.begin());
    return vertex;
}

// Runs draw in feedback mode and returns the triangles that reached OpenGL.
std::vector<DrawnTriangle> captureTriangles(const std::function<void()> &draw)
{
    std::vector<GLfloat> buffer(kFeedbackFloats);
    glFeedbackBuffer(kFeedbackFloats, GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<DrawnTriangle> triangles;
    for (GLint at = 0; at < used;) {
        EXPECT_EQ(buffer[at], GL_POLYGON_TOKEN);
        EXPECT_EQ(buffer[at + 1], 3.0f);
        DrawnTriangle triangle;
        for (int c = 0; c < 3; c++)
            triangle[c] = vertexFromFeedback(&buffer[at + 2 + c * kFeedbackVertexFloats]);
        triangles.push_back(triangle);
        at += 2 + 3 * kFeedbackVertexFloats;
    }
    return triangles;
}

template <size_t N>
void expectNear(const std::array<float, N> &actual, std::array<float, N> expected)
{
    for (size_t i = 0; i < N; i++)
        EXPECT_NEAR(actual[i], expected[i], kTolerance) << "component " << i;
}

// Material with distinct colours; the ambient red and the diffuse green tell
// the materials apart.
MaterialPlan material(const char *name, float ambientRed, float diffuseGreen)
{
    return MaterialPlan{name,
                        {0.5f, diffuseGreen, 0.25f, 1.0f},
                        {ambientRed, 0.0f, 0.0f, 1.0f},
                        {0.0f, 0.0f, 0.5f, 1.0f},
                        10.0f + 100.0f * ambientRed};
}

// Two triangles with every kind of data: triangle 0 in "default" with material
// 0, triangle 1 in the newer group " top" with material 1. Every normal,
// facet normal and texture coordinate is distinct.
GlmMesh *newSquare()
{
    return buildMesh(
        {{0, 0, 0, 0.5f, 0, 0, 0.5f, 0.5f, 0, 0, 0.5f, 0.5f},
         {0, 0, 1, 0, 0.6f, 0.8f, 0.6f, 0, -0.8f},
         {0, 0.25f, 1, 0, 0.5f, 1},
         {0, 1, 0, -1, 0, 0},
         {GlmTri{{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, 1}, GlmTri{{1, 3, 4}, {3, 2, 1}, {3, 1, 2}, 2}},
         {material("default", 0.2f, 0.8f), material("red", 0.9f, 0.4f)},
         {{"default", {0}, 0}, {" top", {1}, 1}}});
}

const float *vertexOf(const GlmMesh *model, unsigned index)
{
    return &model->vertices[3 * index];
}

} // namespace

class DrawTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        gl = std::make_unique<OffscreenGL>(QSize(kViewportSide, kViewportSide));
        ASSERT_TRUE(gl->isReady());
        const GLubyte white[3] = {255, 255, 255};
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, white);
    }

    static void TearDownTestSuite()
    {
        if (gl->makeCurrent())
            glDeleteTextures(1, &texture);
        gl.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(gl->makeCurrent());
        glViewport(0, 0, kViewportSide, kViewportSide);
        glDisable(GL_LIGHTING);
        glDisable(GL_COLOR_MATERIAL);
        normalsAsTexCoords(false);
        beginEndPairs.clear();
    }

    void TearDown() override
    {
        glmFree(model);
        gl->doneCurrent();
    }

    // With texture generation from normals, the texture coordinates OpenGL
    // reports are the normals it received (identity modelview). Generation
    // applies only while a texture is enabled, so a 1 x 1 one is bound.
    static void normalsAsTexCoords(bool on)
    {
        for (GLenum coordinate : {GL_S, GL_T, GL_R})
            glTexGeni(coordinate, GL_TEXTURE_GEN_MODE, GL_NORMAL_MAP);
        for (GLenum state : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R}) {
            if (on)
                glEnable(state);
            else
                glDisable(state);
        }
    }

    // Draws the model in mode, after setting the stale current values; returns
    // the triangles drawn and keeps what was printed in printed.
    std::vector<DrawnTriangle> draw(unsigned mode)
    {
        glNormal3f(kStaleNormal[0], kStaleNormal[1], kStaleNormal[2]);
        glTexCoord4f(kStaleTexCoord[0], kStaleTexCoord[1], 0, 1);
        glColor3f(kStaleColor[0], kStaleColor[1], kStaleColor[2]);
        testing::internal::CaptureStdout();
        auto triangles = captureTriangles([&] { glmDraw(model, mode); });
        printed = testing::internal::GetCapturedStdout();
        return triangles;
    }

    // The normals OpenGL received for each corner, drawing in mode.
    std::vector<std::array<std::array<float, 3>, 3>> drawnNormals(unsigned mode)
    {
        normalsAsTexCoords(true);
        std::vector<std::array<std::array<float, 3>, 3>> normals;
        for (const DrawnTriangle &triangle : draw(mode))
            normals.push_back({triangle[0].texCoord, triangle[1].texCoord, triangle[2].texCoord});
        normalsAsTexCoords(false);
        return normals;
    }

    static std::unique_ptr<OffscreenGL> gl;
    static GLuint texture; // 1 x 1, enables texture generation
    GlmMesh *model = newSquare();
    std::string printed;
};

std::unique_ptr<OffscreenGL> DrawTest::gl;
GLuint DrawTest::texture = 0;

TEST_F(DrawTest, ModeZeroSendsPositionsOnlyHeadGroupFirst)
{
    for (bool colorMaterial : {false, true}) {
        colorMaterial ? glEnable(GL_COLOR_MATERIAL) : glDisable(GL_COLOR_MATERIAL);
        const std::vector<DrawnTriangle> triangles = draw(0);
        ASSERT_EQ(triangles.size(), 2u);
        const unsigned drawnOrder[2][3] = {{1, 3, 4}, {1, 2, 3}};
        for (int t = 0; t < 2; t++) {
            for (int c = 0; c < 3; c++) {
                const float *expected = vertexOf(model, drawnOrder[t][c]);
                expectNear(triangles[t][c].position, {expected[0], expected[1], expected[2]});
                expectNear(triangles[t][c].texCoord, {kStaleTexCoord[0], kStaleTexCoord[1], 0});
                expectNear(triangles[t][c].color,
                           {kStaleColor[0], kStaleColor[1], kStaleColor[2], 1});
            }
        }
        EXPECT_EQ(glIsEnabled(GL_COLOR_MATERIAL), colorMaterial ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(printed, "");
    }
    for (const auto &triangle : drawnNormals(0)) {
        for (const auto &normal : triangle)
            expectNear(normal, kStaleNormal);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DrawTest, FacetedModeSendsTheFacetNormalOfEachTriangle)
{
    const auto normals = drawnNormals(GLM_DRAW_FACETED);
    ASSERT_EQ(normals.size(), 2u);
    for (int c = 0; c < 3; c++) {
        expectNear(normals[0][c], {-1, 0, 0});
        expectNear(normals[1][c], {0, 1, 0});
    }
    EXPECT_EQ(printed, "");
}

TEST_F(DrawTest, SmoothedModeSendsTheVertexNormalOfEachCorner)
{
    const std::string usingSmooth = "glmDraw() warning: flat render mode requested and smooth "
                                    "render mode requested (using smooth).\n";
    for (unsigned mode : {GLM_DRAW_SMOOTHED, GLM_DRAW_SMOOTHED | GLM_DRAW_FACETED}) {
        SCOPED_TRACE(mode);
        const auto normals = drawnNormals(mode);
        ASSERT_EQ(normals.size(), 2u);
        expectNear(normals[0][0], {0.6f, 0, -0.8f});
        expectNear(normals[0][1], {0, 0.6f, 0.8f});
        expectNear(normals[0][2], {0, 0, 1});
        expectNear(normals[1][0], {0, 0, 1});
        expectNear(normals[1][2], {0.6f, 0, -0.8f});
        EXPECT_EQ(printed, mode & GLM_DRAW_FACETED ? usingSmooth : "");
    }
}

TEST_F(DrawTest, TexturedModeSendsTheTextureCoordinateOfEachCorner)
{
    const std::vector<DrawnTriangle> triangles = draw(GLM_DRAW_TEXTURED);
    ASSERT_EQ(triangles.size(), 2u);
    expectNear(triangles[0][0].texCoord, {0.5f, 1, 0});
    expectNear(triangles[0][1].texCoord, {0, 0.25f, 0});
    expectNear(triangles[0][2].texCoord, {1, 0, 0});
    expectNear(triangles[1][2].texCoord, {0.5f, 1, 0});
    EXPECT_EQ(printed, "");
}

TEST_F(DrawTest, SmoothTexturedModeWithoutTexCoordsWarnsAndDrawsSmooth)
{
    std::free(model->texCoords);
    model->texCoords = nullptr;
    const auto normals = drawnNormals(GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED);
    ASSERT_EQ(normals.size(), 2u);
    expectNear(normals[1][1], {0, 0.6f, 0.8f});
    EXPECT_EQ(printed, "glmDraw() warning: texture render mode requested with no texture "
                       "coordinates defined.\n");
    const std::vector<DrawnTriangle> triangles = draw(GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED);
    expectNear(triangles[0][0].texCoord, {kStaleTexCoord[0], kStaleTexCoord[1], 0});
}

TEST_F(DrawTest, ColoredModeEnablesColorMaterialAndColorsEachGroup)
{
    const std::vector<DrawnTriangle> triangles = draw(GLM_DRAW_COLORED);
    ASSERT_EQ(triangles.size(), 2u);
    for (int c = 0; c < 3; c++) {
        expectNear(triangles[0][c].color, {0.5f, 0.4f, 0.25f, 1});
        expectNear(triangles[1][c].color, {0.5f, 0.8f, 0.25f, 1});
    }
    EXPECT_EQ(glIsEnabled(GL_COLOR_MATERIAL), GL_TRUE);
    EXPECT_EQ(printed, "");
}

// Lit by the scene's ambient light alone, a vertex takes its material's
// ambient colour (alpha from the diffuse colour).
TEST_F(DrawTest, MaterialModeDisablesColorMaterialAndSetsEachGroupsMaterial)
{
    const GLfloat fullAmbient[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, fullAmbient);
    glEnable(GL_LIGHTING);
    const std::string onlyMaterial = "glmDraw() warning: color and material render mode "
                                     "requested using only material mode.\n";
    for (unsigned mode : {GLM_DRAW_MATERIALS, GLM_DRAW_MATERIALS | GLM_DRAW_COLORED}) {
        SCOPED_TRACE(mode);
        glEnable(GL_COLOR_MATERIAL);
        const std::vector<DrawnTriangle> triangles = draw(mode);
        ASSERT_EQ(triangles.size(), 2u);
        expectNear(triangles[0][0].color, {0.9f, 0, 0, 1});
        expectNear(triangles[1][0].color, {0.2f, 0, 0, 1});
        EXPECT_EQ(glIsEnabled(GL_COLOR_MATERIAL), GL_FALSE);
        EXPECT_EQ(printed, mode & GLM_DRAW_COLORED ? onlyMaterial : "");
        for (GLenum face : {GL_FRONT, GL_BACK}) {
            std::array<float, 4> diffuse, specular;
            float shininess = 0;
            glGetMaterialfv(face, GL_DIFFUSE, diffuse.data());
            glGetMaterialfv(face, GL_SPECULAR, specular.data());
            glGetMaterialfv(face, GL_SHININESS, &shininess);
            expectNear(diffuse, {0.5f, 0.8f, 0.25f, 1});
            expectNear(specular, {0, 0, 0.5f, 1});
            EXPECT_NEAR(shininess, 30.0f, kTolerance);
        }
    }
}

TEST_F(DrawTest, MissingDataDropsModeBitsWithWarningsInOrder)
{
    dropOptionalData(model);
    glEnable(GL_COLOR_MATERIAL);

    const std::vector<DrawnTriangle> triangles = draw(31);
    EXPECT_EQ(printed,
              "glmDraw() warning: flat render mode requested with no facet normals defined.\n"
              "glmDraw() warning: smooth render mode requested with no normals defined.\n"
              "glmDraw() warning: texture render mode requested with no texture coordinates "
              "defined.\n"
              "glmDraw() warning: color render mode requested with no materials defined.\n"
              "glmDraw() warning: material render mode requested with no materials defined.\n");
    ASSERT_EQ(triangles.size(), 2u);
    expectNear(triangles[0][1].color, {kStaleColor[0], kStaleColor[1], kStaleColor[2], 1});
    EXPECT_EQ(glIsEnabled(GL_COLOR_MATERIAL), GL_TRUE);
}

TEST_F(DrawTest, EveryGroupGetsItsOwnBeginEndPairEvenWhenEmpty)
{
    glmFree(model);
    model = newSquare();
    GlmGroupNode *top = model->groupList;
    GlmGroupNode *fallback = top->next;
    top->triangleIndices[top->triangleCount++] = 0;
    fallback->triangleCount = 0;

    draw(0);
    EXPECT_EQ(beginEndPairs, (std::vector<int>{6, 0}));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(DrawTest, CompiledListDrawsTheSameAndWarnsOnlyWhenCompiled)
{
    std::free(model->texCoords);
    model->texCoords = nullptr;
    const std::vector<DrawnTriangle> direct = draw(GLM_DRAW_COLORED | GLM_DRAW_TEXTURED);

    testing::internal::CaptureStdout();
    const GLuint list = glmCompileList(model, GLM_DRAW_COLORED | GLM_DRAW_TEXTURED);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
    glDisable(GL_COLOR_MATERIAL);
    glColor3f(kStaleColor[0], kStaleColor[1], kStaleColor[2]);
    testing::internal::CaptureStdout();
    const std::vector<DrawnTriangle> replayed = captureTriangles([&] { glCallList(list); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    glDeleteLists(list, 1);

    ASSERT_EQ(replayed.size(), direct.size());
    for (size_t t = 0; t < direct.size(); t++) {
        for (int c = 0; c < 3; c++) {
            expectNear(replayed[t][c].position, direct[t][c].position);
            expectNear(replayed[t][c].color, direct[t][c].color);
        }
    }
    EXPECT_EQ(glIsEnabled(GL_COLOR_MATERIAL), GL_TRUE);
}

using DrawDeathTest = DrawTest;

TEST_F(DrawDeathTest, NullModelOrVerticesStopAtTheAssertion)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(glmDraw(nullptr, 0), "model");
    std::free(model->vertices);
    model->vertices = nullptr;
    EXPECT_DEATH(glmDraw(model, 0), "model->vertices");
}
