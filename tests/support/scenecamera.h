#pragma once

#include "scenelayout.h"

#include <QPointF>
#include <QSize>

// The radar view's fixed camera, from the scene layout, for tests that draw
// the scene or find scene points in a picture as the view would. Each call
// needs a current OpenGL context.

// Sets the viewport, the perspective projection and the modelview matrix as
// the view does for a frame of size pixels.
void applySceneCamera(const QSize &size);

// Where a scene point appears in a frame of size pixels, in image
// coordinates (top row 0); every matrix is left as it was.
QPointF imageOfScenePoint(const scene::Point &point, const QSize &size);
