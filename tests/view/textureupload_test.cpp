#include "glview.h"
#include "glwidgetbase.h"
#include "panelfont.h"
#include "scenelayout.h"
#include "textureupload.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <vector>

namespace
{

using Level = std::vector<uchar>; // RGBA bytes, bottom row first

constexpr int kCanvasSize = 64;

// A shown OpenGL widget, for a context to upload into.
class Canvas : public GLWidgetBase
{
public:
    bool ready()
    {
        if (!glview::showAt(*this, QSize(kCanvasSize, kCanvasSize)))
            return false;
        makeCurrent();
        return true;
    }
};

// Every level of a texture, as OpenGL holds it.
std::vector<Level> levelsOf(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<Level> levels;
    for (GLint level = 0;; ++level) {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        if (width == 0 || height == 0)
            return levels;
        Level bytes(size_t(width) * size_t(height) * 4);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        levels.push_back(bytes);
    }
}

GLint parameterOf(GLuint texture, GLenum name)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Half-transparent colours over a clear background: what premultiplying and
// dividing again would round.
QPixmap translucentPixmap()
{
    QImage image(6, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(40 * x + 13, 60 * y + 7, 200 - 30 * x, 20 + 45 * y));
    return QPixmap::fromImage(image);
}

} // namespace

TEST(TextureUploadTest, BaseLevelIsThePixmapUnpremultipliedBottomRowFirst)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.ready());
    const QPixmap pixmap = translucentPixmap();
    const GLuint texture = uploadTexture(pixmap, GL_TEXTURE_2D, GL_RGBA);
    const QImage expected = pixmap.toImage().convertToFormat(QImage::Format_RGBA8888).mirrored();
    const std::vector<Level> levels = levelsOf(texture);
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels[0],
              Level(expected.constBits(), expected.constBits() + expected.sizeInBytes()));
}

TEST(TextureUploadTest, FiltersLinearlyBetweenGeneratedMipmaps)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.ready());
    const GLuint texture = uploadTexture(translucentPixmap(), GL_TEXTURE_2D, GL_RGBA);
    // 6 x 4, 3 x 2, 1 x 1.
    EXPECT_EQ(levelsOf(texture).size(), 3u);
    EXPECT_EQ(parameterOf(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameterOf(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
}

#if QT_VERSION_MAJOR < 6
// Qt 6 has no QGLWidget::bindTexture; there the upload stands in for it, so it
// must make the very textures it makes, for the view's own images.
TEST(TextureUploadTest, MakesEveryLevelOfTheViewsTexturesAsBindTextureDoes)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.ready());
    const char *files[] = {scene::kScreenTexture,         scene::kSweepTexture,
                           scene::kMarkerTexture,         scene::kTable.textureFile,
                           scene::kRadarUnit.textureFile, scene::kDisplay.textureFile,
                           panelfont::kTextureFile};
    for (const char *file : files) {
        const QPixmap pixmap(QLatin1String(scene::kTextureFolder) + QLatin1String(file));
        ASSERT_FALSE(pixmap.isNull()) << file;
        const std::vector<Level> ours = levelsOf(uploadTexture(pixmap, GL_TEXTURE_2D, GL_RGBA));
        const std::vector<Level> qts = levelsOf(canvas.bindTexture(pixmap, GL_TEXTURE_2D, GL_RGBA));
        EXPECT_EQ(ours.size(), qts.size()) << file;
        EXPECT_TRUE(ours == qts) << file;
    }
}
#endif
