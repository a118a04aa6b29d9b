#include "frameworks/penwork/output/PWRenderingOutput.h"

#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/layers/PWBandedDrawing.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/HugePages.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMutex>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>

#include <sys/mman.h>

namespace {

using Draw = std::function<void(QPainter&, const QRectF&)>;

pf::Error outputError(const QString& reason, const pf::Error& underlying = {})
{
    QVariantMap info{{pf::NSLocalizedDescriptionKey,
                      QCoreApplication::translate("PWRenderingOutput", "The image could not be made.")},
                     {pf::NSLocalizedFailureReasonErrorKey, reason}};
    if (!underlying.isNull())
        info.insert(pf::NSUnderlyingErrorKey, QVariant::fromValue(underlying));
    return pf::Error(kPWErrorDomain, kPWErrorOutputFailed, info);
}

bool isUsableRect(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

QRectF drawingRect(const PWDrawing& drawing)
{
    return QRectF(QPointF(0, 0), drawing.drawingSize());
}

// The sources of the PDF data made here, by the digest of the data. Held weakly and only the
// most recent few, so the table never keeps a drawing alive nor grows without bound.
class PdfSources {
public:
    static PdfSources& shared()
    {
        static PdfSources table;
        return table;
    }

    void remember(const QByteArray& pdf, const pf::Ref<pf::Object>& source)
    {
        if (pdf.isEmpty() || !source)
            return;
        const QByteArray digest = digestOf(pdf);
        QMutexLocker lock(&m_mutex);
        std::erase_if(m_entries, [&](const Entry& e) { return e.digest == digest || e.source.expired(); });
        m_entries.push_back({digest, source});
        while (m_entries.size() > kCapacity)
            m_entries.pop_front();
    }

    pf::Ref<pf::Object> sourceOf(const QByteArray& pdf) const
    {
        const QByteArray digest = digestOf(pdf);
        QMutexLocker lock(&m_mutex);
        for (const Entry& entry : m_entries)
            if (entry.digest == digest)
                return entry.source.lock();
        return nullptr;
    }

private:
    static constexpr size_t kCapacity = 64;
    struct Entry {
        QByteArray digest;
        pf::Weak<pf::Object> source;
    };
    static QByteArray digestOf(const QByteArray& pdf) { return QCryptographicHash::hash(pdf, QCryptographicHash::Sha256); }

    mutable QMutex m_mutex;
    std::deque<Entry> m_entries;
};

pf::Ref<pf::Object> sharedRef(pf::Object& object)
{
    return object.weak_from_this().lock();
}

// The title of the PDF data this thread writes (PdfTitleScope).
thread_local QString pdfTitle;

// One page of `area` (drawing coordinates) in points.
QByteArray writePdf(const QRectF& area, const Draw& draw)
{
    if (!isUsableRect(area))
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(area.size(), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(pdfTitle);
        writer.setCreator(QCoreApplication::applicationName());
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-area.topLeft());
        painter.setClipRect(area);
        draw(painter, area);
        painter.end();
    }
    return data;
}

// A transparent image of `size`. A large one takes its pixels straight from the kernel, zeroed
// (transparent) already and in huge pages where the system gives them: clearing and drawing
// into tens of megabytes a 4 KB page at a time costs thousands of page faults, a good part of
// the time a big but simple picture takes.
QImage transparentImage(const QSize& size)
{
    constexpr QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    constexpr size_t kHugePage = size_t(2) * 1024 * 1024;
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    if (bytes < 4 * kHugePage) {
        QImage image(size, format);
        if (!image.isNull())
            image.fill(Qt::transparent);
        return image;
    }
    struct Mapping {
        void* base;
        size_t length;
    };
    // One huge page more than needed, so that the pixels can start on a huge page's boundary.
    const size_t length = bytes + kHugePage;
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return {};
    auto* pixels = reinterpret_cast<uchar*>((reinterpret_cast<quintptr>(base) + kHugePage - 1) & ~quintptr(kHugePage - 1));
    pf::adviseHugePages(pixels, bytes);
    auto* mapping = new Mapping{base, length};
    QImage image(
        pixels, size.width(), size.height(), bytesPerLine, format,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            munmap(m->base, m->length);
            delete m;
        },
        mapping);
    if (image.isNull()) {
        munmap(base, length);
        delete mapping;
    }
    return image;
}

QImage renderImage(const Draw& draw, const QRectF& sourceRect, const QSize& destSize, const pf::Color& background,
                   pf::Error* error)
{
    if (!isUsableRect(sourceRect)) {
        pf::fail(error, outputError(QCoreApplication::translate("PWRenderingOutput", "The area to show is empty.")));
        return {};
    }
    if (destSize.width() <= 0 || destSize.height() <= 0 || destSize.width() > PWRenderingOutput::kMaxPixelsPerSide
        || destSize.height() > PWRenderingOutput::kMaxPixelsPerSide
        || qint64(destSize.width()) * destSize.height() > PWRenderingOutput::kMaxPixels) {
        pf::fail(error, outputError(QCoreApplication::translate("PWRenderingOutput", "%1 by %2 pixels is not a size "
                                                                                     "an image can be made at.")
                                        .arg(destSize.width())
                                        .arg(destSize.height())));
        return {};
    }
    QImage image = transparentImage(destSize);
    if (image.isNull()) {
        pf::fail(error, outputError(QCoreApplication::translate("PWRenderingOutput", "There is not enough memory.")));
        return {};
    }
    const double scaleX = destSize.width() / sourceRect.width();
    const double scaleY = destSize.height() / sourceRect.height();
    // Points are 1/72 inch: the scale gives the resolution.
    image.setDotsPerMeterX(qRound(scaleX * 72.0 / 0.0254));
    image.setDotsPerMeterY(qRound(scaleY * 72.0 / 0.0254));

    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(scaleX, scaleY);
    painter.translate(-sourceRect.topLeft());
    painter.setClipRect(sourceRect);
    if (background.isValid())
        painter.fillRect(sourceRect, background.brush());
    draw(painter, sourceRect);
    painter.end();
    return image;
}

struct Source {
    Draw draw;
    QRectF naturalRect;
};

// Draws the drawing through a painter clipped to `clip` (null for none): a large image draws in
// bands on several threads.
void drawDrawing(PWDrawing& drawing, QPainter& painter, const QRectF& rect, const QRectF& clip)
{
    pf::GraphicsContextScope scope(painter, true, false);
    scope.context().saveGraphicsState();
    PWBandedDrawing::drawInContext(drawing, scope.context(), rect, false, clip);
    scope.context().restoreGraphicsState();
}

// The painters the sources draw with are clipped to the area they are given.
Source sourceForDrawing(PWDrawing& drawing)
{
    return {[&drawing](QPainter& p, const QRectF& r) { drawDrawing(drawing, p, r, r); }, drawingRect(drawing)};
}

} // namespace

void PWRenderingOutput::renderDrawing(PWDrawing& drawing, QPainter& painter, const QRectF& rect)
{
    drawDrawing(drawing, painter, rect, QRectF());
}

void PWRenderingOutput::renderLayer(PWLayer& layer, QPainter& painter, const QRectF& rect)
{
    if (!layer.shouldDrawToPrinter() || layer.alpha() <= 0.0)
        return;
    pf::GraphicsContextScope scope(painter, true, false);
    scope.context().saveGraphicsState();
    painter.setOpacity(painter.opacity() * layer.alpha());
    layer.drawInContext(scope.context(), rect, false);
    scope.context().restoreGraphicsState();
}

void PWRenderingOutput::renderObject(PWDrawableObject& object, QPainter& painter, const QRectF& rect)
{
    pf::GraphicsContextScope scope(painter, true, false);
    scope.context().saveGraphicsState();
    object.drawContent();
    scope.context().restoreGraphicsState();
}

PWRenderingOutput::PdfTitleScope::PdfTitleScope(const QString& title)
    : m_previous(pdfTitle)
{
    pdfTitle = title;
}

PWRenderingOutput::PdfTitleScope::~PdfTitleScope()
{
    pdfTitle = m_previous;
}

QByteArray PWRenderingOutput::pdf(PWDrawing& drawing)
{
    return pdfDataWithMediaBox(drawing, QRectF());
}

QByteArray PWRenderingOutput::pdfDataWithMediaBox(PWDrawing& drawing, const QRectF& mediaBox)
{
    const QRectF area = mediaBox.isNull() ? drawingRect(drawing) : mediaBox.normalized();
    QByteArray data = writePdf(area, sourceForDrawing(drawing).draw);
    PdfSources::shared().remember(data, sharedRef(drawing));
    return data;
}

QByteArray PWRenderingOutput::pdf(PWLayer& layer)
{
    PWDrawing* drawing = layer.drawing();
    if (!drawing || !layer.shouldDrawToPrinter())
        return {};
    QByteArray data = writePdf(drawingRect(*drawing),
                               [&layer](QPainter& p, const QRectF& r) { renderLayer(layer, p, r); });
    PdfSources::shared().remember(data, sharedRef(layer));
    return data;
}

QByteArray PWRenderingOutput::pdf(PWDrawableObject& object)
{
    QByteArray data = writePdf(object.bounds(), [&object](QPainter& p, const QRectF& r) { renderObject(object, p, r); });
    PdfSources::shared().remember(data, sharedRef(object));
    return data;
}

QImage PWRenderingOutput::image(PWDrawing& drawing, const QRectF& sourceRect, const QSize& destSize,
                                const pf::Color& background, pf::Error* error)
{
    return renderImage(sourceForDrawing(drawing).draw, sourceRect, destSize, background, error);
}

QByteArray PWRenderingOutput::imageDataWithFormat(PWDrawing& drawing, int format, const QVariantMap& options,
                                                  const QByteArray& pdfData, pf::ImageColorModel colourSpace,
                                                  const QRectF& sourceRect, const QSize& destSize,
                                                  const pf::Color& background, pf::Error* error)
{
    if (format < int(pf::BitmapFileType::TIFF) || format > int(pf::BitmapFileType::PNG)) {
        pf::fail(error, outputError(QCoreApplication::translate("PWRenderingOutput", "%1 is not a bitmap file type.")
                                        .arg(format)));
        return {};
    }

    Source source = sourceForDrawing(drawing);
    if (!pdfData.isEmpty()) {
        const pf::Ref<pf::Object> origin = PdfSources::shared().sourceOf(pdfData);
        if (auto* other = dynamic_cast<PWDrawing*>(origin.get())) {
            source = sourceForDrawing(*other);
        } else if (auto* layer = dynamic_cast<PWLayer*>(origin.get())) {
            const PWDrawing* owner = layer->drawing();
            source = {[layer](QPainter& p, const QRectF& r) { renderLayer(*layer, p, r); },
                      drawingRect(owner ? *owner : drawing)};
        } else if (auto* object = dynamic_cast<PWDrawableObject*>(origin.get())) {
            source = {[object](QPainter& p, const QRectF& r) { renderObject(*object, p, r); }, object->bounds()};
        } else {
            pf::fail(error, outputError(QCoreApplication::translate(
                                "PWRenderingOutput", "The PDF data was not made from a drawing that is still open.")));
            return {};
        }
    }

    const QRectF area = sourceRect.isEmpty() ? source.naturalRect : sourceRect.normalized();
    QSize size = destSize;
    if ((size == QSize() || size == QSize(0, 0)) && isUsableRect(area))
        size = QSize(qMax(1, qRound(std::min(area.width(), double(kMaxPixelsPerSide)))),
                     qMax(1, qRound(std::min(area.height(), double(kMaxPixelsPerSide)))));
    const QImage image = renderImage(source.draw, area, size, background, error);
    if (image.isNull())
        return {};

    pf::ImageWriteOptions writeOptions;
    writeOptions.colorModel = colourSpace;
    bool hasFactor = false;
    const double factor = options.value(kPWImageCompressionFactor).toDouble(&hasFactor);
    if (hasFactor && std::isfinite(factor))
        writeOptions.compressionFactor = std::clamp(factor, 0.0, 1.0);
    pf::Error encodeError;
    QByteArray data = pf::ImageWriter::encode(image, pf::BitmapFileType(format), writeOptions, &encodeError);
    if (data.isEmpty())
        pf::fail(error, outputError(encodeError.localizedFailureReason(), encodeError));
    return data;
}

QByteArray PWRenderingOutput::thumbnailData(PWDrawing& drawing)
{
    const QRectF area = drawingRect(drawing);
    if (!isUsableRect(area))
        return {};
    const double scale = std::min(kThumbnailSide / area.width(), kThumbnailSide / area.height());
    const QSize size(std::clamp(qRound(area.width() * scale), 1, kThumbnailSide),
                     std::clamp(qRound(area.height() * scale), 1, kThumbnailSide));
    const pf::Color paper = drawing.paperColour().isValid() ? drawing.paperColour() : pf::Color::white();
    const QImage image = renderImage(sourceForDrawing(drawing).draw, area, size, paper, nullptr);
    if (image.isNull())
        return {};
    return pf::ImageWriter::encode(image, pf::BitmapFileType::JPEG);
}

pf::Ref<PWDrawing> PWRenderingOutput::drawingWithImageData(const QByteArray& data, const QString& nameForContentLayer)
{
    static const QList<QByteArray> bitmapFormats{"png", "jpeg", "tiff", "gif", "bmp"};
    const QByteArray format = pf::ImageReader::formatOf(data);
    if (!bitmapFormats.contains(format))
        return nullptr;
    if (pf::ImageReader::decodeBitmap(data, format, QString(), true).isNull())
        return nullptr;

    pf::Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    auto layer = std::dynamic_pointer_cast<PWObjectOwnerLayer>(drawing->activeLayerOfClass(PWObjectOwnerLayer::staticClass()));
    if (!layer) {
        layer = std::make_shared<PWObjectDrawingLayer>();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
    }
    if (!nameForContentLayer.isEmpty())
        layer->setLayerName(nameForContentLayer);

    pf::Ref<PWImageShape> shape = PWImageShape::imageShapeWithImageData(data);
    if (!shape || shape->imageIsDamaged())
        return nullptr;
    // An imported picture shows as it is: no fill or outline over it.
    shape->setStyle(nullptr);
    drawing->setDrawingSize(shape->size());
    layer->addObject(shape);
    if (pf::Ref<PWGuideLayer> guides = drawing->guideLayer())
        guides->setGuideDeletionRect(drawing->interior());
    return drawing;
}
