#pragma once

#include "platform/foundation/Object.h"

#include <QImage>
#include <QMutex>
#include <QUrl>

class QThreadPool;
class RVImagePath;

// Makes an item's 150-point thumbnail on a shared background queue and hands it to the item on
// the main thread. The item is held weakly: one that is gone by then is not called.
class RVAsynchronousImageLoader : public pf::Object {
    PF_CLASS(RVAsynchronousImageLoader)
public:
    RVAsynchronousImageLoader() = default;
    RVAsynchronousImageLoader(const QUrl& url, const pf::Ref<RVImagePath>& delegate);

    static QThreadPool& imageLoaderQueue();
    static void fetchImageAtURL(const QUrl& url, const pf::Ref<RVImagePath>& delegate);

    QUrl url() const { return m_url; }
    pf::Ref<RVImagePath> delegate() const { return m_delegate.lock(); }
    QImage image() const;
    // Stores the image and asks for the delegate to be given it on the main thread.
    void setImage(const QImage& image);
    // Reads the file and makes the thumbnail (on the queue's thread).
    void loadImage();

private:
    QUrl m_url;
    pf::Weak<RVImagePath> m_delegate;
    QImage m_image;
    mutable QMutex m_lock;
};
