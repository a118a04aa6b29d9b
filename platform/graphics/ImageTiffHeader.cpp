#include "platform/graphics/ImageTiffHeader.h"

#include <limits>

namespace pf {

ImageTiffHeader ImageTiffHeader::read(TIFF* tiff)
{
    ImageTiffHeader header;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!tiff || !TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
        return header;
    constexpr uint32_t largest = uint32_t(std::numeric_limits<int>::max());
    if (width == 0 || height == 0 || width > largest || height > largest)
        return header;
    header.size = QSize(int(width), int(height));

    uint16_t bits = 1, samples = 1, photometric = 0, inkSet = INKSET_CMYK, extraCount = 0;
    uint16_t* extraTypes = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
        header.photometric = photometric;
    header.bitsPerSample = bits;
    header.samplesPerPixel = samples;
    header.inkSet = inkSet;
    header.extraSamples = extraCount;
    for (uint16_t i = 0; i < extraCount && extraTypes; ++i) {
        header.hasAssociatedAlpha = header.hasAssociatedAlpha || extraTypes[i] == EXTRASAMPLE_ASSOCALPHA;
        header.hasAlpha = header.hasAlpha || extraTypes[i] == EXTRASAMPLE_ASSOCALPHA || extraTypes[i] == EXTRASAMPLE_UNASSALPHA;
    }

    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit != RESUNIT_NONE && TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y)
        && x > 0 && y > 0) {
        const double scale = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
        header.dotsPerInch = QSizeF(x * scale, y * scale);
    }
    return header;
}

QString ImageTiffHeader::colorModel() const
{
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        return QStringLiteral("Gray");
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_YCBCR:
        return QStringLiteral("RGB");
    case PHOTOMETRIC_PALETTE:
        return QStringLiteral("Indexed");
    case PHOTOMETRIC_SEPARATED:
        if (inkSet == INKSET_CMYK && samplesPerPixel - extraSamples == 4)
            return QStringLiteral("CMYK");
        break;
    default:
        break;
    }
    return {};
}

bool ImageTiffHeader::isGrayWithAlpha() const
{
    return (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) && samplesPerPixel == 2
           && hasAlpha;
}

} // namespace pf
