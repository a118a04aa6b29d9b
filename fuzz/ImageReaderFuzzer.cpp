// Image files as the program opens them: every bitmap format, SVG rasterised, and the checks
// on sizes and completeness that come before decoding.
#include "platform/graphics/ImageReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const QImage image = pf::ImageReader::read(data, &error, QSize(64, 64));
    if (image.isNull() == error.isNull())
        std::abort(); // an image together with an error, or neither
    if (!image.isNull() && !pf::ImageReader::fitsDecodeLimit(image.size()))
        std::abort();
    return 0;
}
