#pragma once

#include <QPointer>
#include <QWidget>

class PWDrawingView;

// One ruler beside a drawing view: ticks and numbers in the drawing's units at the view's
// scale, following the scrolling, with the ruler markers of the view (a band) and the mouse
// position (a line).
class PWRulerView : public QWidget {
    Q_OBJECT
public:
    PWRulerView(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    PWDrawingView* drawingView() const;
    void setDrawingView(PWDrawingView* view);

    // The spacing between numbered ticks, in drawing units, for `pointsPerUnit` at `scale`:
    // the first of 1, 2, 5 times a power of ten that leaves at least kMinimumLabelSpacing
    // pixels between labels.
    static double labelStep(double pointsPerUnit, double scale);
    static constexpr double kMinimumLabelSpacing = 50.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Dragging out of a ruler adds a guide and moves it until the button is released.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The drawing point under a position of this ruler.
    QPointF drawingPoint(const QPointF& rulerPoint) const;
    bool m_draggingGuide = false;

    // Ruler coordinate (x for horizontal, y for vertical) of a drawing coordinate.
    double rulerPosition(double drawingCoordinate) const;

    Qt::Orientation m_orientation;
    QPointer<QWidget> m_view;
};
