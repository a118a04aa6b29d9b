#pragma once

#include "browsers/RVFolderInfo.h"
#include "platform/ui/OutlineView.h"

#include <QHash>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QWidget;
class RVFolderBrowserController;
class RVFileInfo;

// What a folder browser tells its owner; every message is optional.
class RVFolderBrowserDelegate {
public:
    virtual ~RVFolderBrowserDelegate() = default;
    // The selection changed (to `folder`, null when nothing is selected).
    virtual void folderBrowserDidSelectFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
    virtual void folderBrowserDidDoubleClickFolder(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
    // The root `folder` changed on disk and has been reloaded.
    virtual void folderBrowserWasNotifiedOfChangeOnDisk(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
    // The user tried to select a file row while files may not be selected.
    virtual void folderBrowserUserClickedFile(RVFolderBrowserController&, const pf::Ref<RVFolderInfo>&) {}
};

// Serves an outline that shows one or more folder trees: keeps the roots sorted by name as
// people read numbers, expands and selects nodes by identifier or URL, reloads a tree that
// changed on disk (keeping the selected folder when it still exists), and remembers the
// expanded rows by identifier.
class RVFolderBrowserController : public pf::Object,
                                  public pf::OutlineViewDataSource,
                                  public pf::OutlineViewDelegate,
                                  public RVFolderInfoRefreshDelegate {
    PF_CLASS(RVFolderBrowserController)
public:
    static inline const QString kNameColumn = QStringLiteral("name");

    // Makes its outline in `parent`, with one root: the home folder.
    explicit RVFolderBrowserController(QWidget* parent = nullptr);
    ~RVFolderBrowserController() override;

    pf::OutlineView* outlineView() const { return m_outline; }
    void setDeleteFolderButton(QAbstractButton* button);

    RVFolderBrowserDelegate* delegate() const { return m_delegate; }
    // Not retained.
    void setDelegate(RVFolderBrowserDelegate* delegate) { m_delegate = delegate; }

    // --- Roots
    QList<pf::Ref<RVFolderInfo>> rootItems() const { return m_roots; }
    void setRootItems(const QList<pf::Ref<RVFolderInfo>>& roots);
    // A root for the folder, unless a root of that path exists (then null, nothing changes).
    pf::Ref<RVFolderInfo> addRootItemWithURL(const QUrl& url);
    void addRootItem(const pf::Ref<RVFolderInfo>& root);
    void removeRootItem(const pf::Ref<RVFolderInfo>& root);
    void removeRootItemWithURL(const QUrl& url);
    bool isRootItemURL(const QUrl& url) const { return rootInfoForURL(url) != nullptr; }
    pf::Ref<RVFolderInfo> rootInfoForURL(const QUrl& url) const;
    pf::Ref<RVFolderInfo> rootInfoForPath(const QString& path) const;
    // Removes the selected node's root when it allows deletion.
    void removeSelectedItemAction(const QVariant& sender);

    bool includesFilePackages() const { return m_includesFilePackages; }
    void setIncludesFilePackages(bool include) { m_includesFilePackages = include; }
    bool showRootItems() const { return m_showRootItems; }
    void setShowRootItems(bool show);
    bool showFiles() const { return m_showFiles; }
    void setShowFiles(bool show) { m_showFiles = show; }
    bool canSelectFiles() const { return m_canSelectFiles; }
    void setCanSelectFiles(bool can) { m_canSelectFiles = can; }

    // --- Finding, expanding, selecting
    pf::Ref<RVFolderInfo> itemWithURL(const QUrl& url) const;
    pf::Ref<RVFolderInfo> itemWithIdentifier(const QString& identifier) const;
    // Expands every node from the root down to the node (not the node's children).
    pf::Ref<RVFolderInfo> expandItemWithIdentifier(const QString& identifier);
    void expandItem(const pf::Ref<RVFolderInfo>& node, bool select);
    void selectItemWithIdentifier(const QString& identifier);
    pf::Ref<RVFolderInfo> selectedItem();
    void reload();
    void setNeedsUpdateWithItem(const pf::Ref<RVFolderInfo>& item) override;
    // The node's children, in the outline's order.
    QList<pf::Ref<RVFolderInfo>> sortedFoldersOfItem(const pf::Ref<RVFolderInfo>& node);

    // --- Outline data source and delegate
    int numberOfChildrenOfItem(pf::OutlineView& outline, const QVariant& item) override;
    QVariant child(pf::OutlineView& outline, int index, const QVariant& item) override;
    bool isItemExpandable(pf::OutlineView& outline, const QVariant& item) override;
    QVariant objectValueForTableColumn(pf::OutlineView& outline, pf::TableColumn* column, const QVariant& item) override;
    void sortDescriptorsDidChange(pf::OutlineView& outline, const QList<pf::SortDescriptor>& old) override;
    QVariant persistentObjectForItem(pf::OutlineView& outline, const QVariant& item) override;
    QVariant itemForPersistentObject(pf::OutlineView& outline, const QVariant& object) override;
    void selectionDidChange(pf::OutlineView& outline) override;
    void willDisplayCell(pf::OutlineView& outline, pf::Cell& cell, pf::TableColumn* column, const QVariant& item) override;
    bool shouldSelectItem(pf::OutlineView& outline, const QVariant& item) override;
    pf::IndexSet selectionIndexesForProposedSelection(pf::OutlineView& outline, const pf::IndexSet& proposed) override;

    void doubleClickAction(const QVariant& sender);
    // A folder node posted kRVFolderInfoDidChangeOnDisk.
    void folderChangedOnDisk(RVFolderInfo* node);

private:
    static pf::Ref<RVFolderInfo> nodeOf(const QVariant& item) { return pf::objectCast<RVFolderInfo>(item); }
    void sortRoots();
    bool ownsNode(RVFolderInfo* node);
    void forgetSorting(const RVFolderInfo* node = nullptr);
    // Runs a reload of rows without the passing selection changes reaching the delegate: the
    // same folder (or one of the same identifier) is selected again, and the delegate hears
    // once, only when the selection really changed.
    void reloadKeepingSelection(const std::function<void()>& reload);

    QPointer<pf::OutlineView> m_outline;
    QPointer<QAbstractButton> m_deleteButton;
    RVFolderBrowserDelegate* m_delegate = nullptr;
    QList<pf::Ref<RVFolderInfo>> m_roots;
    // Each node's children in the outline's order, as the outline last saw them.
    QHash<const RVFolderInfo*, QList<pf::Ref<RVFolderInfo>>> m_sorted;
    bool m_includesFilePackages = false;
    bool m_showRootItems = true;
    bool m_showFiles = false;
    bool m_canSelectFiles = false;
    bool m_quiet = false;
};
