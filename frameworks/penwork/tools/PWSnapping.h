#pragma once

#include <QPointF>
#include <QRectF>
#include <QSet>

#include <optional>

class PWDrawableObject;
class PWObjectOwnerLayer;

// Snapping of a dragged rectangle (the bounds of objects being moved) to the other objects'
// edges and centres, the guides and the grid.
class PWSnapping {
public:
    // Where a rectangle snapped to, per axis: the coordinate it met, if any.
    struct Result {
        QPointF correction; // to add to the rectangle's position
        std::optional<double> x;
        std::optional<double> y;
    };

    // Moves `rect` so that one of its left, centre and right x (and top, centre and bottom y)
    // meets the same kind of line of another visible object's logical bounds in `layer`, within
    // `tolerance` (drawing units). The nearest line wins per axis; objects in `excluded` are
    // not snapped to.
    static Result snapRectToObjects(const QRectF& rect, const PWObjectOwnerLayer& layer,
                                    const QSet<const PWDrawableObject*>& excluded, double tolerance);

    // The correction for a moved rectangle, per axis: the other objects first (when the
    // layer allows snapping to objects), then the guides, then the grid (the rectangle's
    // top-left corner on a grid point). `controlFlag` reverses grid snapping and suspends the
    // others. `scale` turns the object tolerance from screen into drawing units.
    static QPointF snapMovedRect(const QRectF& rect, const PWObjectOwnerLayer& layer,
                                 const QSet<const PWDrawableObject*>& excluded, bool controlFlag, double scale);
};
