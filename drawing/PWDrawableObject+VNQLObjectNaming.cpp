#include "drawing/PWDrawableObject+VNQLObjectNaming.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/UserDefaults.h"

const QString PWDrawableObjectVNQLObjectNaming::kNameSeedKey = QStringLiteral("kPWDrawableObjectNameSeed");

void PWDrawableObjectVNQLObjectNaming::install()
{
    pf::Class& drawable = PWDrawableObject::staticClass();
    drawable.addClassMethod(QStringLiteral("nextObjectIndex"),
                            [](const pf::Class& cls, const QVariantList&) { return QVariant(nextObjectIndex(cls)); });
    drawable.addClassMethod(QStringLiteral("resetObjectNamingIndex"), [](const pf::Class& cls, const QVariantList&) {
        resetObjectNamingIndex(cls);
        return QVariant();
    });
    drawable.addMethod(QStringLiteral("auxiliaryInfoString"), [](pf::Reflective& self, const QVariantList&) {
        return QVariant(auxiliaryInfoString(static_cast<PWDrawableObject&>(self)));
    });
}

QString PWDrawableObjectVNQLObjectNaming::counterKey(const pf::Class& cls)
{
    return QStringLiteral("%1_%2").arg(kNameSeedKey, cls.name());
}

qint64 PWDrawableObjectVNQLObjectNaming::nextObjectIndex(const pf::Class& cls)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    const QString key = counterKey(cls);
    // A stored value out of range (edited by hand) starts the count again.
    qint64 index = (defaults.integerForKey(key) + 1) % (kLastIndex + 1);
    if (index <= 0)
        index = 1;
    defaults.setInteger(index, key);
    return index;
}

void PWDrawableObjectVNQLObjectNaming::resetObjectNamingIndex(const pf::Class& cls)
{
    pf::UserDefaults::standard().setInteger(0, counterKey(cls));
}

QString PWDrawableObjectVNQLObjectNaming::auxiliaryInfoString(const PWDrawableObject& object)
{
    return object.displayName();
}
