#include "drawing/PWDrawableObject+KVOExtensions.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/Markers.h"

namespace {

// The class's list: its superclass's, then `own`.
void appendKeyPaths(pf::Class& cls, const QStringList& own)
{
    // Subclasses inherit the operation: the list starts from this class's superclass, not the
    // asking class's, so nothing is listed twice.
    const pf::Class* superclass = cls.superclass();
    cls.addClassMethod(QStringLiteral("observableKeyPaths"), [own, superclass](const pf::Class&, const QVariantList&) {
        QStringList keys = superclass ? PWDrawableObject::observableKeyPathsForClass(*superclass) : QStringList();
        return QVariant(keys + own);
    });
}

} // namespace

void PWDrawableObjectKVOExtensions::install()
{
    // The base list sits on the drawable class itself: its superclasses are no drawables.
    const QStringList base = PWDrawableObject::observableKeyPaths();
    PWDrawableObject::staticClass().addClassMethod(QStringLiteral("observableKeyPaths"),
                                                   [base](const pf::Class&, const QVariantList&) { return QVariant(base); });
    appendKeyPaths(PWDrawablePath::staticClass(), {"path", "length"});
    PWDrawablePath::staticClass().setKeyPathsForValuesAffecting(QStringLiteral("length"), {QStringLiteral("path")});
    appendKeyPaths(PWRegularPolygonPath::staticClass(),
                   {"numberOfSides", "radius", "showsSpreadControls", "innerRadius", "tipSpread", "valleySpread", "isStar"});
    appendKeyPaths(PWImageShape::staticClass(), {"imageOpacity", "compositingOperation", "imageDrawsOnTop", "imageScale"});
    appendKeyPaths(PWArcPath::staticClass(), {"radius", "startAngle", "endAngle", "arcType"});
    appendKeyPaths(PWRoundRectShape::staticClass(), {"cornerRadius"});
}

void PWDrawableObjectKVOExtensions::sendInitialValuesForProperties(PWDrawableObject& object, const QStringList& keyPaths,
                                                                   pf::Reflective& observer, void* context)
{
    QVariantMap change;
    for (const QString& keyPath : keyPaths) {
        const QVariant value = object.valueForKeyPath(keyPath);
        change.insert(pf::NSKeyValueChangeNewKey, value.isValid() ? value : pf::null());
        observer.observeValueForKeyPath(keyPath, &object, change, context);
    }
}

void PWDrawableObjectKVOExtensions::sendInitialValuesForAllPropertiesToObserver(PWDrawableObject& object,
                                                                               pf::Reflective& observer, void* context)
{
    sendInitialValuesForProperties(object, PWDrawableObject::observableKeyPathsForClass(object.objClass()), observer,
                                   context);
}
