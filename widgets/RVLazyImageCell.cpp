#include "widgets/RVLazyImageCell.h"

#include "platform/graphics/Image.h"

PF_DEFINE_CLASS(RVLazyImageCell, pf::ImageCell) {}

pf::Ref<pf::Cell> RVLazyImageCell::copyCell() const
{
    auto copy = std::make_shared<RVLazyImageCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void RVLazyImageCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    if (!image()) {
        const pf::Ref<pf::Object> source = pf::objectFromVariant(representedObject());
        static const QString selector = QStringLiteral("imageToFitSize:");
        if (source && source->respondsTo(selector)) {
            const QVariant answer = source->perform(selector, {QVariant(frame.size())});
            if (auto picture = pf::fromVariant<pf::Ref<pf::Image>>(answer))
                setImage(picture);
        }
    }
    pf::ImageCell::drawInteriorWithFrame(frame, view);
}
