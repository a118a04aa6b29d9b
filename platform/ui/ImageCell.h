#pragma once

#include "platform/ui/Cell.h"

namespace pf {

// How an image sits in its frame.
enum class ImageFrameStyle { None = 0, Photo = 1, GrayBezel = 2, Groove = 3, Button = 4 };

// The cell of image views and image columns: its object value is the image, drawn with the
// scaling and alignment inside an optional frame.
class ImageCell : public Cell {
    PF_CLASS(ImageCell)
public:
    ImageCell() = default;

    Ref<Cell> copyCell() const override;

    // The value is the image: setting either sets both.
    void setObjectValue(const QVariant& value) override;
    void setImage(const Ref<Image>& image) override;

    ImageScaling imageScaling() const { return m_scaling; }
    void setImageScaling(ImageScaling scaling) { m_scaling = scaling; }
    // Where the image sits when it is smaller than the frame.
    Qt::Alignment imageAlignment() const { return m_imageAlignment; }
    void setImageAlignment(Qt::Alignment alignment) { m_imageAlignment = alignment; }
    ImageFrameStyle imageFrameStyle() const { return m_frameStyle; }
    void setImageFrameStyle(ImageFrameStyle style) { m_frameStyle = style; }

    QRectF drawingRectForBounds(const QRectF& bounds) const override;
    QRectF imageRectForBounds(const QRectF& bounds) const override;
    QSizeF cellSizeForBounds(const QRectF& bounds) const override;
    void drawWithFrame(const QRectF& frame, View* view) override;
    void drawInteriorWithFrame(const QRectF& frame, View* view) override;

private:
    ImageScaling m_scaling = ImageScaling::ProportionallyDown;
    Qt::Alignment m_imageAlignment = Qt::AlignCenter;
    ImageFrameStyle m_frameStyle = ImageFrameStyle::None;
};

} // namespace pf
