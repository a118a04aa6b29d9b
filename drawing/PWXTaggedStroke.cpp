#include "drawing/PWXTaggedStroke.h"

#include "frameworks/penwork/geometry/BezierPath+Placement.h"
#include "frameworks/penwork/geometry/Geometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWXTaggedStroke, PWStroke)
{
    using T = PWXTaggedStroke;
    b.protocol(pf::kCodingProtocol);
    b.property(T::kTagLengthKey, &T::tagLength, &T::setTagLength);
    b.property(T::kTagAngleKey, &T::tagAngle, &T::setTagAngle);
    b.property(T::kTagWidthKey, &T::tagWidth, &T::setTagWidth);
    b.property(T::kTagSpacingKey, &T::tagSpacing, &T::setTagSpacing);
    b.property(T::kTagPhaseKey, &T::tagPhase, &T::setTagPhase);
    b.property(T::kTagTaperProportionKey, &T::tagTaperProportion, &T::setTagTaperProportion);
    b.property(T::kTagCapStyleKey, &T::tagCapStyle, &T::setTagCapStyle);
    b.property(T::kTagKindKey, &T::tagKind, &T::setTagKind);
    b.property(T::kTagTaperKindKey, &T::tagTaperKind, &T::setTagTaperKind);
    b.property(T::kTagsAlternateKey, &T::tagsAlternate, &T::setTagsAlternate);
    b.property(T::kMainStrokeEnabledKey, &T::mainStrokeEnabled, &T::setMainStrokeEnabled);
    b.property(T::kLeftTagTaperEnabledKey, &T::leftTagTaperEnabled, &T::setLeftTagTaperEnabled);
    b.property(T::kRightTagTaperEnabledKey, &T::rightTagTaperEnabled, &T::setRightTagTaperEnabled);
    b.method("synchroniseTagsWithDash", &T::synchroniseTagsWithDash);
    b.classMethod("defaultTaggedStroke", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(PWXTaggedStroke::defaultTaggedStroke());
    });
    // Documents of earlier versions name the class by its old name.
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), QStringLiteral("PWXTaggedStrokeRasterizer"));
}

namespace {

const QString kTagLengthArchiveKey = QStringLiteral("PWXTaggedStroke_tagLength");
const QString kTagWidthArchiveKey = QStringLiteral("PWXTaggedStroke_tagWidth");
const QString kTagAngleArchiveKey = QStringLiteral("PWXTaggedStroke_tagAngle");
const QString kTagSpacingArchiveKey = QStringLiteral("PWXTaggedStroke_tagSpacing");
const QString kTagPhaseArchiveKey = QStringLiteral("PWXTaggedStroke_tagPhase");
const QString kTagCapStyleArchiveKey = QStringLiteral("PWXTaggedStroke_tagCapStyle");
const QString kTagKindArchiveKey = QStringLiteral("PWXTaggedStroke_tagKind");
const QString kTagsAlternateArchiveKey = QStringLiteral("PWXTaggedStroke_tagsAlternate");
const QString kMainDisableArchiveKey = QStringLiteral("PWXTaggedStroke_mainDisable");
const QString kLeftTaperArchiveKey = QStringLiteral("PWXTaggedStroke_leftTaperEnabled");
const QString kRightTaperArchiveKey = QStringLiteral("PWXTaggedStroke_rightTaperEnabled");
const QString kTagTaperKindArchiveKey = QStringLiteral("PWXTaggedStroke_tagTaperKind");
const QString kTagTaperProportionArchiveKey = QStringLiteral("PWXTaggedStroke_tagTaperProportion");

// The height of an equilateral triangle is its side times sqrt(3) / 2, so half the side is
// the height over sqrt(3).
constexpr double kHalfSideOverHeight = 0.57735;

// Asks the renderer how large each tag is, for the placement along the path.
class TagTaper : public pw::TaperDelegate {
public:
    explicit TagTaper(const PWXTaggedStroke& stroke) : m_stroke(stroke) {}
    double taperFactorAtDistance(double distance, const pf::BezierPath& path, double totalLength) override
    {
        return m_stroke.taperFactorAtDistance(distance, path, totalLength);
    }

private:
    const PWXTaggedStroke& m_stroke;
};

bool validCap(int cap)
{
    return cap >= int(pf::BezierPath::LineCap::Butt) && cap <= int(pf::BezierPath::LineCap::Square);
}

// A value read from an archive, or `fallback` when it is not a finite number.
double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

PWXTaggedStroke::PWXTaggedStroke() : m_tagCapStyle(lineCapStyle()) {}

PWXTaggedStroke::PWXTaggedStroke(const PWXTaggedStroke& other)
    : PWStroke(other),
      m_tagLength(other.m_tagLength),
      m_tagAngle(other.m_tagAngle),
      m_tagWidth(other.m_tagWidth),
      m_tagSpacing(other.m_tagSpacing),
      m_tagPhase(other.m_tagPhase),
      m_tagTaperProportion(other.m_tagTaperProportion),
      m_tagCapStyle(other.m_tagCapStyle),
      m_tagKind(other.m_tagKind),
      m_tagTaperKind(other.m_tagTaperKind),
      m_tagsAlternate(other.m_tagsAlternate),
      m_disableMainStroke(other.m_disableMainStroke),
      m_enableLeftTaper(other.m_enableLeftTaper),
      m_enableRightTaper(other.m_enableRightTaper)
{
}

pf::Ref<PWXTaggedStroke> PWXTaggedStroke::defaultTaggedStroke()
{
    return std::make_shared<PWXTaggedStroke>();
}

void PWXTaggedStroke::setTagLength(double length)
{
    if (!std::isfinite(length))
        return PF_LOG("PWXTaggedStroke: tag length %f refused", length);
    changeProperty(m_tagLength, length, kTagLengthKey);
}

void PWXTaggedStroke::setTagAngle(double angle)
{
    if (!std::isfinite(angle))
        return PF_LOG("PWXTaggedStroke: tag angle %f refused", angle);
    changeProperty(m_tagAngle, angle, kTagAngleKey);
}

double PWXTaggedStroke::tagWidth() const
{
    return std::max(m_tagWidth, kMinTagWidth);
}

void PWXTaggedStroke::setTagWidth(double width)
{
    if (!std::isfinite(width))
        return PF_LOG("PWXTaggedStroke: tag width %f refused", width);
    changeProperty(m_tagWidth, width, kTagWidthKey);
}

double PWXTaggedStroke::tagSpacing() const
{
    return std::max(m_tagSpacing, kMinTagSpacing);
}

void PWXTaggedStroke::setTagSpacing(double spacing)
{
    if (!std::isfinite(spacing))
        return PF_LOG("PWXTaggedStroke: tag spacing %f refused", spacing);
    changeProperty(m_tagSpacing, spacing, kTagSpacingKey);
}

void PWXTaggedStroke::setTagPhase(double phase)
{
    if (std::isnan(phase))
        return PF_LOG("PWXTaggedStroke: tag phase NaN refused");
    changeProperty(m_tagPhase, std::clamp(phase, 0.0, 1.0), kTagPhaseKey);
}

void PWXTaggedStroke::setTagTaperProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWXTaggedStroke: tag taper proportion NaN refused");
    changeProperty(m_tagTaperProportion, std::clamp(proportion, 0.0, 0.5), kTagTaperProportionKey);
}

void PWXTaggedStroke::setTagCapStyle(pf::BezierPath::LineCap cap)
{
    if (!validCap(int(cap)))
        return PF_LOG("PWXTaggedStroke: tag cap style %d refused", int(cap));
    changeProperty(m_tagCapStyle, cap, kTagCapStyleKey);
}

void PWXTaggedStroke::setTagKind(int kind)
{
    changeProperty(m_tagKind, kind, kTagKindKey);
}

void PWXTaggedStroke::setTagTaperKind(int kind)
{
    changeProperty(m_tagTaperKind, kind, kTagTaperKindKey);
}

void PWXTaggedStroke::setTagsAlternate(bool alternate)
{
    changeProperty(m_tagsAlternate, alternate, kTagsAlternateKey);
}

void PWXTaggedStroke::setMainStrokeEnabled(bool enabled)
{
    changeProperty(m_disableMainStroke, !enabled, kMainStrokeEnabledKey);
}

void PWXTaggedStroke::setLeftTagTaperEnabled(bool enabled)
{
    changeProperty(m_enableLeftTaper, enabled, kLeftTagTaperEnabledKey);
}

void PWXTaggedStroke::setRightTagTaperEnabled(bool enabled)
{
    changeProperty(m_enableRightTaper, enabled, kRightTagTaperEnabledKey);
}

bool PWXTaggedStroke::isStrokedTagKind(int kind)
{
    switch (kind) {
    case 0:
    case 5:
    case 6:
    case 7:
    case 10:
    case 12:
        return true;
    default:
        return false;
    }
}

pwx::TaperFunction PWXTaggedStroke::tagTaperFunction() const
{
    return pwx::tagTaperFunctionForKind(m_tagTaperKind);
}

void PWXTaggedStroke::synchroniseTagsWithDash()
{
    const pf::Ref<PWStrokeDash> stroke = dash();
    if (!stroke)
        return;
    const double scale = stroke->scalesToLineWidth() ? width() : 1.0;
    const double length = stroke->length() * scale;
    if (!(length > 0.0) || !std::isfinite(length))
        return;
    setTagSpacing(length);
    setTagPhase((stroke->phase() + 0.5 * stroke->lengthAtIndex(0)) * scale / length);
}

pf::Ref<pf::BezierPath> PWXTaggedStroke::tagElementPath() const
{
    std::lock_guard lock(m_elementMutex);
    if (m_cachedElement)
        return m_cachedElement;

    const double L = m_tagLength;
    const double W = tagWidth();
    const double S = tagSpacing();
    const double A = m_tagAngle;
    const double a = A - M_PI / 2.0;
    const QPointF T(L * std::cos(a), L * std::sin(a));
    const QPointF origin(0.0, 0.0);

    auto path = pf::BezierPath::path();
    auto bars = [&](double apart) {
        path->moveTo(QPointF(-apart, 0.0));
        path->lineTo(T - QPointF(apart, 0.0));
        path->moveTo(QPointF(apart, 0.0));
        path->lineTo(T + QPointF(apart, 0.0));
    };
    switch (m_tagKind) {
    case 1: // a spike on a base of width W
        path->moveTo(origin);
        path->lineTo(QPointF(-W / 2.0, 0.0));
        path->lineTo(T);
        path->lineTo(QPointF(W / 2.0, 0.0));
        path->closePath();
        break;
    case 2: // an equilateral triangle of height L
        path->moveTo(origin);
        path->lineTo(QPointF(-kHalfSideOverHeight * L, 0.0));
        path->lineTo(QPointF(6.123233995736766e-17 * L, L));
        path->lineTo(QPointF(kHalfSideOverHeight * L, 0.0));
        path->closePath();
        path->transform(pw::RotationTransform(A + M_PI, origin));
        break;
    case 3: { // a half disc
        const double degrees = A * 180.0 / M_PI;
        path->moveTo(origin);
        path->appendArc(origin, kHalfSideOverHeight * L, degrees + 180.0, degrees, false);
        path->closePath();
        break;
    }
    case 4: // a square standing on the tag point
        path->appendRect(QRectF(-L / 2.0, -L, L, L));
        path->transform(pw::RotationTransform(A, QPointF(0.0, -L / 2.0)));
        break;
    case 5: { // two short ticks at distance L
        const double q = S / 4.0;
        path->moveTo(QPointF(-S / 2.0, -L));
        path->lineTo(QPointF(-S / 2.0 + q * std::cos(A), -L + q * std::sin(A)));
        path->moveTo(QPointF(q, -L));
        path->lineTo(QPointF(q - q * std::cos(A), -L + q * std::sin(A)));
        break;
    }
    case 6: // two parallel bars
        bars(W);
        break;
    case 7: // three parallel bars
        path->moveTo(origin);
        path->lineTo(T);
        bars(2.0 * W);
        break;
    case 8: // two spikes
        path->moveTo(QPointF(-W, 0.0));
        path->lineTo(QPointF(-1.5 * W, 0.0));
        path->lineTo(T - QPointF(W, 0.0));
        path->lineTo(QPointF(-W / 2.0, 0.0));
        path->moveTo(QPointF(W, 0.0));
        path->lineTo(QPointF(W / 2.0, 0.0));
        path->lineTo(T + QPointF(W, 0.0));
        path->lineTo(QPointF(1.5 * W, 0.0));
        break;
    case 9:
    case 10: // a circle touching the tag point
        path->appendOval(QRectF(-L / 2.0, -L, L, L));
        path->transform(pw::RotationTransform(A, origin));
        break;
    case 11:
    case 12: // a chevron
        path->moveTo(QPointF(-W / 2.0, -L));
        path->lineTo(origin);
        path->lineTo(QPointF(W / 2.0, -L));
        path->transform(pw::RotationTransform(A, origin));
        break;
    default: // kind 0 and unknown kinds: a line from the tag point
        path->moveTo(origin);
        path->lineTo(T);
        break;
    }
    m_cachedElement = path;
    return path;
}

double PWXTaggedStroke::taperFactorAtDistance(double distance, const pf::BezierPath&, double length) const
{
    if (!m_enableLeftTaper && !m_enableRightTaper)
        return 1.0;
    const double t = m_tagTaperProportion * length;
    const pwx::TaperFunction f = tagTaperFunction();
    if (t > distance && m_enableLeftTaper)
        return f(distance / t);
    if (distance > length - t && m_enableRightTaper)
        return f((length - distance) / t);
    return 1.0;
}

pf::Ref<pf::BezierPath> PWXTaggedStroke::calculateTagsPathForPath(const pf::BezierPath& path) const
{
    const double spacing = tagSpacing();
    TagTaper taper(*this);
    pf::Ref<pf::BezierPath> tags = pw::bezierPathWithPathAtInterval(path, *tagElementPath(), spacing,
                                                                    m_tagPhase * spacing, m_tagsAlternate, &taper);
    tags->setLineWidth(m_tagKind == 12 ? width() : tagWidth());
    tags->setLineCapStyle(m_tagCapStyle);
    tags->setLineJoinStyle(lineJoinStyle());
    tags->setLineDash({}, 0.0);
    return tags;
}

void PWXTaggedStroke::invalidateTaggedPathCache()
{
    {
        std::lock_guard lock(m_elementMutex);
        m_cachedElement.reset();
    }
    m_built.clear();
}

QRectF PWXTaggedStroke::tagsBounds(const pf::BezierPath& tags) const
{
    if (tags.isEmpty())
        return QRectF();
    if (!isStrokedTagKind(m_tagKind))
        return tags.bounds();
    // Stroked tags reach beyond their lines by half the line width, and further at square caps
    // and miters: the stroker knows exactly how far.
    QPainterPathStroker stroker(tags.pen(QBrush(Qt::black)));
    const QRectF area = stroker.createStroke(tags.toQPainterPath()).boundingRect();
    return area.isNull() ? tags.bounds() : area;
}

PWXTaggedStroke::Built PWXTaggedStroke::builtFor(const PWRenderable& object) const
{
    pf::Ref<pf::BezierPath> base = PWStroke::pathForObject(object);
    if (!base)
        base = pf::BezierPath::path();
    return m_built.valueFor(object, *base, 0, [&] {
        Built built;
        built.base = base;
        built.tags = calculateTagsPathForPath(*base);
        built.tagBounds = tagsBounds(*built.tags);
        return built;
    });
}

pf::Ref<pf::BezierPath> PWXTaggedStroke::pathForObject(const PWRenderable& object) const
{
    return builtFor(object).tags;
}

void PWXTaggedStroke::drawTags(const pf::BezierPath& tags, const pf::BezierPath* base)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    // A clear stroke draws nothing, as the plain stroke does.
    if (!colour().isValid() || colour().alphaComponent() <= 0.0)
        return;
    pf::GraphicsStateSaver saver(context);
    context->setColour(colour());
    pw::renderers::setShadow(*context, shadow().get());
    if (!tags.isEmpty()) {
        if (isStrokedTagKind(m_tagKind))
            context->strokePath(tags);
        else
            context->fillPath(tags);
    }
    if (base && mainStrokeEnabled() && !base->isEmpty()) {
        pf::BezierPath line(*base);
        applyAttributesToPath(line);
        context->strokePath(line);
    }
}

void PWXTaggedStroke::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const Built built = builtFor(object);
    drawTags(*built.tags, built.base.get());
}

void PWXTaggedStroke::renderPath(const pf::BezierPath& path)
{
    drawTags(path, nullptr);
}

QRectF PWXTaggedStroke::boundsNeededForObject(const PWRenderable& object) const
{
    const Built built = builtFor(object);
    QRectF bounds = built.tagBounds;
    if (enabled() && !bounds.isNull()) {
        const double margin = 0.5 * std::max(tagWidth(), width());
        bounds.adjust(-margin, -margin, margin, margin);
    }
    if (!built.base->isEmpty())
        bounds = bounds.isNull() ? strokeBoundsForPath(*built.base) : bounds.united(strokeBoundsForPath(*built.base));
    return pw::renderers::boundsWithShadow(bounds, shadow().get());
}

QString PWXTaggedStroke::displayName() const
{
    return QStringLiteral("Tagged Stroke");
}

QStringList PWXTaggedStroke::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kTagLengthKey << kTagWidthKey << kTagSpacingKey << kTagAngleKey
                                          << kTagCapStyleKey << kTagPhaseKey << kTagKindKey << kTagsAlternateKey
                                          << kMainStrokeEnabledKey << kTagTaperProportionKey << kTagTaperKindKey
                                          << kLeftTagTaperEnabledKey << kRightTagTaperEnabledKey;
}

void PWXTaggedStroke::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Tag Length"), kTagLengthKey);
    setActionName(QStringLiteral("#kind# Tag Width"), kTagWidthKey);
    setActionName(QStringLiteral("#kind# Tag Spacing"), kTagSpacingKey);
    setActionName(QStringLiteral("#kind# Tag Angle"), kTagAngleKey);
    setActionName(QStringLiteral("#kind# Tag Kind"), kTagKindKey);
    setActionName(QStringLiteral("#kind# Tag Phase"), kTagPhaseKey);
    setActionName(QStringLiteral("#kind# Alternate Tags"), kTagsAlternateKey);
    setActionName(QStringLiteral("#kind# Enable Main Stroke"), kMainStrokeEnabledKey);
    setActionName(QStringLiteral("#kind# Tag Taper Length"), kTagTaperProportionKey);
    setActionName(QStringLiteral("#kind# Tag Taper Kind"), kTagTaperKindKey);
    setActionName(QStringLiteral("#kind# Enable Left Taper"), kLeftTagTaperEnabledKey);
    setActionName(QStringLiteral("#kind# Enable Right Taper"), kRightTagTaperEnabledKey);
}

void PWXTaggedStroke::sendDidChange(const QString& keyPath)
{
    // Any property, the stroke's own included (width, joins), may change the tags.
    invalidateTaggedPathCache();
    PWStroke::sendDidChange(keyPath);
}

pf::Ref<pf::Object> PWXTaggedStroke::copy() const
{
    return std::make_shared<PWXTaggedStroke>(*this);
}

bool PWXTaggedStroke::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* o = static_cast<const PWXTaggedStroke*>(other);
    return o->m_tagLength == m_tagLength && o->m_tagAngle == m_tagAngle && o->m_tagWidth == m_tagWidth &&
           o->m_tagSpacing == m_tagSpacing && o->m_tagPhase == m_tagPhase &&
           o->m_tagTaperProportion == m_tagTaperProportion && o->m_tagCapStyle == m_tagCapStyle &&
           o->m_tagKind == m_tagKind && o->m_tagTaperKind == m_tagTaperKind &&
           o->m_tagsAlternate == m_tagsAlternate && o->m_disableMainStroke == m_disableMainStroke &&
           o->m_enableLeftTaper == m_enableLeftTaper && o->m_enableRightTaper == m_enableRightTaper;
}

void PWXTaggedStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeFloat(float(tagLength()), kTagLengthArchiveKey);
    coder.encodeFloat(float(tagWidth()), kTagWidthArchiveKey);
    coder.encodeFloat(float(tagAngle()), kTagAngleArchiveKey);
    coder.encodeFloat(float(tagSpacing()), kTagSpacingArchiveKey);
    coder.encodeFloat(float(tagPhase()), kTagPhaseArchiveKey);
    coder.encodeInt64(qint64(tagCapStyle()), kTagCapStyleArchiveKey);
    coder.encodeInt32(tagKind(), kTagKindArchiveKey);
    coder.encodeBool(tagsAlternate(), kTagsAlternateArchiveKey);
    coder.encodeBool(m_disableMainStroke, kMainDisableArchiveKey);
    coder.encodeBool(leftTagTaperEnabled(), kLeftTaperArchiveKey);
    coder.encodeBool(rightTagTaperEnabled(), kRightTaperArchiveKey);
    coder.encodeInt32(tagTaperKind(), kTagTaperKindArchiveKey);
    coder.encodeFloat(float(tagTaperProportion()), kTagTaperProportionArchiveKey);
}

void PWXTaggedStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWStroke::initWithCoder(coder);
    // Values are taken as archived; only what no drawing could use (not a number, an unknown
    // cap) falls back to the default.
    m_tagLength = finiteOr(coder.decodeFloat(kTagLengthArchiveKey), 5.0);
    m_tagWidth = finiteOr(coder.decodeFloat(kTagWidthArchiveKey), 1.0);
    m_tagAngle = finiteOr(coder.decodeFloat(kTagAngleArchiveKey), 0.0);
    m_tagSpacing = finiteOr(coder.decodeFloat(kTagSpacingArchiveKey), 10.0);
    m_tagPhase = finiteOr(coder.decodeFloat(kTagPhaseArchiveKey), 0.0);
    const int cap = coder.decodeInt32(kTagCapStyleArchiveKey);
    m_tagCapStyle = validCap(cap) ? pf::BezierPath::LineCap(cap) : pf::BezierPath::LineCap::Butt;
    m_tagKind = coder.decodeInt32(kTagKindArchiveKey);
    m_tagsAlternate = coder.decodeBool(kTagsAlternateArchiveKey);
    m_disableMainStroke = coder.decodeBool(kMainDisableArchiveKey);
    m_enableLeftTaper = coder.decodeBool(kLeftTaperArchiveKey);
    m_enableRightTaper = coder.decodeBool(kRightTaperArchiveKey);
    m_tagTaperKind = coder.decodeInt32(kTagTaperKindArchiveKey);
    m_tagTaperProportion = finiteOr(coder.decodeFloat(kTagTaperProportionArchiveKey), 0.5);
    invalidateTaggedPathCache();
}
