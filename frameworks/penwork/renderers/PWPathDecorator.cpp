#include "frameworks/penwork/renderers/PWPathDecorator.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Placement.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QString kImageArchiveKey = QStringLiteral("pw_pathDecorator_image");
const QString kScaleArchiveKey = QStringLiteral("pw_pathDecorator_scale");
const QString kIntervalArchiveKey = QStringLiteral("pw_pathDecorator_interval");
const QString kLeadArchiveKey = QStringLiteral("pw_pathDecorator_leadInAndOutLengthProportion");
const QString kRandomArchiveKey = QStringLiteral("pw_pathDecorator_scaleRandomness");
const QString kOffsetArchiveKey = QStringLiteral("pw_pathDecorator_lateralOffset");
const QString kAlternatesArchiveKey = QStringLiteral("pw_pathDecorator_lateralOffsetAlternates");
const QString kNormalArchiveKey = QStringLiteral("pw_pathDecorator_normalToPath");
const QString kChainArchiveKey = QStringLiteral("pw_pathDecorator_usesChainMethod");
const QString kWobbleArchiveKey = QStringLiteral("pw_pathDecorator_wobblyness");
const QString kClippingArchiveKey = QStringLiteral("pw_pathDecorator_clipping");


// Sizes each copy: the decorator's scale, the lead-in and lead-out ramp, and the random
// variation, drawn in placement order from a seed so redraws match.
class CopySizer : public pw::TaperDelegate {
public:
    CopySizer(const PWPathDecorator& decorator, quint64 seed) : m_decorator(decorator), m_state(seed) {}
    double taperFactorAtDistance(double distance, const pf::BezierPath&, double totalLength) override
    {
        double factor = m_decorator.scale();
        const double lead = m_decorator.leadInAndOutLengthProportion() * totalLength;
        if (lead > 0.0) {
            const double fromEnd = std::min(distance, totalLength - distance);
            if (fromEnd < lead)
                factor *= m_decorator.rampFunction(std::clamp(fromEnd / lead, 0.0, 1.0));
        }
        factor *= 1.0 + m_decorator.scaleRandomness() * pw::renderers::signedRandom(m_state);
        return factor;
    }

private:
    const PWPathDecorator& m_decorator;
    quint64 m_state;
};

pf::Error invalidValue(const QString& what)
{
    return pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue, what);
}

} // namespace

PF_DEFINE_CLASS(PWPathDecorator, PWRasterizer)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWPathDecorator::kImageKey, &PWPathDecorator::image, &PWPathDecorator::setImage);
    b.validator(PWPathDecorator::kImageKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        if (value->isValid() && !value->canConvert<QImage>())
            return pf::fail(error, invalidValue(QStringLiteral("The decoration must be an image.")));
        return true;
    });
    b.property(PWPathDecorator::kScaleKey, &PWPathDecorator::scale, &PWPathDecorator::setScale);
    b.validator(PWPathDecorator::kScaleKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWPathDecorator::kMinScale, PWPathDecorator::kMaxScale,
                              QStringLiteral("The scale"), error);
    });
    b.property(PWPathDecorator::kIntervalKey, &PWPathDecorator::interval, &PWPathDecorator::setInterval);
    b.validator(PWPathDecorator::kIntervalKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        return validateNumber(value, PWPathDecorator::kMinInterval, PWPathDecorator::kMaxInterval,
                              QStringLiteral("The interval"), error);
    });
    b.property(PWPathDecorator::kLeadInAndOutLengthProportionKey, &PWPathDecorator::leadInAndOutLengthProportion,
               &PWPathDecorator::setLeadInAndOutLengthProportion);
    b.validator(PWPathDecorator::kLeadInAndOutLengthProportionKey,
                [](PWPathDecorator&, QVariant* value, pf::Error* error) {
                    return validateNumber(value, 0.0, 0.5, QStringLiteral("The lead-in and lead-out"), error);
                });
    b.property(PWPathDecorator::kScaleRandomnessKey, &PWPathDecorator::scaleRandomness,
               &PWPathDecorator::setScaleRandomness);
    b.validator(PWPathDecorator::kScaleRandomnessKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The scale randomness"), error);
    });
    b.property(PWPathDecorator::kLateralOffsetKey, &PWPathDecorator::lateralOffset, &PWPathDecorator::setLateralOffset);
    b.validator(PWPathDecorator::kLateralOffsetKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -PWPathDecorator::kMaxOffset, PWPathDecorator::kMaxOffset,
                              QStringLiteral("The lateral offset"), error);
    });
    b.property(PWPathDecorator::kLateralOffsetAlternatesKey, &PWPathDecorator::lateralOffsetAlternates,
               &PWPathDecorator::setLateralOffsetAlternates);
    b.property(PWPathDecorator::kNormalToPathKey, &PWPathDecorator::normalToPath, &PWPathDecorator::setNormalToPath);
    b.property(PWPathDecorator::kUsesChainMethodKey, &PWPathDecorator::usesChainMethod,
               &PWPathDecorator::setUsesChainMethod);
    b.property(PWPathDecorator::kWobblynessKey, &PWPathDecorator::wobblyness, &PWPathDecorator::setWobblyness);
    b.validator(PWPathDecorator::kWobblynessKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, PWPathDecorator::kMaxWobblyness, QStringLiteral("The wobble"), error);
    });
    b.property(PWPathDecorator::kClippingKey, &PWPathDecorator::clipping, &PWPathDecorator::setClipping);
    b.validator(PWPathDecorator::kClippingKey, [](PWPathDecorator&, QVariant* value, pf::Error* error) {
        const int clipping = value->toInt();
        if (!pf::isNumber(*value) || clipping < 0 || clipping > 2)
            return pf::fail(error, invalidValue(QStringLiteral("Unknown clipping.")));
        return true;
    });
    b.classMethod("pathDecoratorWithImage:", [](const pf::Class& cls, const QVariantList& arguments) {
        return pf::toVariant(PWPathDecorator::pathDecoratorWithImage(arguments.value(0).value<QImage>(), cls));
    });
}

PWPathDecorator::PWPathDecorator() = default;

PWPathDecorator::PWPathDecorator(const QImage& image) : m_image(image) {}

pf::Ref<PWPathDecorator> PWPathDecorator::pathDecoratorWithImage(const QImage& image, const pf::Class& cls)
{
    if (!cls.isSubclassOf(staticClass()))
        return nullptr;
    auto decorator = std::dynamic_pointer_cast<PWPathDecorator>(cls.create());
    if (decorator)
        decorator->m_image = image;
    return decorator;
}

void PWPathDecorator::setImage(const QImage& image)
{
    // Images compare by their pixels, so setting an equal one changes nothing.
    changeProperty(m_image, image, kImageKey);
}

void PWPathDecorator::setScale(double scale)
{
    if (std::isnan(scale))
        return PF_LOG("PWPathDecorator: scale NaN refused");
    changeProperty(m_scale, std::clamp(scale, kMinScale, kMaxScale), kScaleKey);
}

void PWPathDecorator::setInterval(double interval)
{
    if (std::isnan(interval))
        return PF_LOG("PWPathDecorator: interval NaN refused");
    changeProperty(m_interval, std::clamp(interval, kMinInterval, kMaxInterval), kIntervalKey);
}

void PWPathDecorator::setLeadInAndOutLengthProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWPathDecorator: lead-in proportion NaN refused");
    changeProperty(m_leadInOut, std::clamp(proportion, 0.0, 0.5), kLeadInAndOutLengthProportionKey);
}

void PWPathDecorator::setScaleRandomness(double randomness)
{
    if (std::isnan(randomness))
        return PF_LOG("PWPathDecorator: scale randomness NaN refused");
    changeProperty(m_scaleRandomness, std::clamp(randomness, 0.0, 1.0), kScaleRandomnessKey);
}

void PWPathDecorator::setLateralOffset(double offset)
{
    if (std::isnan(offset))
        return PF_LOG("PWPathDecorator: lateral offset NaN refused");
    changeProperty(m_lateralOffset, std::clamp(offset, -kMaxOffset, kMaxOffset), kLateralOffsetKey);
}

void PWPathDecorator::setLateralOffsetAlternates(bool alternates)
{
    changeProperty(m_offsetAlternates, alternates, kLateralOffsetAlternatesKey);
}

void PWPathDecorator::setNormalToPath(bool normal)
{
    changeProperty(m_normalToPath, normal, kNormalToPathKey);
}

void PWPathDecorator::setUsesChainMethod(bool chain)
{
    changeProperty(m_chain, chain, kUsesChainMethodKey);
}

void PWPathDecorator::setWobblyness(double wobblyness)
{
    if (std::isnan(wobblyness))
        return PF_LOG("PWPathDecorator: wobblyness NaN refused");
    changeProperty(m_wobblyness, std::clamp(wobblyness, 0.0, kMaxWobblyness), kWobblynessKey);
}

void PWPathDecorator::setClipping(int clipping)
{
    if (clipping < 0 || clipping > 2)
        return PF_LOG("PWPathDecorator: clipping %d refused", clipping);
    changeProperty(m_clipping, clipping, kClippingKey);
}

double PWPathDecorator::rampFunction(double t) const
{
    return std::clamp(t, 0.0, 1.0);
}

double PWPathDecorator::effectiveInterval() const
{
    if (m_chain && !m_image.isNull())
        return std::max(kMinInterval, m_image.width() * m_scale);
    return std::max(kMinInterval, m_interval);
}

double PWPathDecorator::motifReach() const
{
    if (m_image.isNull())
        return 0.0;
    return std::hypot(m_image.width(), m_image.height()) / 2.0 * m_scale * (1.0 + m_scaleRandomness);
}

QList<pw::renderers::MotifPlacement> PWPathDecorator::placementsForPath(const pf::BezierPath& path) const
{
    QList<pw::renderers::MotifPlacement> placements;
    if (path.isEmpty() || m_image.isNull())
        return placements;
    const double total = pw::length(path);
    if (total <= 0.0)
        return placements;
    const double interval = std::max(effectiveInterval(), total / kMaxCopies);
    return placementsForPath(path, interval);
}

QList<pw::renderers::MotifPlacement> PWPathDecorator::placementsForPath(const pf::BezierPath& path,
                                                                      double interval) const
{
    QList<pw::renderers::MotifPlacement> placements;
    // A marker whose copies give each placement's origin, direction and size.
    auto marker = pf::BezierPath::path();
    marker->moveTo(QPointF(0, 0));
    marker->lineTo(QPointF(1, 0));
    marker->lineTo(QPointF(0, 1));
    const quint64 seed = pw::renderers::seedForPath(path, 0);
    CopySizer sizer(*this, seed);
    const pf::Ref<pf::BezierPath> placed =
        pw::bezierPathWithPathAtInterval(path, *marker, interval, interval / 2.0, m_offsetAlternates, &sizer);

    quint64 wobble = seed ^ 0xA5A5A5A5A5A5A5A5ull;
    const QList<pf::BezierPath::Element>& elements = placed->elements();
    placements.reserve(elements.size() / 3);
    for (int i = 0; i + 2 < elements.size(); i += 3) {
        const QPointF origin = elements[i].points[0];
        const QPointF xAxis = elements[i + 1].points[0] - origin;
        const QPointF yAxis = elements[i + 2].points[0] - origin;
        const double factor = std::hypot(xAxis.x(), xAxis.y());
        if (!(factor > 0.0))
            continue;
        const QPointF along = xAxis / factor;
        const QPointF left(along.y(), -along.x());
        // Mirrored copies (the alternates) have their y axis on the path's other side.
        const double side = xAxis.x() * yAxis.y() - xAxis.y() * yAxis.x() >= 0.0 ? 1.0 : -1.0;
        double sideways = m_lateralOffset * side;
        if (m_wobblyness > 0.0)
            sideways += pw::renderers::signedRandom(wobble) * m_wobblyness;
        const double degrees = m_normalToPath ? std::atan2(along.y(), along.x()) * 180.0 / M_PI : 0.0;
        placements.append({origin + left * sideways, degrees, factor});
    }
    return placements;
}

void PWPathDecorator::drawPlacements(const pf::BezierPath& path, const QList<pw::renderers::MotifPlacement>& placements)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || placements.isEmpty())
        return;
    pf::GraphicsStateSaver saver(context);
    pw::renderers::clipToSide(*context, path, m_clipping, motifReach() + std::abs(m_lateralOffset) + m_wobblyness);
    pw::renderers::drawMotifs(context->painter(), m_image, placements);
}

void PWPathDecorator::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty() || m_image.isNull())
        return;
    // Drawn through renderPath as ever, which finds the placements under the object's key.
    const std::optional<quint64> outer = std::exchange(m_renderingKey, pw::renderers::geometryKey(object, *path));
    try {
        renderPath(*path);
    } catch (...) {
        m_renderingKey = outer;
        throw;
    }
    m_renderingKey = outer;
}

void PWPathDecorator::renderPath(const pf::BezierPath& path)
{
    if (!pf::GraphicsContext::current())
        return;
    if (!m_renderingKey) {
        drawPlacements(path, placementsForPath(path));
        return;
    }
    // Placing copies along a path is the costly part, and only the geometry changes it.
    std::optional<QList<pw::renderers::MotifPlacement>> placements = m_placementCache.find(*m_renderingKey);
    if (!placements) {
        placements = placementsForPath(path);
        m_placementCache.insert(*m_renderingKey, *placements, placements->size());
    }
    drawPlacements(path, *placements);
}

void PWPathDecorator::sendDidChange(const QString& keyPath)
{
    m_placementCache.clear();
    PWRasterizer::sendDidChange(keyPath);
}

QRectF PWPathDecorator::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty() || m_image.isNull())
        return QRectF();
    const QRectF line = path->bounds();
    const double reach = motifReach() + std::abs(m_lateralOffset) + m_wobblyness + 1.0;
    return line.adjusted(-reach, -reach, reach, reach);
}

QString PWPathDecorator::displayName() const
{
    return QStringLiteral("Path Decorator");
}

QStringList PWPathDecorator::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kImageKey << kIntervalKey << kScaleKey << kScaleRandomnessKey
                                              << kLateralOffsetKey << kLateralOffsetAlternatesKey << kNormalToPathKey
                                              << kLeadInAndOutLengthProportionKey << kUsesChainMethodKey
                                              << kWobblynessKey << kClippingKey;
}

void PWPathDecorator::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("#kind# Image"), kImageKey);
    setActionName(QStringLiteral("#kind# Scale"), kScaleKey);
    setActionName(QStringLiteral("#kind# Interval"), kIntervalKey);
    setActionName(QStringLiteral("#kind# Lead-In and Out"), kLeadInAndOutLengthProportionKey);
    setActionName(QStringLiteral("#kind# Scale Randomness"), kScaleRandomnessKey);
    setActionName(QStringLiteral("#kind# Lateral Offset"), kLateralOffsetKey);
    setActionName(QStringLiteral("#kind# Alternating Offset"), kLateralOffsetAlternatesKey);
    setActionName(QStringLiteral("#kind# Normal To Path"), kNormalToPathKey);
    setActionName(QStringLiteral("#kind# Chain"), kUsesChainMethodKey);
    setActionName(QStringLiteral("#kind# Wobble"), kWobblynessKey);
    setActionName(QStringLiteral("#kind# Clipping"), kClippingKey);
}

pf::Ref<pf::Object> PWPathDecorator::copy() const
{
    return std::make_shared<PWPathDecorator>(*this);
}

bool PWPathDecorator::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* d = static_cast<const PWPathDecorator*>(other);
    return d->m_image == m_image && d->m_scale == m_scale && d->m_interval == m_interval &&
           d->m_leadInOut == m_leadInOut && d->m_scaleRandomness == m_scaleRandomness &&
           d->m_lateralOffset == m_lateralOffset && d->m_offsetAlternates == m_offsetAlternates &&
           d->m_normalToPath == m_normalToPath && d->m_chain == m_chain && d->m_wobblyness == m_wobblyness &&
           d->m_clipping == m_clipping;
}

void PWPathDecorator::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeData(pw::renderers::imageToData(m_image), kImageArchiveKey);
    coder.encodeDouble(m_scale, kScaleArchiveKey);
    coder.encodeDouble(m_interval, kIntervalArchiveKey);
    coder.encodeDouble(m_leadInOut, kLeadArchiveKey);
    coder.encodeDouble(m_scaleRandomness, kRandomArchiveKey);
    coder.encodeDouble(m_lateralOffset, kOffsetArchiveKey);
    coder.encodeBool(m_offsetAlternates, kAlternatesArchiveKey);
    coder.encodeBool(m_normalToPath, kNormalArchiveKey);
    coder.encodeBool(m_chain, kChainArchiveKey);
    coder.encodeDouble(m_wobblyness, kWobbleArchiveKey);
    coder.encodeInt32(m_clipping, kClippingArchiveKey);
}

void PWPathDecorator::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRasterizer::initWithCoder(coder);
    m_image = pw::renderers::imageFromData(coder.decodeData(kImageArchiveKey));
    m_scale = coder.containsValueForKey(kScaleArchiveKey)
                  ? clampedValue(coder.decodeDouble(kScaleArchiveKey), kMinScale, kMaxScale, 1.0)
                  : 1.0;
    // A missing or zero interval is raised to the least one, never left to loop.
    m_interval = clampedValue(coder.decodeDouble(kIntervalArchiveKey), kMinInterval, kMaxInterval, 20.0);
    m_leadInOut = clampedValue(coder.decodeDouble(kLeadArchiveKey), 0.0, 0.5, 0.0);
    m_scaleRandomness = clampedValue(coder.decodeDouble(kRandomArchiveKey), 0.0, 1.0, 0.0);
    m_lateralOffset = clampedValue(coder.decodeDouble(kOffsetArchiveKey), -kMaxOffset, kMaxOffset, 0.0);
    m_offsetAlternates = coder.decodeBool(kAlternatesArchiveKey);
    m_normalToPath = coder.containsValueForKey(kNormalArchiveKey) ? coder.decodeBool(kNormalArchiveKey) : true;
    m_chain = coder.decodeBool(kChainArchiveKey);
    m_wobblyness = clampedValue(coder.decodeDouble(kWobbleArchiveKey), 0.0, kMaxWobblyness, 0.0);
    const int clipping = coder.decodeInt32(kClippingArchiveKey);
    m_clipping = clipping >= 0 && clipping <= 2 ? clipping : 0;
}
