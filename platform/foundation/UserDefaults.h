#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>
#include <mutex>

class QObject;

namespace pf {

// The user's settings: a persistent domain kept in one XML property list, searched before a
// registration domain of defaults that is never written. Reading is safe from any thread;
// changing belongs to the main thread. Changes are written atomically on the next turn of the
// main loop, at synchronize() and at destruction, and each turn that changed anything posts
// NSUserDefaultsDidChangeNotification once, on the main thread, with this object.
//
// Only property-list values are stored; anything else is refused with a log line, so that the
// file always stays readable. A file that cannot be parsed is set aside beside the store as
// "<file>.damaged" and never overwritten, so the user's settings remain recoverable.
//
// Destroy an instance on the main thread.
class UserDefaults : public Object {
    PF_CLASS(UserDefaults)

public:
    // The shared store of the application at
    // <generic config folder>/<reversed organisation domain>.<application name>.plist.
    static UserDefaults& standard();
    // Writes what is pending, then forgets the shared store's domains, registration included,
    // so that its next use reads the file anew.
    static void resetStandardUserDefaults();

    // A store in the property list at `storagePath`; its domain is named after the file
    // without ".plist". The file is read on first use.
    explicit UserDefaults(const QString& storagePath);
    ~UserDefaults() override;
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    QString storagePath() const;
    // The name of this store's persistent domain (the bundle identifier for the shared store).
    QString domainName() const;

    // Registration: defaults that answer where the persistent domain has no value.
    void registerDefaults(const QVariantMap& defaults);
    // Registers the dictionary of a property-list file; false with the error when the file
    // cannot be read or does not hold a dictionary.
    bool registerDefaultsFromFile(const QString& path, Error* error = nullptr);

    // The same answer as objectForKey, for values read very often and from any thread (class
    // settings read while drawing): each thread keeps the answers it had until any user
    // defaults change, so that the common case takes no lock.
    QVariant cachedObjectForKey(const QString& key) const;

    // An invalid QVariant when no domain has the key.
    QVariant objectForKey(const QString& key) const;
    // "YES", "true" or a non-zero number read as true; absent keys as false.
    bool boolForKey(const QString& key) const;
    // Numbers truncate toward zero, numeric strings parse; anything else reads as 0.
    qint64 integerForKey(const QString& key) const;
    float floatForKey(const QString& key) const;
    double doubleForKey(const QString& key) const;
    // A number reads as its text; a null QString when absent or not a string or number.
    QString stringForKey(const QString& key) const;
    QByteArray dataForKey(const QString& key) const;
    QVariantList arrayForKey(const QString& key) const;
    QVariantMap dictionaryForKey(const QString& key) const;
    // Empty unless the value is an array of strings only.
    QStringList stringArrayForKey(const QString& key) const;
    // A stored path ("~" expanded) or URL string as a URL; an invalid QUrl otherwise.
    QUrl URLForKey(const QString& key) const;

    // An invalid value removes the key; a value a property list cannot hold is refused.
    void setObject(const QVariant& value, const QString& key);
    void setBool(bool value, const QString& key);
    void setInteger(qint64 value, const QString& key);
    void setFloat(float value, const QString& key);
    void setDouble(double value, const QString& key);
    // File URLs are stored as their path, other URLs as their text; an empty URL removes.
    void setURL(const QUrl& url, const QString& key);
    void removeObjectForKey(const QString& key);

    // Registration overlaid with the persistent domain.
    QVariantMap dictionaryRepresentation() const;

    // This store's domain by its own name; another name is the property list of that name
    // beside this store's file.
    QVariantMap persistentDomainForName(const QString& name) const;
    void setPersistentDomain(const QVariantMap& domain, const QString& name);
    // For this store's own name, empties the domain and deletes the file.
    void removePersistentDomainForName(const QString& name);

    // Writes pending changes now; answers whether the file holds them.
    bool synchronize();

private:
    UserDefaults(const QString& storagePath, bool isStandard);

    enum class Storage { Usable, Blocked };

    // Called with m_mutex held.
    void ensureLoaded() const;
    void load() const;
    QVariant lookUp(const QString& key) const;
    void noteChange();

    // Forgets the domains; the next use reads the file again.
    void unload();
    void endOfTurn();
    bool write();
    QString siblingPath(const QString& name) const;

    const bool m_isStandard;
    mutable std::mutex m_mutex; // guards everything below except m_writeMutex
    std::mutex m_writeMutex;    // keeps writes in the order of their snapshots
    QString m_path;
    mutable bool m_loaded = false;
    mutable Storage m_storage = Storage::Usable;
    mutable QVariantMap m_persistent;
    QVariantMap m_registration;
    bool m_dirty = false;
    bool m_changed = false;
    bool m_turnScheduled = false;
    std::unique_ptr<QObject> m_mainThreadContext;
};

} // namespace pf
