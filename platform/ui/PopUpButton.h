#pragma once

#include "platform/ui/Control.h"

#include <QStringList>

namespace pf {

class Menu;
class MenuItem;

// A button showing one item of its menu; clicking shows the menu and choosing an item
// selects it and sends the button's action (an item with an action of its own sends that
// instead). In pull-down form the first item is the button's title and is never shown as a
// choice or selected. The value is the index of the selected item.
class PopUpButton : public Control {
    Q_OBJECT
    PF_CLASS(PopUpButton)
public:
    explicit PopUpButton(QWidget* parent = nullptr, bool pullsDown = false);

    bool pullsDown() const { return m_pullsDown; }
    void setPullsDown(bool pullsDown);

    Menu* menu() const { return m_menu.get(); }
    const Ref<Menu>& menuRef() const { return m_menu; }
    // A null menu is taken as an empty one.
    void setMenu(const Ref<Menu>& menu);
    bool autoenablesItems() const;
    void setAutoenablesItems(bool autoenables);

    // --- Items
    int numberOfItems() const;
    QList<MenuItem*> itemArray() const;
    QStringList itemTitles() const;
    MenuItem* itemAtIndex(int index) const;
    MenuItem* itemWithTitle(const QString& title) const;
    MenuItem* lastItem() const;
    MenuItem* addItemWithTitle(const QString& title);
    void addItemsWithTitles(const QStringList& titles);
    MenuItem* insertItemWithTitle(const QString& title, int index);
    void removeItemAtIndex(int index);
    void removeItemWithTitle(const QString& title);
    void removeAllItems();
    int indexOfItem(const MenuItem* item) const;
    int indexOfItemWithTag(int tag) const;
    int indexOfItemWithTitle(const QString& title) const;
    int indexOfItemWithRepresentedObject(const QVariant& object) const;

    // --- Selection (-1 for none)
    MenuItem* selectedItem() const;
    int indexOfSelectedItem() const;
    QString titleOfSelectedItem() const;
    // Out of range (or a separator) selects nothing.
    void selectItemAtIndex(int index);
    void selectItem(MenuItem* item);
    // False, leaving the selection, when no item has the tag.
    bool selectItemWithTag(int tag);
    void selectItemWithTitle(const QString& title);
    // Makes the button show the selected item (or, pulling down, the first item) and marks
    // only the selected item on.
    void synchronizeTitleAndSelectedItem();
    // What the button shows.
    QString title() const;

    void setObjectValue(const QVariant& value) override;
    void sizeToFit() override;

    // Shows the menu under the button and handles the choice.
    void performClick(const QVariant& sender = {}) override;
    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const Event& event) override;
    void mouseDragged(const Event&) override {}
    void mouseUp(const Event&) override {}

    // What choosing `item` does: selects it (pop-up form) and sends the action.
    void itemChosen(MenuItem* item);

private:
    void selectIndex(int index);
    void ensureSelection();

    Ref<Menu> m_menu;
    bool m_pullsDown = false;
    int m_selected = -1;
};

} // namespace pf
