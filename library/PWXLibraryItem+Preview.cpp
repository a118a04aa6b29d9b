#include "library/PWXLibraryItem.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

#include <QCache>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// Previews: one process-wide cache by unique key, filled on the main thread; package previews
// are decoded on one shared queue.

namespace {

constexpr qint64 kMaxPreviewBytes = qint64(64) * 1024 * 1024;
constexpr int kPreviewPixels = 128;

QCache<QString, QImage>& iconCache()
{
    static QCache<QString, QImage>* cache = [] {
        auto* made = new QCache<QString, QImage>(PWXLibraryItem::kIconCacheLimit);
        RVLog(kInfoEvent, QStringLiteral("icon cache allocated: %1 entries").arg(PWXLibraryItem::kIconCacheLimit));
        return made;
    }();
    return *cache;
}

std::atomic<bool> g_loadsImagesUsingThread{true};
std::atomic<qint64> g_previewDecodes{0};

bool readFile(const QString& path, QByteArray* data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPreviewBytes)
        return false;
    *data = file.readAll();
    return true;
}

} // namespace

QImage PWXLibraryItem::iconForItem(const PWXLibraryItem& item)
{
    if (!pf::RunLoop::isMainThread())
        return QImage();
    const QImage* image = iconCache().object(item.uniqueKey());
    return image ? *image : QImage();
}

void PWXLibraryItem::setIconForItem(const QImage& image, const PWXLibraryItem& item)
{
    if (!pf::RunLoop::isMainThread() || item.uniqueKey().isEmpty())
        return;
    if (image.isNull())
        iconCache().remove(item.uniqueKey());
    else
        iconCache().insert(item.uniqueKey(), new QImage(image));
}

int PWXLibraryItem::iconCacheCount() { return int(iconCache().count()); }

qint64 PWXLibraryItem::previewDecodeCount() { return g_previewDecodes.load(); }

void PWXLibraryItem::clearIconCache() { iconCache().clear(); }

pf::OperationQueue& PWXLibraryItem::iconFetchQueue()
{
    static pf::OperationQueue queue;
    return queue;
}

bool PWXLibraryItem::loadsImagesUsingThread() { return g_loadsImagesUsingThread.load(); }

void PWXLibraryItem::setLoadsImagesUsingThread(bool threaded) { g_loadsImagesUsingThread.store(threaded); }

QImage PWXLibraryItem::previewImageLoadingAsynchronously(bool asynchronously)
{
    const QImage cached = iconForItem(*this);
    if (!cached.isNull())
        return cached;
    if (m_imageLoading.load())
        return QImage();
    m_imageLoading.store(true);
    if (m_object) {
        const QImage made = makePreviewImage();
        setPreviewImage(made);
        m_imageLoading.store(false);
        return made;
    }
    if (!hasValidPath()) {
        // Nothing is loading: a later request, once the package exists, must not be refused.
        m_imageLoading.store(false);
        return QImage();
    }
    const QString source = QDir(path()).filePath(kQuickLookEntry + QLatin1Char('/') + kPreviewEntry);
    if (asynchronously && loadsImagesUsingThread()) {
        pf::Weak<PWXLibraryItem> self = ref<PWXLibraryItem>();
        iconFetchQueue().addOperation([self, source] {
            QImage image = loadImageWithPath(source);
            const bool readable = !image.isNull() || QFileInfo::exists(source)
                                  || QFileInfo::exists(QFileInfo(source).path() + QStringLiteral("/Preview.tif"));
            pf::performOnMainThread([self, image, readable] {
                pf::Ref<PWXLibraryItem> item = self.lock();
                if (item && readable)
                    item->deliverLoadedImage(image);
            }, false);
        });
        return QImage();
    }
    const QImage image = loadImageWithPath(source);
    const bool readable = !image.isNull() || QFileInfo::exists(source);
    if (readable)
        deliverLoadedImage(image);
    return iconForItem(*this);
}

QImage PWXLibraryItem::loadImageWithPath(const QString& path)
{
    g_previewDecodes.fetch_add(1);
    QByteArray data;
    if (!readFile(path, &data)) {
        pf::log(QStringLiteral("PDF not found at '%1', trying TIFF").arg(path));
        const QString tiff = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName()
                             + QStringLiteral(".tif");
        if (!readFile(tiff, &data)) {
            pf::log(QStringLiteral("an error occurred: %1 could not be read").arg(tiff));
            return QImage();
        }
    }
    // "Preview.pdf" holds PDF data or, for bitmap previews, TIFF (or PNG) data.
    if (data.startsWith("%PDF")) {
        pf::Ref<pf::Image> pdf = pf::Image::fromPdfData(data);
        if (pdf) {
            QSizeF size = pdf->size();
            if (size.isEmpty())
                size = QSizeF(kPreviewPixels, kPreviewPixels);
            return pdf->bitmap(size.scaled(QSizeF(kPreviewPixels, kPreviewPixels), Qt::KeepAspectRatio).toSize());
        }
    }
    QImage image = QImage::fromData(data);
    if (image.isNull())
        pf::log(QStringLiteral("image data (%1 bytes) was read but not a valid image for '%2' - will try making new image")
                    .arg(data.size())
                    .arg(path));
    return image;
}

void PWXLibraryItem::deliverLoadedImage(const QImage& image)
{
    if (!image.isNull()) {
        setPreviewImage(image);
        m_imageLoading.store(false);
        return;
    }
    // The file was there but held no image: the object makes one, here on the main thread,
    // where the object lives.
    if (!representedObject()) {
        pf::log(QStringLiteral("could not create preview image for '%1'. Giving up").arg(name()));
        return; // stays marked: the run does not try again
    }
    const QImage made = makePreviewImage();
    if (made.isNull()) {
        pf::log(QStringLiteral("could not create preview image for '%1'. Giving up").arg(name()));
        return;
    }
    setPreviewImage(made);
    m_imageLoading.store(false);
}

void PWXLibraryItem::setPreviewImage(const QImage& image)
{
    setIconForItem(image, *this);
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryObjectImageUpdated, this);
}

bool PWXLibraryItem::remakeIconOnDisk()
{
    const QImage image = makePreviewImage();
    setPreviewImage(image);
    const bool written = !image.isNull() && writeToFile();
    if (written)
        RVLog(kFileEvent, QStringLiteral("updated icon for '%1' at %2").arg(name(), path()));
    else
        RVLog(kFileEvent, QStringLiteral("FAILED to update icon for '%1'").arg(name()));
    return written;
}

QByteArray PWXLibraryItem::previewData() const
{
    QByteArray data;
    if (hasValidPath())
        readFile(QDir(path()).filePath(kQuickLookEntry + QLatin1Char('/') + kPreviewEntry), &data);
    return data;
}

QImage PWXLibraryItem::previewThumbnail() const
{
    QByteArray data;
    if (!hasValidPath() || !readFile(QDir(path()).filePath(kQuickLookEntry + QLatin1Char('/') + kThumbnailEntry), &data))
        return QImage();
    return QImage::fromData(data, "JPEG");
}
