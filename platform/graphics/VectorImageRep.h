#pragma once

#include "platform/graphics/ImageRep.h"

#include <QByteArray>

#include <functional>
#include <memory>

class QSvgRenderer;

namespace pf {

// Content drawn anew at every size: an SVG document or a drawing function. The function
// draws in a y-down space of the representation's size in points.
class VectorImageRep : public ImageRep {
public:
    using Drawing = std::function<void(QPainter& painter, const QSizeF& size)>;

    VectorImageRep(QSizeF size, Drawing drawing);
    ~VectorImageRep() override;

    // Null when the data is not an SVG document with a size.
    static std::shared_ptr<VectorImageRep> fromSvg(const QByteArray& data);

    bool isVector() const override { return true; }
    void draw(QPainter& painter, const QRectF& target) const override;

private:
    Drawing m_drawing;
    std::shared_ptr<QSvgRenderer> m_svg;
};

} // namespace pf
