#include "widgets/ChequeredPattern.h"

#include "platform/graphics/Image.h"

#include <QPainter>

pf::Color chequeredPatternColour()
{
    static const pf::Color pattern = [] {
        if (const pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("chequered")))
            return pf::Color::patternWithImage(image->bitmap());
        QImage squares(8, 8, QImage::Format_ARGB32_Premultiplied);
        squares.fill(Qt::white);
        QPainter painter(&squares);
        painter.fillRect(0, 0, 4, 4, QColor(204, 204, 204));
        painter.fillRect(4, 4, 4, 4, QColor(204, 204, 204));
        return pf::Color::patternWithImage(squares);
    }();
    return pattern;
}
