// Decoding the files the program opens, and refusing damaged or hostile ones.
#include <gtest/gtest.h>

#include "platform/graphics/ImageReader.h"
#include "platform/graphics/ImageTiffMemoryFile.h"
#include "platform/graphics/ImageWriter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <random>

#include <sys/stat.h>

using pf::BitmapFileType;

namespace {

QImage sample()
{
    QImage image(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) % 256));
    return image;
}

QByteArray cut(const QByteArray& data)
{
    return data.left(data.size() * 3 / 4);
}

QByteArray encoded(BitmapFileType type)
{
    return pf::ImageWriter::encode(sample(), type);
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian(quint32 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

// A real PNG whose header, checksum included, is rewritten to claim 100000 x 100000 pixels.
QByteArray hugePng()
{
    QByteArray png = encoded(BitmapFileType::PNG);
    png.replace(16, 8, bigEndian32(100000) + bigEndian32(100000));
    png.replace(29, 4, bigEndian32(crc32(png.mid(12, 17))));
    return png;
}

QByteArray hugeGif()
{
    return QByteArray("GIF89a") + littleEndian(65535, 2) + littleEndian(65535, 2) + QByteArray("\x00\x00\x00", 3)
           + QByteArray(",") + littleEndian(0, 4) + littleEndian(65535, 2) + littleEndian(65535, 2) + QByteArray("\x00\x08", 2)
           + QByteArray("\x02\x4c\x01\x00;", 5);
}

// A GIF of one `frame` (its place and size) on a `screen`, with a colour table whose first entry is
// transparent, and `lzw` as the frame's compressed data (minimum code size 2; by default a
// clear code, the white pixel and the end).
QByteArray gifWithFrame(QSize screen, QRect frame, const QByteArray& lzw = QByteArray("\x4c\x01", 2))
{
    return QByteArray("GIF89a") + littleEndian(quint32(screen.width()), 2) + littleEndian(quint32(screen.height()), 2)
           + QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9) + QByteArray("\x21\xf9\x04\x0d\x00\x00\x00\x00", 8)
           + QByteArray(",") + littleEndian(quint32(frame.x()), 2) + littleEndian(quint32(frame.y()), 2)
           + littleEndian(quint32(frame.width()), 2) + littleEndian(quint32(frame.height()), 2)
           + QByteArray("\x00\x02", 2) + char(lzw.size()) + lzw + QByteArray("\x00;", 2);
}

// A real BMP whose header claims 100000 x 100000 pixels.
QByteArray hugeBmp()
{
    QByteArray bmp = encoded(BitmapFileType::BMP);
    bmp.replace(18, 8, littleEndian(100000, 4) + littleEndian(100000, 4));
    return bmp;
}

QByteArray hugeTiff()
{
    pf::ImageTiffMemoryFile file;
    TIFF* tiff = file.tiff();
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(100000));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(100000));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    unsigned char row[16] = {};
    TIFFWriteRawStrip(tiff, 0, row, sizeof row);
    file.close();
    return file.data();
}

QByteArray randomAfterPngMagic()
{
    std::mt19937 random(7);
    QByteArray bytes("\x89PNG\r\n\x1a\n", 8);
    for (int i = 0; i < 512; ++i)
        bytes.append(char(random() & 0xFF));
    return bytes;
}

struct Damaged {
    const char* name;
    QByteArray data;
    bool tooLarge = false; // refused for its size, before decoding
};

TEST(ImageReader, RefusesDamagedAndHostileData)
{
    const Damaged cases[] = {
        {"empty", QByteArray("")},
        {"text", QByteArray("just some words, not an image")},
        {"random bytes after a PNG signature", randomAfterPngMagic()},
        {"PNG claiming 100000 x 100000", hugePng(), true},
        {"GIF claiming 65535 x 65535", hugeGif(), true},
        {"BMP claiming 100000 x 100000", hugeBmp()},
        {"TIFF claiming 100000 x 100000", hugeTiff(), true},
        {"truncated PNG", cut(encoded(BitmapFileType::PNG))},
        {"truncated JPEG", cut(encoded(BitmapFileType::JPEG))},
        {"truncated GIF", cut(encoded(BitmapFileType::GIF))},
        // Within the decode limit, yet three bytes cannot stand for 100 million pixels: the
        // canvas was filled around them again and again.
        {"GIF whose few bytes claim an 8450 x 12288 frame", gifWithFrame(QSize(8450, 12288), QRect(0, 0, 8450, 12288))},
        {"truncated TIFF", cut(encoded(BitmapFileType::TIFF))},
        {"truncated BMP", cut(encoded(BitmapFileType::BMP))},
        // Its row size times its row count does not fit in 64 bits.
        {"BMP whose announced size overflows",
         QByteArray::fromHex("424de302000000000000000000020000" "00f9ff00005801001800f8ffffff0000" "000006000000")},
        {"SVG claiming 100000 x 100000", QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='100000' height='100000'/>"), true},
        {"unfinished SVG", QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'><rect")},
        {"SVG without a size", QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='0' height='0'/>")},
    };
    for (const Damaged& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_TRUE(pf::ImageReader::read(c.data, &error).isNull());
        EXPECT_EQ(error.domain(), pf::kPFFoundationErrorDomain);
        EXPECT_EQ(error.code(), pf::kErrorFileReadCorrupt);
        EXPECT_FALSE(error.localizedFailureReason().isEmpty());
        EXPECT_EQ(error.localizedDescription().contains(QStringLiteral("too large")), c.tooLarge)
            << qPrintable(error.description());
    }
}

TEST(ImageReader, GifFramesReadOnCanvasesOfAnySizeTheirDataCanHold)
{
    // A small frame on a large logical screen: the screen is the image, the frame in its place.
    pf::Error error;
    const QImage placed = pf::ImageReader::read(gifWithFrame(QSize(3000, 2000), QRect(2990, 1990, 1, 1)), &error);
    ASSERT_FALSE(placed.isNull()) << qPrintable(error.description());
    EXPECT_EQ(placed.size(), QSize(3000, 2000));
    EXPECT_EQ(placed.pixelColor(2990, 1990), QColor(Qt::white));
    EXPECT_EQ(placed.pixelColor(0, 0).alpha(), 0);

    // One colour compresses best of all, yet its data still holds every pixel.
    QImage plain(2400, 1800, QImage::Format_RGB32);
    plain.fill(Qt::darkGreen);
    const QByteArray gif = pf::ImageWriter::encode(plain, BitmapFileType::GIF);
    ASSERT_LT(gif.size(), 10000);
    const QImage read = pf::ImageReader::read(gif, &error);
    ASSERT_FALSE(read.isNull()) << qPrintable(error.description());
    EXPECT_EQ(read.size(), plain.size());
    EXPECT_EQ(read.pixelColor(2399, 1799), QColor(Qt::darkGreen));
}

TEST(ImageReader, RefusesPathsThatAreNotImageFiles)
{
    QTemporaryDir folder;
    const QString empty = folder.filePath(QStringLiteral("empty.png"));
    QFile(empty).open(QIODevice::WriteOnly);
    // Sparse, so the test costs no disk; it must be refused before it is read.
    const QString huge = folder.filePath(QStringLiteral("huge.tiff"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(pf::ImageReader::kDecodeLimitBytes + 1));
    }
    const QString fifo = folder.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        const char* name;
        QString path;
        int code;
    };
    const Case cases[] = {
        {"missing", folder.filePath(QStringLiteral("missing.png")), pf::kErrorFileNotFound},
        {"zero bytes", empty, pf::kErrorFileReadCorrupt},
        {"larger than the limit", huge, pf::kErrorFileReadCorrupt},
        {"folder", folder.path(), pf::kErrorFileRead},
        {"FIFO", fifo, pf::kErrorFileRead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pf::Error error;
        EXPECT_TRUE(pf::ImageReader::read(c.path, &error).isNull());
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.userInfo().value(pf::NSFilePathErrorKey).toString(), c.path);
        EXPECT_TRUE(error.localizedDescription().contains(QFileInfo(c.path).fileName()));
    }
}

TEST(ImageReader, RasterisesSvgAtItsOwnOrTheRequestedSize)
{
    // Red on the left half, transparent on the right.
    const QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10' viewBox='0 0 20 10'>"
                         "<rect width='10' height='10' fill='#ff0000'/></svg>");
    struct Case {
        QSize requested;
        QSize expected;
    };
    const Case cases[] = {{QSize(), QSize(20, 10)}, {QSize(200, 100), QSize(200, 100)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.expected.width());
        pf::Error error;
        const QImage image = pf::ImageReader::read(svg, &error, c.requested);
        ASSERT_EQ(image.size(), c.expected) << qPrintable(error.description());
        EXPECT_EQ(image.pixelColor(c.expected.width() / 4, c.expected.height() / 2), QColor(255, 0, 0));
        EXPECT_EQ(image.pixelColor(c.expected.width() * 3 / 4, c.expected.height() / 2).alpha(), 0);
    }
    pf::Error error;
    EXPECT_TRUE(pf::ImageReader::read(svg, &error, QSize(100000, 100000)).isNull());
    EXPECT_EQ(error.code(), pf::kErrorFileReadCorrupt);
}

} // namespace
