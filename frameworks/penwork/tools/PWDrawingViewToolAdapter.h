#pragma once

#include "frameworks/penwork/tools/PWToolView.h"

class PWDrawingView;

// The drawing view as the tools see it.
class PWDrawingViewToolAdapter : public PWToolView {
public:
    explicit PWDrawingViewToolAdapter(PWDrawingView& view) : m_view(view) {}

    PWDrawingView& drawingView() const { return m_view; }

    PWDrawing* drawing() const override;
    PWLayer* activeLayer() const override;
    double scale() const override;
    void setScale(double scale) override;
    QRectF visibleDrawingRect() const override;
    void zoomViewToRect(const QRectF& drawingRect) override;
    void scrollToDrawingRect(const QRectF& drawingRect) override;
    QPointF convertFromDrawing(const QPointF& drawingPoint) const override;
    void setNeedsDisplayInDrawingRect(const QRectF& drawingRect) override;
    void beginTextEditing(PWDrawableObject* object) override;
    void setToolCursor(const QCursor& cursor) override;
    QWidget* widget() const override;

private:
    PWDrawingView& m_view;
};
