#include "frameworks/penwork/renderers/PWFillPattern.h"

#include "frameworks/penwork/renderers/PWRendererGeometry.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

const QString kAngleArchiveKey = QStringLiteral("pw_fillPattern_angleInDegrees");
const QString kMotifAngleArchiveKey = QStringLiteral("pw_fillPattern_motifAngleInDegrees");
const QString kMotifRandomArchiveKey = QStringLiteral("pw_fillPattern_motifAngleRandomness");
const QString kRelativeArchiveKey = QStringLiteral("pw_fillPattern_angleIsRelativeToObject");
const QString kSuppressArchiveKey = QStringLiteral("pw_fillPattern_drawingOfClippedElementsSupressed");
const QString kAlternateArchiveKey = QStringLiteral("pw_fillPattern_patternAlternateYOffset");
const QString kAutoTileArchiveKey = QStringLiteral("pw_fillPattern_autoTile");


double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

PF_DEFINE_CLASS(PWFillPattern, PWPathDecorator)
{
    using pw::renderers::validateNumber;
    b.protocol(pf::kCodingProtocol);
    b.property(PWFillPattern::kAngleInDegreesKey, &PWFillPattern::angleInDegrees, &PWFillPattern::setAngleInDegrees);
    b.validator(PWFillPattern::kAngleInDegreesKey, [](PWFillPattern&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The angle"), error);
    });
    b.property(PWFillPattern::kMotifAngleInDegreesKey, &PWFillPattern::motifAngleInDegrees,
               &PWFillPattern::setMotifAngleInDegrees);
    b.validator(PWFillPattern::kMotifAngleInDegreesKey, [](PWFillPattern&, QVariant* value, pf::Error* error) {
        return validateNumber(value, -1e9, 1e9, QStringLiteral("The motif angle"), error);
    });
    b.property(PWFillPattern::kMotifAngleRandomnessKey, &PWFillPattern::motifAngleRandomness,
               &PWFillPattern::setMotifAngleRandomness);
    b.validator(PWFillPattern::kMotifAngleRandomnessKey, [](PWFillPattern&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The motif angle randomness"), error);
    });
    b.property(PWFillPattern::kAngleIsRelativeToObjectKey, &PWFillPattern::angleIsRelativeToObject,
               &PWFillPattern::setAngleIsRelativeToObject);
    b.property(PWFillPattern::kDrawingOfClippedElementsSupressedKey, &PWFillPattern::drawingOfClippedElementsSupressed,
               &PWFillPattern::setDrawingOfClippedElementsSupressed);
    b.property(PWFillPattern::kPatternAlternateYOffsetKey, &PWFillPattern::patternAlternateYOffset,
               &PWFillPattern::setPatternAlternateYOffset);
    b.validator(PWFillPattern::kPatternAlternateYOffsetKey, [](PWFillPattern&, QVariant* value, pf::Error* error) {
        return validateNumber(value, 0.0, 1.0, QStringLiteral("The alternate offset"), error);
    });
    b.property(PWFillPattern::kAutoTileKey, &PWFillPattern::autoTile, &PWFillPattern::setAutoTile);
}

PWFillPattern::PWFillPattern() = default;

PWFillPattern::PWFillPattern(const QImage& image) : PWPathDecorator(image) {}

void PWFillPattern::setAngleInDegrees(double degrees)
{
    if (!std::isfinite(degrees))
        return PF_LOG("PWFillPattern: angle %f refused", degrees);
    changeProperty(m_angle, degrees, kAngleInDegreesKey);
}

void PWFillPattern::setMotifAngleInDegrees(double degrees)
{
    if (!std::isfinite(degrees))
        return PF_LOG("PWFillPattern: motif angle %f refused", degrees);
    changeProperty(m_motifAngle, degrees, kMotifAngleInDegreesKey);
}

void PWFillPattern::setMotifAngleRandomness(double randomness)
{
    if (std::isnan(randomness))
        return PF_LOG("PWFillPattern: motif angle randomness NaN refused");
    changeProperty(m_motifAngleRandomness, std::clamp(randomness, 0.0, 1.0), kMotifAngleRandomnessKey);
}

void PWFillPattern::setAngleIsRelativeToObject(bool relative)
{
    changeProperty(m_angleIsRelative, relative, kAngleIsRelativeToObjectKey);
}

void PWFillPattern::setDrawingOfClippedElementsSupressed(bool suppressed)
{
    changeProperty(m_suppressClipped, suppressed, kDrawingOfClippedElementsSupressedKey);
}

void PWFillPattern::setPatternAlternateYOffset(double offset)
{
    if (std::isnan(offset))
        return PF_LOG("PWFillPattern: alternate offset NaN refused");
    changeProperty(m_alternateOffset, std::clamp(offset, 0.0, 1.0), kPatternAlternateYOffsetKey);
}

void PWFillPattern::setAutoTile(bool autoTile)
{
    changeProperty(m_autoTile, autoTile, kAutoTileKey);
}

QList<QPointF> PWFillPattern::gridPlacesForPath(const pf::BezierPath& path, double extraDegrees) const
{
    QList<QPointF> places;
    const QImage motif = image();
    if (path.isEmpty() || motif.isNull())
        return places;
    double stepX = std::max(kMinInterval, interval());
    double stepY = stepX;
    if (m_autoTile) {
        stepX = std::max(kMinInterval, motif.width() * scale());
        stepY = std::max(kMinInterval, motif.height() * scale());
    }
    // The grid is laid out in its own frame over the path's area there, a copy's reach beyond.
    const pw::renderers::TurnedFrame frame = pw::renderers::turnedFrameForPath(path, m_angle + extraDegrees);
    const QTransform& turn = frame.turn;
    const double reach = motifReach() + wobblyness();
    const QRectF area = frame.area.adjusted(-reach, -reach - stepY, reach, reach);
    double columns = std::floor(area.width() / stepX) + 1.0;
    double rows = std::floor(area.height() / stepY) + 1.0;
    if (columns * rows > kMaxMotifs) {
        const double widen = std::sqrt(columns * rows / kMaxMotifs);
        stepX *= widen;
        stepY *= widen;
        columns = std::floor(area.width() / stepX) + 1.0;
        rows = std::floor(area.height() / stepY) + 1.0;
    }
    places.reserve(int(std::min(columns * rows, double(kMaxMotifs))));
    for (int column = 0; column < int(columns); ++column) {
        const double shift = column % 2 ? m_alternateOffset * stepY : 0.0;
        for (int row = 0; row < int(rows) && places.size() < kMaxMotifs; ++row)
            places.append(turn.map(QPointF(area.left() + column * stepX, area.top() + row * stepY + shift)));
    }
    return places;
}

void PWFillPattern::renderPattern(const pf::BezierPath& path, double extraDegrees)
{
    using pw::renderers::signedRandom;
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    const QImage motif = image();
    if (!context || path.isEmpty() || motif.isNull())
        return;
    const QList<QPointF> places = gridPlacesForPath(path, extraDegrees);
    QList<pw::renderers::MotifPlacement> placements;
    placements.reserve(places.size());
    quint64 state = pw::renderers::seedForPath(path, 0);
    for (const QPointF& place : places) {
        // Three draws per copy whatever is used, so one setting does not reshuffle the others.
        const double size = scale() * (1.0 + scaleRandomness() * signedRandom(state));
        const double turn = m_motifAngle + extraDegrees + m_motifAngleRandomness * 180.0 * signedRandom(state);
        const double strayAngle = signedRandom(state) * M_PI;
        placements.append({place + QPointF(std::cos(strayAngle), std::sin(strayAngle)) * wobblyness(), turn, size});
    }
    const QPainterPath area = path.toQPainterPath();
    pf::GraphicsStateSaver saver(context);
    context->addClip(path);
    pw::renderers::drawMotifs(context->painter(), motif, placements, m_suppressClipped ? &area : nullptr);
}

void PWFillPattern::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (path)
        renderPattern(*path, m_angleIsRelative ? object.angle() * 180.0 / M_PI : 0.0);
}

void PWFillPattern::renderPath(const pf::BezierPath& path)
{
    renderPattern(path, 0.0);
}

QRectF PWFillPattern::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    return path && !path->isEmpty() && !image().isNull() ? path->bounds() : QRectF();
}

QString PWFillPattern::displayName() const
{
    return QStringLiteral("Pattern Fill");
}

QStringList PWFillPattern::observableKeyPaths() const
{
    return PWPathDecorator::observableKeyPaths() << kAngleInDegreesKey << kMotifAngleInDegreesKey
                                                 << kMotifAngleRandomnessKey << kAngleIsRelativeToObjectKey
                                                 << kDrawingOfClippedElementsSupressedKey
                                                 << kPatternAlternateYOffsetKey << kAutoTileKey;
}

void PWFillPattern::registerActionNames() const
{
    PWPathDecorator::registerActionNames();
    setActionName(QStringLiteral("#kind# Angle"), kAngleInDegreesKey);
    setActionName(QStringLiteral("#kind# Motif Angle"), kMotifAngleInDegreesKey);
    setActionName(QStringLiteral("#kind# Motif Angle Randomness"), kMotifAngleRandomnessKey);
    setActionName(QStringLiteral("#kind# Relative Angle"), kAngleIsRelativeToObjectKey);
    setActionName(QStringLiteral("#kind# Clipped Elements"), kDrawingOfClippedElementsSupressedKey);
    setActionName(QStringLiteral("#kind# Alternate Offset"), kPatternAlternateYOffsetKey);
    setActionName(QStringLiteral("#kind# Auto Tile"), kAutoTileKey);
}

pf::Ref<pf::Object> PWFillPattern::copy() const
{
    return std::make_shared<PWFillPattern>(*this);
}

bool PWFillPattern::isEqual(const pf::Reflective* other) const
{
    if (!PWPathDecorator::isEqual(other))
        return false;
    const auto* p = static_cast<const PWFillPattern*>(other);
    return p->m_angle == m_angle && p->m_motifAngle == m_motifAngle &&
           p->m_motifAngleRandomness == m_motifAngleRandomness && p->m_angleIsRelative == m_angleIsRelative &&
           p->m_suppressClipped == m_suppressClipped && p->m_alternateOffset == m_alternateOffset &&
           p->m_autoTile == m_autoTile;
}

void PWFillPattern::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWPathDecorator::encodeWithCoder(coder);
    coder.encodeDouble(m_angle, kAngleArchiveKey);
    coder.encodeDouble(m_motifAngle, kMotifAngleArchiveKey);
    coder.encodeDouble(m_motifAngleRandomness, kMotifRandomArchiveKey);
    coder.encodeBool(m_angleIsRelative, kRelativeArchiveKey);
    coder.encodeBool(m_suppressClipped, kSuppressArchiveKey);
    coder.encodeDouble(m_alternateOffset, kAlternateArchiveKey);
    coder.encodeBool(m_autoTile, kAutoTileArchiveKey);
}

void PWFillPattern::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWPathDecorator::initWithCoder(coder);
    m_angle = finiteOr(coder.decodeDouble(kAngleArchiveKey), 0.0);
    m_motifAngle = finiteOr(coder.decodeDouble(kMotifAngleArchiveKey), 0.0);
    m_motifAngleRandomness = clampedValue(coder.decodeDouble(kMotifRandomArchiveKey), 0.0, 1.0, 0.0);
    m_angleIsRelative = coder.decodeBool(kRelativeArchiveKey);
    m_suppressClipped = coder.decodeBool(kSuppressArchiveKey);
    m_alternateOffset = clampedValue(coder.decodeDouble(kAlternateArchiveKey), 0.0, 1.0, 0.0);
    m_autoTile = coder.decodeBool(kAutoTileArchiveKey);
}
