#include "drawing/PWXBridgeRasterizer.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Offset.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <bit>
#include <cmath>

PF_DEFINE_CLASS(PWXBridgeRasterizer, PWStroke)
{
    using T = PWXBridgeRasterizer;
    b.protocol(pf::kCodingProtocol);
    b.property(T::kBridgeWidthKey, &T::bridgeWidth, &T::setBridgeWidth);
    b.property(T::kPierSizeKey, &T::pierSize, &T::setPierSize);
    b.property(T::kPierSpacingKey, &T::pierSpacing, &T::setPierSpacing);
    b.property(T::kSizesAutomaticallyKey, &T::sizesAutomatically, &T::setSizesAutomatically);
    b.keyPathsAffecting(T::kBridgeWidthKey, {T::kSizesAutomaticallyKey});
    b.keyPathsAffecting(T::kPierSizeKey, {T::kSizesAutomaticallyKey});
    b.keyPathsAffecting(T::kPierSpacingKey, {T::kSizesAutomaticallyKey});
    b.keyPathsAffecting(PWStroke::kWidthKey, {T::kSizesAutomaticallyKey});
}

namespace {

const QString kBridgeWidthArchiveKey = QStringLiteral("PWXBridgeRasterizer_bridgeWidth");
const QString kPierSizeArchiveKey = QStringLiteral("PWXBridgeRasterizer_pierSize");
const QString kPierSpacingArchiveKey = QStringLiteral("PWXBridgeRasterizer_pierSpacing");
const QString kAutoSizingArchiveKey = QStringLiteral("PWXBridgeRasterizer_autoSizing");

constexpr double kSqrt2 = 1.4142135623730951;
// The side lines follow the curves of the road this closely.
constexpr double kParallelFlatness = 0.1;

// The area a stroke of `path` at its own settings covers.
QRectF strokedArea(const pf::BezierPath& path)
{
    if (path.isEmpty())
        return QRectF();
    if (path.lineWidth() <= 0.0)
        return path.bounds().adjusted(-1.0, -1.0, 1.0, 1.0);
    pf::BezierPath solid(path);
    solid.setLineDash({}, 0.0);
    QPainterPathStroker stroker(solid.pen(QBrush(Qt::black)));
    return stroker.createStroke(solid.toQPainterPath()).boundingRect();
}

QRectF unite(const QRectF& a, const QRectF& b)
{
    if (a.isNull())
        return b;
    if (b.isNull())
        return a;
    return a.united(b);
}

quint64 keyOf(const PWXBridgeRasterizer::Sizes& sizes)
{
    quint64 key = 0;
    for (double value : {sizes.bridgeWidth, sizes.pierSize, sizes.pierSpacing, sizes.lineWidth})
        key = key * 0x100000001B3ull ^ std::bit_cast<quint64>(value);
    return key;
}

} // namespace

PWXBridgeRasterizer::PWXBridgeRasterizer()
{
    setWidth(2.0);
    setLineCapStyle(pf::BezierPath::LineCap::Round);
    setLineJoinStyle(pf::BezierPath::LineJoin::Round);
    setColour(pf::Color::darkGrey());
}

void PWXBridgeRasterizer::setBridgeWidth(double width)
{
    if (!std::isfinite(width))
        return PF_LOG("PWXBridgeRasterizer: bridge width %f refused", width);
    changeProperty(m_bridgeWidth, width, kBridgeWidthKey);
}

void PWXBridgeRasterizer::setPierSize(double size)
{
    if (!std::isfinite(size))
        return PF_LOG("PWXBridgeRasterizer: pier size %f refused", size);
    changeProperty(m_pierSize, size, kPierSizeKey);
}

void PWXBridgeRasterizer::setPierSpacing(double spacing)
{
    if (!std::isfinite(spacing))
        return PF_LOG("PWXBridgeRasterizer: pier spacing %f refused", spacing);
    changeProperty(m_pierSpacing, spacing, kPierSpacingKey);
}

void PWXBridgeRasterizer::setSizesAutomatically(bool automatic)
{
    changeProperty(m_autoSizing, automatic, kSizesAutomaticallyKey);
}

PWXBridgeRasterizer::Sizes PWXBridgeRasterizer::sizesForClientWidth(double clientWidth) const
{
    Sizes sizes;
    if (m_autoSizing) {
        sizes.bridgeWidth = clientWidth * kSqrt2;
        sizes.pierSize = sizes.bridgeWidth * 0.25;
        sizes.pierSpacing = 2.0 * sizes.bridgeWidth;
        sizes.lineWidth = sizes.bridgeWidth * 0.125;
    } else {
        sizes.bridgeWidth = std::max(m_bridgeWidth, 1.0);
        sizes.pierSize = m_pierSize;
        sizes.pierSpacing = std::max(m_pierSpacing, 1.0);
        sizes.lineWidth = PWStroke::width();
    }
    return sizes;
}

double PWXBridgeRasterizer::clientWidestStrokeWidth(const PWRenderable& object)
{
    static const QString selector = QStringLiteral("clientWidestStrokeWidthInRange");
    auto* reflective = dynamic_cast<const pf::Reflective*>(&object);
    if (!reflective || !reflective->respondsTo(selector))
        return kDefaultClientStrokeWidth;
    const double width = const_cast<pf::Reflective*>(reflective)->perform(selector).toDouble();
    return std::isfinite(width) && width >= 0.0 ? width : kDefaultClientStrokeWidth;
}

pf::Color PWXBridgeRasterizer::casementColour(const PWRenderable& object)
{
    static const QString selector = QStringLiteral("clientCasementColour");
    auto* reflective = dynamic_cast<const pf::Reflective*>(&object);
    if (!reflective || !reflective->respondsTo(selector))
        return pf::Color();
    const pf::Ref<pf::Color> colour =
        pf::objectCast<pf::Color>(const_cast<pf::Reflective*>(reflective)->perform(selector));
    return colour ? *colour : pf::Color();
}

pf::Ref<pf::BezierPath> PWXBridgeRasterizer::bridgeElementFromPath(const pf::BezierPath& piece, double offset) const
{
    return bridgeElementFromPath(piece, offset, sizes());
}

pf::Ref<pf::BezierPath> PWXBridgeRasterizer::bridgeElementFromPath(const pf::BezierPath& piece, double offset,
                                                                  const Sizes& sizes) const
{
    const double ps = sizes.pierSize;
    const pf::Ref<pf::BezierPath> trimmed = pw::bezierPathByTrimmingFromBothEnds(piece, ps);
    if (trimmed->isEmpty()) {
        // A span too short to stop short of both piers keeps its plain side line.
        return pw::paralleloidPathWithOffset2(piece, offset, kParallelFlatness);
    }
    const pf::Ref<pf::BezierPath> side = pw::paralleloidPathWithOffset2(*trimmed, offset, kParallelFlatness);
    if (side->isEmpty())
        return side;

    // Outwards is the side's own side of the road: the left of travel for a positive offset.
    auto outwards = [offset](double slope) {
        const QPointF left(std::sin(slope), -std::cos(slope));
        return offset >= 0.0 ? left : -left;
    };
    double slope = 0.0;
    const QPointF start = pw::pointOnPathAtLength(*side, 0.0, &slope);
    const QPointF startAlong(std::cos(slope), std::sin(slope));
    auto element = pf::BezierPath::path();
    element->moveTo(start - ps * startAlong + ps * outwards(slope));
    element->lineTo(start);
    element->appendPathRemovingInitialMoveTo(*side);
    const QPointF end = pw::pointOnPathAtLength(*side, pw::length(*side), &slope);
    const QPointF endAlong(std::cos(slope), std::sin(slope));
    element->lineTo(end + ps * endAlong + ps * outwards(slope));
    return element;
}

pf::Ref<pf::BezierPath> PWXBridgeRasterizer::bridgePathFromPath(const pf::BezierPath& path) const
{
    return bridgePathFromPath(path, sizes());
}

pf::Ref<pf::BezierPath> PWXBridgeRasterizer::bridgePathFromPath(const pf::BezierPath& path, const Sizes& sizes) const
{
    const double total = pw::length(path);
    const double half = 0.5 * sizes.bridgeWidth;
    auto result = pf::BezierPath::path();
    if (sizes.pierSpacing <= 0.0 || sizes.pierSpacing > total) {
        result->appendPath(*bridgeElementFromPath(path, half, sizes));
        result->appendPath(*bridgeElementFromPath(path, -half, sizes));
        return result;
    }
    const int spans = int(std::min(std::floor(total / sizes.pierSpacing), double(kMaxSpans)));
    const double span = total / spans;
    auto positive = pf::BezierPath::path();
    auto negative = pf::BezierPath::path();
    // The spans are cut off the front of what is left, so the path is walked once.
    pf::Ref<pf::BezierPath> rest = std::static_pointer_cast<pf::BezierPath>(path.copy());
    for (int i = 0; i < spans; ++i) {
        pf::Ref<pf::BezierPath> piece;
        if (i + 1 < spans) {
            auto parts = pw::splitPathAtLength(*rest, span);
            piece = parts.first;
            rest = parts.second;
        } else {
            piece = rest;
        }
        // Each side is one continuous line from span to span.
        positive->appendPathRemovingInitialMoveTo(*bridgeElementFromPath(*piece, half, sizes));
        negative->appendPathRemovingInitialMoveTo(*bridgeElementFromPath(*piece, -half, sizes));
    }
    result->appendPath(*positive);
    result->appendPath(*negative);
    return result;
}

PWXBridgeRasterizer::Built PWXBridgeRasterizer::build(const pf::BezierPath& path, const Sizes& sizes) const
{
    Built built;
    built.deck = pw::bezierPathByTrimmingFromBothEnds(path, sizes.pierSize);
    built.deck->setLineWidth(sizes.bridgeWidth);
    built.deck->setLineCapStyle(pf::BezierPath::LineCap::Butt);
    built.deck->setLineDash({}, 0.0);
    built.casings = bridgePathFromPath(path, sizes);
    built.casings->setLineWidth(sizes.lineWidth);
    built.casings->setLineCapStyle(lineCapStyle());
    built.casings->setLineJoinStyle(lineJoinStyle());
    return built;
}

void PWXBridgeRasterizer::draw(const Built& built, const Sizes& sizes)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    pf::GraphicsStateSaver saver(context);
    if (!built.deck->isEmpty()) {
        context->setStrokeColour(pf::Color::white());
        context->strokePath(*built.deck);
    }
    if (built.casings->isEmpty() || !colour().isValid() || colour().alphaComponent() <= 0.0)
        return;
    pf::BezierPath casings(*built.casings);
    applyAttributesToPath(casings);
    casings.setLineWidth(sizes.lineWidth);
    context->strokePath(casings);
}

void PWXBridgeRasterizer::renderBridgePath(const pf::BezierPath& path, const PWRenderable*)
{
    const Sizes current = sizes();
    draw(build(path, current), current);
}

void PWXBridgeRasterizer::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const double clientWidth = clientWidestStrokeWidth(object);
    setClientMaxStrokeWidth(clientWidth);
    const Sizes current = sizesForClientWidth(clientWidth);
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return;
    const Built built = m_built.valueFor(object, *path, keyOf(current), [&] { return build(*path, current); });
    draw(built, current);
}

void PWXBridgeRasterizer::renderPath(const pf::BezierPath& path)
{
    if (!pf::GraphicsContext::current() || path.isEmpty())
        return;
    renderBridgePath(path, nullptr);
}

QRectF PWXBridgeRasterizer::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return QRectF();
    // The sizes of this object, not of whichever object was drawn last.
    const Sizes current = sizesForClientWidth(clientWidestStrokeWidth(object));
    const Built built = m_built.valueFor(object, *path, keyOf(current), [&] { return build(*path, current); });
    const double reach = 0.5 * current.bridgeWidth + current.pierSize + 0.5 * current.lineWidth;
    QRectF bounds = path->bounds().adjusted(-reach, -reach, reach, reach);
    bounds = unite(bounds, strokedArea(*built.deck));
    bounds = unite(bounds, strokedArea(*built.casings));
    return bounds;
}

QString PWXBridgeRasterizer::displayName() const
{
    return QStringLiteral("Bridge Symbol");
}

QStringList PWXBridgeRasterizer::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kBridgeWidthKey << kPierSizeKey << kPierSpacingKey
                                          << kSizesAutomaticallyKey;
}

void PWXBridgeRasterizer::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Bridge Width"), kBridgeWidthKey);
    setActionName(QStringLiteral("#kind# Pier Size"), kPierSizeKey);
    setActionName(QStringLiteral("#kind# Pier Spacing"), kPierSpacingKey);
    setActionName(QStringLiteral("#kind# Auto Pier Sizing"), kSizesAutomaticallyKey);
}

void PWXBridgeRasterizer::sendDidChange(const QString& keyPath)
{
    m_built.clear();
    PWStroke::sendDidChange(keyPath);
}

pf::Ref<pf::Object> PWXBridgeRasterizer::copy() const
{
    return std::make_shared<PWXBridgeRasterizer>(*this);
}

bool PWXBridgeRasterizer::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* o = static_cast<const PWXBridgeRasterizer*>(other);
    return o->m_bridgeWidth == m_bridgeWidth && o->m_pierSize == m_pierSize && o->m_pierSpacing == m_pierSpacing &&
           o->m_autoSizing == m_autoSizing;
}

void PWXBridgeRasterizer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    // The user's own sizes: under automatic sizing the derived ones depend on whichever object
    // was drawn last (nothing at all before the first draw).
    coder.encodeFloat(float(m_bridgeWidth), kBridgeWidthArchiveKey);
    coder.encodeFloat(float(m_pierSize), kPierSizeArchiveKey);
    coder.encodeFloat(float(m_pierSpacing), kPierSpacingArchiveKey);
    coder.encodeBool(m_autoSizing, kAutoSizingArchiveKey);
}

void PWXBridgeRasterizer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWStroke::initWithCoder(coder);
    auto finiteOr = [](double value, double fallback) { return std::isfinite(value) ? value : fallback; };
    m_bridgeWidth = finiteOr(coder.decodeFloat(kBridgeWidthArchiveKey), 16.0);
    m_pierSize = finiteOr(coder.decodeFloat(kPierSizeArchiveKey), 4.0);
    m_pierSpacing = finiteOr(coder.decodeFloat(kPierSpacingArchiveKey), 30.0);
    m_autoSizing = coder.decodeBool(kAutoSizingArchiveKey);
    m_built.clear();
}
