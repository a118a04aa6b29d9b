#pragma once

#include "platform/ui/ScrollView.h"

class PWDrawingView;
class PWRulerView;

// The scroll view a drawing view is shown in: the view as its document view, scrollers that
// show while the drawing does not fit, and a horizontal and a vertical ruler in the ruler
// slots while the view's rulers are visible. Replacing the clip view (setContentView) lets a
// subclass centre the page and draw round it.
class PWDrawingScrollArea : public pf::ScrollView {
    Q_OBJECT
    PF_CLASS(PWDrawingScrollArea)
public:
    static constexpr int kRulerThickness = 18;

    explicit PWDrawingScrollArea(PWDrawingView* view, QWidget* parent = nullptr);
    ~PWDrawingScrollArea() override;

    PWDrawingView* drawingView() const;
    PWRulerView* horizontalRuler() const;
    PWRulerView* verticalRuler() const;

    // Repaints the rulers (scale, scrolling, markers or mouse position changed).
    void updateRulers();

private:
    quint64 m_rulersObservation = 0;
};
