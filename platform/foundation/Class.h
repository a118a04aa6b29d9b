#pragma once

#include "platform/foundation/Variant.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <mutex>

namespace pf {

class Reflective;
class Error;

// The run-time description of a class: its name, its superclass, how to make an instance,
// and the tables that let callers reach its properties and operations by name. Classes
// register themselves by name at start-up (PF_DEFINE_CLASS), and extensions may add
// operations to a class later, as the system's own extensions of other classes do.
class Class {
public:
    using Factory = std::function<Ref<Object>()>;
    using Method = std::function<QVariant(Reflective& self, const QVariantList& arguments)>;
    using ClassMethod = std::function<QVariant(const Class& cls, const QVariantList& arguments)>;
    using Validator = std::function<bool(Reflective& self, QVariant* value, Error* error)>;

    struct Property {
        QString key;
        std::function<QVariant(const Reflective&)> get;
        std::function<void(Reflective&, const QVariant&)> set;
        // Scalars (numbers, booleans, enumerations) cannot take "no value".
        bool scalar = false;
        Validator validate;
    };

    Class(QString name, Class* superclass, Factory factory);
    Class(const Class&) = delete;
    Class& operator=(const Class&) = delete;

    const QString& name() const { return m_name; }
    Class* superclass() const { return m_superclass; }
    // The class itself, then every superclass up to the root.
    QList<const Class*> hierarchy() const;
    QStringList hierarchyNames() const;
    bool isSubclassOf(const Class& other) const;

    bool canCreate() const { return bool(m_factory); }
    // A new instance, or null for a class that cannot be made by name.
    Ref<Object> create() const;
    void setFactory(Factory factory);

    // Operations by selector text ("tabView:didAddTab:atIndex:"). Looking up walks the
    // superclass chain; adding replaces an operation of the same name on this class.
    void addMethod(const QString& selector, Method method);
    void addClassMethod(const QString& selector, ClassMethod method);
    std::shared_ptr<const Method> instanceMethod(const QString& selector) const;
    std::shared_ptr<const ClassMethod> classMethod(const QString& selector) const;
    bool instancesRespondTo(const QString& selector) const;
    bool respondsToClassMethod(const QString& selector) const { return bool(classMethod(selector)); }
    // Calls a class operation; raises when the class has none of that name.
    QVariant performClassMethod(const QString& selector, const QVariantList& arguments = {}) const;

    void addProperty(Property property);
    std::shared_ptr<const Property> property(const QString& key) const;

    void addProtocol(const QString& protocol);
    bool conformsTo(const QString& protocol) const;

    // Dependent keys: a change of any of `keyPaths` is also a change of `key`.
    void setKeyPathsForValuesAffecting(const QString& key, const QStringList& keyPaths);
    QStringList keyPathsForValuesAffecting(const QString& key) const;
    // Every key of this class whose value depends on `key`, directly or through other keys.
    QStringList keysAffectedBy(const QString& key) const;

    // Runs once, before the first instance is made or the first class operation runs;
    // superclasses first.
    void setInitializer(std::function<void()> initializer);
    void ensureInitialized() const;

    QStringList selectors() const;
    QStringList propertyKeys() const;

    // Registry by name.
    static Class* named(const QString& name);
    static QList<Class*> allClasses();
    static void registerClass(Class* cls);

private:
    QStringList computeKeysAffectedBy(const QString& key) const;

    QString m_name;
    Class* m_superclass = nullptr;
    Factory m_factory;
    QHash<QString, std::shared_ptr<const Method>> m_methods;
    QHash<QString, std::shared_ptr<const ClassMethod>> m_classMethods;
    QHash<QString, std::shared_ptr<const Property>> m_properties;
    QStringList m_protocols;
    QHash<QString, QStringList> m_affectingKeyPaths;
    // keysAffectedBy walks every dependency table up the hierarchy; it is asked on each change
    // of an observed object, so its answers are kept until any class's table changes.
    mutable QHash<QString, QStringList> m_affectedKeysCache;
    mutable quint64 m_affectedKeysGeneration = 0;
    std::function<void()> m_initializer;
    mutable std::once_flag m_initialized;
};

inline Class* classNamed(const QString& name) { return Class::named(name); }

} // namespace pf
