#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/ImageWriter.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QVariantMap>

class PWDrawableObject;
class PWDrawing;
class PWLayer;
class QPainter;

// The options key of imageDataWithFormat: the JPEG quality, 0 (smallest) to 1 (best).
inline const QString kPWImageCompressionFactor = QStringLiteral("NSImageCompressionFactor");

// Output of drawings, layers and objects as PDF and as bitmap files, rendered from the model
// through pf::GraphicsContext (y-down drawing coordinates). Output is printing: layers that do
// not draw to the printer (grids, guides) are left out, no selection is shown, and the paper
// colour shows only when the drawing prints it (bitmaps take the background they are given).
//
// The PDF data made here remembers its source for as long as the source lives, so bitmap
// output asked of such data (as the export does, handing back the PDF of a layer or object)
// renders that source from the model rather than rasterising the PDF.
class PWRenderingOutput {
public:
    // The largest bitmap made: QPainter's limit a side, and 1 GiB of pixels.
    static constexpr int kMaxPixelsPerSide = 32767;
    static constexpr qint64 kMaxPixels = qint64(16384) * 16384;
    // Thumbnails fit this many pixels a side.
    static constexpr int kThumbnailSide = 256;

    // Drawing into a painter whose transform maps drawing coordinates to the device; `rect` is
    // the part of the drawing wanted (drawing coordinates).
    static void renderDrawing(PWDrawing& drawing, QPainter& painter, const QRectF& rect);
    static void renderLayer(PWLayer& layer, QPainter& painter, const QRectF& rect);
    static void renderObject(PWDrawableObject& object, QPainter& painter, const QRectF& rect);

    // PDF: one page the size of the rectangle (in points), or null data when there is nothing
    // to show (an empty area, a layer that does not print, a layer in no drawing).
    // The whole drawing.
    static QByteArray pdf(PWDrawing& drawing);
    // While one lives, the PDF data this thread makes carries `title` as its document title (a
    // viewer shows it in place of the file's name); scopes nest.
    class PdfTitleScope {
    public:
        explicit PdfTitleScope(const QString& title);
        ~PdfTitleScope();
        PdfTitleScope(const PdfTitleScope&) = delete;
        PdfTitleScope& operator=(const PdfTitleScope&) = delete;

    private:
        QString m_previous;
    };
    // A part of the drawing; the zero rectangle means the whole drawing.
    static QByteArray pdfDataWithMediaBox(PWDrawing& drawing, const QRectF& mediaBox);
    // One layer, on a page the size of its drawing.
    static QByteArray pdf(PWLayer& layer);
    // One object, on a page the size of its bounds.
    static QByteArray pdf(PWDrawableObject& object);

    // The drawing's `sourceRect` (drawing coordinates) scaled to `destSize` pixels, over
    // `background` (an invalid colour leaves it transparent), with the resolution that scale
    // gives. A null image and an error for a size beyond the limits or an empty area.
    static QImage image(PWDrawing& drawing, const QRectF& sourceRect, const QSize& destSize,
                        const pf::Color& background, pf::Error* error = nullptr);

    // A bitmap file (format: 0 TIFF, 1 BMP, 2 GIF, 3 JPEG, 4 PNG) of `sourceRect` at `destSize`
    // pixels in the colour model, with the JPEG quality under kPWImageCompressionFactor in
    // `options`. Empty `pdfData` renders the drawing; PDF data made by this class renders what
    // it was made from (the drawing, one of its layers or objects); other PDF data is refused.
    // An empty source rectangle means the whole source (the drawing, or the object's bounds),
    // no size (QSize() or 0 x 0) one pixel a point. Empty data and an error on failure.
    static QByteArray imageDataWithFormat(PWDrawing& drawing, int format, const QVariantMap& options,
                                          const QByteArray& pdfData, pf::ImageColorModel colourSpace,
                                          const QRectF& sourceRect, const QSize& destSize,
                                          const pf::Color& background, pf::Error* error = nullptr);

    // A JPEG of the whole drawing fitting kThumbnailSide pixels a side, over the paper colour
    // (white without one); empty for a drawing with no area.
    static QByteArray thumbnailData(PWDrawing& drawing);

    // A drawing the image's size (one point a pixel) holding the image, as an image shape at
    // the origin with no style over it, on the active object layer named `nameForContentLayer`
    // (the default name when empty); null for data that is not a bitmap image.
    static pf::Ref<PWDrawing> drawingWithImageData(const QByteArray& data, const QString& nameForContentLayer);
};
