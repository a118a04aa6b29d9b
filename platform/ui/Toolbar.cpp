#include "platform/ui/Toolbar.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/ToolbarDelegate.h"
#include "platform/ui/Window.h"

#include <QSizePolicy>
#include <QTimer>
#include <QToolBar>
#include <QWidget>

PF_DEFINE_CLASS_NAMED(pf::Toolbar, pf::Object, "pf::Toolbar")
{
    b.property("identifier", &pf::Toolbar::identifier);
    b.property("visible", &pf::Toolbar::isVisible, &pf::Toolbar::setVisible);
}

namespace pf {

namespace {

constexpr int kValidationIntervalMs = 500;

} // namespace

Toolbar::Toolbar(QString identifier) : m_identifier(std::move(identifier)) {}

Toolbar::~Toolbar()
{
    if (m_keyObservation)
        NotificationCenter::defaultCenter().removeObserver(m_keyObservation);
    delete m_validationTimer;
    // Items own their views through their actions; the bar must not delete them twice.
    if (m_toolBar) {
        for (const Ref<ToolbarItem>& item : m_items)
            m_toolBar->removeAction(item->qAction());
        delete m_toolBar.data();
    }
}

Ref<Toolbar> Toolbar::make(const QString& identifier)
{
    return std::make_shared<Toolbar>(identifier);
}

void Toolbar::setDelegate(ToolbarDelegate* delegate)
{
    m_delegate = delegate;
    if (!m_delegate || !m_items.isEmpty())
        return;
    for (const QString& identifier : m_delegate->toolbarDefaultItemIdentifiers(*this))
        insertItemWithItemIdentifier(identifier, int(m_items.size()));
}

Ref<ToolbarItem> Toolbar::makeItem(const QString& identifier)
{
    if (identifier == NSToolbarFlexibleSpaceItemIdentifier || identifier == NSToolbarSpaceItemIdentifier) {
        Ref<ToolbarItem> item = ToolbarItem::make(identifier);
        auto* space = new QWidget;
        if (identifier == NSToolbarFlexibleSpaceItemIdentifier)
            space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        else
            space->setFixedWidth(8);
        item->setView(space);
        return item;
    }
    if (identifier == NSToolbarSeparatorItemIdentifier)
        return ToolbarItem::make(identifier);
    return m_delegate ? m_delegate->itemForItemIdentifier(*this, identifier, true) : nullptr;
}

void Toolbar::insertItemWithItemIdentifier(const QString& identifier, int index)
{
    if (Ref<ToolbarItem> item = makeItem(identifier))
        insertItem(item, index);
}

void Toolbar::insertItem(const Ref<ToolbarItem>& item, int index)
{
    index = std::clamp(index, 0, int(m_items.size()));
    NotificationCenter::defaultCenter().post(NSToolbarWillAddItemNotification, this, {{kToolbarItemKey, toVariant(item)}});
    m_items.insert(index, item);
    item->setToolbar(this);
    QToolBar* bar = qToolBar();
    QAction* before = index + 1 < m_items.size() ? m_items[index + 1]->qAction() : nullptr;
    QAction* action = item->qAction();
    if (item->itemIdentifier() == NSToolbarSeparatorItemIdentifier)
        action->setSeparator(true);
    bar->insertAction(before, action);
    if (item->autovalidates())
        item->validate();
}

void Toolbar::removeItemAtIndex(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    Ref<ToolbarItem> item = m_items.takeAt(index);
    if (m_toolBar)
        m_toolBar->removeAction(item->qAction());
    item->setToolbar(nullptr);
    NotificationCenter::defaultCenter().post(NSToolbarDidRemoveItemNotification, this, {{kToolbarItemKey, toVariant(item)}});
}

void Toolbar::setDisplayMode(DisplayMode mode)
{
    m_displayMode = mode;
    applyDisplayMode();
}

void Toolbar::applyDisplayMode()
{
    if (!m_toolBar)
        return;
    switch (m_displayMode) {
    case DisplayMode::Default:
    case DisplayMode::IconAndLabel: m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon); break;
    case DisplayMode::IconOnly: m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly); break;
    case DisplayMode::LabelOnly: m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly); break;
    }
}

void Toolbar::setVisible(bool visible)
{
    m_visible = visible;
    if (m_toolBar)
        m_toolBar->setVisible(visible && m_window);
}

double Toolbar::height() const
{
    if (!m_visible || !m_toolBar)
        return 0;
    return m_toolBar->isVisible() ? m_toolBar->height() : m_toolBar->sizeHint().height();
}

void Toolbar::validateVisibleItems()
{
    for (const Ref<ToolbarItem>& item : m_items) {
        if (item->autovalidates())
            item->validate();
    }
}

QToolBar* Toolbar::qToolBar()
{
    if (!m_toolBar) {
        m_toolBar = new QToolBar;
        m_toolBar->setMovable(false);
        m_toolBar->setFloatable(false);
        m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu); // no customisation
        m_toolBar->setVisible(false);
        applyDisplayMode();
    }
    return m_toolBar;
}

void Toolbar::setWindow(Window* window)
{
    if (m_keyObservation) {
        NotificationCenter::defaultCenter().removeObserver(m_keyObservation);
        m_keyObservation = 0;
    }
    delete m_validationTimer;
    m_validationTimer = nullptr;
    m_window = window;
    if (!window) {
        if (m_toolBar)
            m_toolBar->setParent(nullptr);
        return;
    }
    // Validation follows the window's use: when it becomes key, and every half second after.
    m_keyObservation = NotificationCenter::defaultCenter().addObserver(
        NSWindowDidBecomeKeyNotification, window, [this](const Notification&) { validateVisibleItems(); });
    m_validationTimer = new QTimer;
    m_validationTimer->setInterval(kValidationIntervalMs);
    QObject::connect(m_validationTimer, &QTimer::timeout, m_validationTimer, [this] {
        if (m_window && m_window->isVisible())
            validateVisibleItems();
    });
    m_validationTimer->start();
    qToolBar()->setVisible(m_visible);
}

} // namespace pf
