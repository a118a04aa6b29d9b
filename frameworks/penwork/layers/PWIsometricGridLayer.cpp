#include "frameworks/penwork/layers/PWIsometricGridLayer.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPen>

#include <cmath>

namespace {
const double kSqrt3 = std::sqrt(3.0);
} // namespace

PF_DEFINE_CLASS(PWIsometricGridLayer, PWGridLayer)
{
    b.protocol(pf::kCodingProtocol);
}

PWIsometricGridLayer::PWIsometricGridLayer() = default;

QPointF PWIsometricGridLayer::snapPointToGrid(const QPointF& point) const
{
    const double d = divisionDistance();
    if (!(d > 0.0) || !std::isfinite(point.x()) || !std::isfinite(point.y()))
        return point;
    const double column = d * kSqrt3 / 2.0;
    const QPointF local = point - gridOrigin();
    // Lattice point (i, j) lies at (i * column, j * d + (i odd ? d / 2 : 0)). The nearest one is
    // in one of the two nearest columns.
    QPointF best;
    double bestDistance = INFINITY;
    const double i0 = std::floor(local.x() / column);
    for (double i : {i0, i0 + 1.0}) {
        const double shift = std::fmod(std::abs(i), 2.0) == 1.0 ? d / 2.0 : 0.0;
        const double j = std::round((local.y() - shift) / d);
        const QPointF candidate(i * column, j * d + shift);
        const double distance = std::hypot(candidate.x() - local.x(), candidate.y() - local.y());
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best + gridOrigin();
}

void PWIsometricGridLayer::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    const QRectF area = gridArea(rect);
    const double d = divisionDistance();
    if (area.isEmpty() || !(d > 0.0))
        return;
    QPainter& painter = context.painter();
    const double deviceScale = std::max(std::abs(painter.deviceTransform().m11()), 1e-9);
    if (d * deviceScale < 3.0)
        return;
    const QPointF origin = gridOrigin();
    const qint64 spanEvery = divisions();
    const qint64 majorEvery = spanEvery * majors();
    auto penFor = [&](qint64 index) {
        const bool isMajor = index % majorEvery == 0;
        QPen pen(isMajor ? majorColour() : index % spanEvery == 0 ? spanColour() : divisionColour());
        pen.setCosmetic(true);
        pen.setWidthF(isMajor ? 1.5 : 1.0);
        return pen;
    };

    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    const double column = d * kSqrt3 / 2.0;
    if (showsVerticalLines()) {
        const qint64 first = qint64(std::ceil((area.left() - origin.x()) / column));
        const qint64 last = qint64(std::floor((area.right() - origin.x()) / column));
        for (qint64 i = first; i <= last; ++i) {
            painter.setPen(penFor(i));
            const double x = origin.x() + double(i) * column;
            painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        }
    }
    // Lines y = c +/- x / sqrt(3) (local coordinates), one every division along the vertical.
    const double left = area.left() - origin.x();
    const double right = area.right() - origin.x();
    const double top = area.top() - origin.y();
    const double bottom = area.bottom() - origin.y();
    for (int sign : {1, -1}) {
        const double atLeft = sign * left / kSqrt3;
        const double atRight = sign * right / kSqrt3;
        const double cMin = top - std::max(atLeft, atRight);
        const double cMax = bottom - std::min(atLeft, atRight);
        const qint64 first = qint64(std::ceil(cMin / d));
        const qint64 last = qint64(std::floor(cMax / d));
        for (qint64 k = first; k <= last; ++k) {
            painter.setPen(penFor(k));
            const double c = double(k) * d;
            painter.drawLine(origin + QPointF(left, c + atLeft), origin + QPointF(right, c + atRight));
        }
    }
    painter.restore();
}
