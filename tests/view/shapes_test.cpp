#include "offscreengl.h"
#include "shapes.h"

#include <gtest/gtest.h>

#include <array>

namespace
{

using Matrix = std::array<GLfloat, 16>;

class ShapesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isReady());
        gl.resetView();
        glColor3f(1.0f, 1.0f, 1.0f);
    }

    static Matrix modelview()
    {
        Matrix m{};
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }

    static GLint stackDepth()
    {
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        return depth;
    }

    // A 2 x 2 texture: red at (s, t) = (0, 0), green at (1, 0), blue at
    // (0, 1), white at (1, 1).
    static GLuint cornerTexture()
    {
        const GLubyte texels[] = {255, 0, 0,   255, 0,   255, 0,   255,
                                  0,   0, 255, 255, 255, 255, 255, 255};
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        return name;
    }

    // Point (x, y, z, w) times a column-major matrix, divided through by w.
    static std::array<GLfloat, 3> transform(const GLfloat m[16], const GLfloat p[4])
    {
        GLfloat out[4] = {};
        for (int row = 0; row < 4; ++row) {
            for (int col = 0; col < 4; ++col)
                out[row] += m[col * 4 + row] * p[col];
        }
        return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
    }

    QColor colourAt(double x, double y) const { return gl.image().pixelColor(gl.pixelOf(x, y)); }

    OffscreenGL gl;
};

TEST_F(ShapesTest, QuadCarriesTextureCornersFromPlusXPlusYToMinusXMinusY)
{
    const GLuint texture = cornerTexture();
    glEnable(GL_TEXTURE_2D);
    drawQuad();
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(colourAt(0.4, 0.4), QColor(Qt::red));
    EXPECT_EQ(colourAt(-0.4, 0.4), QColor(Qt::green));
    EXPECT_EQ(colourAt(0.4, -0.4), QColor(Qt::blue));
    EXPECT_EQ(colourAt(-0.4, -0.4), QColor(Qt::white));
}

TEST_F(ShapesTest, QuadFacesPlusZ)
{
    glEnable(GL_CULL_FACE);
    drawQuad();
    EXPECT_EQ(colourAt(0.0, 0.0), QColor(Qt::white));
    gl.resetView();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    drawQuad();
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(colourAt(0.0, 0.0), QColor(Qt::black));
}

TEST_F(ShapesTest, ShapesLeaveTheMatrixStackAsTheyFoundIt)
{
    glTranslatef(0.1f, 0.2f, 0.3f);
    glRotatef(30.0f, 1.0f, 1.0f, 0.0f);
    const Matrix before = modelview();
    const GLint depth = stackDepth();
    drawCube();
    EXPECT_EQ(modelview(), before);
    EXPECT_EQ(stackDepth(), depth);
    drawCone(12);
    EXPECT_EQ(modelview(), before);
    EXPECT_EQ(stackDepth(), depth);
}

TEST_F(ShapesTest, EveryCubeFaceFacesOutwards)
{
    // Seen from each of the six axis directions with back faces culled, a
    // face pointing inwards would leave the middle black.
    const GLfloat turns[6][3] = {{0, 0, 1},   {90, 0, 1}, {180, 0, 1},
                                 {270, 0, 1}, {90, 1, 0}, {-90, 1, 0}};
    glEnable(GL_CULL_FACE);
    for (const auto &turn : turns) {
        gl.resetView();
        glRotatef(turn[0], turn[1], turn[2], 0.0f);
        drawCube();
        EXPECT_EQ(colourAt(0.0, 0.0), QColor(Qt::white)) << "turned " << turn[0];
        EXPECT_EQ(colourAt(0.55, 0.0), QColor(Qt::black)) << "turned " << turn[0];
    }
    glDisable(GL_CULL_FACE);
}

TEST_F(ShapesTest, DiskAndSphereHaveRadiusOneHalf)
{
    drawDisk(32);
    EXPECT_EQ(colourAt(0.0, 0.45), QColor(Qt::white));
    EXPECT_EQ(colourAt(0.4, 0.4), QColor(Qt::black));
    gl.resetView();
    drawSphere(32);
    EXPECT_EQ(colourAt(-0.45, 0.0), QColor(Qt::white));
    EXPECT_EQ(colourAt(-0.4, -0.4), QColor(Qt::black));
}

TEST_F(ShapesTest, ConeIsClosedByABaseFacingMinusZ)
{
    // Looking down -z (from +z) at the apex and, turned round, at the base.
    glEnable(GL_CULL_FACE);
    drawCone(32);
    EXPECT_EQ(colourAt(0.3, 0.0), QColor(Qt::white));
    gl.resetView();
    glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
    drawCone(32);
    glDisable(GL_CULL_FACE);
    EXPECT_EQ(colourAt(0.0, 0.45), QColor(Qt::white));
    EXPECT_EQ(colourAt(0.4, 0.4), QColor(Qt::black));
}

TEST_F(ShapesTest, ShadowMatrixProjectsPointsOntoThePlaneAwayFromTheLight)
{
    const GLfloat normal[3] = {0.0f, 1.0f, 0.0f};
    const GLfloat onPlane[3] = {4.0f, 1.0f, -3.0f};
    const GLfloat pointLight[4] = {2.0f, 5.0f, 1.0f, 1.0f};
    GLfloat m[16];
    shadowMatrix(m, normal, onPlane, pointLight);

    // From the light through (1, 3, 2), twice as far, lands on y = 1.
    const GLfloat above[4] = {1.0f, 3.0f, 2.0f, 1.0f};
    const auto shadow = transform(m, above);
    EXPECT_NEAR(shadow[0], 0.0f, 1e-5f);
    EXPECT_NEAR(shadow[1], 1.0f, 1e-5f);
    EXPECT_NEAR(shadow[2], 3.0f, 1e-5f);

    // A point already on the plane stays where it is.
    const GLfloat lying[4] = {-2.0f, 1.0f, 7.0f, 1.0f};
    const auto same = transform(m, lying);
    EXPECT_NEAR(same[0], -2.0f, 1e-5f);
    EXPECT_NEAR(same[1], 1.0f, 1e-5f);
    EXPECT_NEAR(same[2], 7.0f, 1e-5f);
}

TEST_F(ShapesTest, ShadowMatrixOfADirectionalLightProjectsAlongItsDirection)
{
    // Plane x + z = 2 and light from direction (1, 1, 0) at infinity.
    const GLfloat normal[3] = {1.0f, 0.0f, 1.0f};
    const GLfloat onPlane[3] = {2.0f, 0.0f, 0.0f};
    const GLfloat sun[4] = {1.0f, 1.0f, 0.0f, 0.0f};
    GLfloat m[16];
    shadowMatrix(m, normal, onPlane, sun);

    // (3, 4, 1) moves along (1, 1, 0) by -2 to reach x + z = 2.
    const GLfloat p[4] = {3.0f, 4.0f, 1.0f, 1.0f};
    const auto shadow = transform(m, p);
    EXPECT_NEAR(shadow[0], 1.0f, 1e-5f);
    EXPECT_NEAR(shadow[1], 2.0f, 1e-5f);
    EXPECT_NEAR(shadow[2], 1.0f, 1e-5f);
}

} // namespace
