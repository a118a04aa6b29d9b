#include "browsers/RVAsynchronousImageLoader.h"

#include "browsers/RVImagePath.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <QThreadPool>

PF_DEFINE_CLASS(RVAsynchronousImageLoader, pf::Object) {}

RVAsynchronousImageLoader::RVAsynchronousImageLoader(const QUrl& url, const pf::Ref<RVImagePath>& delegate)
    : m_url(url), m_delegate(delegate)
{
}

QThreadPool& RVAsynchronousImageLoader::imageLoaderQueue()
{
    static QThreadPool* queue = [] {
        auto* pool = new QThreadPool;
        pool->setMaxThreadCount(std::max(1, QThread::idealThreadCount() / 2));
        pf::finishBeforeExit(*pool);
        return pool;
    }();
    return *queue;
}

void RVAsynchronousImageLoader::fetchImageAtURL(const QUrl& url, const pf::Ref<RVImagePath>& delegate)
{
    auto loader = std::make_shared<RVAsynchronousImageLoader>(url, delegate);
    // The queued work keeps the loader alive until it has run.
    imageLoaderQueue().start([loader] { loader->loadImage(); });
}

QImage RVAsynchronousImageLoader::image() const
{
    QMutexLocker locker(&m_lock);
    return m_image;
}

void RVAsynchronousImageLoader::loadImage()
{
    const QImage thumbnail = RVImagePath::thumbnailForPath(m_url.toLocalFile());
    if (!thumbnail.isNull())
        setImage(thumbnail);
}

void RVAsynchronousImageLoader::setImage(const QImage& image)
{
    QMutexLocker locker(&m_lock);
    m_image = image;
    pf::Weak<RVImagePath> delegate = m_delegate;
    pf::RunLoop::main().perform([delegate, image] {
        if (pf::Ref<RVImagePath> item = delegate.lock())
            item->imageLoaderDidLoadImage(image);
    }, 0);
}
