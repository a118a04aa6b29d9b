#include "browsers/RVFolderWatcher.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

PF_DEFINE_CLASS(RVFolderWatcher, pf::Object) {}

namespace {

constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB
    | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

QString pathOfKey(const QString& key)
{
    return key.size() > 1 && key.endsWith(QLatin1Char('/')) ? key.chopped(1) : key;
}

} // namespace

RVFolderWatcher::RVFolderWatcher()
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        RVLog(kFileEvent, QStringLiteral("folder watching falls back to polling: inotify is unavailable (%1)")
                              .arg(QString::fromLocal8Bit(std::strerror(errno))));
    } else {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] { readEvents(); });
    }
    m_deliveryTimer = new QTimer;
    m_deliveryTimer->setSingleShot(true);
    QObject::connect(m_deliveryTimer, &QTimer::timeout, m_deliveryTimer, [this] { deliverPending(); });
    m_pollTimer = new QTimer;
    QObject::connect(m_pollTimer, &QTimer::timeout, m_pollTimer, [this] { pollFolders(); });
}

RVFolderWatcher::~RVFolderWatcher()
{
    stopWatching();
    delete m_notifier;
    delete m_deliveryTimer;
    delete m_pollTimer;
    if (m_fd >= 0)
        ::close(m_fd);
}

RVFolderWatcher& RVFolderWatcher::defaultWatcher()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    // Made once and never destroyed: folder nodes held by other statics remove themselves from
    // it while the program exits, after every static made before them is gone.
    static RVFolderWatcher* watcher = new RVFolderWatcher;
    return *watcher;
}

QString RVFolderWatcher::keyForURL(const QUrl& folder)
{
    QString path = folder.isLocalFile() ? folder.toLocalFile() : folder.path();
    path = QDir::cleanPath(path);
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

void RVFolderWatcher::setLatency(double seconds)
{
    m_latency = seconds > 0 ? seconds : kDefaultLatency;
    if (m_pollTimer && m_pollTimer->isActive())
        m_pollTimer->start(int(m_latency * 1000));
    // Changes already waiting are delivered after the new latency, not the old one.
    if (m_deliveryTimer && m_deliveryTimer->isActive())
        m_deliveryTimer->start(int(m_latency * 1000));
}

pf::Ref<RVWatcher> RVFolderWatcher::watcherForObserver(pf::Reflective* observer, const QString& selector,
                                                       const QUrl& folder, const QVariantMap& userInfo)
{
    auto watcher = std::make_shared<RVWatcher>(observer, QUrl::fromLocalFile(pathOfKey(keyForURL(folder))), selector,
                                               userInfo);
    watcher->setOwner(this);
    return watcher;
}

void RVFolderWatcher::addObserver(pf::Reflective* observer, const QString& selector, const QUrl& folder,
                                  const QVariantMap& userInfo)
{
    const QString key = keyForURL(folder);
    if (!QFileInfo(pathOfKey(key)).isDir())
        pf::raise(pf::NSInternalInconsistencyException,
                  QStringLiteral("Attempt to observe a directory that does not exist or is not a directory: %1, "
                                 "offending observer: %2")
                      .arg(folder.toString(), observer ? observer->description() : QStringLiteral("(null)")));
    const bool restart = !m_watchers.contains(key);
    addWatcher(watcherForObserver(observer, selector, folder, userInfo), key, restart);
}

void RVFolderWatcher::addWatcher(const pf::Ref<RVWatcher>& watcher, const QString& key, bool restartStream)
{
    QList<pf::Ref<RVWatcher>> list = m_watchers.value(key);
    if (!watcher || list.contains(watcher))
        return;
    list.append(watcher);
    m_watchers.insert(key, list);
    if (restartStream)
        watchKey(key);
}

void RVFolderWatcher::removeObserver(pf::Reflective* observer, const QUrl& folder)
{
    QStringList keys = folder.isEmpty() ? m_watchers.keys() : QStringList{keyForURL(folder)};
    for (const QString& key : keys) {
        auto found = m_watchers.find(key);
        if (found == m_watchers.end())
            continue;
        found->erase(std::remove_if(found->begin(), found->end(),
                                    [observer](const pf::Ref<RVWatcher>& w) { return w->observer() == observer; }),
                     found->end());
        if (found->isEmpty()) {
            m_watchers.erase(found);
            unwatchKey(key);
        }
    }
}

void RVFolderWatcher::removeWatcher(const pf::Ref<RVWatcher>& watcher)
{
    if (!watcher)
        return;
    const QString key = keyForURL(watcher->url());
    auto found = m_watchers.find(key);
    if (found == m_watchers.end())
        return;
    found->removeAll(watcher);
    if (found->isEmpty()) {
        m_watchers.erase(found);
        unwatchKey(key);
    }
}

void RVFolderWatcher::startWatching()
{
    for (const QString& key : m_watchers.keys())
        watchKey(key);
}

void RVFolderWatcher::stopWatching()
{
    for (const QString& key : m_watched.keys())
        unwatchKey(key);
    for (const QString& key : m_polled.keys())
        unwatchKey(key);
}

void RVFolderWatcher::watchKey(const QString& key)
{
    if (m_watched.contains(key) || m_polled.contains(key))
        return;
    const QString path = pathOfKey(key);
    const bool limited = m_watchLimitForTesting >= 0 && m_watched.size() >= m_watchLimitForTesting;
    int descriptor = -1;
    int failure = ENOSPC;
    if (m_fd >= 0 && !limited) {
        descriptor = inotify_add_watch(m_fd, QFile::encodeName(path).constData(), kWatchMask);
        failure = errno;
    }
    if (descriptor >= 0) {
        m_watched.insert(key, descriptor);
        m_keyForDescriptor.insert(descriptor, key);
        return;
    }
    if (failure == ENOSPC || failure == ENOMEM || m_fd < 0) {
        if (!m_reportedLimit)
            RVLog(kFileEvent, QStringLiteral("the folder watch limit is reached: folders such as '%1' are polled "
                                             "every %2 seconds")
                                  .arg(path)
                                  .arg(m_latency));
        m_reportedLimit = true;
        m_polled.insert(key, stampOf(path));
        if (!m_pollTimer->isActive())
            m_pollTimer->start(int(m_latency * 1000));
        return;
    }
    RVLog(kFileEvent, QStringLiteral("the folder '%1' cannot be watched: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(failure))));
}

void RVFolderWatcher::unwatchKey(const QString& key)
{
    if (auto found = m_watched.find(key); found != m_watched.end()) {
        m_keyForDescriptor.remove(*found);
        if (m_fd >= 0)
            inotify_rm_watch(m_fd, *found);
        m_watched.erase(found);
    }
    m_polled.remove(key);
    if (m_polled.isEmpty() && m_pollTimer)
        m_pollTimer->stop();
    m_pending.removeAll(key);
}

void RVFolderWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event)) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                // Changes were dropped: every folder may have changed, so all are scanned again.
                RVLog(kFileEvent, "the folder change queue overflowed: every watched folder is read again");
                for (const QString& key : m_watchers.keys())
                    queueChange(key);
                continue;
            }
            const QString key = m_keyForDescriptor.value(event->wd);
            if (key.isEmpty())
                continue;
            if (event->mask & IN_IGNORED) {
                // The folder went away (or was unmounted): the kernel dropped the watch.
                m_keyForDescriptor.remove(event->wd);
                m_watched.remove(key);
            }
            queueChange(key);
        }
    }
}

void RVFolderWatcher::simulateQueueOverflowForTesting()
{
    for (const QString& key : m_watchers.keys())
        queueChange(key);
}

void RVFolderWatcher::queueChange(const QString& key)
{
    if (!m_watchers.contains(key) || m_pending.contains(key))
        return;
    m_pending.append(key);
    if (!m_deliveryTimer->isActive())
        m_deliveryTimer->start(int(m_latency * 1000));
}

void RVFolderWatcher::deliverPending()
{
    QStringList paths;
    for (const QString& key : std::exchange(m_pending, {}))
        paths.append(pathOfKey(key));
    eventsDidOccurForPaths(paths);
}

QString RVFolderWatcher::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    const QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return QStringLiteral("%1/%2/%3")
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.metadataChangeTime().toMSecsSinceEpoch())
        .arg(qHash(names.join(QLatin1Char('\n'))));
}

void RVFolderWatcher::pollFolders()
{
    for (auto it = m_polled.begin(); it != m_polled.end(); ++it) {
        const QString stamp = stampOf(pathOfKey(it.key()));
        if (stamp != it.value()) {
            it.value() = stamp;
            queueChange(it.key());
        }
    }
}

void RVFolderWatcher::eventsDidOccurForPaths(const QStringList& paths)
{
    for (const QString& path : paths) {
        const QString key = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        // A copy: an observer may register or remove while it is called.
        const QList<pf::Ref<RVWatcher>> watchers = m_watchers.value(key);
        for (const pf::Ref<RVWatcher>& watcher : watchers) {
            if (!m_watchers.value(key).contains(watcher))
                continue; // removed by an earlier observer of this batch
            watcher->sendNotificationWithUserInfo({});
        }
    }
}
