#pragma once

#include "platform/foundation/NotificationCenter.h"

#include <QList>
#include <QStringList>
#include <QVariantMap>

// Records the notifications one sender posts while it lives.
class NotificationRecorder {
public:
    explicit NotificationRecorder(const pf::Reflective* sender)
    {
        m_token = pf::NotificationCenter::defaultCenter().addObserver(QString(), sender, [this](const pf::Notification& n) {
            names.append(n.name);
            infos.append(n.userInfo);
        });
    }
    ~NotificationRecorder() { pf::NotificationCenter::defaultCenter().removeObserver(m_token); }
    NotificationRecorder(const NotificationRecorder&) = delete;
    NotificationRecorder& operator=(const NotificationRecorder&) = delete;

    int count(const QString& name) const { return int(names.count(name)); }
    void clear()
    {
        names.clear();
        infos.clear();
    }

    QStringList names;
    QList<QVariantMap> infos;

private:
    quint64 m_token = 0;
};
