#include "platform/ui/MenuItem.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Responder.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWidgetAction>

PF_DEFINE_CLASS_NAMED(pf::MenuItem, pf::Object, "pf::MenuItem")
{
    b.property("title", &pf::MenuItem::title, &pf::MenuItem::setTitle);
    b.property("tag", &pf::MenuItem::tag, &pf::MenuItem::setTag);
    b.property("representedObject", &pf::MenuItem::representedObject, &pf::MenuItem::setRepresentedObject);
    b.property("enabled", &pf::MenuItem::isEnabled, &pf::MenuItem::setEnabled);
    b.property("hidden", &pf::MenuItem::isHidden, &pf::MenuItem::setHidden);
    b.property("indentationLevel", &pf::MenuItem::indentationLevel, &pf::MenuItem::setIndentationLevel);
    b.property("toolTip", &pf::MenuItem::toolTip, &pf::MenuItem::setToolTip);
    b.property("action", &pf::MenuItem::action, &pf::MenuItem::setAction);
    b.property(
        "state", [](const pf::MenuItem& item) { return QVariant(int(item.state())); },
        [](pf::MenuItem& item, const QVariant& value) { item.setState(pf::ControlState(value.toInt())); }, true);
}

namespace pf {

namespace {

constexpr int kIndentationStep = 12;

// The row an item shows when its title has a colour or an underline or it is indented,
// which a plain menu row cannot draw. Clicking it chooses the item.
class MenuItemRow : public QLabel {
public:
    explicit MenuItemRow(QAction* action)
        : m_action(action)
    {
        setAutoFillBackground(true);
        setMouseTracking(true);
        setIndent(0);
    }

    void setIndent(int indent) { setContentsMargins(indent + 24, 3, 24, 3); }

protected:
    void enterEvent(QEnterEvent*) override { setHighlighted(true); }
    void leaveEvent(QEvent*) override { setHighlighted(false); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || !m_action || !m_action->isEnabled())
            return;
        QPointer<QAction> action(m_action);
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        if (action)
            action->trigger();
    }

private:
    void setHighlighted(bool on)
    {
        setBackgroundRole(on && m_action && m_action->isEnabled() ? QPalette::Highlight : QPalette::Window);
        setForegroundRole(on ? QPalette::HighlightedText : QPalette::WindowText);
    }

    QPointer<QAction> m_action;
};

QIcon mixedStateIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QApplication::palette().color(QPalette::WindowText), 2));
    painter.drawLine(4, 8, 12, 8);
    return QIcon(pixmap);
}

} // namespace

MenuItem::MenuItem() = default;

MenuItem::~MenuItem()
{
    if (m_submenu && m_submenu->m_supermenu == m_menu)
        m_submenu->m_supermenu = nullptr;
    if (m_qaction && !m_submenu)
        delete m_qaction.data();
}

Ref<MenuItem> MenuItem::make(const QString& title, const QString& action, const QKeySequence& keyEquivalent)
{
    auto item = std::make_shared<MenuItem>();
    item->m_title = title;
    item->m_action = action;
    item->m_keyEquivalent = keyEquivalent;
    return item;
}

Ref<MenuItem> MenuItem::separator()
{
    auto item = std::make_shared<MenuItem>();
    item->m_separator = true;
    item->m_enabled = false;
    return item;
}

void MenuItem::setTitle(const QString& title)
{
    m_title = title;
    sync();
}

void MenuItem::setAttributedTitle(const QString& title, const MenuItemTitleAttributes& attributes)
{
    m_title = title;
    m_attributes = attributes;
    sync();
}

bool MenuItem::hasAttributedTitle() const
{
    return m_attributes.font || m_attributes.color.isValid() || m_attributes.underline;
}

void MenuItem::setAction(const QString& action)
{
    m_action = action;
}

void MenuItem::setEnabled(bool enabled)
{
    m_enabled = enabled;
    sync();
}

void MenuItem::setHidden(bool hidden)
{
    m_hidden = hidden;
    sync();
}

void MenuItem::setState(ControlState state)
{
    m_state = state;
    sync();
}

void MenuItem::setImage(const QIcon& image)
{
    m_image = image;
    sync();
}

void MenuItem::setIndentationLevel(int level)
{
    m_indentation = std::clamp(level, 0, 15);
    sync();
}

void MenuItem::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
    sync();
}

void MenuItem::setKeyEquivalent(const QKeySequence& key)
{
    m_keyEquivalent = key;
    sync();
}

void MenuItem::setAlternateKeyEquivalents(const QList<QKeySequence>& keys)
{
    m_alternateKeys = keys;
    sync();
}

void MenuItem::setSubmenu(const Ref<Menu>& submenu)
{
    PF_ASSERT(!submenu || !submenu->m_supermenu || submenu->m_supermenu == m_menu,
              "the menu is already a submenu of another menu");
    if (m_submenu)
        m_submenu->m_supermenu = nullptr;
    // The item's own QAction gives way to the submenu's.
    if (m_qaction && !m_submenu)
        delete m_qaction.data();
    m_qaction = nullptr;
    m_submenu = submenu;
    if (m_submenu)
        m_submenu->m_supermenu = m_menu;
    if (m_menu)
        m_menu->itemChanged(this);
}

QVariant MenuItem::senderValue() const
{
    return toVariant(std::const_pointer_cast<MenuItem>(ref<MenuItem>()));
}

QAction* MenuItem::qAction()
{
    if (!m_qaction) {
        if (m_submenu) {
            m_qaction = m_submenu->qMenu()->menuAction();
        } else {
            auto* action = new QWidgetAction(nullptr);
            Weak<MenuItem> weakSelf = weak<MenuItem>();
            QObject::connect(action, &QAction::triggered, action, [weakSelf] {
                if (Ref<MenuItem> self = weakSelf.lock())
                    self->performAction();
            });
            m_qaction = action;
        }
        sync();
    }
    return m_qaction;
}

void MenuItem::sync()
{
    QAction* action = m_qaction;
    if (!action)
        return;
    action->setSeparator(m_separator);
    action->setText(m_title);
    action->setToolTip(m_toolTip);
    action->setVisible(!m_hidden);
    if (m_alternateKeys.isEmpty()) {
        action->setShortcut(m_keyEquivalent);
    } else {
        // The first shortcut is the one the menu shows.
        QList<QKeySequence> keys{m_keyEquivalent};
        keys += m_alternateKeys;
        action->setShortcuts(keys);
    }
    // Closed menus keep their items live for shortcuts; validation happens on use.
    const bool open = m_menu && m_menu->isOpen();
    action->setEnabled(m_separator ? false : (m_enabled || !open));
    if (m_attributes.font)
        action->setFont(*m_attributes.font);
    else if (m_menu && m_menu->m_font)
        action->setFont(*m_menu->m_font);

    const bool on = m_state == ControlState::On;
    action->setCheckable(on);
    action->setChecked(on);
    if (!m_image.isNull())
        action->setIcon(m_image);
    else if (m_state == ControlState::Mixed)
        action->setIcon(mixedStateIcon());
    else
        action->setIcon(QIcon());

    auto* widgetAction = qobject_cast<QWidgetAction*>(action);
    if (!widgetAction)
        return;
    auto* row = dynamic_cast<MenuItemRow*>(widgetAction->defaultWidget());
    const bool needsRow = !m_separator && (m_attributes.color.isValid() || m_attributes.underline || m_indentation > 0);
    if (!needsRow) {
        // Ignored by Qt while a menu shows the row; the menu syncs again once it lets go.
        if (row)
            widgetAction->setDefaultWidget(nullptr);
        return;
    }
    if (!row) {
        row = new MenuItemRow(action);
        widgetAction->setDefaultWidget(row);
    }
    row->setIndent(m_indentation * kIndentationStep);
    QFont font = m_attributes.font.value_or(m_menu && m_menu->m_font ? *m_menu->m_font : QApplication::font("QMenu"));
    font.setUnderline(m_attributes.underline);
    row->setFont(font);
    const QString prefix = on ? QStringLiteral("\u2713 ") : m_state == ControlState::Mixed ? QStringLiteral("\u2013 ") : QString();
    row->setText(prefix + m_title);
    row->setToolTip(m_toolTip);
    row->setEnabled(m_enabled || !open);
    QPalette palette = QApplication::palette("QMenu");
    if (m_attributes.color.isValid())
        palette.setColor(QPalette::WindowText, m_attributes.color);
    row->setPalette(palette);
}

bool MenuItem::performAction()
{
    if (m_separator || m_action.isEmpty())
        return false;
    bool enabled = m_enabled;
    if (!m_menu || m_menu->autoenablesItems())
        enabled = validateUserInterfaceItem(*this);
    if (!enabled) {
        Application::beep();
        return false;
    }
    // The item may be removed by its own action; keep it alive until the send returns.
    Ref<MenuItem> keep = ref<MenuItem>();
    return Application::shared()->sendAction(m_action, target(), senderValue());
}

} // namespace pf
