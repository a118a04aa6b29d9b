#pragma once

#include "platform/foundation/Object.h"

#include <QFont>
#include <QKeySequence>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QMenu;
class QWidget;

namespace pf {

struct Event;
class Menu;
class MenuItem;

// Fills or updates a menu just before it shows. A delegate that answers a count from
// numberOfItemsInMenu gets the menu resized to that many items and each one handed to
// updateItem (returning false stops the pass); otherwise menuNeedsUpdate runs.
class MenuDelegate {
public:
    virtual ~MenuDelegate() = default;
    virtual void menuNeedsUpdate(Menu& menu) {}
    // -1: the delegate does not fill the menu by count.
    virtual int numberOfItemsInMenu(Menu& menu) { return -1; }
    virtual bool updateItem(Menu& menu, MenuItem& item, int index, bool shouldCancel) { return true; }
    virtual void menuWillOpen(Menu& menu) {}
    virtual void menuDidClose(Menu& menu) {}
};

// A menu of pf::MenuItems, realised as a QMenu. Before it shows, its delegate fills it and,
// when it enables its items itself, every item is validated by the responder that would
// receive its action.
class Menu : public Object {
    PF_CLASS(Menu)
public:
    explicit Menu(const QString& title = {});
    ~Menu() override;

    static Ref<Menu> make(const QString& title = {});

    QString title() const { return m_title; }
    void setTitle(const QString& title);

    const QList<Ref<MenuItem>>& items() const { return m_items; }
    int numberOfItems() const { return int(m_items.size()); }
    MenuItem* itemAtIndex(int index) const;
    void addItem(const Ref<MenuItem>& item);
    Ref<MenuItem> addItem(const QString& title, const QString& action, const QKeySequence& key = {});
    // Raises NSRangeException for an index outside 0...count, and NSInternalInconsistencyException
    // for an item already in a menu.
    void insertItem(const Ref<MenuItem>& item, int index);
    void removeItem(MenuItem* item);
    void removeItemAtIndex(int index);
    void removeAllItems();
    int indexOfItem(const MenuItem* item) const;
    int indexOfItemWithTag(int tag) const;
    int indexOfItemWithTitle(const QString& title) const;
    int indexOfItemWithRepresentedObject(const QVariant& object) const;
    MenuItem* itemWithTag(int tag) const;
    MenuItem* itemWithTitle(const QString& title) const;
    // The item whose submenu is `submenu`, or null.
    MenuItem* itemWithSubmenu(const Menu* submenu) const;

    bool autoenablesItems() const { return m_autoenables; }
    void setAutoenablesItems(bool autoenables) { m_autoenables = autoenables; }
    // A font for every item.
    void setFont(const QFont& font);

    MenuDelegate* delegate() const;
    // Kept weakly when the delegate is a Reflective.
    void setDelegate(MenuDelegate* delegate);

    // The menu this one is a submenu of, or null.
    Menu* supermenu() const { return m_supermenu; }
    // Whether the menu is on screen. While it is closed every item's QAction stays enabled,
    // so that a shortcut always reaches the item, which validates before it sends.
    bool isOpen() const { return m_open; }

    // The delegate pass, then validation of every item when autoenablesItems. Runs before
    // every showing; callers may run it themselves.
    void update();

    // A copy of the menu and its items (submenus are copied too); the delegate is shared.
    Ref<Menu> copyMenu() const;

    // The QMenu showing this menu, made on first use and rebuilt from the items before it
    // shows.
    QMenu* qMenu();

    // Shows the menu at a global Qt position (or under the mouse for an event) and waits
    // until it closes; answers the chosen item or null.
    MenuItem* popUp(const QPoint& globalPosition);
    static MenuItem* popUpContextMenu(Menu& menu, const Event* event, QWidget* view);

private:
    friend class MenuItem;
    void rebuildQMenu();
    void itemChanged(MenuItem* item);

    QString m_title;
    QList<Ref<MenuItem>> m_items;
    bool m_autoenables = true;
    MenuDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateLiveness;
    bool m_delegateIsReflective = false;
    Menu* m_supermenu = nullptr;
    std::unique_ptr<QMenu> m_qmenu;
    std::optional<QFont> m_font;
    bool m_open = false;
};

} // namespace pf
