#pragma once

#include "platform/foundation/Object.h"

#include <QList>

class PWXLibrary;
class PWXLibraryCategory;
class PWXLibraryElement;
class PWXLibraryElementContainer;
class PWXLibraryItem;
class QWidget;

// What the collection transfers need of the window that shows the library: where the user
// is (the selected collection and category), and how to show what a transfer changed. The
// library manager window answers these; each answer has a harmless default so that the
// transfers also run with no window (a collection opened from the desktop before the manager
// was ever shown).
class PWXLibraryManagerTransferHost {
public:
    virtual ~PWXLibraryManagerTransferHost() = default;

    // The window sheets and alerts belong to; null runs them application-modally.
    virtual QWidget* transferWindow() const { return nullptr; }
    // Shows the window and brings it to the front.
    virtual void showTransferWindow() {}
    // The collection selected in the outline, and the last selected category of it.
    virtual pf::Ref<PWXLibrary> selectedLibrary() const { return nullptr; }
    virtual pf::Ref<PWXLibraryCategory> lastSelectedCategory() const { return nullptr; }
    // The element selected in the outline (collection or category), before a paste.
    virtual pf::Ref<PWXLibraryElement> selectedOutlineElement() const { return nullptr; }

    // Drops the cached item list and reloads the collection's row (and its children when it
    // is expanded); with a category, selects that category, else reloads the item list keeping
    // its selection.
    virtual void reloadLibrarySelectingCategory(const pf::Ref<PWXLibrary>& library,
                                                const pf::Ref<PWXLibraryCategory>& category)
    {
    }
    // Reloads one row of the outline, with its children.
    virtual void reloadElementRow(const pf::Ref<PWXLibraryElementContainer>& element) {}
    // Selects the category's row (expanding what lies above it); false when it was selected
    // already or has no row.
    virtual bool selectCategory(const pf::Ref<PWXLibraryCategory>& category) { return false; }
    // Drops the cached item list and reloads it, keeping the selection or not.
    virtual void reloadItemList(bool preservingSelection) {}
    // Selects the items in the item browser.
    virtual void selectItems(const QList<pf::Ref<PWXLibraryItem>>& items) {}
    // A collection was installed: its group's row is expanded and reloaded, and the new
    // collection's row selected and scrolled to when it is shown.
    virtual void libraryWasInstalled(const pf::Ref<PWXLibrary>& library) {}
};
