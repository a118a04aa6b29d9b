#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QList>

// Fills one flat menu with every group (as a header) and its libraries (each with its
// categories as a submenu). The menu's first item is left as its owner made it, e.g. the title
// item of a pop-up button. One shared handler.
class PWXLibraryGroupMenuHandler : public pf::Object, public pf::MenuDelegate {
    PF_CLASS(PWXLibraryGroupMenuHandler)
public:
    PWXLibraryGroupMenuHandler() = default;
    ~PWXLibraryGroupMenuHandler() override;

    // Made on first use, after every library has been loaded.
    static pf::Ref<PWXLibraryGroupMenuHandler> sharedGroupMenuHandler();

    static pf::MenuItemTitleAttributes standardItemAttributes();
    static pf::MenuItemTitleAttributes boldItemAttributes();

    // Registers the target, action and options for the menu's items and makes this handler
    // its delegate.
    void renewMenu(const pf::Ref<pf::Menu>& menu, qint32 options, pf::Reflective* target, const QString& action);
    void addMenu(const pf::Ref<pf::Menu>& menu);
    // Also clears the menu's delegate when it is this handler.
    void removeMenu(const pf::Ref<pf::Menu>& menu);
    QList<pf::Ref<pf::Menu>> menus() const;

    // Marks the item bold and underlined when its identifier lies on the path to
    // `identifier` at its own depth; clears the marking otherwise.
    void setBoldTitlingForMenuTrail(pf::MenuItem* item, const QString& identifier) const;

    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

private:
    QList<pf::Weak<pf::Menu>> m_menus;
};
