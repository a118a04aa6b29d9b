#include "platform/ui/ToolbarItem.h"

#include "platform/ui/Application.h"
#include "platform/ui/Responder.h"

#include <QAction>
#include <QWidgetAction>

PF_DEFINE_CLASS_NAMED(pf::ToolbarItem, pf::Object, "pf::ToolbarItem")
{
    b.property("itemIdentifier", &pf::ToolbarItem::itemIdentifier);
    b.property("label", &pf::ToolbarItem::label, &pf::ToolbarItem::setLabel);
    b.property("tag", &pf::ToolbarItem::tag, &pf::ToolbarItem::setTag);
}

namespace pf {

ToolbarItem::ToolbarItem(QString identifier) : m_identifier(std::move(identifier)) {}

ToolbarItem::~ToolbarItem()
{
    delete m_qaction.data();
}

Ref<ToolbarItem> ToolbarItem::make(const QString& identifier)
{
    return std::make_shared<ToolbarItem>(identifier);
}

void ToolbarItem::setLabel(const QString& label)
{
    m_label = label;
    updateAction();
}

void ToolbarItem::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
    updateAction();
}

void ToolbarItem::setImage(const QIcon& image)
{
    m_image = image;
    updateAction();
}

void ToolbarItem::setEnabled(bool enabled)
{
    m_enabled = enabled;
    updateAction();
}

void ToolbarItem::setView(QWidget* view)
{
    if (view == m_view)
        return;
    if (m_qaction) {
        // A QWidgetAction keeps the widget it was given; the item's action is made anew.
        delete m_qaction.data();
    }
    m_view = view;
}

QVariant ToolbarItem::senderValue() const
{
    return toVariant(std::const_pointer_cast<ToolbarItem>(ref<ToolbarItem>()));
}

void ToolbarItem::validate()
{
    if (m_view) {
        if (auto* control = dynamic_cast<UserInterfaceItem*>(m_view.data())) {
            pf::validateUserInterfaceItem(*control);
            return;
        }
    }
    if (!m_action.isEmpty())
        pf::validateUserInterfaceItem(*this);
}

bool ToolbarItem::sendAction()
{
    if (m_action.isEmpty() || !m_enabled)
        return false;
    return Application::shared()->sendAction(m_action, m_target.get(), senderValue());
}

QAction* ToolbarItem::qAction()
{
    if (m_qaction)
        return m_qaction;
    if (m_view) {
        auto* action = new QWidgetAction(nullptr);
        action->setDefaultWidget(m_view);
        m_qaction = action;
    } else {
        m_qaction = new QAction(nullptr);
        QObject::connect(m_qaction.data(), &QAction::triggered, m_qaction.data(), [this] { sendAction(); });
    }
    updateAction();
    return m_qaction;
}

void ToolbarItem::updateAction()
{
    if (!m_qaction)
        return;
    m_qaction->setText(m_label);
    m_qaction->setIcon(m_image);
    m_qaction->setToolTip(m_toolTip.isEmpty() ? m_label : m_toolTip);
    m_qaction->setEnabled(m_enabled);
}

} // namespace pf
