#pragma once

#include <QRectF>

class RVStyleButtonCell;

// The delegate of a style button's control may adjust the cell's colours before each bezel
// is drawn.
class RVStyleButtonCellDelegate {
public:
    virtual ~RVStyleButtonCellDelegate() = default;
    virtual void styleButtonCellWillDrawBackgroundInFrame(RVStyleButtonCell& cell, const QRectF& frame) = 0;
};
