#pragma once

#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QRecursiveMutex>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace pf {
class Image;
class OperationQueue;
} // namespace pf
class RVFolderInfo;

// Told which node of a tree needs showing again (after a fresh file query or a change on disk).
// Only a root's refresh delegate is asked.
class RVFolderInfoRefreshDelegate {
public:
    virtual ~RVFolderInfoRefreshDelegate() = default;
    virtual void setNeedsUpdateWithItem(const pf::Ref<RVFolderInfo>& item) = 0;
};

// One node of a tree that mirrors a folder on disk. Children are listed lazily, once, and
// forgotten (with the cached file queries) when the folder changes on disk; the node then posts
// kRVFolderInfoDidChangeOnDisk. A node names itself by the names from its root down, joined by
// "|", answers which files of given types it holds (and, when asked, which its whole subtree
// holds), and turns into a bookmark and back.
class RVFolderInfo : public pf::Object {
    PF_CLASS(RVFolderInfo)
public:
    static inline const QString kRVFolderInfoDidChangeOnDisk = QStringLiteral("kRVFolderInfoDidChangeOnDisk");

    RVFolderInfo() = default;
    // Keeps the URL, takes its last component as name, and watches the folder when it is one.
    explicit RVFolderInfo(const QUrl& url);
    ~RVFolderInfo() override;

    // A directory URL for the path, with a leading "~" expanded.
    static QUrl urlForPath(const QString& path);
    static pf::Ref<RVFolderInfo> folderInfoWithURL(const QUrl& url) { return std::make_shared<RVFolderInfo>(url); }
    // A root for `path`, or null when nothing exists there.
    static pf::Ref<RVFolderInfo> folderInfoRootItemWithIdentifier(const QString& path);
    // A root from bookmark data, or null (logged) when it cannot be resolved or is stale. Empty
    // data is a programming error.
    static pf::Ref<RVFolderInfo> folderInfoRootItemWithBookmark(const QByteArray& bookmark);
    template <class T>
    static pf::Ref<T> rootItemWithBookmark(const QByteArray& bookmark)
    {
        return std::dynamic_pointer_cast<T>(resolveBookmark(bookmark, [](const QUrl& url) -> pf::Ref<RVFolderInfo> {
            return std::make_shared<T>(url);
        }));
    }

    static int bookmarkCreationOptions() { return 0; }
    static int bookmarkResolutionOptions() { return 768; }
    static bool loadsAsynchronously() { return false; }
    static pf::OperationQueue& loadQueue();

    // --- Tree
    pf::Ref<RVFolderInfo> parent() const { return m_parent.lock(); }
    void setParent(const pf::Ref<RVFolderInfo>& parent) { m_parent = parent; }
    pf::Ref<RVFolderInfo> root();
    QUrl URL() const { return m_url; }
    QString path() const { return m_url.toLocalFile(); }
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    virtual QString identifier() const;
    virtual pf::Ref<pf::Image> icon() const;
    virtual bool allowsDeletion() const { return true; }
    virtual bool existsOnDisk() const;
    virtual bool isFile() const { return false; }

    // The children: nodes of this node's class for folders, file leaves when includesFiles.
    virtual QList<pf::Ref<RVFolderInfo>> subFolders();
    QList<pf::Ref<RVFolderInfo>> subFoldersAndFiles() { return subFolders(); }
    virtual int valence() { return int(subFolders().size()); }
    virtual bool subFoldersPresorted() const { return false; }
    // Adopts a node made elsewhere, when the children have been listed already.
    void addSubfolder(const pf::Ref<RVFolderInfo>& folder);
    // True for this node and for any node below it.
    bool containsSubfolder(const pf::Ref<RVFolderInfo>& node) const;
    virtual pf::Ref<RVFolderInfo> nodeWithIdentifier(const QString& identifier);
    pf::Ref<RVFolderInfo> nodeWithURL(const QUrl& url);

    bool returnsAllEnclosedFiles() const { return m_returnsAllEnclosedFiles; }
    void setReturnsAllEnclosedFiles(bool all);
    bool includesPackages() const { return m_includesPackages; }
    void setIncludesPackages(bool include) { m_includesPackages = include; }
    bool includesFiles() const { return m_includesFiles; }
    void setIncludesFiles(bool include) { m_includesFiles = include; }
    bool isSecurityScoped() const { return m_securityScoped; }
    void setSecurityScoped(bool scoped) { m_securityScoped = scoped; }
    RVFolderInfoRefreshDelegate* refreshDelegate() const;
    // Not retained: the delegate is an object held elsewhere.
    void setRefreshDelegate(const pf::Ref<pf::Object>& delegate) { m_refreshDelegate = delegate; }

    // --- Files. An empty type list means every file. Results found are cached per type list
    // until a change on disk; an empty result is not remembered.
    virtual QSet<QUrl> fileURLsOfTypes(const QStringList& types);
    QSet<QUrl> fileURLsOfType(const QString& type) { return fileURLsOfTypes(type.isEmpty() ? QStringList() : QStringList{type}); }
    QSet<QUrl> fileURLs() { return fileURLsOfTypes({}); }
    // Null (logged) when the folder cannot be read.
    virtual std::optional<QSet<QString>> filesOfTypes(const QStringList& types);
    std::optional<QSet<QString>> filesOfType(const QString& type) { return filesOfTypes(type.isEmpty() ? QStringList() : QStringList{type}); }
    std::optional<QSet<QString>> files() { return filesOfTypes({}); }

    // Bookmark data for the URL; empty (logged) on failure.
    QByteArray bookmark() const;

    // --- Change handling
    void folderChangeNotification(const QVariant& notification);
    virtual void clearCacheAndNotify();
    // Forgets the cached file queries.
    virtual void clear();
    void notifyRefreshDelegate();

    QString description() const override;

protected:
    // A child of this node's own class.
    virtual pf::Ref<RVFolderInfo> makeChild(const QUrl& url) const;
    // Forgets the children; they stay alive until the current event has been handled.
    void dropChildren();
    void setURL(const QUrl& url) { m_url = url; }
    // Watches the folder when it is one.
    void startWatching();

    std::optional<QList<pf::Ref<RVFolderInfo>>> m_subfolders;
    mutable QRecursiveMutex m_lock;

private:
    static pf::Ref<RVFolderInfo> resolveBookmark(const QByteArray& bookmark,
                                                 const std::function<pf::Ref<RVFolderInfo>(const QUrl&)>& make);
    static QString typesKey(const QStringList& types);
    bool isLinkBack(const QString& resolved) const;
    pf::Ref<RVFolderInfo> findNode(const QString& wanted, const QString& resolved);

    QHash<QString, QSet<QString>> m_files;
    QHash<QString, QSet<QUrl>> m_fileURLs;
    pf::Weak<RVFolderInfo> m_parent;
    QString m_name;
    QUrl m_url;
    bool m_includesPackages = false;
    bool m_returnsAllEnclosedFiles = false;
    bool m_includesFiles = false;
    bool m_securityScoped = false;
    bool m_watching = false;
    pf::Weak<pf::Object> m_refreshDelegate;
};
