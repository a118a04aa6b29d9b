#include "inspectors/CVLToolIcons.h"

#include "platform/graphics/Image.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace {

void drawArrow(QPainter& p, QPointF tip, double scale)
{
    QPolygonF arrow;
    for (const QPointF& q : {QPointF(0, 0), QPointF(0, 13), QPointF(3.5, 9.8), QPointF(6, 15), QPointF(8, 14),
                             QPointF(5.6, 9), QPointF(10, 9)})
        arrow << tip + q * scale;
    p.setBrush(Qt::black);
    p.drawPolygon(arrow);
}

void drawMagnifier(QPainter& p, bool plus)
{
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(10, 10), 6, 6);
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (plus)
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void drawConnectableEnds(QPainter& p, QPointF a, QPointF b)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x4a, 0x90, 0xd9));
    p.drawRect(QRectF(a - QPointF(2.5, 2.5), QSizeF(5, 5)));
    p.drawRect(QRectF(b - QPointF(2.5, 2.5), QSizeF(5, 5)));
}

void drawGlyph(QPainter& p, int tag)
{
    const QPen line(Qt::black, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QColor fill(0xAA, 0xD0, 0xE5);
    p.setPen(line);
    p.setBrush(fill);
    switch (tag) {
    case 1: // linear select: a line through a selection marquee
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawLine(QPointF(3, 20), QPointF(21, 4));
        drawArrow(p, {12, 8}, 0.75);
        break;
    case 2: { // pan: a hand reduced to four fingers and a palm
        p.drawRoundedRect(QRectF(6, 11, 12, 10), 3, 3);
        for (int i = 0; i < 4; ++i)
            p.drawRoundedRect(QRectF(6 + i * 3, 4 + (i == 0 || i == 3 ? 3 : 0), 3, 10), 1.5, 1.5);
        break;
    }
    case 3:
        drawMagnifier(p, true);
        break;
    case 4:
        drawMagnifier(p, false);
        break;
    case 5: { // ruler
        p.save();
        p.translate(12, 12);
        p.rotate(-45);
        p.drawRect(QRectF(-11, -4, 22, 8));
        p.setPen(QPen(Qt::black, 1));
        for (int i = -8; i <= 8; i += 4)
            p.drawLine(QPointF(i, -4), QPointF(i, i % 8 == 0 ? 1 : -1));
        p.restore();
        break;
    }
    case 6:
        drawArrow(p, {7, 3}, 1.0);
        break;
    case 10:
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case 11:
        p.drawEllipse(QRectF(3, 6, 18, 12));
        break;
    case 12:
        p.drawRoundedRect(QRectF(4, 6, 16, 12), 4, 4);
        break;
    case 13:
        p.drawRoundedRect(QRectF(3, 7, 18, 10), 5, 5);
        break;
    case 14: {
        QPolygonF poly({QPointF(3, 19), QPointF(6, 5), QPointF(13, 11), QPointF(20, 4), QPointF(21, 19)});
        p.drawPolygon(poly);
        break;
    }
    case 15: { // a five-pointed star
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double radius = (i % 2 == 0) ? 9.5 : 9.5 * 0.38;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(12 + radius * std::cos(angle), 12.5 + radius * std::sin(angle));
        }
        p.drawPolygon(star);
        break;
    }
    case 16:
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    case 17: { // path: a curve with its points
        QPainterPath path(QPointF(3, 18));
        path.cubicTo(QPointF(6, 3), QPointF(14, 22), QPointF(21, 6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(QRectF(1.5, 16.5, 3, 3));
        p.drawRect(QRectF(19.5, 4.5, 3, 3));
        break;
    }
    case 18: { // freehand: a pencil scribble
        QPainterPath path(QPointF(3, 14));
        path.cubicTo(QPointF(6, 6), QPointF(9, 20), QPointF(12, 12));
        path.cubicTo(QPointF(15, 4), QPointF(18, 18), QPointF(21, 9));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        break;
    }
    case 19: {
        QFont font = p.font();
        font.setPixelSize(18);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("T"));
        break;
    }
    case 20: // wedge
        p.drawPie(QRectF(3, 3, 18, 18), 0, 90 * 16);
        break;
    case 21: // arc
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 18, 18), 0, 120 * 16);
        break;
    case 22:
    case 23: { // insert / delete a point of a path
        QPainterPath path(QPointF(3, 16));
        path.quadTo(QPointF(12, 2), QPointF(21, 16));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setPen(QPen(Qt::black, 1.5));
        p.drawLine(QPointF(14, 19), QPointF(20, 19));
        if (tag == 22)
            p.drawLine(QPointF(17, 16), QPointF(17, 22));
        break;
    }
    case 24: { // text path
        QPainterPath path(QPointF(3, 19));
        path.quadTo(QPointF(12, 2), QPointF(21, 19));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        QFont font = p.font();
        font.setPixelSize(10);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(6, 10, 12, 12), Qt::AlignCenter, QStringLiteral("T"));
        break;
    }
    case 25: // path cutter: scissors
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7, 18), 3, 3);
        p.drawEllipse(QPointF(17, 18), 3, 3);
        p.drawLine(QPointF(9, 16), QPointF(17, 3));
        p.drawLine(QPointF(15, 16), QPointF(7, 3));
        break;
    case 40:
        p.drawLine(QPointF(5, 19), QPointF(19, 5));
        drawConnectableEnds(p, {5, 19}, {19, 5});
        break;
    case 41: { // track: a bent line
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(4, 19), QPointF(4, 8), QPointF(20, 8), QPointF(20, 4)}));
        drawConnectableEnds(p, {4, 19}, {20, 5});
        break;
    }
    case 42: {
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(4, 19), QPointF(9, 6), QPointF(15, 15), QPointF(20, 5)}));
        drawConnectableEnds(p, {4, 19}, {20, 5});
        break;
    }
    case 43: // clip-art stamp
        p.drawRect(QRectF(6, 15, 12, 5));
        p.drawRect(QRectF(10, 5, 4, 10));
        p.drawEllipse(QRectF(8, 2, 8, 5));
        break;
    case 44: // smart select: arrow with a spark
        drawArrow(p, {5, 3}, 0.9);
        p.setPen(QPen(QColor(0xd9, 0x8a, 0x1c), 1.5));
        p.drawLine(QPointF(17, 14), QPointF(17, 22));
        p.drawLine(QPointF(13, 18), QPointF(21, 18));
        break;
    case 45: { // style dropper
        p.save();
        p.translate(12, 12);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-2.5, -10, 5, 14), 2, 2);
        p.drawLine(QPointF(0, 4), QPointF(0, 10));
        p.restore();
        break;
    }
    case 50: {
        QPainterPath path(QPointF(4, 19));
        path.cubicTo(QPointF(6, 4), QPointF(14, 22), QPointF(20, 5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        drawConnectableEnds(p, {4, 19}, {20, 5});
        break;
    }
    case CVLToolIcons::kSliceGlyph: // a dashed slice frame with a corner knob
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1.2, Qt::DashLine));
        p.drawRect(QRectF(4, 5, 16, 14));
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(17.5, 16.5, 5, 5));
        break;
    default:
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 2, 2);
        break;
    }
}

} // namespace

pf::Ref<pf::Image> CVLToolIcons::imageForTag(int tag)
{
    return pf::Image::withDrawing(QSizeF(kIconSize, kIconSize), [tag](QPainter& painter, const QSizeF&) {
        painter.setRenderHint(QPainter::Antialiasing);
        drawGlyph(painter, tag);
    });
}
