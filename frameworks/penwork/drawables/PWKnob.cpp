#include "frameworks/penwork/drawables/PWKnob.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "platform/graphics/GraphicsContext.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <atomic>
#include <cmath>
#include <mutex>

PF_DEFINE_CLASS(PWKnob, pf::Object)
{
    b.property("viewScale", &PWKnob::viewScale, &PWKnob::setViewScale);
}

namespace {

std::mutex s_sizeMutex;
// The user-defaults key of the handle size; the variable is its default.
const QString kControlKnobSizeKey = QStringLiteral("PWKnobControlKnobSize");
const QSizeF s_knobSize(8.0, 8.0);

bool usable(double value) { return std::isfinite(value) && value > 0.0; }

// The square (or circle) of a knob, before rotation, centred on the origin.
double sideForType(int type, double side)
{
    switch (type) {
    case PWKnob::kLocationKnobType:
        return side * 1.5;
    case PWKnob::kOffPathKnobType:
        return side * 0.75;
    default:
        return side;
    }
}

} // namespace

QSizeF PWKnob::controlKnobSize()
{
    std::lock_guard lock(s_sizeMutex);
    return PWClassSettings::size(kControlKnobSizeKey, s_knobSize);
}

void PWKnob::setControlKnobSize(const QSizeF& size)
{
    if (!usable(size.width()) || !usable(size.height()))
        return;
    std::lock_guard lock(s_sizeMutex);
    PWClassSettings::setSize(kControlKnobSizeKey, size);
}

PWKnob* PWKnob::defaultKnobs()
{
    static pf::Ref<PWKnob> knobs = std::make_shared<PWKnob>();
    return knobs.get();
}

void PWKnob::setViewScale(double scale)
{
    if (usable(scale))
        m_viewScale = scale;
}

QRectF PWKnob::knobRect(const QPointF& point, int type) const
{
    const QSizeF size = controlKnobSize();
    const double w = sideForType(type, size.width()) / m_viewScale;
    const double h = sideForType(type, size.height()) / m_viewScale;
    return QRectF(point.x() - w / 2, point.y() - h / 2, w, h);
}

void PWKnob::drawKnob(const QPointF& point, int type, double angle, const QColor& colour) const
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    // Keep the knob its screen size under the painter's zoom.
    const QTransform device = painter.worldTransform();
    double scale = std::sqrt(std::abs(device.determinant()));
    if (!usable(scale))
        scale = 1.0;
    const QSizeF size = controlKnobSize();
    const double w = sideForType(type, size.width()) / scale;
    const double h = sideForType(type, size.height()) / scale;
    painter.translate(point);
    if (std::isfinite(angle))
        painter.rotate(angle * 180.0 / M_PI);
    const QRectF square(-w / 2, -h / 2, w, h);
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (type) {
    case kRotationKnobType:
    case kOnPathKnobType:
        painter.setPen(pen);
        painter.setBrush(colour.isValid() ? colour : QColor(Qt::white));
        painter.drawEllipse(square);
        break;
    case kLocationKnobType: {
        // A target: a circle with a cross through it.
        pen.setColor(colour.isValid() ? colour : QColor(Qt::black));
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(square.adjusted(w / 6, h / 6, -w / 6, -h / 6));
        painter.drawLine(QPointF(square.left(), 0), QPointF(square.right(), 0));
        painter.drawLine(QPointF(0, square.top()), QPointF(0, square.bottom()));
        break;
    }
    case kOffPathKnobType:
        painter.setPen(pen);
        painter.setBrush(colour.isValid() ? colour : QColor(Qt::white));
        painter.drawRect(square);
        break;
    case kLockedKnobType:
        pen.setColor(Qt::gray);
        painter.setPen(pen);
        painter.setBrush(QColor(Qt::lightGray));
        painter.drawRect(square);
        break;
    default:
        painter.setPen(pen);
        painter.setBrush(colour.isValid() ? colour : QColor(64, 128, 255));
        painter.drawRect(square);
        break;
    }
    painter.restore();
}

bool PWKnob::hitTestKnob(const QPointF& point, const QPointF& knobPoint, int type, double angle) const
{
    // Test in the knob's own turned frame, so a rotated handle is hit where it is drawn.
    QTransform toKnob;
    toKnob.translate(knobPoint.x(), knobPoint.y());
    if (std::isfinite(angle))
        toKnob.rotateRadians(angle);
    bool invertible = false;
    const QTransform fromDrawing = toKnob.inverted(&invertible);
    if (!invertible)
        return false;
    const QPointF local = fromDrawing.map(point);
    return knobRect(QPointF(), type).contains(local);
}
