#pragma once

#include "platform/foundation/Object.h"

#include <QIcon>
#include <QString>

namespace pf {

// One item of the colour panel's mode bar: the picker it switches to, its image and tool
// tip, and the panel action that switches (sent with the item as argument).
class ColorPanelModeItem : public Object {
    PF_CLASS(ColorPanelModeItem)
public:
    ColorPanelModeItem() = default;
    ColorPanelModeItem(QString identifier, QIcon image, QString toolTip, QString action)
        : m_identifier(std::move(identifier)), m_image(std::move(image)), m_toolTip(std::move(toolTip)),
          m_action(std::move(action))
    {
    }

    QString itemIdentifier() const { return m_identifier; }
    QIcon image() const { return m_image; }
    QString toolTip() const { return m_toolTip; }
    QString action() const { return m_action; }

private:
    QString m_identifier;
    QIcon m_image;
    QString m_toolTip;
    QString m_action;
};

} // namespace pf
