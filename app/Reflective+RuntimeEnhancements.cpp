#include "app/Reflective+RuntimeEnhancements.h"

#include "app/Variant+RVKVOExtensions.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Reflective.h"
#include "platform/foundation/Variant.h"

namespace {

QString describe(const pf::Reflective& object)
{
    return QStringLiteral("%1 (0x%2)").arg(object.className()).arg(quintptr(&object), 0, 16);
}

// The type of a property's value now: an object's class name, else its encoding.
QString typeOfValue(const QVariant& value)
{
    if (pf::Ref<pf::Object> object = pf::objectFromVariant(value))
        return object->className();
    const QString encoding = typeAsString(value);
    return encoding.isEmpty() ? QStringLiteral("@") : encoding;
}

// The property a getter or a "set<Key>:" setter reaches, or null.
std::shared_ptr<const pf::Class::Property> propertyFor(const pf::Reflective& object, const QString& selector,
                                                       bool* isSetter)
{
    *isSetter = false;
    if (auto property = object.objClass().property(selector))
        return property;
    if (selector.startsWith(QLatin1String("set")) && selector.endsWith(QLatin1Char(':')) && selector.size() > 4) {
        QString key = selector.mid(3, selector.size() - 4);
        key[0] = key[0].toLower();
        if (auto property = object.objClass().property(key); property && pf::setterSelector(key) == selector) {
            *isSetter = true;
            return property;
        }
    }
    return nullptr;
}

} // namespace

QString returnTypeOfPropertyNamed(const pf::Reflective& object, const QString& name)
{
    QString type;
    bool isSetter = false;
    if (auto property = propertyFor(object, name, &isSetter); property && !isSetter && property->get)
        type = typeOfValue(property->get(object));
    else if (object.respondsTo(name))
        type = isSetter ? QStringLiteral("v") : QStringLiteral("@");
    pf::log(QStringLiteral("object %1 return type: %2").arg(describe(object), type.isNull() ? QStringLiteral("(null)") : type));
    return type;
}

QString typeOfArgumentAtIndex(const pf::Reflective& object, int index, const QString& name)
{
    QString type;
    if (object.respondsTo(name) && index >= 0) {
        const int arguments = int(name.count(QLatin1Char(':')));
        bool isSetter = false;
        auto property = propertyFor(object, name, &isSetter);
        if (index == 0)
            type = QStringLiteral("@");
        else if (index == 1)
            type = QStringLiteral(":");
        else if (index - 2 < arguments)
            type = isSetter && property && property->get ? typeOfValue(property->get(object)) : QStringLiteral("@");
    }
    pf::log(QStringLiteral("object %1 argument at index %2: %3")
                .arg(describe(object))
                .arg(index)
                .arg(type.isNull() ? QStringLiteral("(null)") : type));
    return type;
}

QString ownType(const pf::Reflective& object)
{
    return object.className();
}

bool propertyNamedReturnsObjectOfClass(const pf::Reflective& object, const QString& name, const pf::Class& cls)
{
    return returnTypeOfPropertyNamed(object, name) == cls.name();
}
