#include "platform/graphics/PdfImageRep.h"

#include "platform/foundation/Error.h"
#include "platform/graphics/ImageReader.h"

#include <poppler-qt6.h>

#include <cmath>

namespace pf {

namespace {

Error unreadable(const QString& reason)
{
    return ImageReader::unreadableError(QString(), reason);
}

} // namespace

PdfImageRep::PdfImageRep(QSizeF size, QByteArray data, std::unique_ptr<Poppler::Document> document)
    : ImageRep(size)
    , m_data(std::move(data))
    , m_document(std::move(document))
{
}

PdfImageRep::~PdfImageRep() = default;

std::shared_ptr<PdfImageRep> PdfImageRep::fromData(const QByteArray& data, Error* error)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document || document->isLocked()) {
        fail(error, unreadable(QStringLiteral("The PDF data couldn't be read.")));
        return {};
    }
    if (document->numPages() < 1) {
        fail(error, unreadable(QStringLiteral("The PDF document has no pages.")));
        return {};
    }
    std::unique_ptr<Poppler::Page> page = document->page(0);
    const QSizeF size = page ? page->pageSizeF() : QSizeF();
    if (size.isEmpty()) {
        fail(error, unreadable(QStringLiteral("The PDF page has no size.")));
        return {};
    }
    // Transparent where the page draws nothing, as an image should be.
    document->setPaperColor(Qt::transparent);
    document->setRenderHint(Poppler::Document::IgnorePaperColor);
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    return std::shared_ptr<PdfImageRep>(new PdfImageRep(size, data, std::move(document)));
}

QImage PdfImageRep::rasterize(QSize pixels) const
{
    if (pixels.isEmpty() || !ImageReader::fitsDecodeLimit(pixels))
        return {};
    if (m_cache.size() == pixels)
        return m_cache;
    std::unique_ptr<Poppler::Page> page = m_document->page(0);
    if (!page)
        return {};
    const double xres = 72.0 * pixels.width() / size().width();
    const double yres = 72.0 * pixels.height() / size().height();
    QImage image = page->renderToImage(xres, yres, 0, 0, pixels.width(), pixels.height());
    if (image.isNull())
        return {};
    m_cache = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return m_cache;
}

void PdfImageRep::draw(QPainter& painter, const QRectF& target) const
{
    // Render at the device resolution so the page stays sharp at any scale.
    const QRectF device = painter.deviceTransform().mapRect(target);
    const QSize pixels(std::max(1, int(std::ceil(device.width()))), std::max(1, int(std::ceil(device.height()))));
    const QImage image = rasterize(pixels);
    if (!image.isNull())
        painter.drawImage(target, image, QRectF(image.rect()));
}

} // namespace pf
