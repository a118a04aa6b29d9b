#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/BezierPath.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

// What a renderer asks of the object it draws: the path to draw and the geometry around it.
// Drawables implement it; so can any view that wants a renderer to draw into it.
class PWRenderable {
public:
    virtual ~PWRenderable() = default;

    // The path renderers draw, in the coordinates of the current context. May be empty, never
    // null.
    virtual pf::Ref<pf::BezierPath> renderingPath() const = 0;
    // The object's rotation in radians.
    virtual double angle() const = 0;
    virtual QSizeF size() const = 0;
    virtual QPointF location() const = 0;
    // The transform of the container the object lies in.
    virtual QTransform containerTransform() const = 0;
    // Changes whenever the geometry does, so renderers can cache what they build from the path.
    virtual quint64 geometryChecksum() const = 0;
    // A hint to draw quickly (during a drag, say) rather than well.
    virtual bool useLowQualityDrawing() const { return false; }
    // The area the path covers; the path's bounds unless the object knows better.
    virtual QRectF renderingBounds() const
    {
        const pf::Ref<pf::BezierPath> path = renderingPath();
        return path ? path->bounds() : QRectF();
    }
};
