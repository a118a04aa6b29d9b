#include "drawing/PWDrawableObject+QuilloryExtensions.h"

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWReshapableShape.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"

#include <QApplication>
#include <QCoreApplication>

const QString PWDrawableObjectQuilloryExtensions::kConfirmObjectConversionAlertKey =
    QStringLiteral("kQuilloryConfirmObjectConversionAlert");

namespace {

void convertsTo(pf::Class& cls, const pf::Class* target)
{
    const QString name = target ? target->name() : QString();
    cls.addClassMethod(QStringLiteral("classForAutomaticDoubleClickConversion"),
                       [name](const pf::Class&, const QVariantList&) { return name.isEmpty() ? QVariant() : QVariant(name); });
}

bool isSpecialShape(const PWDrawableObject& object)
{
    const pf::Class& cls = object.objClass();
    return cls.isSubclassOf(PWRoundRectShape::staticClass()) || cls.isSubclassOf(PWArcPath::staticClass()) ||
           cls.isSubclassOf(PWRegularPolygonPath::staticClass()) || cls.isSubclassOf(PWReshapableShape::staticClass());
}

} // namespace

void PWDrawableObjectQuilloryExtensions::install()
{
    convertsTo(PWDrawableShape::staticClass(), &PWDrawablePath::staticClass());
    convertsTo(PWDrawablePath::staticClass(), &PWDrawableShape::staticClass());
    convertsTo(PWArcPath::staticClass(), &PWDrawablePath::staticClass());
    convertsTo(PWRegularPolygonPath::staticClass(), &PWDrawableShape::staticClass());
    convertsTo(PWRoundRectShape::staticClass(), &PWDrawablePath::staticClass());
    convertsTo(PWShapeGroup::staticClass(), nullptr);
    convertsTo(PWImageShape::staticClass(), nullptr);

    pf::Class& drawable = PWDrawableObject::staticClass();
    drawable.addClassMethod(QStringLiteral("confirmObjectConversion:toClass:"),
                            [](const pf::Class&, const QVariantList& args) {
                                pf::Ref<PWDrawableObject> object = pf::objectCast<PWDrawableObject>(args.value(0));
                                const pf::Class* cls = pf::Class::named(args.value(1).toString());
                                return QVariant(object && cls && confirmObjectConversion(*object, *cls));
                            });
    drawable.addMethod(QStringLiteral("shouldConvertToClass:"), [](pf::Reflective& self, const QVariantList& args) {
        auto& object = static_cast<PWDrawableObject&>(self);
        // Asked of the object's own class, so a subclass may confirm its own way.
        return object.objClass().performClassMethod(QStringLiteral("confirmObjectConversion:toClass:"),
                                                    {pf::toVariant(object.ref<pf::Object>()), args.value(0)});
    });
}

bool PWDrawableObjectQuilloryExtensions::confirmObjectConversion(PWDrawableObject& object, const pf::Class&)
{
    if (!isSpecialShape(object))
        return true;
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (defaults.boolForKey(kConfirmObjectConversionAlertKey))
        return true;
    pf::Ref<pf::Alert> alert = pf::Alert::legacy(
        QCoreApplication::translate("PWDrawableObject", "Really Convert Object?"),
        QCoreApplication::translate("PWDrawableObject", "Convert"), QCoreApplication::translate("PWDrawableObject", "Cancel"),
        QString(),
        QCoreApplication::translate("PWDrawableObject",
                                    "When you convert objects such as Regular Polygons, Round Rectangles, Arcs and "
                                    "Wedges, they will lose their special status and become ordinary path objects."));
    alert->setShowsSuppressionButton(true);
    QApplication::beep();
    const int answer = alert->runModal();
    defaults.setBool(alert->isSuppressed(), kConfirmObjectConversionAlertKey);
    return answer == pf::kAlertDefaultReturn;
}
