#pragma once

#include "glwidget.h"

// The radar view with a stopwatch around its paintGL: how long the drawing
// calls take, and optionally how long until the renderer has finished them.
// Everything else is the view's own behaviour.
class TimedView : public GLWidget
{
public:
    explicit TimedView(Logic *logic) : GLWidget(logic) {}

    // With finishing on, each paint waits for the renderer (glFinish) before
    // it returns, so that the render time covers the rasterisation that a
    // software renderer would otherwise do inside the buffer swap.
    void setFinishing(bool on) { finishing = on; }

    double lastPaintMs() const { return paintMs; }
    double lastRenderMs() const { return renderMs; }
    // Paints so far that restored the station and the screen instead of
    // drawing them.
    int keptPaints() const { return kept; }

protected:
    void paintGL() override;

private:
    bool finishing = false;
    double paintMs = 0.0;  // the view's paintGL alone
    double renderMs = 0.0; // paintGL and glFinish, when finishing
    int kept = 0;
};
