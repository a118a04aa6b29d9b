#include "frameworks/penwork/renderers/PWHatching.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

const QString kColourArchiveKey = QStringLiteral("pw_hatching_colour");
const QString kWidthArchiveKey = QStringLiteral("pw_hatching_width");
const QString kSpacingArchiveKey = QStringLiteral("pw_hatching_spacing");
const QString kLeadInArchiveKey = QStringLiteral("pw_hatching_leadInProportion");
const QString kAngleArchiveKey = QStringLiteral("pw_hatching_angleInDegrees");
const QString kRelativeArchiveKey = QStringLiteral("pw_hatching_angleIsRelativeToObject");
const QString kRoughnessArchiveKey = QStringLiteral("pw_hatching_roughness");
const QString kWobblynessArchiveKey = QStringLiteral("pw_hatching_wobblyness");
const QString kCapArchiveKey = QStringLiteral("pw_hatching_lineCapStyle");
const QString kJoinArchiveKey = QStringLiteral("pw_hatching_lineJoinStyle");
const QString kDashArchiveKey = QStringLiteral("pw_hatching_dash");

bool validCap(int cap)
{
    return cap >= int(pf::BezierPath::LineCap::Butt) && cap <= int(pf::BezierPath::LineCap::Square);
}

bool validJoin(int join)
{
    return join >= int(pf::BezierPath::LineJoin::Miter) && join <= int(pf::BezierPath::LineJoin::Bevel);
}


} // namespace

PF_DEFINE_CLASS(PWHatching, PWRasterizer)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(
        PWHatching::kColourKey,
        std::function<QVariant(const PWHatching&)>(
            [](const PWHatching& hatching) { return pw::renderers::colourToVariant(hatching.colour()); }),
        std::function<void(PWHatching&, const QVariant&)>([](PWHatching& hatching, const QVariant& value) {
            hatching.setColour(pw::renderers::colourFromVariant(value, QStringLiteral("-[PWHatching setColour:]")));
        }));
    b.property(PWHatching::kWidthKey, &PWHatching::width, &PWHatching::setWidth);
    b.validator(PWHatching::kWidthKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWHatching::kMaxWidth, QStringLiteral("The line width"), error);
    });
    b.property(PWHatching::kSpacingKey, &PWHatching::spacing, &PWHatching::setSpacing);
    b.validator(PWHatching::kSpacingKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWHatching::kMinSpacing, PWHatching::kMaxSpacing, QStringLiteral("The spacing"),
                              error);
    });
    b.property(PWHatching::kLeadInProportionKey, &PWHatching::leadInProportion, &PWHatching::setLeadInProportion);
    b.validator(PWHatching::kLeadInProportionKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The lead-in"), error);
    });
    b.property(PWHatching::kAngleInDegreesKey, &PWHatching::angleInDegrees, &PWHatching::setAngleInDegrees);
    b.validator(PWHatching::kAngleInDegreesKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The angle"), error);
    });
    b.property(PWHatching::kAngleIsRelativeToObjectKey, &PWHatching::angleIsRelativeToObject,
               &PWHatching::setAngleIsRelativeToObject);
    b.property(PWHatching::kRoughnessKey, &PWHatching::roughness, &PWHatching::setRoughness);
    b.validator(PWHatching::kRoughnessKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The roughness"), error);
    });
    b.property(PWHatching::kWobblynessKey, &PWHatching::wobblyness, &PWHatching::setWobblyness);
    b.validator(PWHatching::kWobblynessKey, [](PWHatching&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWHatching::kMaxWobblyness, QStringLiteral("The wobble"), error);
    });
    b.property(PWHatching::kLineCapStyleKey, &PWHatching::lineCapStyle, &PWHatching::setLineCapStyle);
    b.property(PWHatching::kLineJoinStyleKey, &PWHatching::lineJoinStyle, &PWHatching::setLineJoinStyle);
    b.property(PWHatching::kDashKey, &PWHatching::dash, &PWHatching::setDash);
}

PWHatching::PWHatching() = default;

PWHatching::PWHatching(const PWHatching& other)
    : PWRasterizer(other),
      m_colour(other.m_colour),
      m_width(other.m_width),
      m_spacing(other.m_spacing),
      m_leadIn(other.m_leadIn),
      m_angle(other.m_angle),
      m_angleIsRelative(other.m_angleIsRelative),
      m_roughness(other.m_roughness),
      m_wobblyness(other.m_wobblyness),
      m_lineCap(other.m_lineCap),
      m_lineJoin(other.m_lineJoin),
      m_dash(other.m_dash ? std::static_pointer_cast<PWStrokeDash>(other.m_dash->copy()) : nullptr)
{
}

void PWHatching::setColour(const pf::Color& colour)
{
    changeProperty(m_colour, colour, kColourKey);
}

void PWHatching::setWidth(double width)
{
    if (std::isnan(width))
        return PF_LOG("PWHatching: width NaN refused");
    changeProperty(m_width, std::clamp(width, 0.0, kMaxWidth), kWidthKey);
}

void PWHatching::setSpacing(double spacing)
{
    if (std::isnan(spacing))
        return PF_LOG("PWHatching: spacing NaN refused");
    changeProperty(m_spacing, std::clamp(spacing, kMinSpacing, kMaxSpacing), kSpacingKey);
}

void PWHatching::setLeadInProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWHatching: lead-in NaN refused");
    changeProperty(m_leadIn, std::clamp(proportion, 0.0, 1.0), kLeadInProportionKey);
}

void PWHatching::setAngleInDegrees(double degrees)
{
    if (!std::isfinite(degrees))
        return PF_LOG("PWHatching: angle %f refused", degrees);
    changeProperty(m_angle, degrees, kAngleInDegreesKey);
}

void PWHatching::setAngleIsRelativeToObject(bool relative)
{
    changeProperty(m_angleIsRelative, relative, kAngleIsRelativeToObjectKey);
}

void PWHatching::setRoughness(double roughness)
{
    if (std::isnan(roughness))
        return PF_LOG("PWHatching: roughness NaN refused");
    changeProperty(m_roughness, std::clamp(roughness, 0.0, 1.0), kRoughnessKey);
}

void PWHatching::setWobblyness(double wobblyness)
{
    if (std::isnan(wobblyness))
        return PF_LOG("PWHatching: wobblyness NaN refused");
    changeProperty(m_wobblyness, std::clamp(wobblyness, 0.0, kMaxWobblyness), kWobblynessKey);
}

void PWHatching::setLineCapStyle(pf::BezierPath::LineCap cap)
{
    if (!validCap(int(cap)))
        return PF_LOG("PWHatching: line cap style %d refused", int(cap));
    changeProperty(m_lineCap, cap, kLineCapStyleKey);
}

void PWHatching::setLineJoinStyle(pf::BezierPath::LineJoin join)
{
    if (!validJoin(int(join)))
        return PF_LOG("PWHatching: line join style %d refused", int(join));
    changeProperty(m_lineJoin, join, kLineJoinStyleKey);
}

void PWHatching::setDash(const pf::Ref<PWStrokeDash>& dash)
{
    changeProperty(m_dash, dash, kDashKey);
}

pf::Ref<pf::BezierPath> PWHatching::hatchLinesForPath(const pf::BezierPath& path, double extraDegrees,
                                                      quint64 seed) const
{
    auto lines = pf::BezierPath::path();
    if (path.isEmpty())
        return lines;
    // Lines run along x in the hatching's own frame; the path is measured in that frame.
    const pw::renderers::TurnedFrame frame = pw::renderers::turnedFrameForPath(path, m_angle + extraDegrees);
    const QRectF& area = frame.area;
    if (!area.isValid() && area.height() <= 0.0 && area.width() <= 0.0)
        return lines;
    const double spacing = std::max(m_spacing, area.height() / kMaxLines);
    const double reach = m_width + m_wobblyness + 1.0;
    quint64 state = seed;
    for (int k = 0;; ++k) {
        double y = area.top() + (m_leadIn + k) * spacing;
        if (y > area.bottom() || k > kMaxLines)
            break;
        if (m_roughness > 0.0)
            y += pw::renderers::signedRandom(state) * m_roughness * spacing / 2.0;
        auto line = pf::BezierPath::path();
        line->moveTo(QPointF(area.left() - reach, y));
        line->lineTo(QPointF(area.right() + reach, y));
        if (m_wobblyness > 0.0)
            line = pw::renderers::roughenedPath(*line, m_wobblyness, state ^ quint64(k));
        lines->appendPath(*line);
    }
    lines->transform(frame.turn);
    return lines;
}

void PWHatching::renderHatching(const pf::BezierPath& path, double extraDegrees, quint64 seed)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty() || !m_colour.isValid() || m_colour.alphaComponent() <= 0.0)
        return;
    const pf::Ref<pf::BezierPath> lines = hatchLinesForPath(path, extraDegrees, seed);
    if (lines->isEmpty())
        return;
    pf::GraphicsStateSaver saver(context);
    context->addClip(path);
    lines->setLineWidth(m_width);
    lines->setLineCapStyle(m_lineCap);
    lines->setLineJoinStyle(m_lineJoin);
    if (m_dash)
        m_dash->applyToPath(*lines);
    context->setColour(m_colour);
    context->strokePath(*lines);
}

void PWHatching::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path)
        return;
    const double extra = m_angleIsRelative ? object.angle() * 180.0 / M_PI : 0.0;
    renderHatching(*path, extra, pw::renderers::seedForPath(*path, object.geometryChecksum()));
}

void PWHatching::renderPath(const pf::BezierPath& path)
{
    renderHatching(path, 0.0, pw::renderers::seedForPath(path, 0));
}

QRectF PWHatching::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    return path && !path->isEmpty() ? path->bounds() : QRectF();
}

QString PWHatching::displayName() const
{
    return QStringLiteral("Hatch Fill");
}

QStringList PWHatching::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kColourKey << kWidthKey << kSpacingKey << kLeadInProportionKey
                                              << kAngleInDegreesKey << kRoughnessKey << kWobblynessKey
                                              << kLineCapStyleKey << kLineJoinStyleKey << kDashKey
                                              << kAngleIsRelativeToObjectKey;
}

void PWHatching::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("#kind# Colour"), kColourKey);
    setActionName(QStringLiteral("#kind# Line Width"), kWidthKey);
    setActionName(QStringLiteral("#kind# Spacing"), kSpacingKey);
    setActionName(QStringLiteral("#kind# Lead-In"), kLeadInProportionKey);
    setActionName(QStringLiteral("#kind# Angle"), kAngleInDegreesKey);
    setActionName(QStringLiteral("#kind# Relative Angle"), kAngleIsRelativeToObjectKey);
    setActionName(QStringLiteral("#kind# Roughness"), kRoughnessKey);
    setActionName(QStringLiteral("#kind# Wobble"), kWobblynessKey);
    setActionName(QStringLiteral("#kind# Line Cap"), kLineCapStyleKey);
    setActionName(QStringLiteral("#kind# Line Join"), kLineJoinStyleKey);
    setActionName(QStringLiteral("#kind# Dash"), kDashKey);
}

pf::Ref<pf::Object> PWHatching::copy() const
{
    return std::make_shared<PWHatching>(*this);
}

bool PWHatching::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* h = static_cast<const PWHatching*>(other);
    return h->m_colour == m_colour && h->m_width == m_width && h->m_spacing == m_spacing && h->m_leadIn == m_leadIn &&
           h->m_angle == m_angle && h->m_angleIsRelative == m_angleIsRelative && h->m_roughness == m_roughness &&
           h->m_wobblyness == m_wobblyness && h->m_lineCap == m_lineCap && h->m_lineJoin == m_lineJoin &&
           sameValue(h->m_dash, m_dash);
}

void PWHatching::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeObject(m_colour.isValid() ? std::make_shared<pf::Color>(m_colour) : nullptr, kColourArchiveKey);
    coder.encodeDouble(m_width, kWidthArchiveKey);
    coder.encodeDouble(m_spacing, kSpacingArchiveKey);
    coder.encodeDouble(m_leadIn, kLeadInArchiveKey);
    coder.encodeDouble(m_angle, kAngleArchiveKey);
    coder.encodeBool(m_angleIsRelative, kRelativeArchiveKey);
    coder.encodeDouble(m_roughness, kRoughnessArchiveKey);
    coder.encodeDouble(m_wobblyness, kWobblynessArchiveKey);
    coder.encodeInt32(int(m_lineCap), kCapArchiveKey);
    coder.encodeInt32(int(m_lineJoin), kJoinArchiveKey);
    coder.encodeObject(m_dash, kDashArchiveKey);
}

void PWHatching::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRasterizer::initWithCoder(coder);
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(kColourArchiveKey);
    m_colour = colour ? *colour : pf::Color();
    m_width = clampedValue(coder.decodeDouble(kWidthArchiveKey), 0.0, kMaxWidth, 0.5);
    // A missing or zero spacing is raised to the least one, never left to loop.
    m_spacing = clampedValue(coder.decodeDouble(kSpacingArchiveKey), kMinSpacing, kMaxSpacing, 8.0);
    m_leadIn = clampedValue(coder.decodeDouble(kLeadInArchiveKey), 0.0, 1.0, 0.0);
    const double angle = coder.decodeDouble(kAngleArchiveKey);
    m_angle = std::isfinite(angle) ? angle : 45.0;
    m_angleIsRelative = coder.decodeBool(kRelativeArchiveKey);
    m_roughness = clampedValue(coder.decodeDouble(kRoughnessArchiveKey), 0.0, 1.0, 0.0);
    m_wobblyness = clampedValue(coder.decodeDouble(kWobblynessArchiveKey), 0.0, kMaxWobblyness, 0.0);
    const int cap = coder.decodeInt32(kCapArchiveKey);
    m_lineCap = validCap(cap) ? pf::BezierPath::LineCap(cap) : pf::BezierPath::LineCap::Butt;
    const int join = coder.decodeInt32(kJoinArchiveKey);
    m_lineJoin = validJoin(join) ? pf::BezierPath::LineJoin(join) : pf::BezierPath::LineJoin::Miter;
    m_dash = coder.decodeObjectOfClass<PWStrokeDash>(kDashArchiveKey);
}
