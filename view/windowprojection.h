#pragma once

#include <QPointF>
#include <QRectF>

#include <optional>

// The context's current modelview, projection and viewport, as one map from
// the plane z = 0 of the current object coordinates to window coordinates
// (pixels, origin bottom left), computed as OpenGL's transform does.
class WindowProjection
{
public:
    // Reads the matrices and the viewport of the current context.
    static WindowProjection current();

    // Where the point (x, y, 0) lands; nothing when it lies on or behind the
    // eye's plane, where the perspective divide has no meaning.
    std::optional<QPointF> toWindow(const QPointF &point) const;

    // The viewport's rectangle, window coordinates.
    QRectF viewport() const { return view; }

private:
    double matrix[16]; // projection times modelview, column after column
    QRectF view;
};
