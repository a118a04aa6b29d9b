#include "platform/graphics/VectorImageRep.h"

#include <QSvgRenderer>

namespace pf {

VectorImageRep::VectorImageRep(QSizeF size, Drawing drawing)
    : ImageRep(size)
    , m_drawing(std::move(drawing))
{
}

VectorImageRep::~VectorImageRep() = default;

std::shared_ptr<VectorImageRep> VectorImageRep::fromSvg(const QByteArray& data)
{
    auto svg = std::make_shared<QSvgRenderer>(data);
    if (!svg->isValid())
        return {};
    const QSizeF size = svg->viewBoxF().size().isEmpty() ? QSizeF(svg->defaultSize()) : svg->viewBoxF().size();
    if (size.isEmpty())
        return {};
    auto rep = std::make_shared<VectorImageRep>(size, Drawing{});
    rep->m_svg = std::move(svg);
    return rep;
}

void VectorImageRep::draw(QPainter& painter, const QRectF& target) const
{
    if (m_svg) {
        m_svg->render(&painter, target);
        return;
    }
    if (!m_drawing || size().isEmpty())
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / size().width(), target.height() / size().height());
    m_drawing(painter, size());
    painter.restore();
}

} // namespace pf
