#pragma once

#include "platform/foundation/Class.h"
#include "platform/foundation/IndexSet.h"

#include <QVariantMap>

#include <atomic>
#include <memory>

namespace pf {

class Error;
struct SideTable;

// Options of an observation.
enum ObservingOption : unsigned {
    ObservingNew = 0x01,
    ObservingOld = 0x02,
    ObservingInitial = 0x04,
    ObservingPrior = 0x08,
};
using ObservingOptions = unsigned;

enum class ChangeKind { Setting = 1, Insertion = 2, Removal = 3, Replacement = 4 };

// Keys of a change dictionary.
inline const QString NSKeyValueChangeKindKey = QStringLiteral("kind");
inline const QString NSKeyValueChangeNewKey = QStringLiteral("new");
inline const QString NSKeyValueChangeOldKey = QStringLiteral("old");
inline const QString NSKeyValueChangeIndexesKey = QStringLiteral("indexes");
inline const QString NSKeyValueChangeNotificationIsPriorKey = QStringLiteral("notificationIsPrior");

// What an object needs to be reached by name: its class description, its operations and
// properties by name (key-value coding), and observation of its properties. Model objects get
// it through pf::Object; widgets that answer actions or key-value coding derive from it
// beside their Qt class.
class Reflective {
public:
    Reflective() = default;
    Reflective(const Reflective&) : Reflective() {}
    Reflective& operator=(const Reflective&) { return *this; }
    virtual ~Reflective();

    static Class& staticClass();
    virtual const Class& objClass() const = 0;
    QString className() const { return objClass().name(); }

    bool isKindOf(const Class& cls) const { return objClass().isSubclassOf(cls); }
    bool isMemberOf(const Class& cls) const { return &objClass() == &cls; }
    template <class T> bool isKindOf() const { return isKindOf(T::staticClass()); }
    bool conformsTo(const QString& protocol) const { return objClass().conformsTo(protocol); }

    // Operations by selector. A property answers its getter ("name") and setter ("setName:").
    virtual bool respondsTo(const QString& selector) const;
    // Calls the operation; raises NSInvalidArgumentException when there is none.
    QVariant perform(const QString& selector, const QVariantList& arguments = {});
    // Another object that handles selectors this one does not know, or null.
    virtual Reflective* forwardingTarget(const QString& selector) const { return nullptr; }

    virtual QString description() const;
    virtual bool isEqual(const Reflective* other) const { return this == other; }
    virtual size_t hash() const { return reinterpret_cast<size_t>(this); }

    // Key-value coding. A key reaches the property table, then an operation named like the key
    // (or "set<Key>:"), then the undefined-key hooks.
    virtual QVariant valueForKey(const QString& key) const;
    virtual void setValueForKey(const QVariant& value, const QString& key);
    QVariant valueForKeyPath(const QString& keyPath) const;
    void setValueForKeyPath(const QVariant& value, const QString& keyPath);
    // Raise UndefinedKeyException by default.
    virtual QVariant valueForUndefinedKey(const QString& key) const;
    virtual void setValueForUndefinedKey(const QVariant& value, const QString& key);
    // A scalar property was given no value; raises NSInvalidArgumentException by default.
    virtual void setNilValueForKey(const QString& key);
    // Runs the property's validator, which may replace the value; true when there is none.
    bool validateValue(QVariant* value, const QString& key, Error* error);

    // Key-value observing. Observers are not retained; an observer that is gone is skipped.
    void addObserver(Reflective* observer, const QString& keyPath, ObservingOptions options = 0,
                     void* context = nullptr);
    // Removes the most recent matching observation; a null context matches any. Raises
    // NSRangeException when there is none.
    void removeObserver(Reflective* observer, const QString& keyPath, void* context = nullptr);
    // Removes every observation of `observer` on this object.
    void removeObserver(Reflective* observer);
    bool hasObservers() const;
    virtual void observeValueForKeyPath(const QString& keyPath, Reflective* object,
                                        const QVariantMap& change, void* context) {}

    void willChangeValueForKey(const QString& key);
    void didChangeValueForKey(const QString& key);
    void willChange(ChangeKind kind, const IndexSet& indexes, const QString& key);
    void didChange(ChangeKind kind, const IndexSet& indexes, const QString& key);

    // Sets a stored value and announces the change: the way observable setters are written.
    template <class V, class N>
    void setObservedValue(V& field, N&& value, const QString& key)
    {
        willChangeValueForKey(key);
        field = std::forward<N>(value);
        didChangeValueForKey(key);
    }

    // Expires when this object is destroyed; observers and weak registrations hold it.
    std::weak_ptr<void> livenessToken() const;

    SideTable* sideTable() const;

private:
    SideTable& ensureSideTable() const;
    mutable std::atomic<SideTable*> m_sideTable{nullptr};
};

// Announces a change of `key` for the lifetime of the guard.
class KeyChange {
public:
    KeyChange(Reflective* object, QString key) : m_object(object), m_key(std::move(key))
    {
        m_object->willChangeValueForKey(m_key);
    }
    ~KeyChange() { m_object->didChangeValueForKey(m_key); }
    KeyChange(const KeyChange&) = delete;
    KeyChange& operator=(const KeyChange&) = delete;

private:
    Reflective* m_object;
    QString m_key;
};

// Key-value coding over any value: objects, dictionaries (by key), lists (the list of every
// member's value). Raises UndefinedKeyException for values that have no keys.
QVariant valueForKey(const QVariant& target, const QString& key);
QVariant valueForKeyPath(const QVariant& target, const QString& keyPath);

// "set" + the key with its first letter capitalised + ":".
QString setterSelector(const QString& key);

} // namespace pf
