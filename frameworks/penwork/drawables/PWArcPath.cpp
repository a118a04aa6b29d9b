#include "frameworks/penwork/drawables/PWArcPath.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>

#include <cmath>

namespace {

const QString kCentreKey = QStringLiteral("pw_arcPath_centre");
const QString kRadiusKey = QStringLiteral("pw_arcPath_radius");
const QString kStartAngleKey = QStringLiteral("pw_arcPath_startAngle");
const QString kEndAngleKey = QStringLiteral("pw_arcPath_endAngle");
const QString kArcTypeKey = QStringLiteral("pw_arcPath_arcType");

} // namespace

PF_DEFINE_CLASS(PWArcPath, PWCentredPath)
{
    b.protocol(pf::kCodingProtocol);
    b.property("startAngle", &PWArcPath::startAngle, &PWArcPath::setStartAngle);
    b.property("endAngle", &PWArcPath::endAngle, &PWArcPath::setEndAngle);
    b.property("subtendedAngle", &PWArcPath::subtendedAngle, &PWArcPath::setSubtendedAngle);
    b.property("arcType", &PWArcPath::arcType, &PWArcPath::setArcType);
    b.keyPathsAffecting("startAngle", {"angle"});
    b.keyPathsAffecting("endAngle", {"angle"});
    b.keyPathsAffecting("subtendedAngle", {"startAngle", "endAngle"});
    b.keyPathsAffecting("path", {"radius", "startAngle", "endAngle", "arcType", "location", "angle"});
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWArcPath", "Arc"));
    });
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        QStringList keys = PWDrawableObject::observableKeyPathsForClass(*PWArcPath::staticClass().superclass());
        keys << "radius" << "startAngle" << "endAngle" << "arcType";
        return QVariant(keys);
    });
}

PWArcPath::PWArcPath() { rebuildPath(); }

PWArcPath::PWArcPath(const PWArcPath& other)
    : PWCentredPath(other), m_startAngle(other.m_startAngle),
      m_endAngle(other.m_endAngle), m_arcType(other.m_arcType)
{
}

pf::Ref<PWArcPath> PWArcPath::arcPathWithCentre(const QPointF& centre, double radius, double startAngle,
                                                double endAngle, int arcType, pf::Ref<PWStyle> style)
{
    auto arc = std::make_shared<PWArcPath>();
    arc->setLocation(centre);
    arc->setRadius(radius);
    arc->setStartAngle(startAngle);
    arc->setEndAngle(endAngle);
    arc->setArcType(arcType);
    arc->setStyle(style ? style : PWStyle::defaultStyle());
    return arc;
}

void PWArcPath::rebuildPath()
{
    auto path = pf::BezierPath::path();
    const double end = m_startAngle + subtendedAngle();
    if (m_arcType == kPieWedge)
        path->moveTo(m_centre);
    path->appendArc(m_centre, m_radius, m_startAngle, end);
    if (m_arcType != kOpenArc)
        path->closePath();
    m_path = path;
}

void PWArcPath::setStartAngle(double degrees)
{
    if (!std::isfinite(degrees) || degrees == m_startAngle)
        return;
    changeParameter("startAngle", "setStartAngle:", m_startAngle, [&] { m_startAngle = degrees; });
}

void PWArcPath::setEndAngle(double degrees)
{
    if (!std::isfinite(degrees) || degrees == m_endAngle)
        return;
    changeParameter("endAngle", "setEndAngle:", m_endAngle, [&] { m_endAngle = degrees; });
}

double PWArcPath::subtendedAngle() const
{
    double span = std::fmod(m_endAngle - m_startAngle, 360.0);
    if (span <= 0.0)
        span += 360.0;
    return span;
}

void PWArcPath::setSubtendedAngle(double degrees)
{
    if (!std::isfinite(degrees) || degrees <= 0.0 || degrees > 360.0)
        return;
    setEndAngle(m_startAngle + degrees);
}

void PWArcPath::setArcType(int type)
{
    if (type < kOpenArc || type > kPieWedge || type == m_arcType)
        return;
    changeParameter("arcType", "setArcType:", m_arcType, [&] { m_arcType = type; });
}

void PWArcPath::setAngle(double angle)
{
    if (!std::isfinite(angle) || angle == m_angle || !canEdit())
        return;
    const double turn = (angle - m_angle) * 180.0 / M_PI;
    changeParameter("angle", "setAngle:", m_angle, [&] {
        m_angle = angle;
        m_startAngle += turn;
        m_endAngle += turn;
    });
}

pf::Ref<pf::Object> PWArcPath::copy() const { return std::make_shared<PWArcPath>(*this); }

void PWArcPath::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWCentredPath::encodeWithCoder(coder);
    coder.encodePoint(m_centre, kCentreKey);
    coder.encodeDouble(m_radius, kRadiusKey);
    coder.encodeDouble(m_startAngle, kStartAngleKey);
    coder.encodeDouble(m_endAngle, kEndAngleKey);
    coder.encodeInt32(m_arcType, kArcTypeKey);
}

void PWArcPath::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWCentredPath::initWithCoder(coder);
    setDecodedCentreAndRadius(coder.decodePoint(kCentreKey), coder.decodeDouble(kRadiusKey));
    const double start = coder.decodeDouble(kStartAngleKey);
    m_startAngle = std::isfinite(start) ? start : 0.0;
    const double end = coder.decodeDouble(kEndAngleKey);
    m_endAngle = std::isfinite(end) ? end : 90.0;
    const int type = coder.decodeInt32(kArcTypeKey);
    m_arcType = type >= kOpenArc && type <= kPieWedge ? type : kOpenArc;
    rebuildPath();
    clearBoundsCache();
}
