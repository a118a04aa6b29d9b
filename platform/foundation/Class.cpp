#include "platform/foundation/Class.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Object.h"

#include <QMutex>
#include <QReadWriteLock>
#include <QSet>

#include <atomic>

namespace pf {

namespace {

// One lock for every class table: tables are filled at start-up and by extensions, and read
// from any thread afterwards.
QReadWriteLock& tablesLock()
{
    static QReadWriteLock lock;
    return lock;
}

QHash<QString, Class*>& registry()
{
    static QHash<QString, Class*> classes;
    return classes;
}

} // namespace

Class::Class(QString name, Class* superclass, Factory factory)
    : m_name(std::move(name)), m_superclass(superclass), m_factory(std::move(factory))
{
}

QList<const Class*> Class::hierarchy() const
{
    QList<const Class*> chain;
    for (const Class* c = this; c; c = c->m_superclass)
        chain.append(c);
    return chain;
}

QStringList Class::hierarchyNames() const
{
    QStringList names;
    for (const Class* c : hierarchy())
        names.append(c->name());
    return names;
}

bool Class::isSubclassOf(const Class& other) const
{
    for (const Class* c = this; c; c = c->m_superclass)
        if (c == &other)
            return true;
    return false;
}

Ref<Object> Class::create() const
{
    Factory factory;
    {
        QReadLocker lock(&tablesLock());
        factory = m_factory;
    }
    if (!factory)
        return nullptr;
    ensureInitialized();
    return factory();
}

void Class::setFactory(Factory factory)
{
    QWriteLocker lock(&tablesLock());
    m_factory = std::move(factory);
}

void Class::addMethod(const QString& selector, Method method)
{
    QWriteLocker lock(&tablesLock());
    m_methods.insert(selector, std::make_shared<const Method>(std::move(method)));
}

void Class::addClassMethod(const QString& selector, ClassMethod method)
{
    QWriteLocker lock(&tablesLock());
    m_classMethods.insert(selector, std::make_shared<const ClassMethod>(std::move(method)));
}

std::shared_ptr<const Class::Method> Class::instanceMethod(const QString& selector) const
{
    QReadLocker lock(&tablesLock());
    for (const Class* c = this; c; c = c->m_superclass) {
        auto it = c->m_methods.constFind(selector);
        if (it != c->m_methods.constEnd())
            return *it;
    }
    return nullptr;
}

std::shared_ptr<const Class::ClassMethod> Class::classMethod(const QString& selector) const
{
    QReadLocker lock(&tablesLock());
    for (const Class* c = this; c; c = c->m_superclass) {
        auto it = c->m_classMethods.constFind(selector);
        if (it != c->m_classMethods.constEnd())
            return *it;
    }
    return nullptr;
}

bool Class::instancesRespondTo(const QString& selector) const
{
    if (instanceMethod(selector))
        return true;
    // A property answers its getter and, when it can be set, its setter.
    if (!selector.contains(QLatin1Char(':'))) {
        auto p = property(selector);
        return p && p->get;
    }
    if (selector.startsWith(QLatin1String("set")) && selector.size() > 4 && selector.endsWith(QLatin1Char(':'))
        && selector.count(QLatin1Char(':')) == 1) {
        QString key = selector.mid(3, selector.size() - 4);
        key[0] = key[0].toLower();
        auto p = property(key);
        if (!p) {
            // Keys that begin with capitals ("URL") keep them.
            p = property(selector.mid(3, selector.size() - 4));
        }
        return p && p->set;
    }
    return false;
}

QVariant Class::performClassMethod(const QString& selector, const QVariantList& arguments) const
{
    auto method = classMethod(selector);
    if (!method)
        throw InvalidArgumentException(QStringLiteral("+[%1 %2]: unrecognized selector sent to class").arg(m_name, selector));
    ensureInitialized();
    return (*method)(*this, arguments);
}

void Class::addProperty(Property property)
{
    QWriteLocker lock(&tablesLock());
    const QString key = property.key;
    m_properties.insert(key, std::make_shared<const Property>(std::move(property)));
}

std::shared_ptr<const Class::Property> Class::property(const QString& key) const
{
    QReadLocker lock(&tablesLock());
    for (const Class* c = this; c; c = c->m_superclass) {
        auto it = c->m_properties.constFind(key);
        if (it != c->m_properties.constEnd())
            return *it;
    }
    return nullptr;
}

void Class::addProtocol(const QString& protocol)
{
    QWriteLocker lock(&tablesLock());
    if (!m_protocols.contains(protocol))
        m_protocols.append(protocol);
}

bool Class::conformsTo(const QString& protocol) const
{
    QReadLocker lock(&tablesLock());
    for (const Class* c = this; c; c = c->m_superclass)
        if (c->m_protocols.contains(protocol))
            return true;
    return false;
}

namespace {
// Raised whenever a dependency table changes: a subclass's answers depend on its superclasses'.
std::atomic<quint64> dependencyGeneration{1};
QMutex affectedKeysCacheMutex;
} // namespace

void Class::setKeyPathsForValuesAffecting(const QString& key, const QStringList& keyPaths)
{
    QWriteLocker lock(&tablesLock());
    m_affectingKeyPaths.insert(key, keyPaths);
    ++dependencyGeneration;
}

QStringList Class::keyPathsForValuesAffecting(const QString& key) const
{
    QReadLocker lock(&tablesLock());
    for (const Class* c = this; c; c = c->m_superclass) {
        auto it = c->m_affectingKeyPaths.constFind(key);
        if (it != c->m_affectingKeyPaths.constEnd())
            return *it;
    }
    return {};
}

QStringList Class::keysAffectedBy(const QString& key) const
{
    const quint64 generation = dependencyGeneration.load();
    {
        QMutexLocker cacheLock(&affectedKeysCacheMutex);
        if (m_affectedKeysGeneration != generation) {
            m_affectedKeysCache.clear();
            m_affectedKeysGeneration = generation;
        }
        auto cached = m_affectedKeysCache.constFind(key);
        if (cached != m_affectedKeysCache.constEnd())
            return *cached;
    }
    const QStringList affected = computeKeysAffectedBy(key);
    QMutexLocker cacheLock(&affectedKeysCacheMutex);
    if (m_affectedKeysGeneration == generation)
        m_affectedKeysCache.insert(key, affected);
    return affected;
}

QStringList Class::computeKeysAffectedBy(const QString& key) const
{
    // Every dependent key, with the source's first key compared: a change of "a" is a change
    // of anything that depends on "a" or on a path through "a".
    QHash<QString, QStringList> dependents;
    {
        QReadLocker lock(&tablesLock());
        QSet<QString> seen;
        for (const Class* c = this; c; c = c->m_superclass) {
            for (auto it = c->m_affectingKeyPaths.constBegin(); it != c->m_affectingKeyPaths.constEnd(); ++it) {
                if (seen.contains(it.key()))
                    continue; // a subclass's list overrides its superclass's
                seen.insert(it.key());
                for (const QString& path : it.value())
                    dependents[path.section(QLatin1Char('.'), 0, 0)].append(it.key());
            }
        }
    }
    QStringList affected;
    QStringList pending{key};
    QSet<QString> visited{key};
    while (!pending.isEmpty()) {
        const QString source = pending.takeFirst();
        for (const QString& dependent : dependents.value(source)) {
            if (visited.contains(dependent))
                continue;
            visited.insert(dependent);
            affected.append(dependent);
            pending.append(dependent);
        }
    }
    return affected;
}

void Class::setInitializer(std::function<void()> initializer)
{
    QWriteLocker lock(&tablesLock());
    m_initializer = std::move(initializer);
}

void Class::ensureInitialized() const
{
    if (m_superclass)
        m_superclass->ensureInitialized();
    std::call_once(m_initialized, [this] {
        std::function<void()> initializer;
        {
            QReadLocker lock(&tablesLock());
            initializer = m_initializer;
        }
        if (initializer)
            initializer();
    });
}

QStringList Class::selectors() const
{
    QReadLocker lock(&tablesLock());
    QStringList list = m_methods.keys();
    list.sort();
    return list;
}

QStringList Class::propertyKeys() const
{
    QReadLocker lock(&tablesLock());
    QStringList list = m_properties.keys();
    list.sort();
    return list;
}

Class* Class::named(const QString& name)
{
    QReadLocker lock(&tablesLock());
    return registry().value(name);
}

QList<Class*> Class::allClasses()
{
    QReadLocker lock(&tablesLock());
    return registry().values();
}

void Class::registerClass(Class* cls)
{
    QWriteLocker lock(&tablesLock());
    PF_ASSERT(!registry().contains(cls->name()), "Class %s registered twice", qPrintable(cls->name()));
    registry().insert(cls->name(), cls);
}

} // namespace pf
