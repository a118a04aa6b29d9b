#include "frameworks/penwork/drawables/PWRoundRectShape.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>

#include <cmath>

namespace {
const QString kCornerRadiusKey = QStringLiteral("pw_roundRect_cornerRadius");
const QString kCornerFlagsKey = QStringLiteral("pw_roundRect_cornerFlags");
}

PF_DEFINE_CLASS(PWRoundRectShape, PWReshapableShape)
{
    b.protocol(pf::kCodingProtocol);
    b.property("cornerRadius", &PWRoundRectShape::cornerRadius, &PWRoundRectShape::setCornerRadius);
    b.property("cornerFlags", &PWRoundRectShape::cornerFlags, &PWRoundRectShape::setCornerFlags);
    b.keyPathsAffecting("path", {"cornerRadius", "cornerFlags"});
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWRoundRectShape", "Round-Cornered Rectangle"));
    });
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        QStringList keys = PWDrawableObject::observableKeyPathsForClass(*PWRoundRectShape::staticClass().superclass());
        keys << "cornerRadius";
        return QVariant(keys);
    });
}

PWRoundRectShape::PWRoundRectShape() { rebuildPath(); }

PWRoundRectShape::PWRoundRectShape(const PWRoundRectShape& other)
    : PWReshapableShape(other), m_cornerRadius(other.m_cornerRadius), m_cornerFlags(other.m_cornerFlags)
{
}

pf::Ref<PWRoundRectShape> PWRoundRectShape::roundRectShapeWithRect(const QRectF& rect, double cornerRadius,
                                                                   pf::Ref<PWStyle> style)
{
    auto shape = std::make_shared<PWRoundRectShape>();
    const QRectF r = rect.normalized();
    shape->setLocation(r.center());
    shape->setSize(r.size());
    shape->setCornerRadius(cornerRadius);
    shape->setStyle(style ? style : PWStyle::defaultStyle());
    return shape;
}

void PWRoundRectShape::setCornerRadius(double radius)
{
    if (!std::isfinite(radius) || radius < 0.0 || radius == m_cornerRadius)
        return;
    changeParameter("cornerRadius", "setCornerRadius:", m_cornerRadius, [&] { m_cornerRadius = radius; });
}

void PWRoundRectShape::setCornerFlags(int flags)
{
    flags &= kAllCorners;
    if (flags == m_cornerFlags)
        return;
    changeParameter("cornerFlags", "setCornerFlags:", m_cornerFlags, [&] { m_cornerFlags = flags; });
}

pf::Ref<pf::BezierPath> PWRoundRectShape::outlineForSize(const QSizeF& size) const
{
    const QRectF rect(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    auto radiusFor = [this](int corner) { return (m_cornerFlags & corner) ? m_cornerRadius : 0.0; };
    return pf::BezierPath::pathWithRoundedRect(rect, radiusFor(kTopLeftCorner), radiusFor(kTopRightCorner),
                                               radiusFor(kBottomLeftCorner), radiusFor(kBottomRightCorner));
}

QString PWRoundRectShape::displayName() const { return displayNameForClass(objClass()); }

pf::Ref<pf::Object> PWRoundRectShape::copy() const { return std::make_shared<PWRoundRectShape>(*this); }

void PWRoundRectShape::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWReshapableShape::encodeWithCoder(coder);
    coder.encodeDouble(m_cornerRadius, kCornerRadiusKey);
    coder.encodeInt32(m_cornerFlags, kCornerFlagsKey);
}

void PWRoundRectShape::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWReshapableShape::initWithCoder(coder);
    if (coder.containsValueForKey(kCornerRadiusKey)) {
        const double radius = coder.decodeDouble(kCornerRadiusKey);
        m_cornerRadius = std::isfinite(radius) && radius >= 0.0 ? radius : 10.0;
    }
    if (coder.containsValueForKey(kCornerFlagsKey))
        m_cornerFlags = coder.decodeInt32(kCornerFlagsKey) & kAllCorners;
    rebuildPath();
}
