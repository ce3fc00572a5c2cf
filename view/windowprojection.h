#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

#include <cstddef>
#include <initializer_list>
#include <optional>

// The context's current modelview, projection and viewport, as one map from
// the current object coordinates to window coordinates (pixels, origin bottom
// left), computed as OpenGL's transform does.
class WindowProjection
{
public:
    struct ScenePoint {
        double x, y, z;
    };

    // Reads the matrices and the viewport of the current context.
    static WindowProjection current();

    // Where the point (x, y, z) lands; nothing when it lies on or behind the
    // eye's plane, where the perspective divide has no meaning.
    std::optional<QPointF> toWindow(double x, double y, double z) const;
    // The same for the point (x, y, 0).
    std::optional<QPointF> toWindow(const QPointF &point) const
    {
        return toWindow(point.x(), point.y(), 0.0);
    }

    // The smallest window rectangle that holds these points, widened by a
    // margin for the rounding of this projection against the rasteriser's;
    // nothing when one lies behind the eye or off any window.
    std::optional<QRect> areaOf(std::initializer_list<ScenePoint> points) const
    {
        return areaOf(points.begin(), points.size());
    }
    std::optional<QRect> areaOf(const ScenePoint *points, size_t count) const;
    // The same for the quad of drawQuad (-0.5..0.5 in x and y).
    std::optional<QRect> quadArea() const;

    // The viewport's rectangle, window coordinates.
    QRectF viewport() const { return view; }

private:
    double matrix[16]; // projection times modelview, column after column
    QRectF view;
};
