#include "platform/graphics/ImageWriter.h"

#include "platform/foundation/AtomicFile.h"
#include "platform/graphics/ImageGifEncoder.h"
#include "platform/graphics/ImageJpegCmykEncoder.h"
#include "platform/graphics/ImagePngEncoder.h"
#include "platform/graphics/ImageTiffEncoder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <cmath>

namespace pf {

namespace {

QByteArray encodeWithQt(const QImage& image, BitmapFileType type, const char* format, int quality, Error* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        fail(error, ImageWriter::encodingError(type, writer.errorString()));
        return {};
    }
    return bytes;
}

// Every 8-bit image without alpha, as Qt's writers take it.
QImage opaqueRgb(const QImage& image)
{
    return image.hasAlphaChannel() ? ImageWriter::flattenedOverWhite(image) : image.convertToFormat(QImage::Format_RGB32);
}

QImage pngImage(const QImage& image, ImageColorModel model)
{
    // The encoder converts RGB images a row at a time.
    if (model == ImageColorModel::RGB)
        return image;
    const QImage gray = ImageWriter::grayscale(image);
    if (!image.hasAlphaChannel())
        return gray;
    QImage withAlpha = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < withAlpha.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(withAlpha.scanLine(y));
        const uchar* grayRow = gray.constScanLine(y);
        for (int x = 0; x < withAlpha.width(); ++x)
            row[x] = qRgba(grayRow[x], grayRow[x], grayRow[x], qAlpha(row[x]));
    }
    return withAlpha;
}

QImage bmpImage(const QImage& image, ImageColorModel model)
{
    const QImage opaque = opaqueRgb(image);
    if (model == ImageColorModel::RGB)
        return opaque;
    // BMP has no grey form; an 8-bit palette of greys stores it exactly.
    static const QList<QRgb> grayTable = [] {
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
        return table;
    }();
    QImage indexed = ImageWriter::grayscale(opaque).convertToFormat(QImage::Format_Indexed8, grayTable);
    return indexed;
}

} // namespace

QString ImageWriter::typeName(BitmapFileType type)
{
    switch (type) {
    case BitmapFileType::TIFF:
        return QStringLiteral("TIFF");
    case BitmapFileType::BMP:
        return QStringLiteral("BMP");
    case BitmapFileType::GIF:
        return QStringLiteral("GIF");
    case BitmapFileType::JPEG:
        return QStringLiteral("JPEG");
    case BitmapFileType::PNG:
        return QStringLiteral("PNG");
    }
    return QStringLiteral("type %1").arg(int(type));
}

Error ImageWriter::encodingError(BitmapFileType type, const QString& reason)
{
    return Error::make(kPFFoundationErrorDomain, kErrorFileWrite,
                       QStringLiteral("The image couldn't be saved as %1.").arg(typeName(type)), reason);
}

QImage ImageWriter::flattenedOverWhite(const QImage& image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    QPainter painter(&flat);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

QImage ImageWriter::grayscale(const QImage& image)
{
    if (image.format() == QImage::Format_Grayscale8)
        return image;
    // Masking the alpha of non-premultiplied pixels keeps their own colour, so the grey of a
    // translucent pixel is the grey of its colour and the alpha travels separately.
    return image.convertToFormat(QImage::Format_ARGB32)
        .convertToFormat(QImage::Format_RGB32)
        .convertToFormat(QImage::Format_Grayscale8);
}

QByteArray ImageWriter::encode(const QImage& image, BitmapFileType type, const ImageWriteOptions& options, Error* error)
{
    if (image.isNull()) {
        fail(error, encodingError(type, QStringLiteral("There is no image to save.")));
        return {};
    }
    const ImageColorModel model = options.colorModel;
    const bool cmyk = model == ImageColorModel::CMYK;
    switch (type) {
    case BitmapFileType::PNG:
        if (cmyk)
            break;
        return ImagePngEncoder::encode(pngImage(image, model), error);
    case BitmapFileType::JPEG: {
        const double factor = std::isfinite(options.compressionFactor) ? std::clamp(options.compressionFactor, 0.0, 1.0) : 0.75;
        const int quality = int(std::lround(factor * 100));
        if (cmyk)
            return ImageJpegCmykEncoder::encode(image, quality, error);
        const QImage opaque = opaqueRgb(image);
        return encodeWithQt(model == ImageColorModel::Gray ? grayscale(opaque) : opaque, type, "jpeg", quality, error);
    }
    case BitmapFileType::BMP:
        if (cmyk)
            break;
        return encodeWithQt(bmpImage(image, model), type, "bmp", -1, error);
    case BitmapFileType::GIF:
        if (cmyk)
            break;
        return ImageGifEncoder::encode(image, model == ImageColorModel::Gray, error);
    case BitmapFileType::TIFF:
        return ImageTiffEncoder::encode(image, model, error);
    default:
        fail(error, encodingError(type, QStringLiteral("The file type %1 is unknown.").arg(int(type))));
        return {};
    }
    fail(error, encodingError(type, QStringLiteral("%1 files can't hold CMYK colour.").arg(typeName(type))));
    return {};
}

bool ImageWriter::write(const QImage& image, const QString& path, BitmapFileType type,
                        const ImageWriteOptions& options, Error* error)
{
    Error encodeError;
    const QByteArray bytes = encode(image, type, options, &encodeError);
    if (bytes.isNull()) {
        QVariantMap info;
        info.insert(NSLocalizedDescriptionKey,
                    QStringLiteral("The file “%1” couldn't be saved.").arg(QFileInfo(path).fileName()));
        info.insert(NSLocalizedFailureReasonErrorKey, encodeError.localizedFailureReason());
        info.insert(NSFilePathErrorKey, path);
        return fail(error, Error(kPFFoundationErrorDomain, kErrorFileWrite, info));
    }
    return writeDataAtomically(bytes, path, error);
}

} // namespace pf
