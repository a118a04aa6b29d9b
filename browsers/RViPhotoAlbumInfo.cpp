#include "browsers/RViPhotoAlbumInfo.h"

#include "browsers/IMBIconCache.h"
#include "browsers/Image+MediaInfo.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

PF_DEFINE_CLASS(RViPhotoAlbumInfo, RVFolderInfo) {}

namespace {

const QString kAppName = QStringLiteral("iPhoto");

qint64 idOf(const QVariant& value)
{
    bool ok = false;
    const qint64 id = value.toLongLong(&ok);
    return ok ? id : 0;
}

// XML that is not well formed, made readable: characters XML forbids are dropped and a bare
// "&" that starts no entity is escaped.
QByteArray tidyXML(QByteArray data)
{
    QByteArray out;
    out.reserve(data.size());
    for (char c : data) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
            continue;
        out.append(c);
    }
    QString text = QString::fromUtf8(out);
    static const QRegularExpression bareAmpersand(QStringLiteral("&(?!(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);)"));
    text.replace(bareAmpersand, QStringLiteral("&amp;"));
    return text.toUtf8();
}

} // namespace

RViPhotoAlbumInfo::RViPhotoAlbumInfo(const QUrl& libraryURL)
    : RVFolderInfo(QUrl::fromLocalFile(QFileInfo(libraryURL.toLocalFile()).absolutePath())),
      m_libraryURL(libraryURL),
      m_albumType(kRootType)
{
    setName(kAppName);
}

QString RViPhotoAlbumInfo::pathToiPhoto()
{
    // The photo application does not exist on this platform.
    return QString();
}

QUrl RViPhotoAlbumInfo::urlForiAppsPreferences()
{
    const QString home = QDir::homePath();
    if (home.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(home + QStringLiteral("/Library/Preferences/com.apple.iApps.plist"));
}

QVariantMap RViPhotoAlbumInfo::iAppsPreferencesDictionary()
{
    const QUrl url = urlForiAppsPreferences();
    return url.isEmpty() ? QVariantMap() : pf::PropertyList::read(url.toLocalFile()).toMap();
}

QStringList RViPhotoAlbumInfo::iPhotoDatabases()
{
    if (!isiPhotoInstalled())
        return {};
    const QVariant recent = iAppsPreferencesDictionary().value(QStringLiteral("iPhotoRecentDatabases"));
    if (!recent.isValid()) {
        RVLog(kFileEvent, "Image Browser: no iPhoto databases were found");
        return {};
    }
    return recent.toStringList();
}

QList<pf::Ref<RViPhotoAlbumInfo>> RViPhotoAlbumInfo::iPhotoAlbums()
{
    return albumsForDatabases(iPhotoDatabases());
}

QList<pf::Ref<RViPhotoAlbumInfo>> RViPhotoAlbumInfo::albumsForDatabases(const QStringList& databases)
{
    QList<pf::Ref<RViPhotoAlbumInfo>> roots;
    for (const QString& database : databases) {
        const QUrl url = database.contains(QStringLiteral("://")) ? QUrl(database) : QUrl::fromLocalFile(database);
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            roots.append(std::make_shared<RViPhotoAlbumInfo>(url));
    }
    for (const auto& root : roots)
        root->setAppendLibraryName(databases.size() >= 2);
    return roots;
}

void RViPhotoAlbumInfo::setAppendLibraryName(bool append)
{
    m_appendLibraryName = append;
    if (!isRoot())
        return;
    // The library is named after the folder that holds its album data file.
    const QString label = QFileInfo(QFileInfo(m_libraryURL.toLocalFile()).absolutePath()).completeBaseName();
    setName(append ? QStringLiteral("%1 (%2)").arg(kAppName, label) : kAppName);
}

bool RViPhotoAlbumInfo::includeAlbumOfType(const QString& type)
{
    return type != QLatin1String("Slideshow") && type != QLatin1String("Book");
}

pf::Ref<pf::Image> RViPhotoAlbumInfo::iconForAlbumType(const QString& type)
{
    return IMBIconCache::sharedIconCache().iconForType(type.isEmpty() ? QStringLiteral("Photos") : type,
                                                       ImageMediaInfo::mainBundleIdentifier(),
                                                       IMBIconCache::albumIconMapping());
}

QVariantMap RViPhotoAlbumInfo::readLibraryFile(const QString& path)
{
    pf::Error error;
    QVariant value = pf::PropertyList::read(path, nullptr, &error);
    if (value.typeId() == QMetaType::QVariantMap && !value.toMap().isEmpty())
        return value.toMap();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        pf::Error tidyError;
        value = pf::PropertyList::value(tidyXML(file.readAll()), nullptr, &tidyError);
        if (value.typeId() == QMetaType::QVariantMap)
            return value.toMap();
        error = tidyError;
    }
    RVLog(kFileEvent, QStringLiteral("%1 %2").arg(QStringLiteral("-[RViPhotoAlbumInfo libraryInfo]"), error.description()));
    return {};
}

pf::Ref<RViPhotoAlbumInfo> RViPhotoAlbumInfo::albumWithDictionary(const QVariantMap& album)
{
    const QString type = album.value(QStringLiteral("Album Type")).toString();
    if (!includeAlbumOfType(type))
        return nullptr;
    auto node = std::make_shared<RViPhotoAlbumInfo>();
    node->setName(album.value(QStringLiteral("AlbumName")).toString());
    node->m_albumType = type;
    node->m_keyList = album.value(QStringLiteral("KeyList")).toList();
    node->m_albumID = idOf(album.value(QStringLiteral("AlbumId")));
    return node;
}

pf::Ref<RViPhotoAlbumInfo> RViPhotoAlbumInfo::rollWithDictionary(const QVariantMap& roll)
{
    auto node = std::make_shared<RViPhotoAlbumInfo>();
    node->setName(roll.value(QStringLiteral("RollName")).toString());
    node->m_albumType = kEventType;
    node->m_keyList = roll.value(QStringLiteral("KeyList")).toList();
    node->m_albumID = idOf(roll.value(QStringLiteral("RollID")));
    return node;
}

pf::Ref<RViPhotoAlbumInfo> RViPhotoAlbumInfo::rollNodeWithRolls(const QVariantList& rolls)
{
    auto node = std::make_shared<RViPhotoAlbumInfo>();
    node->setName(QStringLiteral("Events"));
    node->m_albumType = kEventsType;
    QList<pf::Ref<RVFolderInfo>> events;
    for (const QVariant& roll : rolls) {
        pf::Ref<RViPhotoAlbumInfo> event = rollWithDictionary(roll.toMap());
        event->setParent(node);
        events.append(event);
    }
    node->m_subfolders = events;
    return node;
}

QVariantMap RViPhotoAlbumInfo::libraryInfo()
{
    if (!isRoot()) {
        auto up = std::dynamic_pointer_cast<RViPhotoAlbumInfo>(parent());
        return up ? up->libraryInfo() : QVariantMap();
    }
    QMutexLocker locker(&m_lock);
    if (!m_libraryInfo)
        m_libraryInfo = readLibraryFile(m_libraryURL.toLocalFile());
    return *m_libraryInfo;
}

QList<pf::Ref<RVFolderInfo>> RViPhotoAlbumInfo::subnodesWithAlbumInfo(const QVariantList& albums)
{
    // An album that stands for this node or one above it (by id) would make the tree endless:
    // a parent chain that loops, or two albums sharing an id.
    QSet<qint64> above;
    for (pf::Ref<RVFolderInfo> node = ref<RVFolderInfo>(); node; node = node->parent())
        if (auto album = std::dynamic_pointer_cast<RViPhotoAlbumInfo>(node))
            above.insert(album->m_albumID);
    const pf::Ref<RViPhotoAlbumInfo> self = ref<RViPhotoAlbumInfo>();
    QList<pf::Ref<RVFolderInfo>> nodes;
    for (const QVariant& value : albums) {
        const QVariantMap album = value.toMap();
        if (idOf(album.value(QStringLiteral("Parent"))) != m_albumID)
            continue;
        const qint64 id = idOf(album.value(QStringLiteral("AlbumId")));
        const QString name = album.value(QStringLiteral("AlbumName")).toString();
        if (id == 0) {
            RVLog(kFileEvent, QStringLiteral("album '%1' refused: its id is 0, the library's own").arg(name));
            continue;
        }
        if (above.contains(id)) {
            RVLog(kFileEvent, QStringLiteral("album '%1' (%2) refused: its chain of parents loops").arg(name).arg(id));
            continue;
        }
        if (pf::Ref<RViPhotoAlbumInfo> node = albumWithDictionary(album)) {
            node->setParent(self);
            nodes.append(node);
        }
    }
    return nodes;
}

QList<pf::Ref<RVFolderInfo>> RViPhotoAlbumInfo::subFolders()
{
    QMutexLocker locker(&m_lock);
    if (m_subfolders)
        return *m_subfolders;
    m_subfolders.emplace();
    if (!isParentItem())
        return *m_subfolders;
    const QVariantMap info = libraryInfo();
    if (isRoot()) {
        const QVariantList rolls = info.value(QStringLiteral("List of Rolls")).toList();
        if (!rolls.isEmpty()) {
            pf::Ref<RViPhotoAlbumInfo> events = rollNodeWithRolls(rolls);
            events->setParent(ref<RViPhotoAlbumInfo>());
            m_subfolders->append(events);
        }
    }
    if (info.contains(QStringLiteral("List of Albums")))
        m_subfolders->append(subnodesWithAlbumInfo(info.value(QStringLiteral("List of Albums")).toList()));
    return *m_subfolders;
}

pf::Ref<RViPhotoAlbumInfo> RViPhotoAlbumInfo::findNodeWithAlbumID(qint64 albumID)
{
    if (m_albumID == albumID)
        return ref<RViPhotoAlbumInfo>();
    for (const pf::Ref<RVFolderInfo>& child : subFolders())
        if (auto album = std::dynamic_pointer_cast<RViPhotoAlbumInfo>(child))
            if (pf::Ref<RViPhotoAlbumInfo> found = album->findNodeWithAlbumID(albumID))
                return found;
    return nullptr;
}

QString RViPhotoAlbumInfo::identifier() const
{
    const pf::Ref<RVFolderInfo> up = parent();
    return up ? QStringLiteral("%1/%2").arg(up->identifier(), ownIdentifierPart()) : ownIdentifierPart();
}

pf::Ref<RVFolderInfo> RViPhotoAlbumInfo::nodeWithIdentifier(const QString& identifier)
{
    // Matched part by part from the front, not split at "/": an album type read from the file
    // may hold the separator itself.
    const QString own = ownIdentifierPart();
    if (identifier.isEmpty())
        return nullptr;
    if (identifier == own)
        return ref<RVFolderInfo>();
    if (!identifier.startsWith(own + QLatin1Char('/')))
        return nullptr;
    const QString rest = identifier.mid(own.size() + 1);
    for (const pf::Ref<RVFolderInfo>& child : subFolders())
        if (pf::Ref<RVFolderInfo> found = child->nodeWithIdentifier(rest))
            return found;
    return nullptr;
}

pf::Ref<pf::Image> RViPhotoAlbumInfo::icon() const
{
    return iconForAlbumType(isRoot() ? QStringLiteral("Photos") : m_albumType);
}

QSet<QUrl> RViPhotoAlbumInfo::fileURLsOfTypes(const QStringList& types)
{
    const QString key = types.join(QChar(0));
    {
        QMutexLocker locker(&m_lock);
        if (auto found = m_albumFiles.constFind(key); found != m_albumFiles.constEnd())
            return *found;
    }
    QSet<QUrl> files;
    const QVariantMap info = libraryInfo();
    const QVariant master = info.value(QStringLiteral("Master Image List"));
    if (master.typeId() != QMetaType::QVariantMap) {
        RVLog(kFileEvent, QStringLiteral("no master image list - unable to continue (%1)").arg(m_libraryURL.toString()));
        return files;
    }
    const QVariantMap images = master.toMap();
    for (const QVariant& key : m_keyList) {
        const QVariantMap image = images.value(key.toString()).toMap();
        if (image.contains(QStringLiteral("MediaType")) && image.value(QStringLiteral("MediaType")).toString() != QLatin1String("Image"))
            continue;
        const QString path = image.value(QStringLiteral("ImagePath")).toString();
        if (path.isEmpty()) {
            RVLog(kFileEvent, QStringLiteral("image %1 of album '%2' has no path: left out").arg(key.toString(), name()));
            continue;
        }
        if (!types.isEmpty() && !types.contains(QFileInfo(path).suffix(), Qt::CaseSensitive))
            continue;
        files.insert(QUrl::fromLocalFile(path));
    }
    if (returnsAllEnclosedFiles())
        for (const pf::Ref<RVFolderInfo>& child : subFolders())
            files.unite(child->fileURLsOfTypes(types));
    QMutexLocker locker(&m_lock);
    m_albumFiles.insert(key, files);
    return files;
}

void RViPhotoAlbumInfo::clear()
{
    QMutexLocker locker(&m_lock);
    m_albumFiles.clear();
    RVFolderInfo::clear();
}

void RViPhotoAlbumInfo::rebuildAndNotify()
{
    if (!pf::RunLoop::isMainThread()) {
        pf::Weak<RViPhotoAlbumInfo> weakSelf = weak<RViPhotoAlbumInfo>();
        pf::RunLoop::main().perform([weakSelf] {
            if (auto self = weakSelf.lock())
                self->rebuildAndNotify();
        }, 0);
        return;
    }
    QList<pf::Ref<RVFolderInfo>> children;
    {
        QMutexLocker locker(&m_lock);
        if (m_subfolders)
            children = *m_subfolders;
    }
    for (const pf::Ref<RVFolderInfo>& child : children)
        if (auto album = std::dynamic_pointer_cast<RViPhotoAlbumInfo>(child))
            album->rebuildAndNotify();
    {
        QMutexLocker locker(&m_lock);
        dropChildren();
        m_libraryInfo.reset();
        clear();
    }
    pf::NotificationCenter::defaultCenter().post(kRVFolderInfoDidChangeOnDisk, this);
    notifyRefreshDelegate();
}
