#pragma once

#include <QCursor>
#include <QPointF>
#include <QRectF>

class PWDrawableObject;
class PWDrawing;
class PWLayer;
class QWidget;

// What a tool asks of the view it works in. The drawing view answers it through an adapter
// the tool controller makes (PWDrawingViewToolAdapter); tests drive tools with a fake.
class PWToolView {
public:
    virtual ~PWToolView() = default;

    virtual PWDrawing* drawing() const = 0;
    // The layer the tools work on: the drawing's active layer, or null.
    virtual PWLayer* activeLayer() const;
    // The zoom factor: view units per drawing unit.
    virtual double scale() const = 0;
    virtual void setScale(double scale) = 0;
    // The part of the drawing the view shows.
    virtual QRectF visibleDrawingRect() const = 0;
    virtual void zoomViewToRect(const QRectF& drawingRect) = 0;
    virtual void scrollToDrawingRect(const QRectF& drawingRect) = 0;
    virtual QPointF convertFromDrawing(const QPointF& drawingPoint) const = 0;
    virtual void setNeedsDisplayInDrawingRect(const QRectF& drawingRect) = 0;
    // Opens the view's text editor on a text object (a no-op for views that edit no text).
    virtual void beginTextEditing(PWDrawableObject* object) = 0;
    virtual void setToolCursor(const QCursor& cursor) = 0;
    // The widget itself (for layers' own mouse handling and floating read-outs), or null.
    virtual QWidget* widget() const = 0;
};
