#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"

#include <QList>
#include <QString>

namespace pf {
class Menu;
class MenuItem;
} // namespace pf

class PWXLibraryElementContainer;

// What every item of one library menu gets: a target, an action and the options handed on
// to its submenus. A helper lives exactly as long as the menu it was registered for: a menu
// that has gone takes its helper with it, so a later menu made at the same address never
// finds an old helper.
class PWXLibraryMenuHelper : public pf::Object {
    PF_CLASS(PWXLibraryMenuHelper)
public:
    PWXLibraryMenuHelper() = default;
    PWXLibraryMenuHelper(pf::Reflective* target, const QString& action, qint32 options);

    static pf::Ref<PWXLibraryMenuHelper> menuHelperForMenu(const pf::Menu* menu);
    // A null helper removes the menu's entry.
    static void setMenuHelper(const pf::Ref<PWXLibraryMenuHelper>& helper, const pf::Menu* menu);
    // Helpers whose menus are still alive.
    static int liveHelperCount();

    pf::Reflective* target() const { return m_target.get(); }
    QString action() const { return m_action; }
    qint32 options() const { return m_options; }
    // Sets the item's target and action.
    void applyToItem(pf::MenuItem& item) const;

    // The shared filling of a library's or a category's menu: item `index` shows the
    // sub-category at that place in name order, with a submenu of its own sub-categories.
    static bool updateContainerMenuItem(PWXLibraryElementContainer& container, pf::Menu& menu, pf::MenuItem& item,
                                        int index, bool obliqueReadOnly);

private:
    pf::ActionTarget m_target;
    QString m_action;
    qint32 m_options = 0;
};
