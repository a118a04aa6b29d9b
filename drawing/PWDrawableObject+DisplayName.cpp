#include "drawing/PWDrawableObject+DisplayName.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "platform/foundation/Class.h"

#include <QCoreApplication>

#include <cmath>

namespace {

void named(pf::Class& cls, const char* name)
{
    cls.addClassMethod(QStringLiteral("displayName"), [name](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWDrawableObject", name));
    });
}

} // namespace

void PWDrawableObjectDisplayName::install()
{
    named(PWDrawableObject::staticClass(), "Object");
    named(PWDrawableShape::staticClass(), "Shape");
    named(PWDrawablePath::staticClass(), "Path");
    named(PWArcPath::staticClass(), "Arc");
    named(PWRegularPolygonPath::staticClass(), "Regular Polygon");
    named(PWShapeGroup::staticClass(), "Group");
    named(PWClippingGroup::staticClass(), "Clipping Group");
    named(PWTextShape::staticClass(), "Text");
    named(PWTextPath::staticClass(), "Text Path");
    named(PWImageShape::staticClass(), "Image Shape");
    named(PWRoundRectShape::staticClass(), "Round-Cornered Rectangle");
    PWDrawableObject::staticClass().addMethod(QStringLiteral("displaySize"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(displaySize(static_cast<PWDrawableObject&>(self)));
    });
}

QString PWDrawableObjectDisplayName::displaySize(const PWDrawableObject& object)
{
    const QRectF bounds = object.bounds();
    return QStringLiteral("%1 x %2 px")
        .arg(std::ceil(bounds.width()), 0, 'f', 0)
        .arg(std::ceil(bounds.height()), 0, 'f', 0);
}
