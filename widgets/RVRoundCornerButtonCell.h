#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/ui/ButtonCell.h"

// A button cell with a rounded outline; in a matrix the cells draw as one strip, rounded only
// at the matrix's outer corners and sharing their borders.
class RVRoundCornerButtonCell : public pf::ButtonCell {
    PF_CLASS(RVRoundCornerButtonCell)
public:
    static constexpr double kCornerRadius = 5.0;

    RVRoundCornerButtonCell() = default;
    explicit RVRoundCornerButtonCell(const QString& title) : pf::ButtonCell(title) {}

    // Stored for the owner; the cell does not act on them.
    bool hasRadioBehaviour() const { return m_radioBehaviour; }
    void setRadioBehaviour(bool radio) { m_radioBehaviour = radio; }
    qint64 radioGroupID() const { return m_radioGroupID; }
    void setRadioGroupID(qint64 group) { m_radioGroupID = group; }

    // The corners to round (bezierPathWithRoundedRect's bits) and the outline's rectangle for
    // `frame` in `view`.
    int cornerOptionsInView(const pf::View* view) const;
    QRectF outlineRectForFrame(const QRectF& frame, const pf::View* view) const;
    pf::Ref<pf::BezierPath> bezelPathWithFrame(const QRectF& frame, const pf::View* view) const;

    pf::Ref<pf::Cell> copyCell() const override;
    void drawBezelWithFrame(const QRectF& frame, pf::View* view) override;

private:
    // Row and column in the view when it is a matrix holding this cell.
    bool positionInMatrix(const pf::View* view, int* row, int* column, int* rows, int* columns) const;

    bool m_radioBehaviour = false;
    qint64 m_radioGroupID = 0;
};
