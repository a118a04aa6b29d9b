#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QString>
#include <QUrl>

// One folder of a folder tree that mirrors the disk. Its subfolders are listed the first time
// they are asked for and forgotten by clearCache (after a change on disk). Packages and hidden
// folders are not shown as folders.
class RVFolderInfo : public pf::Object {
    PF_CLASS(RVFolderInfo)
public:
    RVFolderInfo() = default;
    explicit RVFolderInfo(const QUrl& url);
    static pf::Ref<RVFolderInfo> folderInfoWithURL(const QUrl& url);

    QUrl URL() const { return m_url; }
    QString path() const { return m_url.toLocalFile(); }
    // The folder's own name (the whole path for the file-system root).
    QString name() const;
    // The names from the root of the tree down to this node, joined by "/".
    QString identifier() const;
    bool existsOnDisk() const;

    pf::Ref<RVFolderInfo> parent() const { return m_parent.lock(); }
    // The subfolders, sorted by name, listed on first use.
    QList<pf::Ref<RVFolderInfo>> subFolders();
    // Adopts `folder` as a child (once; a folder of the same path already there is kept).
    void addSubfolder(const pf::Ref<RVFolderInfo>& folder);
    // Forgets the listed subfolders, so the next call lists the disk again.
    void clearCache();

private:
    QUrl m_url;
    pf::Weak<RVFolderInfo> m_parent;
    QList<pf::Ref<RVFolderInfo>> m_subfolders;
    bool m_listed = false;
};
