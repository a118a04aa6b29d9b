#include "platform/ui/Menu.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Event.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PresentationHook.h"
#include "platform/ui/Responder.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

PF_DEFINE_CLASS_NAMED(pf::Menu, pf::Object, "pf::Menu")
{
    b.property("title", &pf::Menu::title, &pf::Menu::setTitle);
    b.property("autoenablesItems", &pf::Menu::autoenablesItems, &pf::Menu::setAutoenablesItems);
}

namespace pf {

Menu::Menu(const QString& title)
    : m_title(title)
{
}

Menu::~Menu()
{
    for (const auto& item : m_items) {
        if (item->m_menu == this)
            item->m_menu = nullptr;
    }
    if (m_qmenu) {
        // Item actions belong to the items; only the menu's own widget goes.
        for (QAction* action : m_qmenu->actions())
            m_qmenu->removeAction(action);
    }
}

Ref<Menu> Menu::make(const QString& title)
{
    return std::make_shared<Menu>(title);
}

void Menu::setTitle(const QString& title)
{
    m_title = title;
    if (m_qmenu)
        m_qmenu->setTitle(title);
}

MenuItem* Menu::itemAtIndex(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].get() : nullptr;
}

void Menu::addItem(const Ref<MenuItem>& item)
{
    insertItem(item, int(m_items.size()));
}

Ref<MenuItem> Menu::addItem(const QString& title, const QString& action, const QKeySequence& key)
{
    Ref<MenuItem> item = MenuItem::make(title, action, key);
    addItem(item);
    return item;
}

void Menu::insertItem(const Ref<MenuItem>& item, int index)
{
    PF_PARAMETER_ASSERT(item != nullptr);
    if (index < 0 || index > m_items.size())
        raise(NSRangeException, QStringLiteral("menu item index %1 beyond %2 items").arg(index).arg(m_items.size()));
    if (item->m_menu)
        raise(NSInternalInconsistencyException, QStringLiteral("the item \"%1\" is already in a menu").arg(item->title()));
    item->m_menu = this;
    if (item->m_submenu)
        item->m_submenu->m_supermenu = this;
    m_items.insert(index, item);
    rebuildQMenu();
}

void Menu::removeItem(MenuItem* item)
{
    const int index = indexOfItem(item);
    if (index >= 0)
        removeItemAtIndex(index);
}

void Menu::removeItemAtIndex(int index)
{
    if (index < 0 || index >= m_items.size())
        raise(NSRangeException, QStringLiteral("menu item index %1 beyond %2 items").arg(index).arg(m_items.size()));
    Ref<MenuItem> item = m_items.takeAt(index);
    if (m_qmenu && item->m_qaction)
        m_qmenu->removeAction(item->m_qaction);
    item->m_menu = nullptr;
    if (item->m_submenu && item->m_submenu->m_supermenu == this)
        item->m_submenu->m_supermenu = nullptr;
}

void Menu::removeAllItems()
{
    while (!m_items.isEmpty())
        removeItemAtIndex(int(m_items.size()) - 1);
}

int Menu::indexOfItem(const MenuItem* item) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i].get() == item)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithTag(int tag) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->tag() == tag)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithTitle(const QString& title) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->title() == title)
            return i;
    }
    return -1;
}

int Menu::indexOfItemWithRepresentedObject(const QVariant& object) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (pf::isEqual(m_items[i]->representedObject(), object))
            return i;
    }
    return -1;
}

MenuItem* Menu::itemWithTag(int tag) const
{
    return itemAtIndex(indexOfItemWithTag(tag));
}

MenuItem* Menu::itemWithTitle(const QString& title) const
{
    return itemAtIndex(indexOfItemWithTitle(title));
}

MenuItem* Menu::itemWithSubmenu(const Menu* submenu) const
{
    for (const auto& item : m_items) {
        if (item->submenu() == submenu)
            return item.get();
    }
    return nullptr;
}

void Menu::setFont(const QFont& font)
{
    m_font = font;
    for (const auto& item : m_items)
        item->sync();
}

MenuDelegate* Menu::delegate() const
{
    if (!m_delegate || (m_delegateIsReflective && m_delegateLiveness.expired()))
        return nullptr;
    return m_delegate;
}

void Menu::setDelegate(MenuDelegate* delegate)
{
    m_delegate = delegate;
    m_delegateLiveness.reset();
    m_delegateIsReflective = false;
    if (auto* reflective = dynamic_cast<Reflective*>(delegate)) {
        m_delegateLiveness = reflective->livenessToken();
        m_delegateIsReflective = true;
    }
}

void Menu::update()
{
    if (MenuDelegate* d = delegate()) {
        const int count = d->numberOfItemsInMenu(*this);
        if (count >= 0) {
            while (m_items.size() > count)
                removeItemAtIndex(int(m_items.size()) - 1);
            while (m_items.size() < count)
                addItem(MenuItem::make(QString()));
            for (int i = 0; i < count && i < m_items.size(); ++i) {
                // Keep the item alive should the delegate remove it.
                Ref<MenuItem> item = m_items[i];
                if (!d->updateItem(*this, *item, i, false))
                    break;
            }
        } else {
            d->menuNeedsUpdate(*this);
        }
    }
    if (m_autoenables) {
        const QList<Ref<MenuItem>> items = m_items;
        for (const auto& item : items) {
            if (item->isSeparatorItem())
                continue;
            if (!item->action().isEmpty())
                validateUserInterfaceItem(*item);
            else
                item->setEnabled(item->hasSubmenu());
        }
    }
    rebuildQMenu();
}

Ref<Menu> Menu::copyMenu() const
{
    Ref<Menu> copy = Menu::make(m_title);
    copy->m_autoenables = m_autoenables;
    copy->m_font = m_font;
    copy->setDelegate(delegate());
    for (const auto& item : m_items) {
        Ref<MenuItem> itemCopy = item->isSeparatorItem() ? MenuItem::separator() : MenuItem::make(item->title(), item->action(), item->keyEquivalent());
        itemCopy->m_attributes = item->m_attributes;
        itemCopy->m_target = item->m_target;
        itemCopy->m_tag = item->m_tag;
        itemCopy->m_representedObject = item->m_representedObject;
        itemCopy->m_enabled = item->m_enabled;
        itemCopy->m_hidden = item->m_hidden;
        itemCopy->m_state = item->m_state;
        itemCopy->m_image = item->m_image;
        itemCopy->m_indentation = item->m_indentation;
        itemCopy->m_toolTip = item->m_toolTip;
        if (item->submenu())
            itemCopy->setSubmenu(item->submenu()->copyMenu());
        copy->addItem(itemCopy);
    }
    return copy;
}

QMenu* Menu::qMenu()
{
    if (!m_qmenu) {
        m_qmenu = std::make_unique<QMenu>(m_title);
        m_qmenu->setToolTipsVisible(true);
        QObject::connect(m_qmenu.get(), &QMenu::aboutToShow, m_qmenu.get(), [this] {
            m_open = true;
            update();
            if (MenuDelegate* d = delegate())
                d->menuWillOpen(*this);
        });
        QObject::connect(m_qmenu.get(), &QMenu::aboutToHide, m_qmenu.get(), [this] {
            m_open = false;
            for (const auto& item : m_items)
                item->sync();
            if (MenuDelegate* d = delegate())
                d->menuDidClose(*this);
        });
        rebuildQMenu();
    }
    return m_qmenu.get();
}

void Menu::rebuildQMenu()
{
    if (!m_qmenu)
        return;
    for (QAction* action : m_qmenu->actions())
        m_qmenu->removeAction(action);
    // Synced while no menu holds their rows, so that row changes take.
    for (const auto& item : m_items) {
        QAction* action = item->qAction();
        item->sync();
        m_qmenu->addAction(action);
    }
}

void Menu::itemChanged(MenuItem* item)
{
    rebuildQMenu();
}

MenuItem* Menu::popUp(const QPoint& globalPosition)
{
    QMenu* menu = qMenu();
    PresentationHook::presented(menu);
    QAction* chosen = menu->exec(globalPosition);
    if (!chosen)
        return nullptr;
    for (const auto& item : m_items) {
        if (item->m_qaction == chosen)
            return item.get();
    }
    return nullptr;
}

MenuItem* Menu::popUpContextMenu(Menu& menu, const Event* event, QWidget* view)
{
    QPoint position = QCursor::pos();
    if (event && view) {
        QWidget* window = view->window();
        position = window->mapToGlobal(Event::qtPointFromWindow(window, event->locationInWindow).toPoint());
    }
    return menu.popUp(position);
}

} // namespace pf
