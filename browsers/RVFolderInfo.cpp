#include "browsers/RVFolderInfo.h"

#include "browsers/RVFileInfo.h"
#include "browsers/RVFolderWatcher.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/AutoreleasePool.h"
#include "platform/foundation/Bookmark.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>

PF_DEFINE_CLASS(RVFolderInfo, pf::Object)
{
    b.property("name", &RVFolderInfo::name);
    b.property("identifier", &RVFolderInfo::identifier);
    b.property("path", &RVFolderInfo::path);
    b.method("folderChangeNotification:", &RVFolderInfo::folderChangeNotification);
    b.method("clearCacheAndNotify", &RVFolderInfo::clearCacheAndNotify);
    b.method("notifyRefreshDelegate", &RVFolderInfo::notifyRefreshDelegate);
}

PF_DEFINE_CLASS(RVFileInfo, RVFolderInfo) {}

bool RVFileInfo::isPackage() const
{
    return pf::FileManager::isPackage(path());
}

namespace {

// The children list a change on disk took away, kept until the current event has been handled
// so that a caller walking it is not disturbed.
class DroppedChildren : public pf::Object {
public:
    QList<pf::Ref<RVFolderInfo>> nodes;
};

// The entry's path with a link in its last component resolved (a link shows as its target);
// the path as it is otherwise, so nodes stay below their root's path. Empty for a broken link.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return info.canonicalFilePath();
    return info.exists() ? QDir::cleanPath(path) : QString();
}

} // namespace

RVFolderInfo::RVFolderInfo(const QUrl& url) : m_url(url)
{
    if (m_url.isLocalFile())
        m_url = QUrl::fromLocalFile(QDir::cleanPath(m_url.toLocalFile()));
    m_name = QFileInfo(path()).fileName();
    if (m_name.isEmpty())
        m_name = path();
    RVLog(kReactiveEvent, QStringLiteral("%1 will monitor changes to '%2'").arg(m_name, m_url.toString()));
    startWatching();
}

RVFolderInfo::~RVFolderInfo()
{
    if (m_securityScoped && m_url.isLocalFile())
        pf::Bookmark::stopAccessingSecurityScopedResource(path());
    if (m_watching)
        RVFolderWatcher::defaultWatcher().removeObserver(this);
}

void RVFolderInfo::startWatching()
{
    if (m_watching || !m_url.isLocalFile() || !QFileInfo(path()).isDir())
        return;
    RVFolderWatcher::defaultWatcher().addObserver(this, QStringLiteral("folderChangeNotification:"), m_url);
    m_watching = true;
}

QUrl RVFolderInfo::urlForPath(const QString& path)
{
    QString expanded = path;
    if (expanded == QLatin1String("~") || expanded.startsWith(QLatin1String("~/")))
        expanded.replace(0, 1, QDir::homePath());
    return QUrl::fromLocalFile(QDir::cleanPath(expanded));
}

pf::Ref<RVFolderInfo> RVFolderInfo::folderInfoRootItemWithIdentifier(const QString& path)
{
    const QUrl url = urlForPath(path);
    if (!QFileInfo::exists(url.toLocalFile()))
        return nullptr;
    return folderInfoWithURL(url);
}

pf::Ref<RVFolderInfo> RVFolderInfo::folderInfoRootItemWithBookmark(const QByteArray& bookmark)
{
    return resolveBookmark(bookmark, [](const QUrl& url) { return folderInfoWithURL(url); });
}

pf::Ref<RVFolderInfo> RVFolderInfo::resolveBookmark(const QByteArray& bookmark,
                                                    const std::function<pf::Ref<RVFolderInfo>(const QUrl&)>& make)
{
    PF_ASSERT(!bookmark.isNull(), "unable to resolve nil data");
    PF_ASSERT(!bookmark.isEmpty(), "unable to resolve empty data");
    bool stale = false;
    pf::Error error;
    const QString path = pf::Bookmark::resolve(bookmark, bookmarkResolutionOptions(), &stale, &error);
    if (path.isEmpty() || stale) {
        RVLog(kFileEvent, QStringLiteral("the bookmark could not be resolved or was stale, error = %1")
                              .arg(path.isEmpty() ? error.description() : QStringLiteral("(stale)")));
        return nullptr;
    }
    pf::Ref<RVFolderInfo> node = make(QUrl::fromLocalFile(path));
    node->setSecurityScoped(true);
    pf::Bookmark::startAccessingSecurityScopedResource(path);
    return node;
}

pf::OperationQueue& RVFolderInfo::loadQueue()
{
    if (!loadsAsynchronously())
        return pf::OperationQueue::mainQueue();
    static pf::OperationQueue* queue = new pf::OperationQueue;
    return *queue;
}

pf::Ref<RVFolderInfo> RVFolderInfo::root()
{
    pf::Ref<RVFolderInfo> node = ref<RVFolderInfo>();
    while (pf::Ref<RVFolderInfo> up = node->parent())
        node = up;
    return node;
}

QString RVFolderInfo::identifier() const
{
    const pf::Ref<RVFolderInfo> up = parent();
    return up ? QStringLiteral("%1|%2").arg(up->identifier(), m_name) : m_name;
}

pf::Ref<pf::Image> RVFolderInfo::icon() const
{
    if (pf::Ref<pf::Image> image = pf::Image::imageNamed(QStringLiteral("VN_Category")))
        return image;
    static const pf::Ref<pf::Image> folder =
        pf::Image::fromQImage(QFileIconProvider().icon(QFileIconProvider::Folder).pixmap(16, 16).toImage(), QSizeF(16, 16));
    return folder;
}

bool RVFolderInfo::existsOnDisk() const
{
    return m_url.isLocalFile() && QFileInfo(path()).isDir();
}

bool RVFolderInfo::isLinkBack(const QString& resolved) const
{
    // A link to this folder or to one above it would make the tree endless.
    const QString target = QFileInfo(resolved).canonicalFilePath();
    for (pf::Ref<const RVFolderInfo> node = ref<RVFolderInfo>(); node; node = node->parent()) {
        if (node->path() == resolved || QFileInfo(node->path()).canonicalFilePath() == target)
            return true;
    }
    return false;
}

pf::Ref<RVFolderInfo> RVFolderInfo::makeChild(const QUrl& url) const
{
    return std::make_shared<RVFolderInfo>(url);
}

QList<pf::Ref<RVFolderInfo>> RVFolderInfo::subFolders()
{
    QMutexLocker locker(&m_lock);
    if (m_subfolders)
        return *m_subfolders;
    m_subfolders.emplace();
    if (!m_url.isLocalFile())
        return *m_subfolders;
    const QDir folder(path());
    const QStringList names = folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    const pf::Ref<RVFolderInfo> self = ref<RVFolderInfo>();
    for (const QString& name : names) {
        const QString resolved = resolvedPath(folder.filePath(name));
        if (resolved.isEmpty())
            continue; // a broken link
        const QFileInfo info(resolved);
        if (info.isDir() && (m_includesPackages || !pf::FileManager::isPackage(resolved))) {
            if (isLinkBack(resolved))
                continue;
            pf::Ref<RVFolderInfo> child = makeChild(QUrl::fromLocalFile(resolved));
            child->m_parent = self;
            child->m_includesPackages = m_includesPackages;
            child->m_returnsAllEnclosedFiles = m_returnsAllEnclosedFiles;
            child->m_includesFiles = m_includesFiles;
            m_subfolders->append(child);
        } else if (m_includesFiles) {
            auto child = std::make_shared<RVFileInfo>(QUrl::fromLocalFile(resolved));
            child->m_parent = self;
            child->m_includesPackages = m_includesPackages;
            child->m_includesFiles = m_includesFiles;
            m_subfolders->append(child);
        }
    }
    return *m_subfolders;
}

void RVFolderInfo::addSubfolder(const pf::Ref<RVFolderInfo>& folder)
{
    if (!folder || folder.get() == this)
        return;
    QMutexLocker locker(&m_lock);
    folder->m_parent = ref<RVFolderInfo>();
    folder->m_includesFiles = m_includesFiles;
    folder->m_includesPackages = m_includesPackages;
    folder->m_returnsAllEnclosedFiles = m_returnsAllEnclosedFiles;
    if (m_subfolders)
        m_subfolders->append(folder);
}

bool RVFolderInfo::containsSubfolder(const pf::Ref<RVFolderInfo>& node) const
{
    for (pf::Ref<RVFolderInfo> up = node; up; up = up->parent())
        if (up.get() == this)
            return true;
    return false;
}

pf::Ref<RVFolderInfo> RVFolderInfo::nodeWithIdentifier(const QString& identifier)
{
    if (identifier.isEmpty())
        return nullptr;
    const QString own = this->identifier();
    if (identifier == own)
        return ref<RVFolderInfo>();
    if (!identifier.contains(own))
        return nullptr;
    for (const pf::Ref<RVFolderInfo>& child : subFolders())
        if (pf::Ref<RVFolderInfo> found = child->nodeWithIdentifier(identifier))
            return found;
    return nullptr;
}

pf::Ref<RVFolderInfo> RVFolderInfo::nodeWithURL(const QUrl& url)
{
    if (url.isEmpty())
        return nullptr;
    const QString wanted = QDir::cleanPath(url.isLocalFile() ? url.toLocalFile() : url.path());
    // Children stand at their links' targets, so the wanted folder is also looked for there.
    const QString resolved = QFileInfo(wanted).canonicalFilePath();
    return findNode(wanted, resolved.isEmpty() ? wanted : resolved);
}

pf::Ref<RVFolderInfo> RVFolderInfo::findNode(const QString& wanted, const QString& resolved)
{
    if (path() == wanted || path() == resolved)
        return ref<RVFolderInfo>();
    for (const pf::Ref<RVFolderInfo>& child : subFolders())
        if (pf::Ref<RVFolderInfo> found = child->findNode(wanted, resolved))
            return found;
    return nullptr;
}

void RVFolderInfo::setReturnsAllEnclosedFiles(bool all)
{
    if (all == m_returnsAllEnclosedFiles)
        return;
    m_returnsAllEnclosedFiles = all;
    clear();
}

RVFolderInfoRefreshDelegate* RVFolderInfo::refreshDelegate() const
{
    return dynamic_cast<RVFolderInfoRefreshDelegate*>(m_refreshDelegate.lock().get());
}

QString RVFolderInfo::typesKey(const QStringList& types)
{
    return types.join(QChar(0));
}

QSet<QUrl> RVFolderInfo::fileURLsOfTypes(const QStringList& types)
{
    const QString key = typesKey(types);
    {
        QMutexLocker locker(&m_lock);
        const QSet<QUrl> cached = m_fileURLs.value(key);
        if (!cached.isEmpty())
            return cached;
    }
    QSet<QUrl> found;
    const QDir folder(path());
    if (!m_url.isLocalFile() || !folder.exists()) {
        RVLog(kFileEvent, QStringLiteral("the folder '%1' could not be read").arg(m_url.toString()));
        return found;
    }
    const QStringList names = folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        const QString resolved = resolvedPath(folder.filePath(name));
        if (resolved.isEmpty())
            continue;
        const QFileInfo info(resolved);
        if (info.isDir())
            continue;
        if (types.isEmpty() || types.contains(info.suffix(), Qt::CaseSensitive))
            found.insert(QUrl::fromLocalFile(resolved));
    }
    if (m_returnsAllEnclosedFiles) {
        for (const pf::Ref<RVFolderInfo>& child : subFolders()) {
            if (child->isFile())
                continue;
            child->setReturnsAllEnclosedFiles(true);
            found.unite(child->fileURLsOfTypes(types));
        }
    }
    {
        QMutexLocker locker(&m_lock);
        if (!found.isEmpty())
            m_fileURLs.insert(key, found);
    }
    pf::Weak<RVFolderInfo> weakSelf = weak<RVFolderInfo>();
    pf::RunLoop::main().perform([weakSelf] {
        if (pf::Ref<RVFolderInfo> self = weakSelf.lock())
            self->notifyRefreshDelegate();
    }, 0);
    return found;
}

std::optional<QSet<QString>> RVFolderInfo::filesOfTypes(const QStringList& types)
{
    const QDir folder(path());
    if (!m_url.isLocalFile() || !folder.exists() || !folder.isReadable()) {
        RVLog(kFileEvent, QStringLiteral("the folder '%1' could not be read, error = %2")
                              .arg(path(), QStringLiteral("the folder does not exist or cannot be read")));
        return std::nullopt;
    }
    const QString key = typesKey(types);
    {
        QMutexLocker locker(&m_lock);
        const QSet<QString> cached = m_files.value(key);
        if (!cached.isEmpty())
            return cached;
    }
    QSet<QString> found;
    const QStringList names = folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString full = folder.filePath(name);
        const QFileInfo info(full);
        if (!info.exists() || info.isDir())
            continue;
        if (types.isEmpty() || types.contains(info.suffix(), Qt::CaseSensitive))
            found.insert(full);
    }
    if (m_returnsAllEnclosedFiles) {
        for (const pf::Ref<RVFolderInfo>& child : subFolders()) {
            if (child->isFile())
                continue;
            if (std::optional<QSet<QString>> below = child->filesOfTypes(types))
                found.unite(*below);
        }
    }
    QMutexLocker locker(&m_lock);
    if (!found.isEmpty())
        m_files.insert(key, found);
    return found;
}

QByteArray RVFolderInfo::bookmark() const
{
    pf::Error error;
    const QByteArray data = pf::Bookmark::create(path(), bookmarkCreationOptions(), &error);
    if (data.isEmpty())
        RVLog(kFileEvent, QStringLiteral("Unable to create bookmark for the URL = %1, error = %2")
                              .arg(m_url.toString(), error.description()));
    return data;
}

void RVFolderInfo::folderChangeNotification(const QVariant& notification)
{
    const QString changed = notification.value<pf::Notification>().userInfo.value(QStringLiteral("path")).toString();
    if (QDir::cleanPath(changed) != path())
        return;
    pf::Weak<RVFolderInfo> weakSelf = weak<RVFolderInfo>();
    pf::RunLoop::main().perform([weakSelf] {
        if (pf::Ref<RVFolderInfo> self = weakSelf.lock())
            self->clearCacheAndNotify();
    }, 0);
}

void RVFolderInfo::clear()
{
    QMutexLocker locker(&m_lock);
    m_files.clear();
    m_fileURLs.clear();
}

void RVFolderInfo::dropChildren()
{
    QMutexLocker locker(&m_lock);
    if (!m_subfolders)
        return;
    auto dropped = std::make_shared<DroppedChildren>();
    dropped->nodes = std::move(*m_subfolders);
    m_subfolders.reset();
    pf::autorelease(dropped);
}

void RVFolderInfo::clearCacheAndNotify()
{
    pf::Ref<RVFolderInfo> self = ref<RVFolderInfo>();
    {
        QMutexLocker locker(&m_lock);
        clear();
        dropChildren();
    }
    pf::NotificationCenter::defaultCenter().post(kRVFolderInfoDidChangeOnDisk, this);
    notifyRefreshDelegate();
}

void RVFolderInfo::notifyRefreshDelegate()
{
    pf::Ref<RVFolderInfo> top = root();
    if (RVFolderInfoRefreshDelegate* delegate = top->refreshDelegate())
        delegate->setNeedsUpdateWithItem(ref<RVFolderInfo>());
}

QString RVFolderInfo::description() const
{
    return QStringLiteral("<%1> %2 = %3 [%4]")
        .arg(className())
        .arg(quintptr(this), 0, 16)
        .arg(m_name)
        .arg(m_subfolders ? m_subfolders->size() : 0);
}
