#include "platform/ui/ImageCell.h"

#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/View.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ImageCell, pf::Cell, "pf::ImageCell") {}

namespace pf {

Ref<Cell> ImageCell::copyCell() const
{
    auto copy = std::make_shared<ImageCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void ImageCell::setObjectValue(const QVariant& value)
{
    Ref<Image> image = objectCast<Image>(value);
    Cell::setImage(image);
    Cell::setObjectValue(toVariant(image));
}

void ImageCell::setImage(const Ref<Image>& image)
{
    Cell::setImage(image);
    Cell::setObjectValue(toVariant(image));
}

QRectF ImageCell::drawingRectForBounds(const QRectF& bounds) const
{
    switch (m_frameStyle) {
    case ImageFrameStyle::None:
        return bounds;
    case ImageFrameStyle::Photo:
        return bounds.adjusted(2, 2, -3, -3);
    default:
        return bounds.adjusted(3, 3, -3, -3);
    }
}

QRectF ImageCell::imageRectForBounds(const QRectF& bounds) const
{
    const QRectF area = drawingRectForBounds(bounds);
    if (!image())
        return {};
    QRectF rect = scaledImageRect(image()->size(), area, m_scaling);
    // Alignment moves an image smaller than the area to an edge; "top" is the high y of an
    // unflipped view.
    const bool flipped = controlView() && controlView()->isFlipped();
    if (m_imageAlignment & Qt::AlignLeft)
        rect.moveLeft(area.left());
    else if (m_imageAlignment & Qt::AlignRight)
        rect.moveRight(area.right());
    if (m_imageAlignment & Qt::AlignTop)
        flipped ? rect.moveTop(area.top()) : rect.moveBottom(area.bottom());
    else if (m_imageAlignment & Qt::AlignBottom)
        flipped ? rect.moveBottom(area.bottom()) : rect.moveTop(area.top());
    return rect;
}

QSizeF ImageCell::cellSizeForBounds(const QRectF& bounds) const
{
    const QSizeF size = image() ? image()->size() : QSizeF();
    const QSizeF inset = bounds.size() - drawingRectForBounds(bounds).size();
    return QSizeF(std::ceil(size.width() + inset.width()), std::ceil(size.height() + inset.height()));
}

void ImageCell::drawWithFrame(const QRectF& frame, View* view)
{
    if (m_frameStyle != ImageFrameStyle::None) {
        const ImageFrameStyle style = m_frameStyle;
        drawUpright(frame, [style](QPainter& painter, const QRectF& rect) {
            if (style == ImageFrameStyle::Photo) {
                painter.fillRect(rect.adjusted(1, 1, 0, 0), SystemColor::shadow().brush());
                painter.fillRect(rect.adjusted(0, 0, -1, -1), Qt::white);
                return;
            }
            painter.setPen(QPen(SystemColor::grid().qColor(), 1));
            painter.setBrush(style == ImageFrameStyle::GrayBezel ? SystemColor::control().brush() : QBrush(Qt::NoBrush));
            painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), style == ImageFrameStyle::Button ? 4 : 2,
                                    style == ImageFrameStyle::Button ? 4 : 2);
        });
    }
    drawInteriorWithFrame(frame, view);
}

void ImageCell::drawInteriorWithFrame(const QRectF& frame, View* view)
{
    if (!image())
        return;
    GraphicsStateSaver saver;
    if (GraphicsContext* context = GraphicsContext::current())
        context->painter().setClipRect(drawingRectForBounds(frame), Qt::IntersectClip);
    image()->draw(imageRectForBounds(frame), {}, CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.5);
}

} // namespace pf
