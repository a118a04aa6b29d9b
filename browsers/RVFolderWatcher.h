#pragma once

#include "browsers/RVWatcher.h"

#include <QHash>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QStringList>

class QSocketNotifier;
class QTimer;

// The one place where the program learns that a folder's contents changed on disk. Observers
// register per folder; one inotify descriptor watches every registered folder, and the changes
// it reports are gathered for a latency (about 5 seconds) and then handed, once per folder and
// on the main thread, to the registrations of exactly that folder.
//
// Watches are added and removed one folder at a time, so registering or removing a folder
// never loses the changes of the others. A folder the system will not watch (the per-user
// watch limit is reached) is polled at the latency instead, and when the kernel's event queue
// overflows every watched folder is reported as changed, so its observers scan it again.
class RVFolderWatcher : public pf::Object {
    PF_CLASS(RVFolderWatcher)
public:
    static inline const QString kRVFolderWatcherFolderDidChangeNotification =
        QStringLiteral("kRVFolderWatcherFolderDidChangeNotification");
    static constexpr double kDefaultLatency = 5.0;

    RVFolderWatcher();
    ~RVFolderWatcher() override;

    static RVFolderWatcher& defaultWatcher();

    // Registers `observer` to have `selector` called (with the notification) when the folder
    // changes. Raises NSInternalInconsistencyException when the folder is not an existing
    // directory. Registering twice gives two registrations, both called.
    void addObserver(pf::Reflective* observer, const QString& selector, const QUrl& folder,
                     const QVariantMap& userInfo = {});
    // Removes the observer's registrations for `folder`, or for every folder when it is empty.
    void removeObserver(pf::Reflective* observer, const QUrl& folder = {});

    pf::Ref<RVWatcher> watcherForObserver(pf::Reflective* observer, const QString& selector, const QUrl& folder,
                                          const QVariantMap& userInfo);
    void addWatcher(const pf::Ref<RVWatcher>& watcher, const QString& key, bool restartStream);
    void removeWatcher(const pf::Ref<RVWatcher>& watcher);
    QList<pf::Ref<RVWatcher>> watchersForPath(const QString& key) const { return m_watchers.value(key); }
    // Every watched folder's key (its path followed by "/").
    QStringList pathsToWatch() const { return m_watchers.keys(); }

    // Starts watching every registered folder not yet watched; stops watching every folder.
    void startWatching();
    void stopWatching();
    bool isWatching() const { return !m_watched.isEmpty() || !m_polled.isEmpty(); }
    // Whether the folder (a key) is watched by inotify, rather than polled.
    bool hasNativeWatch(const QString& key) const { return m_watched.contains(key); }

    // Calls the registrations of each path (without the trailing "/"), in order; a path named
    // twice calls them twice. Paths nobody watches are ignored.
    void eventsDidOccurForPaths(const QStringList& paths);

    // Seconds between the first change and its delivery (and between polls).
    double latency() const { return m_latency; }
    void setLatency(double seconds);

    // For tests: watch at most `count` folders natively (negative: no limit), as when the
    // system's watch limit is reached; and handle a queue overflow as if the kernel reported one.
    void setNativeWatchLimitForTesting(int count) { m_watchLimitForTesting = count; }
    void simulateQueueOverflowForTesting();

    static QString keyForURL(const QUrl& folder);

private:
    void watchKey(const QString& key);
    void unwatchKey(const QString& key);
    void readEvents();
    void queueChange(const QString& key);
    void deliverPending();
    void pollFolders();
    static QString stampOf(const QString& path);

    QMap<QString, QList<pf::Ref<RVWatcher>>> m_watchers;
    int m_fd = -1;
    QPointer<QSocketNotifier> m_notifier;
    QHash<int, QString> m_keyForDescriptor;
    QHash<QString, int> m_watched;
    // Folders watched by polling: key to the last seen stamp of the folder.
    QHash<QString, QString> m_polled;
    QStringList m_pending;
    QPointer<QTimer> m_deliveryTimer;
    QPointer<QTimer> m_pollTimer;
    double m_latency = kDefaultLatency;
    int m_watchLimitForTesting = -1;
    bool m_reportedLimit = false;
};
