#include "widgets/RVObjectInfo.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/Class.h"
#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"

void RVObjectInfo::logObjectInfo(const pf::Reflective* object)
{
    if (!object) {
        RVLog(kInfoEvent, QStringLiteral("(null) ***\r"));
        return;
    }
    const pf::Class& cls = object->objClass();
    RVLog(kInfoEvent, QStringLiteral("%1 ***\r").arg(object->description()));
    RVLog(kInfoEvent, QStringLiteral("---superclasses---"));
    for (const pf::Class* super = cls.superclass(); super; super = super->superclass())
        RVLog(kInfoEvent, QStringLiteral(":%1").arg(super->name()));
    RVLog(kInfoEvent, QStringLiteral("---Methods---"));
    // Operations are called through variants: their return type is always a variant.
    for (const QString& selector : cls.selectors())
        RVLog(kInfoEvent, QStringLiteral("%1 [%2]").arg(selector, QStringLiteral("QVariant")));
    // The runtime keeps no instance variables apart from properties: their values stand in.
    RVLog(kInfoEvent, QStringLiteral("---Ivars---"));
    for (const QString& key : cls.propertyKeys()) {
        const QVariant value = object->valueForKey(key);
        RVLog(kInfoEvent, QStringLiteral("%1; [%2]= %3").arg(key, QString::fromLatin1(value.typeName()), pf::describe(value)));
    }
    RVLog(kInfoEvent, QStringLiteral("---Properties---"));
    for (const QString& key : cls.propertyKeys())
        RVLog(kInfoEvent, QStringLiteral("%1;").arg(key));
}
