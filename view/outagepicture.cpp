#include "outagepicture.h"

#include "displaylist.h"
#include "scenelayout.h"
#include "shapes.h"
#include "windowprojection.h"

OutagePicture::OutagePicture() = default;

OutagePicture::~OutagePicture() = default;

void OutagePicture::setSignalLost(bool nowLost, double beamNow)
{
    if (nowLost && !lost)
        frozenBeam = beamNow;
    lost = nowLost;
}

// Flat on the screen's centre, above the markers, opaque where its texture is,
// turned as the screen's own texture is.
QRect OutagePicture::drawMark(const std::function<GLuint()> &loadTexture, const QRect &wholeView)
{
    if (!lost)
        return QRect();
    if (!markList)
        buildMarkList(loadTexture());
    glPushMatrix();
    glTranslatef(GLfloat(scene::kScreenCentreX), GLfloat(scene::kNoSignalHeight),
                 GLfloat(scene::kScreenCentreZ));
    glRotatef(90.0f, -1.0f, 0.0f, 0.0f);
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glScalef(GLfloat(scene::kNoSignalWidth), GLfloat(scene::kNoSignalDepth), 1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    markList->call();
    const auto area = WindowProjection::current().quadArea();
    glPopMatrix();
    return area ? *area : wholeView;
}

void OutagePicture::releaseGL()
{
    markList.reset();
}

void OutagePicture::buildMarkList(GLuint texture)
{
    markList = std::make_unique<DisplayList>();
    markList->begin();
    glBindTexture(GL_TEXTURE_2D, texture);
    drawQuad();
    DisplayList::end();
}
