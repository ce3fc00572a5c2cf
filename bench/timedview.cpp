#include "timedview.h"

#include <QElapsedTimer>

namespace
{
constexpr double kNsPerMs = 1e6;
}

void TimedView::paintGL()
{
    if (keepsFixedScene())
        ++kept;
    QElapsedTimer clock;
    clock.start();
    GLWidget::paintGL();
    paintMs = clock.nsecsElapsed() / kNsPerMs;
    if (finishing) {
        glFinish();
        renderMs = clock.nsecsElapsed() / kNsPerMs;
    }
}
