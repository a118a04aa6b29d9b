#include "platform/graphics/ImageJpegCmykEncoder.h"

#include "platform/graphics/ImageCmykConverter.h"
#include "platform/graphics/ImageWriter.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace pf {

namespace {

// libjpeg's default error handler ends the process; this one jumps back to the encoder with
// the message instead.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpOnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings would otherwise go to standard error; none of them spoils the file written.
void ignoreMessage(j_common_ptr)
{
}

// The state a jump back from libjpeg must find intact, kept out of the jumping frame.
struct Compression {
    jpeg_compress_struct info;
    JpegErrorManager errors;
    unsigned char* buffer;
    unsigned long size;
};

UINT16 dotsPerInch(int dotsPerMeter)
{
    return UINT16(std::clamp<long>(std::lround(dotsPerMeter * 0.0254), 1, 65535));
}

// Compresses `rgbx` into `c.buffer`; on false, `reason` or `c.errors.message` says why. No
// object with a destructor lives in this frame, since a jump from libjpeg would skip it.
bool compress(Compression& c, const QImage& rgbx, int quality, unsigned char* row, const char** reason)
{
    c.info.err = jpeg_std_error(&c.errors.base);
    c.errors.base.error_exit = jumpOnError;
    c.errors.base.output_message = ignoreMessage;
    if (setjmp(c.errors.jump)) {
        jpeg_destroy_compress(&c.info);
        return false;
    }
    jpeg_create_compress(&c.info);
    jpeg_mem_dest(&c.info, &c.buffer, &c.size);
    c.info.image_width = JDIMENSION(rgbx.width());
    c.info.image_height = JDIMENSION(rgbx.height());
    c.info.input_components = 4;
    c.info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c.info);
    // Also turns off the JFIF marker, whose density is the only resolution Qt reads.
    jpeg_set_colorspace(&c.info, JCS_CMYK);
    c.info.write_Adobe_marker = TRUE;
    if (rgbx.dotsPerMeterX() > 0 && rgbx.dotsPerMeterY() > 0) {
        c.info.write_JFIF_header = TRUE;
        c.info.density_unit = 1;
        c.info.X_density = dotsPerInch(rgbx.dotsPerMeterX());
        c.info.Y_density = dotsPerInch(rgbx.dotsPerMeterY());
    }
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    const int width = rgbx.width();
    while (c.info.next_scanline < c.info.image_height) {
        if (!ImageCmykConverter::convert(rgbx.constScanLine(int(c.info.next_scanline)), row, width)) {
            *reason = "The CMYK colour conversion couldn't be set up.";
            jpeg_destroy_compress(&c.info);
            return false;
        }
        for (int i = 0; i < width * 4; ++i)
            row[i] = JSAMPLE(255 - row[i]);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&c.info, rows, 1);
    }
    jpeg_finish_compress(&c.info);
    jpeg_destroy_compress(&c.info);
    return true;
}

} // namespace

QByteArray ImageJpegCmykEncoder::encode(const QImage& image, int quality, Error* error)
{
    if (image.isNull()) {
        fail(error, ImageWriter::encodingError(BitmapFileType::JPEG, QStringLiteral("There is no image to save.")));
        return {};
    }
    const QImage rgbx = ImageWriter::flattenedOverWhite(image).convertToFormat(QImage::Format_RGBX8888);
    if (rgbx.isNull()) {
        fail(error, ImageWriter::encodingError(BitmapFileType::JPEG, QStringLiteral("There is not enough memory for the image.")));
        return {};
    }
    std::vector<unsigned char> row(size_t(rgbx.width()) * 4);
    Compression c{};
    const char* reason = nullptr;
    const bool compressed = compress(c, rgbx, std::clamp(quality, 0, 100), row.data(), &reason);
    QByteArray bytes;
    if (compressed)
        bytes = QByteArray(reinterpret_cast<const char*>(c.buffer), qsizetype(c.size));
    // libjpeg allocates the memory destination with malloc and leaves it to its caller.
    std::free(c.buffer);
    if (!compressed) {
        fail(error, ImageWriter::encodingError(BitmapFileType::JPEG,
                                               QString::fromLatin1(reason ? reason : c.errors.message)));
        return {};
    }
    return bytes;
}

} // namespace pf
