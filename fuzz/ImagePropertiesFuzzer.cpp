// What an image file says about itself: sizes, depth, colour model, resolution and the Exif
// date and orientation, read from a file as the program reads them.
#include "platform/graphics/ImageSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/quillory-image-properties-XXXXXX"));
    const QString path = folder.filePath(QStringLiteral("input"));
    QFile file(path);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(bytes), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    pf::Error error;
    const QVariantMap properties = pf::ImageSource::properties(path, &error);
    if (properties.isEmpty() == error.isNull())
        std::abort(); // properties together with an error, or neither
    if (!properties.isEmpty()) {
        const int orientation = properties.value(pf::kImagePropertyOrientation, 1).toInt();
        if (orientation < 1 || orientation > 8 || properties.value(pf::kImagePropertyPixelWidth).toInt() < 0
            || properties.value(pf::kImagePropertyPixelHeight).toInt() < 0)
            std::abort();
    }
    return 0;
}
