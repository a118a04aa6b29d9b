#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>
#include <QLineF>

#include <cmath>
#include <limits>

namespace {

const QString kCentreKey = QStringLiteral("pw_polygon_centre");
const QString kSidesKey = QStringLiteral("pw_polygon_sides");
const QString kRadiusKey = QStringLiteral("pw_polygon_radius");
const QString kInnerRadiusKey = QStringLiteral("pw_polygon_innerRadius");
const QString kTipSpreadKey = QStringLiteral("pw_polygon_tipSpread");
const QString kValleySpreadKey = QStringLiteral("pw_polygon_valleySpread");
const QString kStarKey = QStringLiteral("pw_polygon_star");
const QString kShowsSpreadControlsKey = QStringLiteral("pw_polygon_showsSpreadControls");
const QString kCreationModeKey = QStringLiteral("pw_polygon_creationMode");

bool finitePoint(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

double unitClamped(double value) { return std::clamp(value, 0.0, 1.0); }

double uniformFactor(const QSizeF& from, const QSizeF& to)
{
    double factor = std::numeric_limits<double>::infinity();
    if (from.width() > 0.0)
        factor = std::min(factor, to.width() / from.width());
    if (from.height() > 0.0)
        factor = std::min(factor, to.height() / from.height());
    return factor;
}

} // namespace

PF_DEFINE_CLASS(PWRegularPolygonPath, PWDrawablePath)
{
    b.protocol(pf::kCodingProtocol);
    b.property("numberOfSides", &PWRegularPolygonPath::numberOfSides, &PWRegularPolygonPath::setNumberOfSides);
    b.property("radius", &PWRegularPolygonPath::radius, &PWRegularPolygonPath::setRadius);
    b.property("innerRadius", &PWRegularPolygonPath::innerRadius, &PWRegularPolygonPath::setInnerRadius);
    b.property("tipSpread", &PWRegularPolygonPath::tipSpread, &PWRegularPolygonPath::setTipSpread);
    b.property("valleySpread", &PWRegularPolygonPath::valleySpread, &PWRegularPolygonPath::setValleySpread);
    b.property("isStar", &PWRegularPolygonPath::isStar, &PWRegularPolygonPath::setStar);
    b.property("showsSpreadControls", &PWRegularPolygonPath::showsSpreadControls,
               &PWRegularPolygonPath::setShowsSpreadControls);
    b.property("pathCreationMode", &PWRegularPolygonPath::pathCreationMode, &PWRegularPolygonPath::setPathCreationMode);
    b.method("makePlainPath", &PWRegularPolygonPath::makePlainPath);
    b.keyPathsAffecting("path", {"numberOfSides", "radius", "innerRadius", "tipSpread", "valleySpread", "isStar",
                                 "location", "angle"});
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWRegularPolygonPath", "Regular Polygon"));
    });
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        QStringList keys =
            PWDrawableObject::observableKeyPathsForClass(*PWRegularPolygonPath::staticClass().superclass());
        keys << "numberOfSides" << "radius" << "showsSpreadControls" << "innerRadius" << "tipSpread"
             << "valleySpread" << "isStar";
        return QVariant(keys);
    });
}

PWRegularPolygonPath::PWRegularPolygonPath() { rebuildPath(); }

PWRegularPolygonPath::PWRegularPolygonPath(const PWRegularPolygonPath& other)
    : PWDrawablePath(other), m_centre(other.m_centre), m_sides(other.m_sides), m_radius(other.m_radius),
      m_innerRadius(other.m_innerRadius), m_tipSpread(other.m_tipSpread), m_valleySpread(other.m_valleySpread),
      m_star(other.m_star), m_showsSpreadControls(other.m_showsSpreadControls), m_creationMode(other.m_creationMode)
{
}

pf::Ref<PWRegularPolygonPath> PWRegularPolygonPath::polygonWithCentre(const QPointF& centre, double radius, int sides,
                                                                      pf::Ref<PWStyle> style)
{
    auto polygon = std::make_shared<PWRegularPolygonPath>();
    polygon->setLocation(centre);
    polygon->setRadius(radius);
    polygon->setNumberOfSides(sides);
    polygon->setStyle(style ? style : PWStyle::defaultStyle());
    return polygon;
}

void PWRegularPolygonPath::rebuildPath()
{
    struct Corner {
        QPointF point;
        QPointF tangent; // unit, in the direction of travel
        double spread;
    };
    const int count = m_star ? 2 * m_sides : m_sides;
    QList<Corner> corners;
    corners.reserve(count);
    for (int k = 0; k < count; ++k) {
        const double phi = m_angle + 2.0 * M_PI * k / count;
        const bool valley = m_star && (k % 2 == 1);
        const double r = valley ? m_radius * m_innerRadius : m_radius;
        corners.append({m_centre + r * QPointF(std::cos(phi), std::sin(phi)), QPointF(-std::sin(phi), std::cos(phi)),
                        valley ? m_valleySpread : m_tipSpread});
    }

    auto path = pf::BezierPath::path();
    path->moveTo(corners.first().point);
    for (int k = 0; k < count; ++k) {
        const Corner& a = corners.at(k);
        const Corner& b = corners.at((k + 1) % count);
        const bool last = k == count - 1;
        if (a.spread == 0.0 && b.spread == 0.0) {
            // The close draws the last side.
            if (!last)
                path->lineTo(b.point);
            continue;
        }
        const double reach = QLineF(a.point, b.point).length() / 2.0;
        path->curveTo(b.point, a.point + a.tangent * (a.spread * reach), b.point - b.tangent * (b.spread * reach));
    }
    path->closePath();
    m_path = path;
}

void PWRegularPolygonPath::changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
                                           const std::function<void()>& change)
{
    if (!canEdit())
        return;
    registerUndo(setter, oldValue);
    performGeometryChange(key, [&] {
        change();
        rebuildPath();
    });
}

void PWRegularPolygonPath::setNumberOfSides(int sides)
{
    sides = std::clamp(sides, kMinimumSides, kMaximumSides);
    if (sides == m_sides)
        return;
    changeParameter("numberOfSides", "setNumberOfSides:", m_sides, [&] { m_sides = sides; });
}

void PWRegularPolygonPath::setRadius(double radius)
{
    if (!std::isfinite(radius) || radius <= 0.0 || radius == m_radius)
        return;
    changeParameter("radius", "setRadius:", m_radius, [&] { m_radius = radius; });
}

void PWRegularPolygonPath::setInnerRadius(double ratio)
{
    if (!std::isfinite(ratio))
        return;
    ratio = unitClamped(ratio);
    if (ratio == m_innerRadius)
        return;
    changeParameter("innerRadius", "setInnerRadius:", m_innerRadius, [&] { m_innerRadius = ratio; });
}

void PWRegularPolygonPath::setTipSpread(double spread)
{
    if (!std::isfinite(spread))
        return;
    spread = unitClamped(spread);
    if (spread == m_tipSpread)
        return;
    changeParameter("tipSpread", "setTipSpread:", m_tipSpread, [&] { m_tipSpread = spread; });
}

void PWRegularPolygonPath::setValleySpread(double spread)
{
    if (!std::isfinite(spread))
        return;
    spread = unitClamped(spread);
    if (spread == m_valleySpread)
        return;
    changeParameter("valleySpread", "setValleySpread:", m_valleySpread, [&] { m_valleySpread = spread; });
}

void PWRegularPolygonPath::setStar(bool star)
{
    if (star == m_star)
        return;
    changeParameter("isStar", "setIsStar:", m_star, [&] { m_star = star; });
}

void PWRegularPolygonPath::setShowsSpreadControls(bool shows)
{
    if (shows == m_showsSpreadControls || !canEdit())
        return;
    registerUndo("setShowsSpreadControls:", m_showsSpreadControls);
    setObservedValue(m_showsSpreadControls, shows, "showsSpreadControls");
    notifyVisualChange();
}

void PWRegularPolygonPath::setPathCreationMode(int mode)
{
    if (mode < kCreateFromCentre || mode > kCreateFromCorner || mode == m_creationMode || !canEdit())
        return;
    registerUndo("setPathCreationMode:", m_creationMode);
    setObservedValue(m_creationMode, mode, "pathCreationMode");
}

QPointF PWRegularPolygonPath::location() const { return m_centre; }

void PWRegularPolygonPath::setLocation(const QPointF& location)
{
    if (!finitePoint(location) || location == m_centre || !canEdit() || locationLocked())
        return;
    changeParameter("location", "setLocation:", pf::toVariant(m_centre), [&] { m_centre = location; });
}

void PWRegularPolygonPath::setSize(const QSizeF& size)
{
    const double factor = uniformFactor(this->size(), size);
    if (std::isfinite(factor) && factor > 0.0)
        setRadius(m_radius * factor);
}

void PWRegularPolygonPath::setAngle(double angle)
{
    if (!std::isfinite(angle) || angle == m_angle || !canEdit())
        return;
    changeParameter("angle", "setAngle:", m_angle, [&] { m_angle = angle; });
}

pf::Ref<PWDrawablePath> PWRegularPolygonPath::makePlainPath() const
{
    return std::make_shared<PWDrawablePath>(static_cast<const PWDrawablePath&>(*this));
}

void PWRegularPolygonPath::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part == kEntireObjectPart)
        PWDrawablePath::mouseDraggedAtPoint(point, part, controlFlag);
}

void PWRegularPolygonPath::group(PWShapeGroup* group, const QTransform& transform)
{
    // Through the parameters (centre, radius, angle), not the path's points.
    PWDrawableObject::group(group, transform);
}

QString PWRegularPolygonPath::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWRegularPolygonPath::copy() const { return std::make_shared<PWRegularPolygonPath>(*this); }

void PWRegularPolygonPath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawablePath::encodeWithCoder(coder);
    coder.encodePoint(m_centre, kCentreKey);
    coder.encodeInt32(m_sides, kSidesKey);
    coder.encodeDouble(m_radius, kRadiusKey);
    coder.encodeDouble(m_innerRadius, kInnerRadiusKey);
    coder.encodeDouble(m_tipSpread, kTipSpreadKey);
    coder.encodeDouble(m_valleySpread, kValleySpreadKey);
    coder.encodeBool(m_star, kStarKey);
    coder.encodeBool(m_showsSpreadControls, kShowsSpreadControlsKey);
    coder.encodeInt32(m_creationMode, kCreationModeKey);
}

void PWRegularPolygonPath::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawablePath::initWithCoder(coder);
    auto unitOr = [&](const QString& key, double fallback) {
        const double value = coder.decodeDouble(key);
        return coder.containsValueForKey(key) && std::isfinite(value) ? unitClamped(value) : fallback;
    };
    const QPointF centre = coder.decodePoint(kCentreKey);
    m_centre = finitePoint(centre) ? centre : QPointF();
    m_sides = coder.containsValueForKey(kSidesKey) ? std::clamp(coder.decodeInt32(kSidesKey), kMinimumSides, kMaximumSides)
                                                   : 5;
    const double radius = coder.decodeDouble(kRadiusKey);
    m_radius = std::isfinite(radius) && radius > 0.0 ? radius : 50.0;
    m_innerRadius = unitOr(kInnerRadiusKey, 0.5);
    m_tipSpread = unitOr(kTipSpreadKey, 0.0);
    m_valleySpread = unitOr(kValleySpreadKey, 0.0);
    m_star = coder.decodeBool(kStarKey);
    m_showsSpreadControls = coder.decodeBool(kShowsSpreadControlsKey);
    const int mode = coder.decodeInt32(kCreationModeKey);
    m_creationMode = mode == kCreateFromCorner ? kCreateFromCorner : kCreateFromCentre;
    if (!std::isfinite(m_angle))
        m_angle = 0.0;
    rebuildPath();
    clearBoundsCache();
}
