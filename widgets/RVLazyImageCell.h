#pragma once

#include "platform/ui/ImageCell.h"

// An image cell that asks its represented object for an image the first time it is drawn:
// the represented object is a pf::Reflective answering "imageToFitSize:" with an image for the
// size of the cell's frame.
class RVLazyImageCell : public pf::ImageCell {
    PF_CLASS(RVLazyImageCell)
public:
    RVLazyImageCell() = default;
    pf::Ref<pf::Cell> copyCell() const override;
    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
};
