#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Menu.h"

#include <QList>
#include <QPointer>
#include <QString>

class QMainWindow;
class QMenuBar;

namespace pf {

// The program's main menu: a root menu whose items' submenus are the menus of the bar
// (File, Edit, Window, Help, and whatever the program adds). Every main window shows it in
// its own menu bar; the items' shortcuts work in every window of the program, as a main menu's
// do. Items send their actions along the responder chain and are validated before a menu
// opens and before a shortcut sends.
class MainMenu : public Object, public MenuDelegate {
    PF_CLASS(MainMenu)
public:
    MainMenu();
    ~MainMenu() override;

    // File (New, Open..., Open Recent, Close, Save, Save As..., Revert to Saved, Page Setup...,
    // Print..., Quit), Edit (Undo, Redo, Cut, Copy, Paste, Delete, Select All), Window
    // (Minimize, Zoom, Bring All to Front, then the open windows) and Help.
    static Ref<MainMenu> makeStandard();

    Menu& root() { return *m_root; }
    // The bar menu titled `title` (mnemonic markers ignored), or null.
    Menu* menuWithTitle(const QString& title) const;
    void insertMenu(const Ref<Menu>& menu, int index);
    void addMenu(const Ref<Menu>& menu) { insertMenu(menu, -1); }
    void removeMenu(Menu* menu);

    // Gives `window` a menu bar showing this menu; answers it.
    QMenuBar* installOn(QMainWindow* window);
    // Rebuilds every installed bar from the root menu.
    void refreshBars();

    // The Open Recent menu and the Window menu are filled as they open.
    void menuNeedsUpdate(Menu& menu) override;

    // Window menu actions.
    void makeKeyAndOrderFront(const QVariant& sender);

private:
    void fillWindowsMenu(Menu& menu);
    void fillRecentMenu(Menu& menu);
    void applyShortcutContext(Menu& menu);

    Ref<Menu> m_root;
    Menu* m_windowMenu = nullptr;
    Menu* m_recentMenu = nullptr;
    // The window list the Window menu shows at its end; items added to the menu by others stay.
    QList<Ref<MenuItem>> m_windowListItems;
    QList<QPointer<QMenuBar>> m_bars;
};

} // namespace pf
