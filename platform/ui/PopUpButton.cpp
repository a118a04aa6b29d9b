#include "platform/ui/PopUpButton.h"

#include "platform/foundation/Variant.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionComboBox>

PF_DEFINE_CLASS_NAMED(pf::PopUpButton, pf::Control, "pf::PopUpButton")
{
    b.property("indexOfSelectedItem", &pf::PopUpButton::indexOfSelectedItem);
    b.property("titleOfSelectedItem", &pf::PopUpButton::titleOfSelectedItem);
    b.property("title", &pf::PopUpButton::title);
    b.method("selectItemAtIndex:", &pf::PopUpButton::selectItemAtIndex);
    b.method("selectItemWithTag:", &pf::PopUpButton::selectItemWithTag);
    b.method("indexOfItemWithRepresentedObject:", &pf::PopUpButton::indexOfItemWithRepresentedObject);
}

namespace pf {

PopUpButton::PopUpButton(QWidget* parent, bool pullsDown)
    : Control(parent)
    , m_menu(Menu::make())
    , m_pullsDown(pullsDown)
{
}

void PopUpButton::setPullsDown(bool pullsDown)
{
    m_pullsDown = pullsDown;
    // Pulling down, nothing is selected until an item is chosen.
    if (pullsDown)
        m_selected = -1;
    ensureSelection();
    synchronizeTitleAndSelectedItem();
}

void PopUpButton::setMenu(const Ref<Menu>& menu)
{
    m_menu = menu ? menu : Menu::make();
    m_selected = -1;
    for (int i = 0; i < m_menu->numberOfItems(); ++i) {
        if (m_menu->itemAtIndex(i)->state() == ControlState::On) {
            m_selected = i;
            break;
        }
    }
    ensureSelection();
    synchronizeTitleAndSelectedItem();
}

bool PopUpButton::autoenablesItems() const { return m_menu->autoenablesItems(); }
void PopUpButton::setAutoenablesItems(bool autoenables) { m_menu->setAutoenablesItems(autoenables); }

// --- Items

int PopUpButton::numberOfItems() const { return m_menu->numberOfItems(); }

QList<MenuItem*> PopUpButton::itemArray() const
{
    QList<MenuItem*> items;
    for (const Ref<MenuItem>& item : m_menu->items())
        items.append(item.get());
    return items;
}

QStringList PopUpButton::itemTitles() const
{
    QStringList titles;
    for (const Ref<MenuItem>& item : m_menu->items())
        titles.append(item->title());
    return titles;
}

MenuItem* PopUpButton::itemAtIndex(int index) const { return m_menu->itemAtIndex(index); }
MenuItem* PopUpButton::itemWithTitle(const QString& title) const { return m_menu->itemWithTitle(title); }
MenuItem* PopUpButton::lastItem() const { return m_menu->itemAtIndex(numberOfItems() - 1); }

MenuItem* PopUpButton::addItemWithTitle(const QString& title)
{
    return insertItemWithTitle(title, numberOfItems());
}

void PopUpButton::addItemsWithTitles(const QStringList& titles)
{
    for (const QString& title : titles)
        addItemWithTitle(title);
}

MenuItem* PopUpButton::insertItemWithTitle(const QString& title, int index)
{
    // As on the platform, a title already there moves instead of appearing twice.
    const int existing = indexOfItemWithTitle(title);
    if (existing >= 0) {
        removeItemAtIndex(existing);
        if (existing < index)
            --index;
    }
    index = std::clamp(index, 0, numberOfItems());
    Ref<MenuItem> item = MenuItem::make(title);
    m_menu->insertItem(item, index);
    if (m_selected >= index)
        ++m_selected;
    ensureSelection();
    synchronizeTitleAndSelectedItem();
    return item.get();
}

void PopUpButton::removeItemAtIndex(int index)
{
    if (index < 0 || index >= numberOfItems())
        return;
    m_menu->removeItemAtIndex(index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
    ensureSelection();
    synchronizeTitleAndSelectedItem();
}

void PopUpButton::removeItemWithTitle(const QString& title)
{
    removeItemAtIndex(indexOfItemWithTitle(title));
}

void PopUpButton::removeAllItems()
{
    m_menu->removeAllItems();
    m_selected = -1;
    synchronizeTitleAndSelectedItem();
}

int PopUpButton::indexOfItem(const MenuItem* item) const { return m_menu->indexOfItem(item); }
int PopUpButton::indexOfItemWithTag(int tag) const { return m_menu->indexOfItemWithTag(tag); }
int PopUpButton::indexOfItemWithTitle(const QString& title) const { return m_menu->indexOfItemWithTitle(title); }

int PopUpButton::indexOfItemWithRepresentedObject(const QVariant& object) const
{
    return m_menu->indexOfItemWithRepresentedObject(object);
}

// --- Selection

MenuItem* PopUpButton::selectedItem() const { return itemAtIndex(m_selected); }
int PopUpButton::indexOfSelectedItem() const { return m_selected; }

QString PopUpButton::titleOfSelectedItem() const
{
    MenuItem* item = selectedItem();
    return item ? item->title() : QString();
}

void PopUpButton::selectIndex(int index)
{
    MenuItem* item = itemAtIndex(index);
    m_selected = item && !item->isSeparatorItem() ? index : -1;
    Control::setObjectValue(m_selected);
    synchronizeTitleAndSelectedItem();
}

void PopUpButton::selectItemAtIndex(int index) { selectIndex(index); }
void PopUpButton::selectItem(MenuItem* item) { selectIndex(item ? indexOfItem(item) : -1); }

bool PopUpButton::selectItemWithTag(int tag)
{
    const int index = indexOfItemWithTag(tag);
    if (index < 0)
        return false;
    selectIndex(index);
    return true;
}

void PopUpButton::selectItemWithTitle(const QString& title) { selectIndex(indexOfItemWithTitle(title)); }

void PopUpButton::ensureSelection()
{
    // A pop-up always shows a choice once it has items.
    if (m_pullsDown || m_selected >= 0)
        return;
    for (int i = 0; i < numberOfItems(); ++i) {
        if (!itemAtIndex(i)->isSeparatorItem()) {
            m_selected = i;
            Control::setObjectValue(m_selected);
            return;
        }
    }
}

void PopUpButton::synchronizeTitleAndSelectedItem()
{
    if (!m_pullsDown) {
        for (int i = 0; i < numberOfItems(); ++i)
            itemAtIndex(i)->setState(i == m_selected ? ControlState::On : ControlState::Off);
    }
    setNeedsDisplay(true);
}

QString PopUpButton::title() const
{
    if (m_pullsDown) {
        MenuItem* first = itemAtIndex(0);
        return first ? first->title() : QString();
    }
    return titleOfSelectedItem();
}

void PopUpButton::setObjectValue(const QVariant& value)
{
    selectIndex(value.isValid() ? value.toInt() : -1);
}

void PopUpButton::sizeToFit()
{
    const QFontMetricsF metrics(font());
    double width = 0;
    for (const QString& title : itemTitles())
        width = std::max(width, metrics.horizontalAdvance(title));
    setFrameSize(QSizeF(std::ceil(width + 40), std::ceil(metrics.height() + 8)));
}

// --- Clicks

void PopUpButton::mouseDown(const Event&)
{
    performClick();
}

void PopUpButton::performClick(const QVariant&)
{
    if (!isEnabled() || numberOfItems() == 0)
        return;
    // Pulling down, the title item is not a choice: it is hidden while the menu shows.
    MenuItem* titleItem = m_pullsDown ? itemAtIndex(0) : nullptr;
    const bool titleWasHidden = titleItem && titleItem->isHidden();
    if (titleItem)
        titleItem->setHidden(true);
    highlight(true);
    QPointer<PopUpButton> self(this);
    const QRectF b = bounds();
    const QPointF corner = boundsToWidgetTransform().map(isFlipped() ? b.bottomLeft() : b.topLeft());
    Ref<Menu> menu = m_menu;
    MenuItem* chosen = menu->popUp(mapToGlobal(corner.toPoint()));
    if (titleItem)
        titleItem->setHidden(titleWasHidden);
    if (!self)
        return;
    highlight(false);
    if (chosen)
        itemChosen(chosen);
}

void PopUpButton::itemChosen(MenuItem* item)
{
    const int index = indexOfItem(item);
    if (index < 0 || (m_pullsDown && index == 0))
        return;
    if (!m_pullsDown)
        selectIndex(index);
    else
        m_selected = index;
    // An item with an action of its own has sent it already as it was chosen.
    if (item->action().isEmpty())
        sendAction();
}

void PopUpButton::drawRect(const QRectF&)
{
    const QString shown = title();
    const bool enabled = isEnabled();
    const bool pressed = isHighlighted();
    Cell::drawUpright(bounds(), [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionComboBox option;
        option.initFrom(this);
        option.rect = rect.toAlignedRect();
        option.currentText = shown;
        option.editable = false;
        if (!enabled)
            option.state &= ~QStyle::State_Enabled;
        if (pressed)
            option.state |= QStyle::State_Sunken;
        if (MenuItem* item = m_pullsDown ? itemAtIndex(0) : selectedItem())
            option.currentIcon = item->image();
        painter.setFont(font());
        style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, this);
        style()->drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, this);
    });
}

} // namespace pf
