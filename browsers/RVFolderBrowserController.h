#pragma once

#include "browsers/RVFolderInfo.h"

#include <QHash>
#include <QPointer>
#include <QTreeWidget>

class QFileSystemWatcher;
class QWidget;
class RVFolderBrowserController;

// What a folder browser tells its owner; every message is optional.
class RVFolderBrowserDelegate {
public:
    virtual ~RVFolderBrowserDelegate() = default;
    // The selected folder changed (to `folder`).
    virtual void folderBrowserDidSelectFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
    // The root `folder` changed on disk and has been reloaded.
    virtual void folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
};

// An outline of one or more folder trees, the roots sorted by name. Subfolders are listed
// when their parent is expanded. A root whose folder changes on disk is listed again and its
// delegate told.
class RVFolderBrowserController : public pf::Object {
    PF_CLASS(RVFolderBrowserController)
public:
    // The outline is made in `parent`; the controller starts without roots.
    explicit RVFolderBrowserController(QWidget* parent = nullptr);
    ~RVFolderBrowserController() override;

    QTreeWidget* outlineView() const { return m_outline; }

    RVFolderBrowserDelegate* delegate() const { return m_delegate; }
    // Not retained.
    void setDelegate(RVFolderBrowserDelegate* delegate) { m_delegate = delegate; }

    QList<pf::Ref<RVFolderInfo>> rootItems() const { return m_roots; }
    // Replaces the roots (none for an empty list), reloads and clears the selection.
    void setRootItems(const QList<pf::Ref<RVFolderInfo>>& roots);
    // A root for the folder, unless a root of that path exists (then null, nothing changes).
    pf::Ref<RVFolderInfo> addRootItemWithURL(const QUrl& url);
    void addRootItem(const pf::Ref<RVFolderInfo>& root);
    // The first node under any root whose folder is `url`, or null.
    pf::Ref<RVFolderInfo> itemWithURL(const QUrl& url) const;
    // Expands the outline down to `node` and, with `select`, selects its row.
    void expandItem(const pf::Ref<RVFolderInfo>& node, bool select);
    pf::Ref<RVFolderInfo> selectedItem() const;
    // Rebuilds the outline from the nodes, keeping what was expanded and selected.
    void reload();

    // A folder under a root changed on disk: its root is listed again, then the delegate told.
    void folderChangedOnDisk(const QString& path);

private:
    QTreeWidgetItem* rowForNode(const RVFolderInfo* node) const;
    QTreeWidgetItem* makeRow(const pf::Ref<RVFolderInfo>& node, QTreeWidgetItem* parent);
    void fillChildren(QTreeWidgetItem* row);
    void watchRoots();
    void selectionChanged();

    QPointer<QTreeWidget> m_outline;
    QPointer<QFileSystemWatcher> m_watcher;
    RVFolderBrowserDelegate* m_delegate = nullptr;
    QList<pf::Ref<RVFolderInfo>> m_roots;
    QHash<QTreeWidgetItem*, pf::Ref<RVFolderInfo>> m_nodes;
    bool m_reloading = false;
};
