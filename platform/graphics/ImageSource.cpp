#include "platform/graphics/ImageSource.h"

#include "platform/graphics/ImageFileStructure.h"
#include "platform/graphics/ImageReader.h"
#include "platform/graphics/ImageTiffHeader.h"
#include "platform/graphics/ImageTiffMemoryFile.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTimeZone>

#include <libexif/exif-data.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace pf {

namespace {

double roundedDpi(double dpi)
{
    return std::round(dpi * 10.0) / 10.0;
}

QString indexedModel(const QImage& image)
{
    const QList<QRgb> table = image.colorTable();
    const bool allGray = !table.isEmpty() && std::all_of(table.begin(), table.end(), [](QRgb c) {
        return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
    });
    return allGray ? QStringLiteral("Gray") : QStringLiteral("Indexed");
}

QString exifText(ExifEntry* entry)
{
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data)
        return {};
    const auto* text = reinterpret_cast<const char*>(entry->data);
    return QString::fromLatin1(text, qsizetype(strnlen(text, entry->size))).trimmed();
}

// "+02:00" as seconds ahead of UTC.
std::optional<int> exifOffset(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-])(\\d\\d):(\\d\\d)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int seconds = match.captured(2).toInt() * 3600 + match.captured(3).toInt() * 60;
    if (seconds > 14 * 3600)
        return std::nullopt;
    return match.captured(1) == QLatin1String("-") ? -seconds : seconds;
}

void addExifProperties(const QByteArray& data, QVariantMap& properties)
{
    ExifData* exif = exif_data_new();
    if (!exif)
        return;
    // Keep libexif from inventing the entries the Exif standard calls mandatory.
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif, reinterpret_cast<const unsigned char*>(data.constData()), unsigned(data.size()));

    const QString taken = exifText(exif_content_get_entry(exif->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL));
    QDateTime date = QDateTime::fromString(taken, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (date.isValid()) {
        // Without a recorded offset the camera's clock is taken as local time.
        const QString offsetText = exifText(exif_content_get_entry(exif->ifd[EXIF_IFD_EXIF], EXIF_TAG_OFFSET_TIME_ORIGINAL));
        if (const std::optional<int> offset = exifOffset(offsetText))
            date = QDateTime(date.date(), date.time(), QTimeZone(*offset));
        properties.insert(kImagePropertyCaptureDate, date);
    }

    ExifEntry* orientation = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (orientation && orientation->format == EXIF_FORMAT_SHORT && orientation->components >= 1 && orientation->size >= 2) {
        const int value = exif_get_short(orientation->data, exif_data_get_byte_order(exif));
        if (value >= 1 && value <= 8)
            properties.insert(kImagePropertyOrientation, value);
    }
    exif_data_unref(exif);
}

bool addTiffProperties(const QByteArray& data, const QString& path, QVariantMap& properties, Error* error)
{
    ImageTiffMemoryFile file(data);
    const ImageTiffHeader header = ImageTiffHeader::read(file.tiff());
    if (!header.isValid())
        return fail(error, ImageReader::unreadableError(path, file.errorMessage().isEmpty()
                                                                  ? QStringLiteral("The TIFF file has no image size.")
                                                                  : file.errorMessage()));
    properties.insert(kImagePropertyPixelWidth, header.size.width());
    properties.insert(kImagePropertyPixelHeight, header.size.height());
    properties.insert(kImagePropertyDepth, header.bitsPerSample);
    properties.insert(kImagePropertyHasAlpha, header.hasAlpha);
    const QString model = header.colorModel();
    if (!model.isEmpty())
        properties.insert(kImagePropertyColorModel, model);
    if (!header.dotsPerInch.isEmpty()) {
        properties.insert(kImagePropertyDPIWidth, roundedDpi(header.dotsPerInch.width()));
        properties.insert(kImagePropertyDPIHeight, roundedDpi(header.dotsPerInch.height()));
    }
    return true;
}

bool addSvgProperties(const QByteArray& data, const QString& path, QVariantMap& properties, Error* error)
{
    QSvgRenderer renderer(data);
    const QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty())
        return fail(error, ImageReader::unreadableError(path, QStringLiteral("The SVG document couldn't be parsed.")));
    properties.insert(kImagePropertyPixelWidth, size.width());
    properties.insert(kImagePropertyPixelHeight, size.height());
    properties.insert(kImagePropertyDepth, 8);
    properties.insert(kImagePropertyColorModel, QStringLiteral("RGB"));
    properties.insert(kImagePropertyHasAlpha, true);
    return true;
}

// JPEG, PNG, GIF and BMP: the header gives the size; the resolution and a palette's alpha are
// only known once Qt has decoded the image.
bool addBitmapProperties(const QByteArray& data, const QByteArray& format, const QString& path,
                         QVariantMap& properties, Error* error)
{
    const QImage image = ImageReader::decodeBitmap(data, format, path, false, error);
    if (image.isNull())
        return false;

    properties.insert(kImagePropertyPixelWidth, image.width());
    properties.insert(kImagePropertyPixelHeight, image.height());
    int depth = 8;
    QString model = QStringLiteral("RGB");
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        depth = 1;
        model = indexedModel(image);
        break;
    case QImage::Format_Indexed8:
        model = indexedModel(image);
        break;
    case QImage::Format_Grayscale8:
        model = QStringLiteral("Gray");
        break;
    case QImage::Format_Grayscale16:
        depth = 16;
        model = QStringLiteral("Gray");
        break;
    default:
        depth = image.pixelFormat().redSize();
        break;
    }
    // Qt decodes GIF to 32-bit pixels; the file itself is always a palette.
    if (format == "gif")
        model = QStringLiteral("Indexed");
    if (format == "jpeg" && ImageFileStructure::jpegComponentCount(data) == 4)
        model = QStringLiteral("CMYK");
    properties.insert(kImagePropertyDepth, depth);
    properties.insert(kImagePropertyColorModel, model);
    properties.insert(kImagePropertyHasAlpha, image.hasAlphaChannel());
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        properties.insert(kImagePropertyDPIWidth, roundedDpi(image.dotsPerMeterX() * 0.0254));
        properties.insert(kImagePropertyDPIHeight, roundedDpi(image.dotsPerMeterY() * 0.0254));
    }
    return true;
}

} // namespace

QVariantMap ImageSource::properties(const QString& path, Error* error)
{
    const QByteArray data = ImageReader::fileData(path, error);
    if (data.isNull())
        return {};
    const QByteArray format = ImageReader::checkedFormatOf(data, path, error);
    if (format.isEmpty())
        return {};
    QVariantMap properties;
    properties.insert(kImagePropertyFileType, QString::fromLatin1(format));
    bool ok = false;
    if (format == "svg")
        ok = addSvgProperties(data, path, properties, error);
    else if (format == "tiff")
        ok = addTiffProperties(data, path, properties, error);
    else
        ok = addBitmapProperties(data, format, path, properties, error);
    if (!ok)
        return {};
    if (format == "jpeg")
        addExifProperties(data, properties);
    return properties;
}

} // namespace pf
