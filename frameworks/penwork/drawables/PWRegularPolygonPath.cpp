#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>
#include <QLineF>

#include <cmath>

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

double unitClamped(double value) { return std::clamp(value, 0.0, 1.0); }

} // namespace

PF_DEFINE_CLASS(PWRegularPolygonPath, PWCentredPath)
{
    b.protocol(pf::kCodingProtocol);
    b.property("numberOfSides", &PWRegularPolygonPath::numberOfSides, &PWRegularPolygonPath::setNumberOfSides);
    b.property("innerRadius", &PWRegularPolygonPath::innerRadius, &PWRegularPolygonPath::setInnerRadius);
    b.property("tipSpread", &PWRegularPolygonPath::tipSpread, &PWRegularPolygonPath::setTipSpread);
    b.property("valleySpread", &PWRegularPolygonPath::valleySpread, &PWRegularPolygonPath::setValleySpread);
    b.property("isStar", &PWRegularPolygonPath::isStar, &PWRegularPolygonPath::setStar);
    b.property("showsSpreadControls", &PWRegularPolygonPath::showsSpreadControls,
               &PWRegularPolygonPath::setShowsSpreadControls);
    b.property("pathCreationMode", &PWRegularPolygonPath::pathCreationMode, &PWRegularPolygonPath::setPathCreationMode);
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
    : PWCentredPath(other), m_sides(other.m_sides),
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

void PWRegularPolygonPath::setNumberOfSides(int sides)
{
    sides = std::clamp(sides, kMinimumSides, kMaximumSides);
    if (sides == m_sides)
        return;
    changeParameter("numberOfSides", "setNumberOfSides:", m_sides, [&] { m_sides = sides; });
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

void PWRegularPolygonPath::setAngle(double angle)
{
    if (!std::isfinite(angle) || angle == m_angle || !canEdit())
        return;
    changeParameter("angle", "setAngle:", m_angle, [&] { m_angle = angle; });
}

pf::Ref<pf::Object> PWRegularPolygonPath::copy() const { return std::make_shared<PWRegularPolygonPath>(*this); }

void PWRegularPolygonPath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWCentredPath::encodeWithCoder(coder);
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
    PWCentredPath::initWithCoder(coder);
    auto unitOr = [&](const QString& key, double fallback) {
        const double value = coder.decodeDouble(key);
        return coder.containsValueForKey(key) && std::isfinite(value) ? unitClamped(value) : fallback;
    };
    m_sides = coder.containsValueForKey(kSidesKey) ? std::clamp(coder.decodeInt32(kSidesKey), kMinimumSides, kMaximumSides)
                                                   : 5;
    setDecodedCentreAndRadius(coder.decodePoint(kCentreKey), coder.decodeDouble(kRadiusKey));
    m_innerRadius = unitOr(kInnerRadiusKey, 0.5);
    m_tipSpread = unitOr(kTipSpreadKey, 0.0);
    m_valleySpread = unitOr(kValleySpreadKey, 0.0);
    m_star = coder.decodeBool(kStarKey);
    m_showsSpreadControls = coder.decodeBool(kShowsSpreadControlsKey);
    const int mode = coder.decodeInt32(kCreationModeKey);
    m_creationMode = mode == kCreateFromCorner ? kCreateFromCorner : kCreateFromCentre;
    rebuildPath();
    clearBoundsCache();
}
