#include "browsers/RVImagePath.h"

#include "browsers/RVMediaBrowserController.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageSource.h"
#include "platform/ui/Workspace.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

PF_DEFINE_CLASS(RVImagePath, pf::Object)
{
    b.property("name", &RVImagePath::name);
    b.property("imageUID", &RVImagePath::imageUID);
}

RVImagePath::RVImagePath(const QUrl& url, const pf::Ref<pf::Object>& mediaBrowser, const QUrl& thumbnailURL)
    : m_mediaBrowser(mediaBrowser), m_url(url), m_thumbnailURL(thumbnailURL), m_identifier(url.toLocalFile())
{
}

RVImagePath::~RVImagePath() = default;

bool RVImagePath::showsFileExtensions()
{
    return pf::UserDefaults::standard().boolForKey(kRVMediaBrowserShowFileExtensions);
}

bool RVImagePath::isSVGExtension(const QString& extension)
{
    return RVMediaBrowserController::svgFileTypes().contains(extension, Qt::CaseSensitive);
}

QString RVImagePath::name() const
{
    const QFileInfo info(path());
    return showsFileExtensions() || info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
}

QString RVImagePath::fileExtension() const
{
    return QFileInfo(path()).suffix();
}

QVariantMap RVImagePath::imageAttributes()
{
    if (!m_attributes)
        m_attributes = pf::ImageSource::properties(path());
    return *m_attributes;
}

QString RVImagePath::imageSubtitle()
{
    const QVariantMap attributes = imageAttributes();
    const qint64 width = attributes.value(pf::kImagePropertyPixelWidth).toLongLong();
    const qint64 height = attributes.value(pf::kImagePropertyPixelHeight).toLongLong();
    if (width >= 1 && height >= 1)
        return QStringLiteral("%1 x %2").arg(width).arg(height);
    return QString();
}

QImage RVImagePath::thumbnailFromImage(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return QImage();
    QSize size = image.size();
    if (size.width() > kThumbnailSide || size.height() > kThumbnailSide)
        size.scale(int(kThumbnailSide), int(kThumbnailSide), Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    QImage thumbnail(size, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(), size), image);
    return thumbnail;
}

QImage RVImagePath::thumbnailForPath(const QString& path)
{
    // Read at the size shown where the format allows it: a large photo is not decoded whole.
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && !full.isEmpty()) {
        QSize fitted = full;
        if (fitted.width() > kThumbnailSide || fitted.height() > kThumbnailSide)
            fitted.scale(int(kThumbnailSide), int(kThumbnailSide), Qt::KeepAspectRatio);
        reader.setScaledSize(fitted.expandedTo(QSize(1, 1)));
        const QImage read = reader.read();
        if (!read.isNull())
            return thumbnailFromImage(read);
    }
    // PDF, SVG and the formats only our own readers know.
    pf::Ref<pf::Image> image = pf::Image::fromFile(path);
    if (!image || !image->isValid())
        return QImage();
    QSizeF size = image->size();
    if (size.width() > kThumbnailSide || size.height() > kThumbnailSide)
        size.scale(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio);
    return thumbnailFromImage(image->bitmap(size.toSize().expandedTo(QSize(1, 1))));
}

bool RVImagePath::isVisible() const
{
    auto* host = dynamic_cast<RVImagePathHost*>(m_mediaBrowser.lock().get());
    return host && host->itemVisibleInView(*this);
}

QImage RVImagePath::image()
{
    if (!m_image.isNull() || m_requestInProgress || m_previewFailed)
        return m_image;
    if (!isVisible())
        return QImage();
    m_requestInProgress = true;
    if (isSVG()) {
        PWSVGPreview::svgPreviewWithSVGURL(m_url, this);
        return QImage();
    }
    m_image = thumbnailForPath(path());
    m_requestInProgress = false;
    return m_image;
}

void RVImagePath::setImage(const QImage& image)
{
    m_image = image;
    post(kRVImagePathItemImageUpdated);
}

void RVImagePath::remakeThumbnail()
{
    if (!isSVG() || m_requestInProgress)
        return;
    PWSVGPreview::removeCachedSVGPreviewForURL(m_url);
    m_previewFailed = false;
    setImage(QImage());
}

void RVImagePath::revealInFinder() const
{
    pf::Workspace::shared().activateFileViewerSelectingURLs({m_url});
}

void RVImagePath::previewCancelled()
{
    m_requestInProgress = false;
    m_fetchAnnounced = false;
}

RVImagePath::RepresentationType RVImagePath::imageRepresentationType() const
{
    if (RVMediaBrowserController::prefersQuickLookPreview())
        return RepresentationType::QuickLookPath;
    return isSVG() ? RepresentationType::ImageObject : RepresentationType::Path;
}

QVariant RVImagePath::imageRepresentation()
{
    if (imageRepresentationType() == RepresentationType::ImageObject)
        return image();
    return m_thumbnailURL.isEmpty() ? path() : m_thumbnailURL.toLocalFile();
}

bool RVImagePath::isEqual(const pf::Reflective* other) const
{
    if (other == this)
        return true;
    const auto* item = dynamic_cast<const RVImagePath*>(other);
    return item && item->m_identifier == m_identifier;
}

QString RVImagePath::description() const
{
    return QStringLiteral("%1 %2 image=%3, waiting=%4, failed=%5")
        .arg(pf::Object::description(), m_url.toString(),
             m_image.isNull() ? QStringLiteral("(null)")
                              : QStringLiteral("%1x%2").arg(m_image.width()).arg(m_image.height()),
             m_requestInProgress ? QStringLiteral("YES") : QStringLiteral("NO"),
             m_previewFailed ? QStringLiteral("YES") : QStringLiteral("NO"));
}

void RVImagePath::post(const QString& name)
{
    pf::Ref<RVImagePath> keep = ref<RVImagePath>();
    pf::NotificationCenter::defaultCenter().post(name, this);
}

bool RVImagePath::svgPreviewShouldStart(PWSVGPreview&)
{
    const bool visible = isVisible();
    // Refused: nothing more will come, so the item may ask again once it is on screen.
    if (!visible)
        m_requestInProgress = false;
    return visible;
}

void RVImagePath::svgPreviewDidStart(PWSVGPreview&)
{
    m_fetchAnnounced = true;
    post(kRVImagePathWillStartAsynchronousFetch);
}

void RVImagePath::svgPreviewDidEnd(PWSVGPreview& preview)
{
    m_svgPreviewURL = preview.cachedPreviewURL();
    m_requestInProgress = false;
    if (m_fetchAnnounced) {
        m_fetchAnnounced = false;
        post(kCGImagePathDidCompleteAsynchronousFetch);
    }
}

void RVImagePath::svgPreviewImageAvailable(PWSVGPreview& preview)
{
    m_requestInProgress = false;
    setImage(preview.image());
}

void RVImagePath::svgPreviewFailed(PWSVGPreview&)
{
    RVLog(kFileEvent, QStringLiteral("the preview of '%1' could not be made").arg(path()));
    m_previewFailed = true;
    m_requestInProgress = false;
}

void RVImagePath::imageLoaderDidLoadImage(const QImage& image)
{
    m_requestInProgress = false;
    setImage(image);
}
