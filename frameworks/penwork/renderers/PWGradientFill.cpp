#include "frameworks/penwork/renderers/PWGradientFill.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

bool finitePoint(const QPointF& point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

QPointF clampedLocation(const QPointF& location)
{
    return QPointF(std::clamp(location.x(), -0.5, 0.5), std::clamp(location.y(), -0.5, 0.5));
}

bool validateLocation(QVariant* value, pf::Error* error)
{
    if (!value->canConvert<QPointF>() || pf::isNumber(*value))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QStringLiteral("A gradient location must be a point.")));
    const QPointF point = value->toPointF();
    if (std::isnan(point.x()) || std::isnan(point.y()))
        return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                               QStringLiteral("A gradient location must be a number.")));
    *value = clampedLocation(point);
    return true;
}

const QString kGradientArchiveKey = QStringLiteral("pw_gradientFill_gradient");
const QString kTypeArchiveKey = QStringLiteral("pw_gradientFill_type");
const QString kAngleArchiveKey = QStringLiteral("pw_gradientFill_angle");
const QString kStartArchiveKey = QStringLiteral("pw_gradientFill_startingLocation");
const QString kEndArchiveKey = QStringLiteral("pw_gradientFill_endingLocation");
const QString kStartRadiusArchiveKey = QStringLiteral("pw_gradientFill_startingRadius");
const QString kEndRadiusArchiveKey = QStringLiteral("pw_gradientFill_endingRadius");
const QString kAngleRelativeArchiveKey = QStringLiteral("pw_gradientFill_angleIsRelative");
const QString kRadialRelativeArchiveKey = QStringLiteral("pw_gradientFill_radialParametersAreRelative");

constexpr double kDegreesPerRadian = 180.0 / M_PI;

} // namespace

PF_DEFINE_CLASS(PWGradientFill, PWFill)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWGradientFill::kGradientKey, &PWGradientFill::gradient, &PWGradientFill::setGradient);
    b.property(PWGradientFill::kGradientTypeKey, &PWGradientFill::gradientType, &PWGradientFill::setGradientType);
    b.validator(PWGradientFill::kGradientTypeKey, [](PWGradientFill&, QVariant* value, pf::Error* error) {
        const int type = value->toInt();
        if (!pf::isNumber(*value) || type < PWGradientFill::Linear || type > PWGradientFill::Radial)
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("Unknown gradient type.")));
        return true;
    });
    b.property(PWGradientFill::kGradientAngleKey, &PWGradientFill::gradientAngle, &PWGradientFill::setGradientAngle);
    b.validator(PWGradientFill::kGradientAngleKey, [](PWGradientFill&, QVariant* value, pf::Error* error) {
        return pw::renderers::validateNumber(value, -1e9, 1e9, QStringLiteral("The gradient angle"), error);
    });
    b.property(PWGradientFill::kStartingLocationKey, &PWGradientFill::startingLocation,
               &PWGradientFill::setStartingLocation);
    b.validator(PWGradientFill::kStartingLocationKey,
                [](PWGradientFill&, QVariant* value, pf::Error* error) { return validateLocation(value, error); });
    b.property(PWGradientFill::kEndingLocationKey, &PWGradientFill::endingLocation, &PWGradientFill::setEndingLocation);
    b.validator(PWGradientFill::kEndingLocationKey,
                [](PWGradientFill&, QVariant* value, pf::Error* error) { return validateLocation(value, error); });
    for (const QString& key : {PWGradientFill::kStartingRadiusKey, PWGradientFill::kEndingRadiusKey}) {
        b.validator(key, [](PWGradientFill&, QVariant* value, pf::Error* error) {
            return pw::renderers::validateNumber(value, 0.0, PWGradientFill::kMaxRadius, QStringLiteral("A radius"),
                                                 error);
        });
    }
    b.property(PWGradientFill::kStartingRadiusKey, &PWGradientFill::startingRadius, &PWGradientFill::setStartingRadius);
    b.property(PWGradientFill::kEndingRadiusKey, &PWGradientFill::endingRadius, &PWGradientFill::setEndingRadius);
    b.property(PWGradientFill::kAngleIsRelativeKey, &PWGradientFill::angleIsRelative,
               &PWGradientFill::setAngleIsRelative);
    b.property(PWGradientFill::kRadialParametersAreRelativeKey, &PWGradientFill::radialParametersAreRelative,
               &PWGradientFill::setRadialParametersAreRelative);
    b.property("numberOfColours", &PWGradientFill::numberOfColours);
    b.method("colourAtStopIndex:", &PWGradientFill::colourAtStopIndex);
    b.classMethod("pdfTransparencyWorkaround",
                  [](const pf::Class&, const QVariantList&) { return QVariant(PWGradientFill::pdfTransparencyWorkaround()); });
    // Documents written before the class took its present name.
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), PWGradientFill::kRetiredClassName);
}

PWGradientFill::PWGradientFill() : m_gradient(std::make_shared<pf::Gradient>(pf::Color::white(), pf::Color::black()))
{
}

void PWGradientFill::setGradient(const pf::Ref<pf::Gradient>& gradient)
{
    changeProperty(m_gradient, gradient, kGradientKey);
}

void PWGradientFill::setGradientType(int type)
{
    if (type != Linear && type != Radial)
        return PF_LOG("PWGradientFill: gradient type %d refused", type);
    changeProperty(m_type, type, kGradientTypeKey);
}

void PWGradientFill::setGradientAngle(double radians)
{
    if (!std::isfinite(radians))
        return PF_LOG("PWGradientFill: gradient angle %f refused", radians);
    changeProperty(m_angle, radians, kGradientAngleKey);
}

void PWGradientFill::setStartingLocation(const QPointF& location)
{
    if (std::isnan(location.x()) || std::isnan(location.y()))
        return PF_LOG("PWGradientFill: starting location NaN refused");
    changeProperty(m_startingLocation, clampedLocation(location), kStartingLocationKey);
}

void PWGradientFill::setEndingLocation(const QPointF& location)
{
    if (std::isnan(location.x()) || std::isnan(location.y()))
        return PF_LOG("PWGradientFill: ending location NaN refused");
    changeProperty(m_endingLocation, clampedLocation(location), kEndingLocationKey);
}

void PWGradientFill::setStartingRadius(double radius)
{
    if (std::isnan(radius))
        return PF_LOG("PWGradientFill: starting radius NaN refused");
    changeProperty(m_startingRadius, std::clamp(radius, 0.0, kMaxRadius), kStartingRadiusKey);
}

void PWGradientFill::setEndingRadius(double radius)
{
    if (std::isnan(radius))
        return PF_LOG("PWGradientFill: ending radius NaN refused");
    changeProperty(m_endingRadius, std::clamp(radius, 0.0, kMaxRadius), kEndingRadiusKey);
}

void PWGradientFill::setAngleIsRelative(bool relative)
{
    changeProperty(m_angleIsRelative, relative, kAngleIsRelativeKey);
}

void PWGradientFill::setRadialParametersAreRelative(bool relative)
{
    changeProperty(m_radialRelative, relative, kRadialParametersAreRelativeKey);
}

bool PWGradientFill::pdfTransparencyWorkaround()
{
    return false;
}

int PWGradientFill::numberOfColours() const
{
    return m_gradient ? m_gradient->numberOfColorStops() : 0;
}

pf::Color PWGradientFill::colourAtStopIndex(int index) const
{
    if (!m_gradient)
        pf::raise(pf::NSRangeException, QStringLiteral("-[PWGradientFill colourAtStopIndex:]: the fill has no gradient"));
    return m_gradient->colorStopAt(index).color;
}

void PWGradientFill::paintArea(QPainter& painter, const QRectF& area, double linearAngle, double radialTurn) const
{
    if (!m_gradient || m_gradient->numberOfColorStops() == 0 || area.isEmpty())
        return;
    if (m_type == Linear) {
        m_gradient->drawInRect(painter, area, linearAngle * kDegreesPerRadian);
        return;
    }
    const QPointF centre = area.center();
    const double side = std::max(area.width(), area.height());
    QTransform turn;
    turn.rotateRadians(radialTurn);
    auto centreOf = [&](const QPointF& location) {
        return centre + turn.map(QPointF(location.x() * area.width(), location.y() * area.height()));
    };
    // Beyond the outer circle the last colour carries on, as a linear gradient's does.
    const pf::Color outside = m_gradient->colorStopAt(m_gradient->numberOfColorStops() - 1).color;
    painter.fillRect(area, outside.qColor());
    m_gradient->drawRadial(painter, centreOf(m_startingLocation), m_startingRadius * side,
                           centreOf(m_endingLocation), m_endingRadius * side);
}

void PWGradientFill::drawInRect(const QRectF& rect, double angle) const
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    painter.save();
    painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    paintArea(painter, rect, angle, 0.0);
    painter.restore();
}

void PWGradientFill::renderWithAngle(const pf::BezierPath& path, double objectAngle)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty() || !m_gradient || m_gradient->numberOfColorStops() == 0)
        return;
    pf::GraphicsStateSaver saver(context);
    pw::renderers::setShadow(*context, shadow().get());
    const QPainterPath area = path.toQPainterPath();
    const QRectF bounds = path.bounds();
    context->draw([&](QPainter& painter) {
        painter.save();
        painter.setClipPath(area, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        // The object turns clockwise as seen while gradient angles run counter-clockwise.
        const double linearAngle = m_angle - (m_angleIsRelative ? objectAngle : 0.0);
        paintArea(painter, bounds, linearAngle, m_radialRelative ? objectAngle : 0.0);
        painter.restore();
    });
}

void PWGradientFill::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (path)
        renderWithAngle(*path, object.angle());
}

void PWGradientFill::renderPath(const pf::BezierPath& path)
{
    renderWithAngle(path, 0.0);
}

QString PWGradientFill::displayName() const
{
    return QStringLiteral("Gradient Fill");
}

QStringList PWGradientFill::observableKeyPaths() const
{
    return PWFill::observableKeyPaths() << kGradientKey << kGradientAngleKey << kStartingLocationKey
                                        << kEndingLocationKey << kGradientTypeKey << kStartingRadiusKey
                                        << kEndingRadiusKey << kAngleIsRelativeKey << kRadialParametersAreRelativeKey;
}

void PWGradientFill::registerActionNames() const
{
    PWFill::registerActionNames();
    setActionName(QStringLiteral("#kind# Colours"), kGradientKey);
    setActionName(QStringLiteral("#kind# Type"), kGradientTypeKey);
    setActionName(QStringLiteral("#kind# Angle"), kGradientAngleKey);
    setActionName(QStringLiteral("#kind# Start"), kStartingLocationKey);
    setActionName(QStringLiteral("#kind# End"), kEndingLocationKey);
    setActionName(QStringLiteral("#kind# Start Radius"), kStartingRadiusKey);
    setActionName(QStringLiteral("#kind# End Radius"), kEndingRadiusKey);
    setActionName(QStringLiteral("#kind# Relative Angle"), kAngleIsRelativeKey);
    setActionName(QStringLiteral("#kind# Relative Centres"), kRadialParametersAreRelativeKey);
}

pf::Ref<pf::Object> PWGradientFill::copy() const
{
    return std::make_shared<PWGradientFill>(*this);
}

bool PWGradientFill::isEqual(const pf::Reflective* other) const
{
    if (!PWFill::isEqual(other))
        return false;
    const auto* fill = static_cast<const PWGradientFill*>(other);
    return sameValue(fill->m_gradient, m_gradient) && fill->m_type == m_type && fill->m_angle == m_angle &&
           fill->m_startingLocation == m_startingLocation && fill->m_endingLocation == m_endingLocation &&
           fill->m_startingRadius == m_startingRadius && fill->m_endingRadius == m_endingRadius &&
           fill->m_angleIsRelative == m_angleIsRelative && fill->m_radialRelative == m_radialRelative;
}

void PWGradientFill::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWFill::encodeWithCoder(coder);
    coder.encodeObject(m_gradient, kGradientArchiveKey);
    coder.encodeInt32(m_type, kTypeArchiveKey);
    coder.encodeDouble(m_angle, kAngleArchiveKey);
    coder.encodePoint(m_startingLocation, kStartArchiveKey);
    coder.encodePoint(m_endingLocation, kEndArchiveKey);
    coder.encodeDouble(m_startingRadius, kStartRadiusArchiveKey);
    coder.encodeDouble(m_endingRadius, kEndRadiusArchiveKey);
    coder.encodeBool(m_angleIsRelative, kAngleRelativeArchiveKey);
    coder.encodeBool(m_radialRelative, kRadialRelativeArchiveKey);
}

void PWGradientFill::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWFill::initWithCoder(coder);
    m_gradient = coder.decodeObjectOfClass<pf::Gradient>(kGradientArchiveKey);
    const int type = coder.decodeInt32(kTypeArchiveKey);
    m_type = type == Radial ? Radial : Linear;
    const double angle = coder.decodeDouble(kAngleArchiveKey);
    m_angle = std::isfinite(angle) ? angle : 0.0;
    const QPointF start = coder.decodePoint(kStartArchiveKey);
    m_startingLocation = finitePoint(start) ? clampedLocation(start) : QPointF();
    const QPointF end = coder.decodePoint(kEndArchiveKey);
    m_endingLocation = finitePoint(end) ? clampedLocation(end) : QPointF();
    m_startingRadius = clampedValue(coder.decodeDouble(kStartRadiusArchiveKey), 0.0, kMaxRadius, 0.0);
    m_endingRadius = coder.containsValueForKey(kEndRadiusArchiveKey)
                         ? clampedValue(coder.decodeDouble(kEndRadiusArchiveKey), 0.0, kMaxRadius, 0.5)
                         : 0.5;
    m_angleIsRelative = coder.decodeBool(kAngleRelativeArchiveKey);
    m_radialRelative = coder.decodeBool(kRadialRelativeArchiveKey);
}
