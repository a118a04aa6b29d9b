#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

#include <tiffio.h>

namespace pf {

// The fields of a TIFF file's first image that describe its pixels, read without decoding.
class ImageTiffHeader {
public:
    // Reads the header of the image `tiff` is positioned on; isValid is false when it has no
    // usable size.
    static ImageTiffHeader read(TIFF* tiff);

    bool isValid() const { return !size.isEmpty(); }
    // "RGB", "Gray", "CMYK", "Indexed", or empty for other photometric interpretations.
    QString colorModel() const;
    // Qt's TIFF reader drops the alpha of two-sample grey; such files need decoding here.
    bool isGrayWithAlpha() const;

    QSize size;
    int bitsPerSample = 1;
    int samplesPerPixel = 1;
    int photometric = -1;
    int inkSet = INKSET_CMYK;
    int extraSamples = 0;
    bool hasAlpha = false;
    // Whether the alpha is associated (colours stored premultiplied).
    bool hasAssociatedAlpha = false;
    // Dots per inch, empty when the file gives no absolute resolution.
    QSizeF dotsPerInch;
};

} // namespace pf
