#include "platform/graphics/ImageReader.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/ImageFileStructure.h"
#include "platform/graphics/ImageTiffHeader.h"
#include "platform/graphics/ImageTiffMemoryFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <mutex>

namespace pf {

namespace {

QString displayName(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).fileName();
}

Error fileError(int code, const QString& description, const QString& path, const QString& reason)
{
    QVariantMap info;
    info.insert(NSLocalizedDescriptionKey, description);
    info.insert(NSFilePathErrorKey, path);
    info.insert(NSLocalizedFailureReasonErrorKey, reason);
    return Error(kPFFoundationErrorDomain, code, info);
}

Error tooLargeError(const QString& path, const QSize& size)
{
    const QString reason = QStringLiteral("The image is %1 × %2 pixels; the largest image that can be opened takes %3 MiB.")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(ImageReader::kDecodeLimitBytes / (1024 * 1024));
    if (path.isEmpty())
        return Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                           QStringLiteral("The image couldn't be opened because it is too large."), reason);
    return fileError(kErrorFileReadCorrupt,
                     QStringLiteral("The file “%1” couldn't be opened because the image is too large.").arg(displayName(path)),
                     path, reason);
}

// Qt's reason for a failed read, which is often only "Unknown error".
QString readerFailure(const QImageReader& reader)
{
    if (reader.error() == QImageReader::UnknownError || reader.errorString().isEmpty())
        return QStringLiteral("The %1 data is damaged.").arg(QString::fromLatin1(reader.format().toUpper()));
    return reader.errorString();
}

// Qt's own ceiling on one decoded image is process-wide and lower than ours by default, so
// legitimate large pictures would fail inside the handlers; ours is checked before decoding.
void raiseQtAllocationLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        QImageReader::setAllocationLimit(int(ImageReader::kDecodeLimitBytes / (1024 * 1024)));
    });
}

QImage rasterizeSvg(const QByteArray& data, const QString& path, const QSize& pixelSize, Error* error)
{
    QSvgRenderer renderer(data);
    if (!renderer.isValid()) {
        fail(error, ImageReader::unreadableError(path, QStringLiteral("The SVG document couldn't be parsed.")));
        return {};
    }
    const QSize size = pixelSize.isEmpty() ? renderer.defaultSize() : pixelSize;
    if (size.isEmpty()) {
        fail(error, ImageReader::unreadableError(path, QStringLiteral("The SVG document has no size.")));
        return {};
    }
    if (!ImageReader::fitsDecodeLimit(size)) {
        fail(error, tooLargeError(path, size));
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        fail(error, tooLargeError(path, size));
        return {};
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter);
    painter.end();
    return image;
}

// Qt's TIFF reader decodes two-sample grey through libtiff's RGBA interface but keeps only
// RGB; this does the same and keeps the alpha. libtiff hands grey samples over as stored, so
// they are premultiplied only when the file says its alpha is associated.
QImage decodeGrayAlphaTiff(const QByteArray& data, const QString& path, Error* error)
{
    ImageTiffMemoryFile file(data);
    const ImageTiffHeader header = ImageTiffHeader::read(file.tiff());
    QImage image(header.size, header.hasAssociatedAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    if (image.isNull()) {
        fail(error, ImageReader::unreadableError(path, QStringLiteral("The TIFF file has no image size.")));
        return {};
    }
    // libtiff fills 32-bit pixels packed as ABGR; they are repacked in place, rows of 32-bit
    // images having no padding.
    auto* pixels = reinterpret_cast<uint32_t*>(image.bits());
    if (!TIFFReadRGBAImageOriented(file.tiff(), uint32_t(image.width()), uint32_t(image.height()), pixels,
                                   ORIENTATION_TOPLEFT, 1)) {
        fail(error, ImageReader::unreadableError(path, file.errorMessage().isEmpty()
                                                           ? QStringLiteral("The TIFF data is damaged.")
                                                           : file.errorMessage()));
        return {};
    }
    const qsizetype count = qsizetype(image.width()) * image.height();
    for (qsizetype i = 0; i < count; ++i) {
        const uint32_t abgr = pixels[i];
        pixels[i] = qRgba(int(TIFFGetR(abgr)), int(TIFFGetG(abgr)), int(TIFFGetB(abgr)), int(TIFFGetA(abgr)));
    }
    if (!header.dotsPerInch.isEmpty()) {
        image.setDotsPerMeterX(qRound(header.dotsPerInch.width() / 0.0254));
        image.setDotsPerMeterY(qRound(header.dotsPerInch.height() / 0.0254));
    }
    return image;
}

QImage decode(const QByteArray& data, const QString& path, const QSize& vectorPixelSize, Error* error)
{
    const QByteArray format = ImageReader::checkedFormatOf(data, path, error);
    if (format.isEmpty())
        return {};
    if (format == "svg")
        return rasterizeSvg(data, path, vectorPixelSize, error);
    return ImageReader::decodeBitmap(data, format, path, true, error);
}

} // namespace

Error ImageReader::unreadableError(const QString& path, const QString& reason)
{
    if (path.isEmpty())
        return Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                           QStringLiteral("The image data couldn't be read because it is damaged or isn't in a format that can be opened."),
                           reason);
    return fileError(kErrorFileReadCorrupt,
                     QStringLiteral("The file “%1” couldn't be opened because it is damaged or isn't in a format that can be opened.")
                         .arg(displayName(path)),
                     path, reason);
}

bool ImageReader::fitsDecodeLimit(const QSize& size)
{
    if (size.isEmpty())
        return false;
    return qint64(size.width()) * qint64(size.height()) * 4 <= kDecodeLimitBytes;
}

QByteArray ImageReader::checkedFormatOf(const QByteArray& data, const QString& path, Error* error)
{
    if (data.isEmpty()) {
        fail(error, unreadableError(path, QStringLiteral("The file is empty.")));
        return {};
    }
    const QByteArray format = formatOf(data);
    if (format.isEmpty())
        fail(error, unreadableError(path, QStringLiteral("The data is not a JPEG, PNG, TIFF, GIF, BMP or SVG image.")));
    return format;
}

QByteArray ImageReader::formatOf(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer).toLower();
    if (format == "svgz")
        return QByteArrayLiteral("svg");
    if (format == "jpg")
        return QByteArrayLiteral("jpeg");
    if (format == "tif")
        return QByteArrayLiteral("tiff");
    static const QList<QByteArray> readable = {"jpeg", "png", "tiff", "gif", "bmp", "svg"};
    return readable.contains(format) ? format : QByteArray();
}

QByteArray ImageReader::fileData(const QString& path, Error* error)
{
    // Sized before a byte is read, so a huge file cannot exhaust memory; readData refuses
    // FIFOs, devices and folders.
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kDecodeLimitBytes) {
        fail(error, fileError(kErrorFileReadCorrupt,
                              QStringLiteral("The file “%1” couldn't be opened because it is too large.").arg(displayName(path)),
                              path, QStringLiteral("The file is larger than %1 MiB.").arg(kDecodeLimitBytes / (1024 * 1024))));
        return {};
    }
    return readData(path, false, error);
}

QImage ImageReader::decodeBitmap(const QByteArray& data, const QByteArray& format, const QString& path,
                                 bool autoTransform, Error* error)
{
    raiseQtAllocationLimit();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid()) {
        fail(error, unreadableError(path, readerFailure(reader)));
        return {};
    }
    if (!fitsDecodeLimit(size)) {
        fail(error, tooLargeError(path, size));
        return {};
    }
    if (format == "tiff") {
        ImageTiffMemoryFile file(data);
        if (ImageTiffHeader::read(file.tiff()).isGrayWithAlpha())
            return decodeGrayAlphaTiff(data, path, error);
    }
    QString missing;
    if (!ImageFileStructure::isComplete(data, format, &missing)) {
        fail(error, unreadableError(path, missing));
        return {};
    }
    reader.setAutoTransform(autoTransform);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        fail(error, unreadableError(path, readerFailure(reader)));
        return {};
    }
    return image;
}

QImage ImageReader::read(const QString& path, Error* error, const QSize& vectorPixelSize)
{
    const QByteArray data = fileData(path, error);
    if (data.isNull())
        return {};
    return decode(data, path, vectorPixelSize, error);
}

QImage ImageReader::read(const QByteArray& data, Error* error, const QSize& vectorPixelSize)
{
    return decode(data, QString(), vectorPixelSize, error);
}

} // namespace pf
