#pragma once

#include "platform/foundation/Object.h"

#include <QUrl>
#include <QVariantMap>

class RVFolderWatcher;

// One registration with the folder watcher: whom to call, with which operation, about which
// folder. Neither the owner nor the observer is retained; an observer removes its
// registrations before it goes away.
class RVWatcher : public pf::Object {
    PF_CLASS(RVWatcher)
public:
    RVWatcher() = default;
    RVWatcher(pf::Reflective* observer, const QUrl& url, const QString& selector, const QVariantMap& userInfo);

    RVFolderWatcher* owner() const { return m_owner; }
    void setOwner(RVFolderWatcher* owner) { m_owner = owner; }
    pf::Reflective* observer() const { return m_observer; }
    QString selector() const { return m_selector; }
    QUrl url() const { return m_url; }
    // Null when none was given at registration.
    QVariantMap extraInfo() const { return m_extraInfo; }
    bool hasExtraInfo() const { return m_hasExtraInfo; }

    // Calls the observer's operation with a notification named
    // "kRVFolderWatcherFolderDidChangeNotification" whose user info is `userInfo` plus "path",
    // "watcher" and (when given at registration) "user_info". Nothing happens when the observer
    // does not answer the operation.
    void sendNotificationWithUserInfo(const QVariantMap& userInfo);

    QString description() const override;

private:
    RVFolderWatcher* m_owner = nullptr;
    pf::Reflective* m_observer = nullptr;
    QString m_selector;
    QUrl m_url;
    QVariantMap m_extraInfo;
    bool m_hasExtraInfo = false;
};
