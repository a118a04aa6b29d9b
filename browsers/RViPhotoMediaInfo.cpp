#include "browsers/RViPhotoMediaInfo.h"

#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <QMutex>

PF_DEFINE_CLASS(RViPhotoMediaInfo, RVFolderInfo) {}
PF_DEFINE_CLASS(RVURLWithThumb, pf::Object) {}

RViPhotoMediaInfo::RViPhotoMediaInfo(const QString& name)
{
    setName(name);
}

bool RViPhotoMediaInfo::mediaSupportAvailable()
{
    // No media library framework exists on this platform.
    return false;
}

std::optional<QVariantMap> RViPhotoMediaInfo::iPhotoMediaLibrary()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    if (!mediaSupportAvailable())
        return std::nullopt;
    return QVariantMap();
}

pf::Ref<RViPhotoMediaInfo> RViPhotoMediaInfo::photosMediaRoot()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    static const pf::Ref<RViPhotoMediaInfo> root = std::make_shared<RViPhotoMediaInfo>(QStringLiteral("Photos"));
    if (!root->mediaSource()) {
        if (std::optional<QVariantMap> sources = iPhotoMediaLibrary()) {
            QVariant source = sources->value(kPhotosSourceIdentifier);
            if (!source.isValid())
                source = sources->value(kiPhotoSourceIdentifier);
            root->setMediaSource(pf::objectFromVariant(source));
        }
    }
    return root;
}

pf::Ref<RViPhotoMediaInfo> RViPhotoMediaInfo::photoBoothMediaRoot()
{
    static QMutex lock;
    QMutexLocker locker(&lock);
    static const pf::Ref<RViPhotoMediaInfo> root = std::make_shared<RViPhotoMediaInfo>(QStringLiteral("Photo Booth"));
    if (!root->mediaSource())
        if (std::optional<QVariantMap> sources = iPhotoMediaLibrary())
            root->setMediaSource(pf::objectFromVariant(sources->value(kPhotoBoothSourceIdentifier)));
    return root;
}

void RViPhotoMediaInfo::setMediaSource(const pf::Ref<pf::Object>& source)
{
    {
        QMutexLocker locker(&m_lock);
        m_mediaSource = source;
    }
    rebuildAndNotify();
}

void RViPhotoMediaInfo::setMediaGroup(const pf::Ref<pf::Object>& group)
{
    {
        QMutexLocker locker(&m_lock);
        m_mediaGroup = group;
    }
    rebuildAndNotify();
}

QList<pf::Ref<RVFolderInfo>> RViPhotoMediaInfo::subFolders()
{
    QMutexLocker locker(&m_lock);
    if (!m_subfolders)
        m_subfolders.emplace(); // a group's child groups would be listed here
    return *m_subfolders;
}

QSet<QUrl> RViPhotoMediaInfo::fileURLsOfTypes(const QStringList&)
{
    return {};
}

void RViPhotoMediaInfo::rebuildAndNotify()
{
    // The media library reports from its own threads; the tree belongs to the main one.
    if (!pf::RunLoop::isMainThread()) {
        pf::Weak<RViPhotoMediaInfo> weakSelf = weak<RViPhotoMediaInfo>();
        pf::RunLoop::main().perform([weakSelf] {
            if (auto self = weakSelf.lock())
                self->rebuildAndNotify();
        }, 0);
        return;
    }
    dropChildren();
    clear();
    pf::NotificationCenter::defaultCenter().post(kRVFolderInfoDidChangeOnDisk, this);
    notifyRefreshDelegate();
}

QString RViPhotoMediaInfo::description() const
{
    return QStringLiteral("%1 id=%2").arg(RVFolderInfo::description(), identifier());
}
