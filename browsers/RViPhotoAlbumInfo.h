#pragma once

#include "browsers/RVFolderInfo.h"

#include <QVariantList>
#include <QVariantMap>

#include <optional>

// A photo library's album data file (a property list) shown as a folder tree: the library at
// the root, an "Events" node of its rolls, and its albums nested by their parents. Files are the
// images each album lists. A damaged file, an image entry without a path and albums whose id is
// 0 or whose parent chain loops are refused with a log line, so a bad library never makes an
// endless tree.
class RViPhotoAlbumInfo : public RVFolderInfo {
    PF_CLASS(RViPhotoAlbumInfo)
public:
    static inline const QString kRootType = QStringLiteral("iPhoto_root");
    static inline const QString kEventType = QStringLiteral("Event");
    static inline const QString kEventsType = QStringLiteral("Events");

    RViPhotoAlbumInfo() = default;
    // The root of the library whose album data file is `libraryURL`; its folder is watched.
    explicit RViPhotoAlbumInfo(const QUrl& libraryURL);

    static QString pathToiPhoto();
    static bool isiPhotoInstalled() { return !pathToiPhoto().isEmpty(); }
    static QUrl urlForiAppsPreferences();
    static QVariantMap iAppsPreferencesDictionary();
    // The album data files the photo application lists as recent; empty when it is not installed.
    static QStringList iPhotoDatabases();
    static QList<pf::Ref<RViPhotoAlbumInfo>> iPhotoAlbums();
    // One root per database whose file exists; names carry a library label when there are several.
    static QList<pf::Ref<RViPhotoAlbumInfo>> albumsForDatabases(const QStringList& databases);
    static bool includeAlbumOfType(const QString& type);
    static pf::Ref<pf::Image> iconForAlbumType(const QString& type);
    // Reads an album data file, repairing XML that is not well formed; empty (logged) when even
    // that fails.
    static QVariantMap readLibraryFile(const QString& path);

    static pf::Ref<RViPhotoAlbumInfo> albumWithDictionary(const QVariantMap& album);
    static pf::Ref<RViPhotoAlbumInfo> rollWithDictionary(const QVariantMap& roll);
    static pf::Ref<RViPhotoAlbumInfo> rollNodeWithRolls(const QVariantList& rolls);

    QUrl libraryURL() const { return m_libraryURL; }
    bool appendLibraryName() const { return m_appendLibraryName; }
    void setAppendLibraryName(bool append);
    QString albumType() const { return m_albumType; }
    void setAlbumType(const QString& type) { m_albumType = type; }
    qint64 albumID() const { return m_albumID; }
    bool isRoot() const { return m_albumType == kRootType; }

    QVariantMap libraryInfo();
    QList<pf::Ref<RVFolderInfo>> subnodesWithAlbumInfo(const QVariantList& albums);
    bool isParentItem() const { return isRoot() || m_albumType == QLatin1String("Folder"); }
    pf::Ref<RViPhotoAlbumInfo> findNodeWithAlbumID(qint64 albumID);

    QString identifier() const override;
    pf::Ref<pf::Image> icon() const override;
    bool allowsDeletion() const override { return false; }
    bool existsOnDisk() const override { return isRoot() && RVFolderInfo::existsOnDisk(); }
    bool subFoldersPresorted() const override { return true; }
    QList<pf::Ref<RVFolderInfo>> subFolders() override;
    pf::Ref<RVFolderInfo> nodeWithIdentifier(const QString& identifier) override;
    QSet<QUrl> fileURLsOfTypes(const QStringList& types) override;
    void clearCacheAndNotify() override { rebuildAndNotify(); }
    void clear() override;
    void rebuildAndNotify();

private:
    QString ownIdentifierPart() const { return QStringLiteral("%1%2").arg(m_albumType).arg(m_albumID); }

    QUrl m_libraryURL;
    bool m_appendLibraryName = false;
    std::optional<QVariantMap> m_libraryInfo;
    QString m_albumType;
    QVariantList m_keyList;
    qint64 m_albumID = 0;
    QHash<QString, QSet<QUrl>> m_albumFiles;
};
