#pragma once

#include "platform/ui/RulerView.h"

#include <QPointer>

class PWDrawingView;

// One ruler beside a drawing view, in a ruler slot of its scroll view: ticks and numbers in
// the drawing's units at the view's scale, following the scrolling, with the ruler markers of
// the view (a band) and the mouse position (a line). Dragging out of a ruler adds a guide and
// moves it until the button is released.
class PWRulerView : public pf::RulerView {
    Q_OBJECT
    PF_CLASS(PWRulerView)
public:
    explicit PWRulerView(Qt::Orientation orientation, QWidget* parent = nullptr);

    PWDrawingView* drawingView() const;
    void setDrawingView(PWDrawingView* view);

    // The spacing between numbered ticks, in drawing units, for `pointsPerUnit` at `scale`:
    // the first of 1, 2, 5 times a power of ten that leaves at least kMinimumLabelSpacing
    // pixels between labels.
    static double labelStep(double pointsPerUnit, double scale);
    static constexpr double kMinimumLabelSpacing = 50.0;

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    bool isOpaque() const override { return true; }

private:
    // The drawing point under a point of this ruler.
    QPointF drawingPoint(const QPointF& rulerPoint) const;
    // Ruler coordinate (x for horizontal, y for vertical) of a drawing coordinate.
    double rulerPosition(double drawingCoordinate) const;

    QPointer<QWidget> m_view;
    bool m_draggingGuide = false;
};
