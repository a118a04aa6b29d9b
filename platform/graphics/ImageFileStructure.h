#pragma once

#include <QByteArray>
#include <QString>

namespace pf {

// What the bytes of an encoded image say about its structure, found without decoding it.
// Qt's readers return whatever part of a cut-off JPEG, GIF or BMP they could decode as a
// valid image, so completeness is checked here before the image is trusted.
class ImageFileStructure {
public:
    // Whether `data` of `format` ("jpeg", "gif", "bmp"; other formats answer true, their
    // readers fail on missing data themselves) holds all the data its headers announce. On
    // false, `reason` says what is missing.
    static bool isComplete(const QByteArray& data, const QByteArray& format, QString* reason = nullptr);

    // The number of colour components in a JPEG's frame header (1 grey, 3 YCbCr or RGB,
    // 4 CMYK), or 0 when there is none. Qt decodes CMYK JPEGs to RGB without saying so.
    static int jpegComponentCount(const QByteArray& data);
};

} // namespace pf
