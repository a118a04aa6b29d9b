#include "drawing/PWXTunnelRasterizer.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"
#include "frameworks/penwork/geometry/BezierPath+Outline.h"
#include "frameworks/penwork/geometry/BezierPath+Trimming.h"
#include "frameworks/penwork/geometry/Geometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>

PF_DEFINE_CLASS(PWXTunnelRasterizer, PWStroke)
{
    using T = PWXTunnelRasterizer;
    b.protocol(pf::kCodingProtocol);
    b.property(T::kPortalWidthKey, &T::portalWidth, &T::setPortalWidth);
    b.property(T::kPortalHeightKey, &T::portalHeight, &T::setPortalHeight);
    b.property(T::kPortalCapStyleKey, &T::portalCapStyle, &T::setPortalCapStyle);
    b.property(T::kPortalKindKey, &T::portalKind, &T::setPortalKind);
    b.property("portalLineWidth", &T::portalLineWidth);
    b.keyPathsAffecting("portalLineWidth", {PWStroke::kWidthKey});
}

namespace {

const QString kWidthScaleArchiveKey = QStringLiteral("PWTunnel_widthScale");
const QString kHeightScaleArchiveKey = QStringLiteral("PWTunnel_heightScale");
const QString kCapStyleArchiveKey = QStringLiteral("PWTunnel_capStyle");
const QString kPortalKindArchiveKey = QStringLiteral("PWTunnel_portalKind");

// The casing lines are this share of the road's width.
constexpr double kCasingLineShare = 0.1;
// A curved portal's bulge reaches back only this share of its depth, so the casing is
// shortened by as much less.
constexpr double kCurvedTrimShare = 0.33;

bool validCap(int cap)
{
    return cap >= int(pf::BezierPath::LineCap::Butt) && cap <= int(pf::BezierPath::LineCap::Square);
}

} // namespace

PWXTunnelRasterizer::PWXTunnelRasterizer()
{
    setWidth(6.0);
    setDash(PWStrokeDash::dashWithPattern(QList<double>{0.25, 0.5}, 2));
}

void PWXTunnelRasterizer::setPortalWidth(double scale)
{
    if (!std::isfinite(scale))
        return PF_LOG("PWXTunnelRasterizer: portal width %f refused", scale);
    changeProperty(m_portalWidthScale, scale, kPortalWidthKey);
}

void PWXTunnelRasterizer::setPortalHeight(double scale)
{
    if (!std::isfinite(scale))
        return PF_LOG("PWXTunnelRasterizer: portal height %f refused", scale);
    changeProperty(m_portalHeightScale, scale, kPortalHeightKey);
}

void PWXTunnelRasterizer::setPortalCapStyle(pf::BezierPath::LineCap cap)
{
    if (!validCap(int(cap)))
        return PF_LOG("PWXTunnelRasterizer: portal cap style %d refused", int(cap));
    changeProperty(m_portalCapStyle, cap, kPortalCapStyleKey);
}

void PWXTunnelRasterizer::setPortalKind(int kind)
{
    changeProperty(m_portalKind, kind, kPortalKindKey);
}

double PWXTunnelRasterizer::portalLineWidth() const
{
    const double w = width();
    return w + w * -0.8;
}

double PWXTunnelRasterizer::casingTrimLength() const
{
    // Every curved kind (anything but the angular one) gets the shorter trim; the full trim
    // would leave a gap between the casing and the portal's bulge.
    const double trim = 0.5 * m_portalWidthScale * width();
    return m_portalKind == kAngularPortal ? trim : trim * kCurvedTrimShare;
}

pf::Ref<pf::BezierPath> PWXTunnelRasterizer::portalPathAtPoint(const QPointF& point, double angle) const
{
    const double w = width();
    const double pw = m_portalWidthScale * w;
    const double ph = m_portalHeightScale * w;
    const double x0 = point.x() - pw / 2.0;
    const double y0 = point.y() - ph / 2.0;
    const double x1 = x0 + pw;
    const double y1 = y0 + ph;
    const double d = 0.33 * w * m_portalHeightScale;
    const double ya = point.y() - d;
    const double yb = point.y() + d;

    auto path = pf::BezierPath::path();
    path->moveTo(QPointF(x0, y0));
    if (m_portalKind == kAngularPortal) {
        path->lineTo(QPointF(x1, ya));
        path->lineTo(QPointF(x1, yb));
        path->lineTo(QPointF(x0, y1));
    } else {
        path->curveTo(QPointF(x0, y1), QPointF(x1, ya), QPointF(x1, yb));
    }
    path->transform(pw::RotationTransform(angle, point));
    return path;
}

pf::Ref<pf::BezierPath> PWXTunnelRasterizer::casingForPath(const pf::BezierPath& path) const
{
    pf::Ref<pf::BezierPath> trimmed = pw::bezierPathByTrimmingFromBothEnds(path, casingTrimLength());
    trimmed->setLineCapStyle(lineCapStyle());
    trimmed->setLineJoinStyle(lineJoinStyle());
    return pw::strokedPathWithStrokeWidth(*trimmed, width());
}

pf::Ref<pf::BezierPath> PWXTunnelRasterizer::tunnelPathForPath(const pf::BezierPath& path) const
{
    pf::Ref<pf::BezierPath> result = casingForPath(path);
    double slope = 0.0;
    const QPointF start = pw::pointOnPathAtLength(path, 0.0, &slope);
    result->appendPath(*portalPathAtPoint(start, slope));
    const QPointF end = pw::pointOnPathAtLength(path, pw::length(path), &slope);
    result->appendPath(*portalPathAtPoint(end, slope + M_PI));
    result->setLineDash({}, 0.0);
    result->setLineWidth(portalLineWidth());
    result->setLineCapStyle(m_portalCapStyle);
    return result;
}

pf::Ref<pf::BezierPath> PWXTunnelRasterizer::cachedCasing(const PWRenderable& object, const pf::BezierPath& path) const
{
    return m_casings.valueFor(object, path, 0, [&] { return casingForPath(path); });
}

void PWXTunnelRasterizer::drawTunnel(const pf::BezierPath& path, const pf::BezierPath& casing)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || path.isEmpty())
        return;
    pf::GraphicsStateSaver saver(context);
    pw::renderers::setShadow(*context, shadow().get());

    pf::BezierPath lines(casing);
    applyAttributesToPath(lines); // brings the dash, in lengths of the road's width
    lines.setLineWidth(kCasingLineShare * width());
    context->setStrokeColour(colour());
    if (!lines.isEmpty())
        context->strokePath(lines);

    context->setColour(colour());
    double slope = 0.0;
    const QPointF start = pw::pointOnPathAtLength(path, 0.0, &slope);
    pf::Ref<pf::BezierPath> portal = portalPathAtPoint(start, slope);
    portal->setLineWidth(portalLineWidth());
    portal->setLineCapStyle(m_portalCapStyle);
    context->strokePath(*portal);

    const QPointF end = pw::pointOnPathAtLength(path, pw::length(path), &slope);
    portal = portalPathAtPoint(end, slope + M_PI);
    portal->setLineWidth(portalLineWidth());
    portal->setLineCapStyle(m_portalCapStyle);
    context->strokePath(*portal);
}

void PWXTunnelRasterizer::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (!path || path->isEmpty())
        return;
    drawTunnel(*path, *cachedCasing(object, *path));
}

void PWXTunnelRasterizer::renderPath(const pf::BezierPath& path)
{
    if (!pf::GraphicsContext::current() || path.isEmpty())
        return;
    drawTunnel(path, *casingForPath(path));
}

QRectF PWXTunnelRasterizer::boundsNeededForObject(const PWRenderable& object) const
{
    if (!enabled())
        return PWStroke::boundsNeededForObject(object);
    QRectF bounds(0.0, 0.0, 0.0, 0.0);
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (path && !path->isEmpty()) {
        // The cached casing serves the bounds as well; the portals are cheap.
        pf::Ref<pf::BezierPath> tunnel = std::static_pointer_cast<pf::BezierPath>(cachedCasing(object, *path)->copy());
        double slope = 0.0;
        const QPointF start = pw::pointOnPathAtLength(*path, 0.0, &slope);
        tunnel->appendPath(*portalPathAtPoint(start, slope));
        const QPointF end = pw::pointOnPathAtLength(*path, pw::length(*path), &slope);
        tunnel->appendPath(*portalPathAtPoint(end, slope + M_PI));
        const QRectF area = tunnel->bounds();
        const double reach = portalLineWidth();
        bounds = area.adjusted(-reach, -reach, reach, reach);
        bounds = pw::renderers::boundsWithShadow(bounds, shadow().get());
    }
    if (bounds.height() == 0.0) {
        bounds.setTop(bounds.top() - 0.5);
        bounds.setHeight(1.0);
    }
    if (bounds.width() == 0.0) {
        bounds.setLeft(bounds.left() - 0.5);
        bounds.setWidth(1.0);
    }
    return bounds;
}

QString PWXTunnelRasterizer::displayName() const
{
    return QStringLiteral("Tunnel Symbol");
}

QStringList PWXTunnelRasterizer::observableKeyPaths() const
{
    return PWStroke::observableKeyPaths() << kPortalWidthKey << kPortalHeightKey << kPortalCapStyleKey
                                          << kPortalKindKey;
}

void PWXTunnelRasterizer::registerActionNames() const
{
    PWStroke::registerActionNames();
    setActionName(QStringLiteral("#kind# Portal Width"), kPortalWidthKey);
    setActionName(QStringLiteral("#kind# Portal Height"), kPortalHeightKey);
    setActionName(QStringLiteral("#kind# Portal Cap Style"), kPortalCapStyleKey);
    setActionName(QStringLiteral("#kind# Portal Kind"), kPortalKindKey);
}

void PWXTunnelRasterizer::sendDidChange(const QString& keyPath)
{
    m_casings.clear();
    PWStroke::sendDidChange(keyPath);
}

pf::Ref<pf::Object> PWXTunnelRasterizer::copy() const
{
    return std::make_shared<PWXTunnelRasterizer>(*this);
}

bool PWXTunnelRasterizer::isEqual(const pf::Reflective* other) const
{
    if (!PWStroke::isEqual(other))
        return false;
    const auto* o = static_cast<const PWXTunnelRasterizer*>(other);
    return o->m_portalWidthScale == m_portalWidthScale && o->m_portalHeightScale == m_portalHeightScale &&
           o->m_portalCapStyle == m_portalCapStyle && o->m_portalKind == m_portalKind;
}

void PWXTunnelRasterizer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWStroke::encodeWithCoder(coder);
    coder.encodeFloat(float(m_portalWidthScale), kWidthScaleArchiveKey);
    coder.encodeFloat(float(m_portalHeightScale), kHeightScaleArchiveKey);
    coder.encodeInt64(qint64(m_portalCapStyle), kCapStyleArchiveKey);
    coder.encodeInt32(m_portalKind, kPortalKindArchiveKey);
}

void PWXTunnelRasterizer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWStroke::initWithCoder(coder);
    const double widthScale = coder.decodeFloat(kWidthScaleArchiveKey);
    m_portalWidthScale = std::isfinite(widthScale) ? widthScale : 0.6;
    const double heightScale = coder.decodeFloat(kHeightScaleArchiveKey);
    m_portalHeightScale = std::isfinite(heightScale) ? heightScale : 1.7;
    const int cap = coder.decodeInt32(kCapStyleArchiveKey);
    m_portalCapStyle = validCap(cap) ? pf::BezierPath::LineCap(cap) : pf::BezierPath::LineCap::Round;
    m_portalKind = coder.decodeInt32(kPortalKindArchiveKey);
    m_casings.clear();
}
