// Properties of image files: sizes, colour model and the Exif capture date and orientation.
#include <gtest/gtest.h>

#include "platform/graphics/ImageReader.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/ImageWriter.h"
#include "tests/support/TestSupport.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>

namespace {

void addEntry(ExifData* exif, ExifIfd ifd, ExifTag tag, ExifFormat format, const QByteArray& bytes, unsigned components)
{
    ExifEntry* entry = exif_entry_new();
    entry->tag = tag;
    entry->format = format;
    entry->components = components;
    entry->size = unsigned(bytes.size());
    entry->data = static_cast<unsigned char*>(std::calloc(1, size_t(bytes.size())));
    std::memcpy(entry->data, bytes.constData(), size_t(bytes.size()));
    exif_content_add_entry(exif->ifd[ifd], entry);
    exif_entry_unref(entry);
}

void addText(ExifData* exif, ExifIfd ifd, ExifTag tag, const QByteArray& text)
{
    const QByteArray terminated = text + '\0';
    addEntry(exif, ifd, tag, EXIF_FORMAT_ASCII, terminated, unsigned(terminated.size()));
}

// `jpeg` with an Exif block right after its start marker, as cameras write it.
QByteArray withExif(const QByteArray& jpeg, const QByteArray& taken, const QByteArray& offset, int orientation)
{
    ExifData* exif = exif_data_new();
    exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(exif, EXIF_BYTE_ORDER_INTEL);
    if (!taken.isEmpty())
        addText(exif, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, taken);
    if (!offset.isEmpty())
        addText(exif, EXIF_IFD_EXIF, EXIF_TAG_OFFSET_TIME_ORIGINAL, offset);
    if (orientation) {
        const char value[2] = {char(orientation), 0};
        addEntry(exif, EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, QByteArray(value, 2), 1);
    }
    unsigned char* block = nullptr;
    unsigned int size = 0;
    exif_data_save_data(exif, &block, &size);
    exif_data_unref(exif);
    const QByteArray app1 = QByteArray("\xFF\xE1", 2) + char((size + 2) >> 8) + char((size + 2) & 0xFF)
                            + QByteArray(reinterpret_cast<const char*>(block), int(size));
    std::free(block);
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// 40 x 20, red on the left half and blue on the right.
QByteArray halvesJpeg()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            image.setPixelColor(x, y, Qt::red);
    return pf::ImageWriter::encode(image, pf::BitmapFileType::JPEG);
}

QString saved(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

TEST(ImageSource, ExifCaptureDate)
{
    struct Case {
        const char* name;
        QByteArray taken;
        QByteArray offset;
        QDateTime expected; // invalid: no capture date
    };
    const Case cases[] = {
        {"camera local time", "2021:03:04 05:06:07", "", QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7))},
        {"with an offset", "2021:03:04 05:06:07", "+02:00", QDateTime(QDate(2021, 3, 4), QTime(3, 6, 7), QTimeZone::utc())},
        {"blank date", "    :  :     :  :  ", "", QDateTime()},
        {"zero date", "0000:00:00 00:00:00", "", QDateTime()},
        {"no date", "", "", QDateTime()},
    };
    QTemporaryDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        const QString path = saved(folder, QStringLiteral("photo.jpg"), withExif(halvesJpeg(), c.taken, c.offset, 0));
        const QVariantMap properties = pf::ImageSource::properties(path, &error);
        ASSERT_FALSE(properties.isEmpty()) << qPrintable(error.description());
        EXPECT_EQ(properties.value(pf::kImagePropertyPixelWidth).toInt(), 40);
        EXPECT_FALSE(properties.contains(pf::kImagePropertyOrientation));
        if (!c.expected.isValid()) {
            EXPECT_FALSE(properties.contains(pf::kImagePropertyCaptureDate));
            continue;
        }
        const QDateTime taken = properties.value(pf::kImagePropertyCaptureDate).toDateTime();
        EXPECT_EQ(taken.toUTC(), c.expected.toUTC()) << qPrintable(taken.toString(Qt::ISODate));
    }
}

TEST(ImageSource, OrientationIsReportedAndReadingTurnsThePictureUpright)
{
    QTemporaryDir folder;
    const QString path = saved(folder, QStringLiteral("turned.jpg"), withExif(halvesJpeg(), "2020:01:02 03:04:05", "", 6));
    pf::Error error;
    const QVariantMap properties = pf::ImageSource::properties(path, &error);
    ASSERT_FALSE(properties.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(properties.value(pf::kImagePropertyOrientation).toInt(), 6);
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelWidth).toInt(), 40);
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelHeight).toInt(), 20);
    EXPECT_TRUE(properties.contains(pf::kImagePropertyCaptureDate));

    // Orientation 6 is stored turned a quarter anticlockwise: shown upright, the left (red)
    // half is on top.
    const QImage image = pf::ImageReader::read(path, &error);
    ASSERT_EQ(image.size(), QSize(20, 40));
    EXPECT_GT(image.pixelColor(10, 5).red(), 200);
    EXPECT_LT(image.pixelColor(10, 5).blue(), 60);
    EXPECT_GT(image.pixelColor(10, 35).blue(), 200);
}

TEST(ImageSource, CmykJpeg)
{
    const QString path = quillory::test::fixturePath(QStringLiteral("images/cmyk-16x8.jpg"));
    pf::Error error;
    const QVariantMap properties = pf::ImageSource::properties(path, &error);
    ASSERT_FALSE(properties.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(properties.value(pf::kImagePropertyColorModel).toString(), QStringLiteral("CMYK"));
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelWidth).toInt(), 16);
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelHeight).toInt(), 8);
    EXPECT_FALSE(properties.value(pf::kImagePropertyHasAlpha).toBool());

    const QImage image = pf::ImageReader::read(path, &error);
    ASSERT_FALSE(image.isNull()) << qPrintable(error.description());
    const QColor cyan = image.pixelColor(2, 4);
    const QColor black = image.pixelColor(13, 4);
    EXPECT_LT(cyan.red(), 30);
    EXPECT_GT(cyan.green(), 225);
    EXPECT_GT(cyan.blue(), 225);
    EXPECT_LT(std::max({black.red(), black.green(), black.blue()}), 30);
}

TEST(ImageSource, SvgHasItsOwnSizeAndNoResolution)
{
    QTemporaryDir folder;
    const QString path = saved(folder, QStringLiteral("icon.svg"),
                               "<svg xmlns='http://www.w3.org/2000/svg' width='48' height='24'><rect width='48' height='24'/></svg>");
    pf::Error error;
    const QVariantMap properties = pf::ImageSource::properties(path, &error);
    ASSERT_FALSE(properties.isEmpty()) << qPrintable(error.description());
    EXPECT_EQ(properties.value(pf::kImagePropertyFileType).toString(), QStringLiteral("svg"));
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelWidth).toInt(), 48);
    EXPECT_EQ(properties.value(pf::kImagePropertyPixelHeight).toInt(), 24);
    EXPECT_TRUE(properties.value(pf::kImagePropertyHasAlpha).toBool());
    EXPECT_FALSE(properties.contains(pf::kImagePropertyDPIWidth));
}

TEST(ImageSource, FilesThatAreNotImagesGiveAnError)
{
    QTemporaryDir folder;
    const QString text = saved(folder, QStringLiteral("notes.png"), "not an image at all");
    const QString truncated = saved(folder, QStringLiteral("cut.jpg"), halvesJpeg().left(300));
    struct Case {
        const char* name;
        QString path;
        int code;
    };
    const Case cases[] = {
        {"text", text, pf::kErrorFileReadCorrupt},
        {"truncated", truncated, pf::kErrorFileReadCorrupt},
        {"missing", folder.filePath(QStringLiteral("missing.png")), pf::kErrorFileNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_TRUE(pf::ImageSource::properties(c.path, &error).isEmpty());
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), c.path);
    }
}

} // namespace
