#pragma once

#include "browsers/RVFolderInfo.h"
#include "browsers/RVURLWithThumb.h"

#include <optional>

// A source or group of the system's media library (Photos, the older photo library, Photo
// Booth) shown as a folder node. This platform has no such media library, so the roots made
// here have no source and no children; the node still behaves as a folder node that cannot be
// removed, and changes reported to it are handled on the main thread.
class RViPhotoMediaInfo : public RVFolderInfo {
    PF_CLASS(RViPhotoMediaInfo)
public:
    static inline const QString kPhotosSourceIdentifier = QStringLiteral("com.apple.Photos");
    static inline const QString kiPhotoSourceIdentifier = QStringLiteral("com.apple.medialibrary.iPhoto");
    static inline const QString kPhotoBoothSourceIdentifier = QStringLiteral("com.apple.medialibrary.PhotoBooth");

    RViPhotoMediaInfo() = default;
    explicit RViPhotoMediaInfo(const QString& name);

    static bool mediaSupportAvailable();
    // The media sources by identifier, or nothing without media support.
    static std::optional<QVariantMap> iPhotoMediaLibrary();
    static pf::Ref<RViPhotoMediaInfo> photosMediaRoot();
    static pf::Ref<RViPhotoMediaInfo> photoBoothMediaRoot();

    pf::Ref<pf::Object> mediaSource() const { return m_mediaSource; }
    void setMediaSource(const pf::Ref<pf::Object>& source);
    pf::Ref<pf::Object> mediaGroup() const { return m_mediaGroup; }
    void setMediaGroup(const pf::Ref<pf::Object>& group);

    bool allowsDeletion() const override { return false; }
    bool existsOnDisk() const override { return false; }
    QList<pf::Ref<RVFolderInfo>> subFolders() override;
    QSet<QUrl> fileURLsOfTypes(const QStringList& types) override;
    QList<pf::Ref<RVURLWithThumb>> imagesWithThumbnails() const { return {}; }
    QSet<QUrl> thumbnailURLs() const { return {}; }
    // Empties the children and announces the change; from any thread, done on the main one.
    void rebuildAndNotify();
    QString description() const override;

private:
    pf::Ref<pf::Object> m_mediaSource;
    pf::Ref<pf::Object> m_mediaGroup;
};
