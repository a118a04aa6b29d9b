#include "widgets/RVHighQualityImageCell.h"

#include "platform/graphics/GraphicsContext.h"

PF_DEFINE_CLASS(RVHighQualityImageCell, pf::ImageCell) {}

pf::Ref<pf::Cell> RVHighQualityImageCell::copyCell() const
{
    auto copy = std::make_shared<RVHighQualityImageCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void RVHighQualityImageCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    // The interpolation is this cell's alone: the cells drawn after it keep their own.
    pf::GraphicsStateSaver saved(context);
    if (context)
        context->setImageInterpolation(pf::ImageInterpolation::High);
    pf::ImageCell::drawInteriorWithFrame(frame, view);
}
