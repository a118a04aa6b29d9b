#pragma once

#include "platform/foundation/Object.h"

#include <QUrl>

// An image's URL together with a ready thumbnail file of it (from a photo library).
class RVURLWithThumb : public pf::Object {
    PF_CLASS(RVURLWithThumb)
public:
    RVURLWithThumb() = default;
    RVURLWithThumb(const QUrl& url, const QUrl& thumbnailURL) : m_url(url), m_thumbnailURL(thumbnailURL) {}

    QUrl url() const { return m_url; }
    QUrl thumbnailURL() const { return m_thumbnailURL; }
    void setThumbnailURL(const QUrl& url) { m_thumbnailURL = url; }

private:
    QUrl m_url;
    QUrl m_thumbnailURL;
};
