#pragma once

#include "platform/foundation/IndexSet.h"
#include "platform/foundation/SortDescriptor.h"

#include <QList>
#include <QSizeF>
#include <QString>
#include <QVariant>

#include <optional>

class PWXLibraryItem;
class PWXLibraryItemViewController;

// What an item browser asks of and tells its owner. Every message is optional: the defaults
// answer as a delegate that does not implement it.
class PWXLibraryItemViewControllerDelegate {
public:
    virtual ~PWXLibraryItemViewControllerDelegate() = default;

    // Content in place of the array the browser was given; nullopt to use that array.
    virtual std::optional<QList<std::shared_ptr<PWXLibraryItem>>> contentForLibraryItemViewController(
        PWXLibraryItemViewController&)
    {
        return std::nullopt;
    }
    // The item count in place of the content's; nullopt to count the content.
    virtual std::optional<int> numberOfItemsForLibraryItemViewController(PWXLibraryItemViewController&)
    {
        return std::nullopt;
    }
    virtual void sortDescriptorsChanged(const QList<pf::SortDescriptor>& oldDescriptors) {}
    virtual void itemSelectionChanged(const pf::IndexSet& indexes) {}
    virtual void deleteItemsAtIndexes(const pf::IndexSet& indexes) {}
    virtual void editItemsAtIndexes(const pf::IndexSet& indexes) {}
    virtual bool removeItemsAtIndexes(const pf::IndexSet& indexes) { return false; }
    virtual bool canRemoveItemsAtIndexes(const pf::IndexSet& indexes) { return false; }
    // The root of the browser's keys in the user defaults; empty by default.
    virtual QString saveSettingsRootNameForItemViewController(PWXLibraryItemViewController&) { return {}; }
    virtual void iconSizingChanged(const QSizeF& cellSize) {}
    virtual bool shouldEditItemAtIndex(PWXLibraryItemViewController&, int index) { return true; }
    virtual bool libraryItemViewControllerAllowsResorting(PWXLibraryItemViewController&) { return true; }
    virtual void printOperationDidRun(bool success, const QString& contextInfo) {}
    // The header and footer of each printed page (empty for none).
    virtual QString printHeaderStringForPage(int page) { return {}; }
    virtual QString printFooterStringForPage(int page) { return {}; }
};
