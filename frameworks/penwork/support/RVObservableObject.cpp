#include "frameworks/penwork/support/RVObservableObject.h"

#include "platform/foundation/Exception.h"

#include <QHash>

#include <mutex>

PF_DEFINE_CLASS(RVObservableObject, pf::Object)
{
    b.classMethod("observableKeyPaths", [](const pf::Class& cls, const QVariantList&) {
        return QVariant(RVObservableObject::observableKeyPaths(cls));
    });
}

namespace {

struct KeyPathList {
    QStringList keyPaths;
    bool extendsSuperclass = true;
};

// Keyed by class name; classes register from static initialisers and extensions, readers may
// be on any thread.
struct Registry {
    std::mutex mutex;
    QHash<QString, KeyPathList> lists;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

QStringList RVObservableObject::observableKeyPaths(const pf::Class& cls)
{
    // Walk up to the nearest class that replaces its list, then add the extensions on the way
    // back down.
    QList<QStringList> parts;
    {
        Registry& reg = registry();
        std::lock_guard lock(reg.mutex);
        for (const pf::Class* c = &cls; c; c = c->superclass()) {
            auto it = reg.lists.constFind(c->name());
            if (it == reg.lists.cend())
                continue;
            parts.prepend(it->keyPaths);
            if (!it->extendsSuperclass)
                break;
        }
    }
    QStringList result;
    for (const QStringList& part : parts)
        for (const QString& keyPath : part)
            if (!result.contains(keyPath))
                result.append(keyPath);
    return result;
}

void RVObservableObject::appendObservableKeyPaths(const pf::Class& cls, const QStringList& keyPaths)
{
    Registry& reg = registry();
    std::lock_guard lock(reg.mutex);
    KeyPathList& list = reg.lists[cls.name()];
    if (!list.extendsSuperclass)
        list = KeyPathList();
    list.keyPaths.append(keyPaths);
}

void RVObservableObject::setObservableKeyPaths(const pf::Class& cls, const QStringList& keyPaths)
{
    Registry& reg = registry();
    std::lock_guard lock(reg.mutex);
    reg.lists.insert(cls.name(), KeyPathList{keyPaths, false});
}

void RVObservableObject::sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context)
{
    sendInitialValuesForProperties(observableKeyPaths(), observer, context);
}

QStringList RVObservableObject::observableKeyPaths() const
{
    return objClass().performClassMethod(QStringLiteral("observableKeyPaths")).toStringList();
}

void RVObservableObject::sendInitialValuesForProperties(const QStringList& keyPaths, pf::Reflective* observer,
                                                        void* context)
{
    sendInitialValues(*this, keyPaths, observer, context);
}

void RVObservableObject::sendInitialValues(pf::Reflective& object, const QStringList& keyPaths,
                                           pf::Reflective* observer, void* context)
{
    PF_PARAMETER_ASSERT(observer);
    for (const QString& keyPath : keyPaths) {
        QVariant value;
        try {
            value = object.valueForKeyPath(keyPath);
        } catch (const pf::UndefinedKeyException&) {
            // The observer shows such a key as not applicable; one bad key must not keep the
            // others from their first values.
        }
        const QVariantMap change{{pf::NSKeyValueChangeKindKey, int(pf::ChangeKind::Setting)},
                                 {pf::NSKeyValueChangeNewKey, value.isValid() ? value : pf::null()}};
        observer->observeValueForKeyPath(keyPath, &object, change, context);
    }
}
