#include "platform/foundation/Reflective.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/SideTable.h"

namespace pf {

Class& Reflective::staticClass()
{
    static Class& cls = [] () -> Class& {
        auto* c = new Class(QStringLiteral("pf::Reflective"), nullptr, {});
        Class::registerClass(c);
        return *c;
    }();
    return cls;
}

[[maybe_unused]] static const Class& reflectiveRegistration = Reflective::staticClass();

SideTable* Reflective::sideTable() const
{
    return m_sideTable.load(std::memory_order_acquire);
}

SideTable& Reflective::ensureSideTable() const
{
    SideTable* table = m_sideTable.load(std::memory_order_acquire);
    if (table)
        return *table;
    auto* made = new SideTable;
    if (m_sideTable.compare_exchange_strong(table, made, std::memory_order_acq_rel))
        return *made;
    delete made; // another thread made it first
    return *table;
}

std::weak_ptr<void> Reflective::livenessToken() const
{
    return ensureSideTable().liveness;
}

WeakHandle weakHandle(const Reflective* object)
{
    if (!object)
        return {};
    return WeakHandle{const_cast<Reflective*>(object), object->livenessToken()};
}

bool Reflective::respondsTo(const QString& selector) const
{
    if (objClass().instancesRespondTo(selector))
        return true;
    const Reflective* target = forwardingTarget(selector);
    return target && target->respondsTo(selector);
}

QVariant Reflective::perform(const QString& selector, const QVariantList& arguments)
{
    const Class& cls = objClass();
    if (auto method = cls.instanceMethod(selector))
        return (*method)(*this, arguments);
    if (!selector.contains(QLatin1Char(':'))) {
        auto p = cls.property(selector);
        if (p && p->get)
            return p->get(*this);
    } else if (selector.startsWith(QLatin1String("set")) && selector.endsWith(QLatin1Char(':'))
               && selector.count(QLatin1Char(':')) == 1 && selector.size() > 4) {
        QString key = selector.mid(3, selector.size() - 4);
        auto p = cls.property(QString(key).replace(0, 1, key.at(0).toLower()));
        if (!p)
            p = cls.property(key);
        if (p && p->set) {
            setValueForKey(arguments.value(0), p->key);
            return QVariant();
        }
    }
    if (Reflective* target = forwardingTarget(selector))
        return target->perform(selector, arguments);
    throw InvalidArgumentException(QStringLiteral("-[%1 %2]: unrecognized selector sent to instance").arg(className(), selector));
}

QString Reflective::description() const
{
    return QStringLiteral("<%1: 0x%2>").arg(className()).arg(quintptr(this), 0, 16);
}

QString setterSelector(const QString& key)
{
    if (key.isEmpty())
        return QString();
    QString name = key;
    name[0] = name[0].toUpper();
    return QStringLiteral("set") + name + QLatin1Char(':');
}

QVariant Reflective::valueForKey(const QString& key) const
{
    const Class& cls = objClass();
    if (auto p = cls.property(key); p && p->get)
        return p->get(*this);
    if (auto method = cls.instanceMethod(key))
        return (*method)(const_cast<Reflective&>(*this), {});
    return valueForUndefinedKey(key);
}

void Reflective::setValueForKey(const QVariant& value, const QString& key)
{
    const Class& cls = objClass();
    if (auto p = cls.property(key); p && p->set) {
        if (p->scalar && isNilOrNull(value)) {
            setNilValueForKey(key);
            return;
        }
        p->set(*this, isNull(value) ? QVariant() : value);
        return;
    }
    if (auto method = cls.instanceMethod(setterSelector(key))) {
        (*method)(*this, {isNull(value) ? QVariant() : value});
        return;
    }
    setValueForUndefinedKey(value, key);
}

QVariant Reflective::valueForKeyPath(const QString& keyPath) const
{
    const int dot = keyPath.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return valueForKey(keyPath);
    return pf::valueForKeyPath(valueForKey(keyPath.left(dot)), keyPath.mid(dot + 1));
}

void Reflective::setValueForKeyPath(const QVariant& value, const QString& keyPath)
{
    const int dot = keyPath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        setValueForKey(value, keyPath);
        return;
    }
    const QVariant target = valueForKeyPath(keyPath.left(dot));
    if (!target.isValid() || isNull(target))
        return; // setting through no object does nothing
    Ref<Object> object = objectFromVariant(target);
    if (!object)
        throw UndefinedKeyException(QString::fromUtf8(target.typeName()), keyPath.mid(dot + 1));
    object->setValueForKey(value, keyPath.mid(dot + 1));
}

QVariant Reflective::valueForUndefinedKey(const QString& key) const
{
    throw UndefinedKeyException(className(), key);
}

void Reflective::setValueForUndefinedKey(const QVariant&, const QString& key)
{
    throw UndefinedKeyException(className(), key);
}

void Reflective::setNilValueForKey(const QString& key)
{
    throw InvalidArgumentException(QStringLiteral("[<%1> setNilValueForKey]: could not set nil as the value for the key %2.")
                                       .arg(className(), key));
}

bool Reflective::validateValue(QVariant* value, const QString& key, Error* error)
{
    auto p = objClass().property(key);
    if (!p || !p->validate)
        return true;
    return p->validate(*this, value, error);
}

QVariant valueForKey(const QVariant& target, const QString& key)
{
    if (!target.isValid() || isNull(target))
        return QVariant();
    if (Ref<Object> object = objectFromVariant(target))
        return object->valueForKey(key);
    if (target.metaType() == QMetaType::fromType<QVariantMap>())
        return target.toMap().value(key);
    if (target.metaType() == QMetaType::fromType<QVariantHash>())
        return target.toHash().value(key);
    if (target.metaType() == QMetaType::fromType<QVariantList>()) {
        QVariantList values;
        for (const QVariant& member : target.toList()) {
            const QVariant v = valueForKey(member, key);
            values.append(v.isValid() ? v : null());
        }
        return values;
    }
    throw UndefinedKeyException(QString::fromUtf8(target.typeName()), key);
}

QVariant valueForKeyPath(const QVariant& target, const QString& keyPath)
{
    QVariant value = target;
    for (const QString& key : keyPath.split(QLatin1Char('.'))) {
        value = valueForKey(value, key);
        if (!value.isValid())
            break;
    }
    return value;
}

} // namespace pf
