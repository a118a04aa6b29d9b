#pragma once

#include <QRectF>

class QWidget;

// What a drawing asks of each view controller that shows it: the view, and redisplay and ruler
// feedback. A controller registers with PWDrawing::addController and is held weakly: when it is
// also a pf::Reflective it is dropped once destroyed; otherwise it must remove itself.
class PWDrawingViewTarget {
public:
    virtual ~PWDrawingViewTarget() = default;

    // The view that shows the drawing (answers the key "view"), or null.
    virtual QWidget* view() const = 0;
    // Redraw `rect` of the drawing (model coordinates); a null rect means the whole drawing.
    virtual void drawingNeedsDisplayInRect(const QRectF& rect) = 0;
    // Show the edges of `rect` on the rulers, or hide them.
    virtual void updateRulerMarkersForRect(const QRectF& rect) {}
    virtual void hideRulerMarkers() {}
    // The cursors over the view depend on layer state that changed.
    virtual void invalidateCursors() {}
};
