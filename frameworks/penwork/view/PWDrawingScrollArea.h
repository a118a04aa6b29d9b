#pragma once

#include <QScrollArea>

class PWDrawingView;
class PWRulerView;

// The scroll area a drawing view is shown in: the view as its widget, centred while smaller
// than the viewport, with a horizontal and a vertical ruler along the top and left edges
// while the view's rulers are visible.
class PWDrawingScrollArea : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int kRulerThickness = 18;

    explicit PWDrawingScrollArea(PWDrawingView* view, QWidget* parent = nullptr);
    ~PWDrawingScrollArea() override;

    PWDrawingView* drawingView() const;
    PWRulerView* horizontalRuler() const { return m_horizontalRuler; }
    PWRulerView* verticalRuler() const { return m_verticalRuler; }

    // Repaints the rulers (scale, scrolling, markers or mouse position changed).
    void updateRulers();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutRulers();

    PWRulerView* m_horizontalRuler;
    PWRulerView* m_verticalRuler;
    quint64 m_rulersObservation = 0;
};
