#include "drawing/PWXTaperedStroke.h"

#include "drawing/BezierPath+Shims.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS(PWXTaperedStroke, PWStroke)
{
    using T = PWXTaperedStroke;
    b.protocol(pf::kCodingProtocol);
    b.property(T::kTaperKindKey, &T::taperKind, &T::setTaperKind);
    b.property(T::kTaperProportionKey, &T::taperProportion, &T::setTaperProportion);
    b.property(T::kLeftTaperEnabledKey, &T::leftTaperEnabled, &T::setLeftTaperEnabled);
    b.property(T::kRightTaperEnabledKey, &T::rightTaperEnabled, &T::setRightTaperEnabled);
    b.property(T::kLeftTaperProportionKey, &T::leftTaperProportion, &T::setLeftTaperProportion);
    b.property(T::kRightTaperProportionKey, &T::rightTaperProportion, &T::setRightTaperProportion);
    // The common proportion reads the left one.
    b.keyPathsAffecting(T::kTaperProportionKey, {T::kLeftTaperProportionKey});
    b.classMethod("defaultTaperedStroke", [](const pf::Class&, const QVariantList&) {
        return pf::toVariant(PWXTaperedStroke::defaultTaperedStroke());
    });
    // Documents of earlier versions name the class by its old name.
    pf::KeyedUnarchiver::setClassForClassName(&b.cls(), QStringLiteral("PWXTaperedStrokeRasterizer"));
}

namespace {

const QString kTaperKindArchiveKey = QStringLiteral("PWXTaperedStroke_taperKind");
const QString kHasBothArchiveKey = QStringLiteral("PWXTaperedStroke_hasLeftAndRightProportions");
const QString kTaperProportionArchiveKey = QStringLiteral("PWXTaperedStroke_taperProportion");
const QString kLeftProportionArchiveKey = QStringLiteral("PWXTaperedStroke_leftTaperProportion");
const QString kRightProportionArchiveKey = QStringLiteral("PWXTaperedStroke_rightTaperProportion");
const QString kDisableLeftArchiveKey = QStringLiteral("PWXTaperedStroke_disableLeftTaper");
const QString kDisableRightArchiveKey = QStringLiteral("PWXTaperedStroke_disableRightTaper");

// Twice the signed area the path's on-curve and control points enclose; its sign tells which
// way the outline runs round.
double signedArea(const pf::BezierPath& path)
{
    double sum = 0.0;
    QPointF start;
    QPointF previous;
    auto edge = [&](const QPointF& to) {
        sum += previous.x() * to.y() - to.x() * previous.y();
        previous = to;
    };
    for (const pf::BezierPath::Element& element : path.elements()) {
        switch (element.type) {
        case pf::BezierPath::ElementType::MoveTo:
            edge(start); // close the previous sub-path
            start = previous = element.points[0];
            break;
        case pf::BezierPath::ElementType::LineTo:
            edge(element.points[0]);
            break;
        case pf::BezierPath::ElementType::CurveTo:
            for (const QPointF& p : element.points)
                edge(p);
            break;
        case pf::BezierPath::ElementType::ClosePath:
            break;
        }
    }
    edge(start);
    return sum;
}

// `outline` turned, when need be, to run round the same way as an area of sign `reference`:
// the pieces of one stroke are filled together by the non-zero rule, so where they overlap
// they must add up rather than cancel.
pf::Ref<pf::BezierPath> orientedLike(const pf::Ref<pf::BezierPath>& outline, double reference)
{
    if (reference == 0.0)
        return outline;
    const double area = signedArea(*outline);
    return (area > 0.0) != (reference > 0.0) && area != 0.0 ? outline->reversed() : outline;
}

// The taper piece prepared as its outline wants it: flattened and cut into short, equal lines.
pf::Ref<pf::BezierPath> fragmented(const pf::BezierPath& piece)
{
    pf::Ref<pf::BezierPath> copy = std::static_pointer_cast<pf::BezierPath>(piece.copy());
    copy->setFlatness(PWXTaperedStroke::kTaperFlatness);
    return pw::bezierPathWithFragmentedLineSegments(*copy, PWXTaperedStroke::kFragmentLength)
        ->flattened(PWXTaperedStroke::kTaperFlatness);
}

// Rounding in 1 - x must not make the two setters correct each other back and forth.
constexpr double kSumTolerance = 1e-12;

double clampedEnd(double proportion)
{
    return std::clamp(proportion, 0.0, PWXTaperedStroke::kMaxEndProportion);
}

} // namespace

pf::Ref<pf::BezierPath> PWXTaperedStroke::lineWithAttributes(const pf::BezierPath& path) const
{
    pf::Ref<pf::BezierPath> line = std::static_pointer_cast<pf::BezierPath>(path.copy());
    line->setLineCapStyle(lineCapStyle());
    line->setLineJoinStyle(lineJoinStyle());
    return line;
}

pf::Ref<PWXTaperedStroke> PWXTaperedStroke::defaultTaperedStroke()
{
    return std::make_shared<PWXTaperedStroke>();
}

void PWXTaperedStroke::setTaperProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWXTaperedStroke: taper proportion NaN refused");
    const double clamped = std::clamp(proportion, 0.0, 0.5);
    setLeftTaperProportion(clamped);
    setRightTaperProportion(clamped);
}

void PWXTaperedStroke::setLeftTaperProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWXTaperedStroke: left taper proportion NaN refused");
    if (proportion == m_leftTaperProportion || !notifyWillChange(kLeftTaperProportionKey))
        return;
    m_leftTaperProportion = clampedEnd(proportion);
    // The two tapers never overlap.
    if (m_leftTaperProportion + m_rightTaperProportion > 1.0 + kSumTolerance)
        setRightTaperProportion(1.0 - m_leftTaperProportion);
    notifyDidChange(kLeftTaperProportionKey);
}

void PWXTaperedStroke::setRightTaperProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWXTaperedStroke: right taper proportion NaN refused");
    if (proportion == m_rightTaperProportion || !notifyWillChange(kRightTaperProportionKey))
        return;
    m_rightTaperProportion = clampedEnd(proportion);
    if (m_leftTaperProportion + m_rightTaperProportion > 1.0 + kSumTolerance)
        setLeftTaperProportion(1.0 - m_rightTaperProportion);
    notifyDidChange(kRightTaperProportionKey);
}

void PWXTaperedStroke::setTaperKind(int kind)
{
    changeProperty(m_taperKind, kind, kTaperKindKey);
}

void PWXTaperedStroke::setLeftTaperEnabled(bool enabled)
{
    changeProperty(m_leftTaperEnabled, enabled, kLeftTaperEnabledKey);
}

void PWXTaperedStroke::setRightTaperEnabled(bool enabled)
{
    changeProperty(m_rightTaperEnabled, enabled, kRightTaperEnabledKey);
}

pwx::TaperFunction PWXTaperedStroke::leftTaperFunction() const
{
    return pwx::leftTaperFunctionForKind(m_taperKind);
}

pwx::TaperFunction PWXTaperedStroke::rightTaperFunction() const
{
    return pwx::rightTaperFunctionForKind(m_taperKind);
}

pf::Ref<pf::BezierPath> PWXTaperedStroke::taperPathForPath(const pf::BezierPath& path) const
{
    const double total = pw::length(path);
    const double l = m_leftTaperProportion * total;
    const double r = m_rightTaperProportion * total;
    const double w = width();
    if (l <= 0.0 && r <= 0.0)
        return pw::strokedPathWithStrokeWidth(*lineWithAttributes(path), w);
    const bool left = m_leftTaperEnabled;
    const bool right = m_rightTaperEnabled;

    pf::Ref<pf::BezierPath> leftPiece;
    pf::Ref<pf::BezierPath> rightPiece;
    pf::Ref<pf::BezierPath> middle;
    if (left) {
        leftPiece = pw::bezierPathByTrimmingToLength(path, l + kSeamOverlap);
        middle = pw::bezierPathByTrimmingFromLength(path, l);
    } else {
        middle = std::static_pointer_cast<pf::BezierPath>(path.copy());
    }
    if (right) {
        rightPiece = pw::bezierPathByTrimmingFromLength(path, total - r - kSeamOverlap);
        middle = left ? pw::bezierPathByTrimmingToLength(*middle, total - (l + r))
                      : pw::bezierPathByTrimmingToLength(path, total - r);
    }
    pf::Ref<pf::BezierPath> result = pw::strokedPathWithStrokeWidth(*lineWithAttributes(*middle), w);
    result->setWindingRule(pf::BezierPath::WindingRule::NonZero);
    if (!left && !right)
        return result;

    double reference = signedArea(*result);
    const pwx::ShimInterpolationScope smoothing(true);
    if (leftPiece && !leftPiece->isEmpty()) {
        pf::Ref<pf::BezierPath> outline = pwx::shimPath(*fragmented(*leftPiece), 0.0, w, leftTaperFunction());
        outline = orientedLike(outline, reference);
        if (reference == 0.0)
            reference = signedArea(*outline);
        result->appendPath(*outline);
    }
    if (rightPiece && !rightPiece->isEmpty()) {
        pf::Ref<pf::BezierPath> outline = pwx::shimPath(*fragmented(*rightPiece), w, 0.0, rightTaperFunction());
        result->appendPath(*orientedLike(outline, reference));
    }
    return result;
}

pf::Ref<pf::BezierPath> PWXTaperedStroke::outlinedStrokeForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = object.renderingPath();
    if (!path)
        return pf::BezierPath::path();
    return taperPathForPath(*offsetPath(*path));
}

void PWXTaperedStroke::fillOutline(const pf::BezierPath& outline)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || outline.isEmpty())
        return;
    if (!colour().isValid() || colour().alphaComponent() <= 0.0)
        return;
    // The saver restores the state on every way out, exceptions included.
    pf::GraphicsStateSaver saver(context);
    pf::BezierPath attributes(outline);
    applyAttributesToPath(attributes);
    pw::renderers::setShadow(*context, shadow().get());
    context->fillPath(outline);
}

void PWXTaperedStroke::render(const PWRenderable& object)
{
    if (!tapers()) {
        PWStroke::render(object);
        return;
    }
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return;
    const pf::Ref<pf::BezierPath> outline =
        m_outlines.valueFor(object, *path, 0, [&] { return taperPathForPath(*offsetPath(*path)); });
    fillOutline(*outline);
}

void PWXTaperedStroke::renderPath(const pf::BezierPath& path)
{
    if (!tapers()) {
        PWStroke::renderPath(path);
        return;
    }
    if (!pf::GraphicsContext::current() || path.isEmpty())
        return;
    fillOutline(*taperPathForPath(*offsetPath(path)));
}

QString PWXTaperedStroke::displayName() const
{
    return QStringLiteral("Tapered Stroke");
}

QStringList PWXTaperedStroke::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kTaperKindKey << kTaperProportionKey << kLeftTaperEnabledKey
                                          << kRightTaperEnabledKey << kLeftTaperProportionKey
                                          << kRightTaperProportionKey;
}

void PWXTaperedStroke::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Taper Shape"), kTaperKindKey);
    setActionName(QStringLiteral("#kind# Taper Length"), kTaperProportionKey);
    setActionName(QStringLiteral("#kind# Left Taper Enable"), kLeftTaperEnabledKey);
    setActionName(QStringLiteral("#kind# Right Taper Enable"), kRightTaperEnabledKey);
    setActionName(QStringLiteral("#kind# Right Taper Length"), kRightTaperProportionKey);
    setActionName(QStringLiteral("#kind# Left Taper Length"), kLeftTaperProportionKey);
}

void PWXTaperedStroke::sendDidChange(const QString& keyPath)
{
    m_outlines.clear();
    PWStroke::sendDidChange(keyPath);
}

pf::Ref<pf::Object> PWXTaperedStroke::copy() const
{
    return std::make_shared<PWXTaperedStroke>(*this);
}

bool PWXTaperedStroke::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* o = static_cast<const PWXTaperedStroke*>(other);
    return o->m_leftTaperProportion == m_leftTaperProportion && o->m_rightTaperProportion == m_rightTaperProportion &&
           o->m_taperKind == m_taperKind && o->m_leftTaperEnabled == m_leftTaperEnabled &&
           o->m_rightTaperEnabled == m_rightTaperEnabled;
}

void PWXTaperedStroke::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeInt32(m_taperKind, kTaperKindArchiveKey);
    coder.encodeBool(true, kHasBothArchiveKey);
    coder.encodeFloat(float(m_leftTaperProportion), kTaperProportionArchiveKey);
    coder.encodeFloat(float(m_leftTaperProportion), kLeftProportionArchiveKey);
    coder.encodeFloat(float(m_rightTaperProportion), kRightProportionArchiveKey);
    coder.encodeBool(!m_leftTaperEnabled, kDisableLeftArchiveKey);
    coder.encodeBool(!m_rightTaperEnabled, kDisableRightArchiveKey);
}

void PWXTaperedStroke::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWStroke::initWithCoder(coder);
    m_taperKind = coder.decodeInt32(kTaperKindArchiveKey);
    auto proportion = [&](const QString& key) {
        const double value = coder.decodeFloat(key);
        return std::isfinite(value) ? value : 0.5;
    };
    if (coder.decodeBool(kHasBothArchiveKey)) {
        // Archived proportions meet the setters' rules too: each end at most 0.99, and the two
        // together never above the whole path.
        m_leftTaperProportion = clampedEnd(proportion(kLeftProportionArchiveKey));
        m_rightTaperProportion = clampedEnd(proportion(kRightProportionArchiveKey));
        if (m_leftTaperProportion + m_rightTaperProportion > 1.0)
            m_rightTaperProportion = 1.0 - m_leftTaperProportion;
    } else {
        // Older archives kept one proportion for both ends.
        m_leftTaperProportion = m_rightTaperProportion = std::clamp(proportion(kTaperProportionArchiveKey), 0.0, 0.5);
    }
    m_leftTaperEnabled = !coder.decodeBool(kDisableLeftArchiveKey);
    m_rightTaperEnabled = !coder.decodeBool(kDisableRightArchiveKey);
    m_outlines.clear();
}
