#include "platform/graphics/Image.h"

#include "platform/foundation/Error.h"
#include "platform/graphics/BitmapImageRep.h"
#include "platform/graphics/ImageReader.h"
#include "platform/graphics/PdfImageRep.h"
#include "platform/graphics/StandardImages.h"
#include "platform/graphics/VectorImageRep.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPageSize>
#include <QPdfWriter>

#include <cmath>
#include <mutex>

PF_DEFINE_CLASS_NAMED(pf::Image, pf::Object, "pf::Image")
{
    b.property("size", &pf::Image::size, &pf::Image::setSize);
    b.property("name", &pf::Image::name);
    b.property("template", &pf::Image::isTemplate, &pf::Image::setTemplate);
    b.property("valid", &pf::Image::isValid);
}

namespace pf {

namespace {

// Images drawn into with lockFocus are this many pixels a point.
constexpr double kFocusScale = 2.0;

struct NamedImages {
    std::mutex mutex;
    QHash<QString, Weak<Image>> registered;
    QHash<QString, Ref<Image>> loaded;
    Image::NamedImageSource source;
};

NamedImages& namedImages()
{
    static NamedImages images;
    return images;
}

// "CTBadge_1.pdf" and "CTBadge_1" name the same image.
QString baseName(const QString& name)
{
    static const QStringList extensions{QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("svg"),
                                        QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("jpg"),
                                        QStringLiteral("jpeg"), QStringLiteral("gif"), QStringLiteral("bmp")};
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && extensions.contains(name.mid(dot + 1).toLower()))
        return name.left(dot);
    return name;
}

bool isPdf(const QByteArray& data) { return data.startsWith("%PDF"); }

bool looksLikeSvg(const QByteArray& data)
{
    const QByteArray head = data.left(1024);
    return head.contains("<svg");
}

} // namespace

struct Image::Focus {
    QImage canvas;
    std::unique_ptr<QPainter> painter;
    std::unique_ptr<GraphicsContextScope> scope;
};

Ref<Image> Image::make(QSizeF size)
{
    return std::make_shared<Image>(size);
}

Ref<Image> Image::fromQImage(const QImage& image, QSizeF pointSize)
{
    if (image.isNull())
        return {};
    auto rep = pointSize.isEmpty() ? std::make_shared<BitmapImageRep>(image) : std::make_shared<BitmapImageRep>(image, pointSize);
    auto result = make();
    result->addRepresentation(rep);
    return result;
}

Ref<Image> Image::fromPdfData(const QByteArray& data, Error* error)
{
    auto rep = PdfImageRep::fromData(data, error);
    if (!rep)
        return {};
    auto result = make();
    result->addRepresentation(rep);
    return result;
}

Ref<Image> Image::fromData(const QByteArray& data, Error* error)
{
    if (data.isEmpty()) {
        fail(error, ImageReader::unreadableError(QString(), QStringLiteral("The image data is empty.")));
        return {};
    }
    if (isPdf(data))
        return fromPdfData(data, error);
    if (looksLikeSvg(data)) {
        if (auto rep = VectorImageRep::fromSvg(data)) {
            auto result = make();
            result->addRepresentation(rep);
            return result;
        }
    }
    QImage image = ImageReader::read(data, error);
    if (image.isNull())
        return {};
    return fromQImage(image);
}

Ref<Image> Image::fromFile(const QString& path, Error* error)
{
    Error readError;
    const QByteArray data = ImageReader::fileData(path, &readError);
    if (!readError.isNull()) {
        fail(error, readError);
        return {};
    }
    Error decodeError;
    Ref<Image> image = fromData(data, &decodeError);
    if (!image)
        fail(error, ImageReader::unreadableError(path, decodeError.localizedFailureReason()));
    return image;
}

Ref<Image> Image::withDrawing(QSizeF size, std::function<void(QPainter&, const QSizeF&)> drawing)
{
    auto result = make(size);
    result->addRepresentation(std::make_shared<VectorImageRep>(size, std::move(drawing)));
    return result;
}

// --- Named images

Ref<Image> Image::imageNamed(const QString& name)
{
    if (name.isEmpty())
        return {};
    const QString base = baseName(name);
    NamedImages& images = namedImages();
    NamedImageSource source;
    {
        std::lock_guard lock(images.mutex);
        for (const QString& key : {name, base}) {
            if (Ref<Image> image = images.registered.value(key).lock())
                return image;
        }
        if (Ref<Image> image = images.loaded.value(base))
            return image;
        source = images.source;
    }
    // Loaded outside the lock: a source may itself look names up.
    Ref<Image> image = source ? source(base) : Ref<Image>();
    if (!image)
        image = StandardImages::image(base);
    if (!image)
        return {};
    std::lock_guard lock(images.mutex);
    if (Ref<Image> raced = images.loaded.value(base))
        return raced;
    image->m_name = base;
    images.loaded.insert(base, image);
    return image;
}

void Image::setNamedImageSource(NamedImageSource source)
{
    NamedImages& images = namedImages();
    std::lock_guard lock(images.mutex);
    images.source = std::move(source);
    images.loaded.clear();
}

bool Image::setName(const QString& name)
{
    NamedImages& images = namedImages();
    std::lock_guard lock(images.mutex);
    if (!name.isEmpty()) {
        Ref<Image> holder = images.registered.value(name).lock();
        if (holder && holder.get() != this)
            return false;
    }
    if (!m_name.isEmpty()) {
        auto it = images.registered.find(m_name);
        if (it != images.registered.end() && it->lock().get() == this)
            images.registered.erase(it);
    }
    m_name = name;
    if (!name.isEmpty())
        images.registered.insert(name, weak<Image>());
    return true;
}

// --- Size and content

QSizeF Image::size() const
{
    if (!m_size.isEmpty() || m_reps.isEmpty())
        return m_size;
    return m_reps.first()->size();
}

bool Image::isValid() const
{
    return !size().isEmpty() && !m_reps.isEmpty();
}

void Image::addRepresentation(const ImageRepRef& rep)
{
    if (rep && !m_reps.contains(rep))
        m_reps.append(rep);
}

void Image::removeRepresentation(const ImageRepRef& rep)
{
    m_reps.removeAll(rep);
}

ImageRepRef Image::bestRepresentation(QSizeF devicePixels) const
{
    ImageRepRef largest;
    ImageRepRef fitting;
    for (const ImageRepRef& rep : m_reps) {
        if (rep->isVector())
            return rep;
        if (!largest || rep->pixelsWide() * rep->pixelsHigh() > largest->pixelsWide() * largest->pixelsHigh())
            largest = rep;
        const bool covers = rep->pixelsWide() >= devicePixels.width() && rep->pixelsHigh() >= devicePixels.height();
        if (covers && (!fitting || rep->pixelsWide() < fitting->pixelsWide()))
            fitting = rep;
    }
    return fitting ? fitting : largest;
}

Ref<Image> Image::copyImage() const
{
    auto result = make(m_size);
    result->m_reps = m_reps;
    result->m_template = m_template;
    result->m_cacheMode = m_cacheMode;
    return result;
}

Ref<Image> Image::resized(QSizeF newSize) const
{
    auto result = copyImage();
    result->setSize(newSize);
    return result;
}

Ref<Image> Image::tinted(const QColor& colour) const
{
    const QSizeF points = size();
    if (points.isEmpty())
        return copyImage();
    QImage pixels = bitmap(QSize(int(std::ceil(points.width() * kFocusScale)), int(std::ceil(points.height() * kFocusScale))));
    if (pixels.isNull())
        return copyImage();
    QPainter painter(&pixels);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixels.rect(), colour);
    painter.end();
    auto result = make(points);
    result->addRepresentation(std::make_shared<BitmapImageRep>(pixels, points));
    return result;
}

// --- Drawing

void Image::drawRep(QPainter& painter, const ImageRep& rep, QSizeF imageSize, const QRectF& target, const QRectF& from)
{
    const QRectF whole(QPointF(0, 0), imageSize);
    const QRectF source = from.isEmpty() ? whole : from.intersected(whole);
    if (source.isEmpty() || target.isEmpty())
        return;
    // `from` is y-up in the image; the painter here is y-down with the image's top at 0.
    const QRectF sourceDown(source.x(), imageSize.height() - source.bottom(), source.width(), source.height());
    const double sx = target.width() / sourceDown.width();
    const double sy = target.height() / sourceDown.height();
    const QRectF full(target.x() - sourceDown.x() * sx, target.y() - sourceDown.y() * sy,
                      imageSize.width() * sx, imageSize.height() * sy);
    painter.save();
    if (source != whole)
        painter.setClipRect(target, Qt::IntersectClip);
    rep.draw(painter, full);
    painter.restore();
}

void Image::draw(const QRectF& in, const QRectF& from, CompositingOperation operation, double fraction,
                 bool respectFlipped) const
{
    if (GraphicsContext* context = GraphicsContext::current())
        draw(*context, in, from, operation, fraction, respectFlipped);
}

void Image::draw(GraphicsContext& context, const QRectF& in, const QRectF& from, CompositingOperation operation,
                 double fraction, bool respectFlipped) const
{
    const QSizeF points = size();
    if (points.isEmpty() || in.isEmpty() || fraction <= 0.0)
        return;
    QPainter& painter = context.painter();
    const QRectF device = painter.deviceTransform().mapRect(in);
    ImageRepRef rep = bestRepresentation(device.size());
    if (!rep)
        return;
    painter.save();
    painter.setCompositionMode(GraphicsContext::compositionMode(operation));
    painter.setOpacity(painter.opacity() * std::min(fraction, 1.0));
    if (context.imageInterpolation() != ImageInterpolation::None && context.imageInterpolation() != ImageInterpolation::Low)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Upright needs the y axis turned over unless the context is flipped and we honour it.
    const bool turnOver = !(context.isFlipped() && respectFlipped);
    // Through the context, so that its shadow is cast under the image.
    context.draw([&](QPainter& p) {
        p.save();
        QRectF target = in;
        if (turnOver) {
            p.translate(in.x(), in.y() + in.height());
            p.scale(1, -1);
            target = QRectF(0, 0, in.width(), in.height());
        }
        drawRep(p, *rep, points, target, from);
        p.restore();
    });
    painter.restore();
}

void Image::drawAtPoint(QPointF point, const QRectF& from, CompositingOperation operation, double fraction) const
{
    const QSizeF drawn = from.isEmpty() ? size() : from.size();
    draw(QRectF(point, drawn), from, operation, fraction);
}

QImage Image::bitmap(QSize pixels) const
{
    const QSizeF points = size();
    if (pixels.isEmpty())
        pixels = QSize(int(std::ceil(points.width())), int(std::ceil(points.height())));
    if (pixels.isEmpty())
        return {};
    ImageRepRef rep = bestRepresentation(QSizeF(pixels));
    return rep ? rep->rasterize(pixels) : QImage();
}

QIcon Image::icon() const
{
    QIcon result;
    const QSizeF points = size();
    for (double scale : {1.0, 2.0}) {
        QImage pixels = bitmap(QSize(int(std::ceil(points.width() * scale)), int(std::ceil(points.height() * scale))));
        if (pixels.isNull())
            continue;
        QPixmap pixmap = QPixmap::fromImage(pixels);
        pixmap.setDevicePixelRatio(scale);
        result.addPixmap(pixmap);
    }
    return result;
}

void Image::lockFocusFlipped(bool flipped)
{
    if (m_focus)
        return;
    const QSizeF points = size();
    auto focus = std::make_shared<Focus>();
    focus->canvas = QImage(std::max(1, int(std::ceil(points.width() * kFocusScale))),
                           std::max(1, int(std::ceil(points.height() * kFocusScale))), QImage::Format_ARGB32_Premultiplied);
    if (focus->canvas.isNull())
        return;
    focus->canvas.fill(Qt::transparent);
    // What the image already shows is drawn into the canvas first.
    if (!m_reps.isEmpty()) {
        const QImage current = bitmap(focus->canvas.size());
        QPainter copy(&focus->canvas);
        copy.drawImage(0, 0, current);
    }
    focus->painter = std::make_unique<QPainter>(&focus->canvas);
    focus->painter->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    focus->painter->scale(kFocusScale, kFocusScale);
    if (!flipped) {
        focus->painter->translate(0, points.height());
        focus->painter->scale(1, -1);
    }
    focus->scope = std::make_unique<GraphicsContextScope>(*focus->painter, flipped);
    m_focus = focus;
}

void Image::unlockFocus()
{
    if (!m_focus)
        return;
    const QSizeF points = size();
    m_focus->scope.reset();
    m_focus->painter->end();
    QImage canvas = m_focus->canvas;
    m_focus.reset();
    m_reps.clear();
    m_reps.append(std::make_shared<BitmapImageRep>(canvas, points));
    m_size = points;
}

// --- Output

QByteArray Image::TIFFRepresentation(Error* error) const
{
    return representationUsingType(BitmapFileType::TIFF, {}, error);
}

QByteArray Image::representationUsingType(BitmapFileType type, const ImageWriteOptions& options, Error* error) const
{
    ImageRepRef rep = bestRepresentation(size());
    QImage pixels;
    if (rep && !rep->isVector())
        pixels = rep->rasterize(QSize(rep->pixelsWide(), rep->pixelsHigh()));
    else
        pixels = bitmap();
    if (pixels.isNull()) {
        fail(error, ImageWriter::encodingError(type, QStringLiteral("The image has nothing to draw.")));
        return {};
    }
    return ImageWriter::encode(pixels, type, options, error);
}

QByteArray Image::PDFRepresentation() const
{
    for (const ImageRepRef& rep : m_reps) {
        if (auto pdf = std::dynamic_pointer_cast<const PdfImageRep>(rep))
            return pdf->pdfData();
    }
    const QSizeF points = size();
    if (points.isEmpty() || m_reps.isEmpty())
        return {};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72);
        writer.setPageSize(QPageSize(points, QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        ImageRepRef rep = bestRepresentation(points);
        drawRep(painter, *rep, points, QRectF(QPointF(0, 0), points), {});
    }
    return data;
}

QStringList Image::imageFileTypes()
{
    QStringList types{QStringLiteral("pdf"), QStringLiteral("svg")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString type = QString::fromLatin1(format).toLower();
        if (!types.contains(type))
            types.append(type);
    }
    return types;
}

} // namespace pf
