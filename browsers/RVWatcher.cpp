#include "browsers/RVWatcher.h"

#include "browsers/RVFolderWatcher.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"

PF_DEFINE_CLASS(RVWatcher, pf::Object) {}

RVWatcher::RVWatcher(pf::Reflective* observer, const QUrl& url, const QString& selector, const QVariantMap& userInfo)
    : m_observer(observer), m_selector(selector), m_url(url), m_extraInfo(userInfo), m_hasExtraInfo(!userInfo.isEmpty())
{
}

void RVWatcher::sendNotificationWithUserInfo(const QVariantMap& userInfo)
{
    if (!m_observer || !m_observer->respondsTo(m_selector))
        return;
    QVariantMap info = userInfo;
    info.insert(QStringLiteral("path"), m_url.toLocalFile());
    info.insert(QStringLiteral("watcher"), pf::toVariant(ref<RVWatcher>()));
    if (m_hasExtraInfo)
        info.insert(QStringLiteral("user_info"), m_extraInfo);
    pf::Notification notification{RVFolderWatcher::kRVFolderWatcherFolderDidChangeNotification, m_owner, info};
    m_observer->perform(m_selector, {QVariant::fromValue(notification)});
}

QString RVWatcher::description() const
{
    return QStringLiteral("%1 path='%2', observer=%3")
        .arg(pf::Object::description(), m_url.toLocalFile(),
             m_observer ? m_observer->description() : QStringLiteral("(null)"));
}
