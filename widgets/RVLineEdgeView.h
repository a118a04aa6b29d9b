#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

// A one-line edge: a vertical line along the left of a view taller than wide, otherwise a
// horizontal line along its bottom.
class RVLineEdgeView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVLineEdgeView)
public:
    using pf::View::View;

    pf::Color lineColour() const { return mLineColour; }
    void setLineColour(const pf::Color& colour);
    double lineWidth() const { return mLineWidth; }
    void setLineWidth(double width);
    // The line's end points in bounds coordinates.
    QLineF edgeLine() const;

    bool acceptsFirstResponder() const override { return false; }
    bool acceptsFirstMouse(const pf::Event*) const override { return false; }
    void drawRect(const QRectF& dirtyRect) override;

private:
    pf::Color mLineColour = pf::Color::withWhite(0.8);
    double mLineWidth = 0.5;
};
