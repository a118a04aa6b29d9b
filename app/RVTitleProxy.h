#pragma once

#include "platform/foundation/Object.h"

#include <QString>

// Stands in as the sender of an action whose receiver reads the sender's "title" (an undo
// action name, as a menu item would give it).
class RVTitleProxy : public pf::Object {
    PF_CLASS(RVTitleProxy)
public:
    RVTitleProxy() = default;
    explicit RVTitleProxy(QString title) : m_title(std::move(title)) {}
    static pf::Ref<RVTitleProxy> titleProxyWithString(const QString& title)
    {
        return std::make_shared<RVTitleProxy>(title);
    }

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }

private:
    QString m_title;
};
