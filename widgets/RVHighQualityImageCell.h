#pragma once

#include "platform/ui/ImageCell.h"

// An image cell that draws its image with high-quality interpolation.
class RVHighQualityImageCell : public pf::ImageCell {
    PF_CLASS(RVHighQualityImageCell)
public:
    RVHighQualityImageCell() = default;
    pf::Ref<pf::Cell> copyCell() const override;
    void drawInteriorWithFrame(const QRectF& frame, pf::View* view) override;
};
