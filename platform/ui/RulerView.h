#pragma once

#include "platform/ui/View.h"

namespace pf {

class ScrollView;

// A ruler in one of a scroll view's ruler slots: along the top (horizontal) or the left edge
// (vertical) of the clip view, as thick as requiredThickness. It is flipped, and redrawn
// whenever the scroll view reflects a scroll. The base ruler draws only its background and
// the line along the clip view; the drawing framework's ruler draws its scale.
class RulerView : public View {
    Q_OBJECT
    PF_CLASS(RulerView)
public:
    static constexpr double kDefaultRuleThickness = 16.0;

    explicit RulerView(Qt::Orientation orientation, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    double ruleThickness() const { return m_ruleThickness; }
    // Negative or non-finite thicknesses are ignored. The scroll view lays out again.
    void setRuleThickness(double thickness);
    // The room the ruler takes across its scroll view's edge.
    virtual double requiredThickness() const { return m_ruleThickness; }
    // The scroll view whose slot holds the ruler, or null.
    ScrollView* scrollView() const;

    bool isFlipped() const override { return true; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    Qt::Orientation m_orientation;
    double m_ruleThickness = kDefaultRuleThickness;
};

} // namespace pf
