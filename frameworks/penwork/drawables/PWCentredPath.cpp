#include "frameworks/penwork/drawables/PWCentredPath.h"

#include "platform/foundation/ClassBuilder.h"

#include <cmath>
#include <limits>

namespace {

// The smaller of the factors that take `from` to `to`, over the axes that have extent.
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

PF_DEFINE_CLASS(PWCentredPath, PWDrawablePath)
{
    b.property("radius", &PWCentredPath::radius, &PWCentredPath::setRadius);
    b.method("makePlainPath", &PWCentredPath::makePlainPath);
}

void PWCentredPath::changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
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

void PWCentredPath::setRadius(double radius)
{
    if (!std::isfinite(radius) || radius <= 0.0 || radius == m_radius)
        return;
    changeParameter("radius", "setRadius:", m_radius, [&] { m_radius = radius; });
}

void PWCentredPath::setLocation(const QPointF& location)
{
    if (!finitePoint(location) || location == m_centre || !canEdit() || locationLocked())
        return;
    changeParameter("location", "setLocation:", pf::toVariant(m_centre), [&] { m_centre = location; });
}

void PWCentredPath::setSize(const QSizeF& size)
{
    const double factor = uniformFactor(this->size(), size);
    if (std::isfinite(factor) && factor > 0.0)
        setRadius(m_radius * factor);
}

pf::Ref<PWDrawablePath> PWCentredPath::makePlainPath() const
{
    return std::make_shared<PWDrawablePath>(static_cast<const PWDrawablePath&>(*this));
}

void PWCentredPath::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part == kEntireObjectPart)
        PWDrawablePath::mouseDraggedAtPoint(point, part, controlFlag);
}

void PWCentredPath::group(PWShapeGroup* group, const QTransform& transform)
{
    // Through the parameters (centre, radius, angles), not the path's points.
    PWDrawableObject::group(group, transform);
}

QString PWCentredPath::displayName() const { return displayNameForClass(objClass()); }

void PWCentredPath::setDecodedCentreAndRadius(const QPointF& centre, double radius)
{
    m_centre = finitePoint(centre) ? centre : QPointF();
    m_radius = std::isfinite(radius) && radius > 0.0 ? radius : 50.0;
    if (!std::isfinite(m_angle))
        m_angle = 0.0;
}
