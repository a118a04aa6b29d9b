#pragma once

#include "platform/foundation/Object.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageRep.h"
#include "platform/graphics/ImageWriter.h"

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <functional>
#include <memory>

namespace pf {

class Error;

// Whether drawn forms of an image are kept; stored for callers that set it, as nothing here
// caches on an image's behalf.
enum class ImageCacheMode { Default, Always, BySize, Never };

// An image with a size in points and one or more representations (bitmaps, vector drawings,
// PDF pages). Drawing picks the representation that suits the destination. Images are
// pf::Objects held by Ref<Image>; named images are shared, so callers that change one copy it
// first. Image coordinates are the platform's: the origin is the bottom-left corner.
class Image : public Object {
    PF_CLASS(Image)
public:
    Image() = default;
    explicit Image(QSizeF size) : m_size(size) {}

    static Ref<Image> make(QSizeF size = {});
    // A bitmap image; the size in points follows from its resolution unless given.
    static Ref<Image> fromQImage(const QImage& image, QSizeF pointSize = {});
    // PDF (first page), SVG or any bitmap format the reader knows; null with an error when the
    // data is none of these.
    static Ref<Image> fromData(const QByteArray& data, Error* error = nullptr);
    static Ref<Image> fromPdfData(const QByteArray& data, Error* error = nullptr);
    static Ref<Image> fromFile(const QString& path, Error* error = nullptr);
    // Vector content drawn by `drawing` in a y-down space of `size` points.
    static Ref<Image> withDrawing(QSizeF size, std::function<void(QPainter&, const QSizeF&)> drawing);

    // --- Named images
    // The shared image of the name: one registered with setName, else the source's (the
    // program's resources), else one of the standard images; null when there is none. A
    // ".pdf" (or any image) extension in the name is ignored.
    static Ref<Image> imageNamed(const QString& name);
    using NamedImageSource = std::function<Ref<Image>(const QString& name)>;
    // Where named images not registered by name come from; the interface layer installs the
    // main bundle.
    static void setNamedImageSource(NamedImageSource source);
    // Registers this image under `name` (empty removes its registration); false when the
    // name is taken by another image.
    bool setName(const QString& name);
    QString name() const { return m_name; }

    // --- Size and content
    // The size in points: the one set, else the first representation's.
    QSizeF size() const;
    void setSize(QSizeF size) { m_size = size; }
    // Has a non-empty size and something to draw.
    bool isValid() const;
    bool isTemplate() const { return m_template; }
    void setTemplate(bool isTemplate) { m_template = isTemplate; }
    ImageCacheMode cacheMode() const { return m_cacheMode; }
    void setCacheMode(ImageCacheMode mode) { m_cacheMode = mode; }

    const QList<ImageRepRef>& representations() const { return m_reps; }
    void addRepresentation(const ImageRepRef& rep);
    void removeRepresentation(const ImageRepRef& rep);
    // The representation to draw at `devicePixels`: a vector one when there is one, else the
    // smallest bitmap at least that large, else the largest bitmap.
    ImageRepRef bestRepresentation(QSizeF devicePixels) const;

    // A copy that is not shared and has no name (representations are shared, as they never
    // change).
    Ref<Image> copyImage() const;
    Ref<Object> copy() const override { return copyImage(); }
    // A copy of the given size in points.
    Ref<Image> resized(QSizeF size) const;
    // A copy whose visible pixels take `colour`, their alpha kept: how template images show
    // a state.
    Ref<Image> tinted(const QColor& colour) const;

    // --- Drawing
    // Draws the part `from` of the image (in image points; an empty rectangle for all of it)
    // into `in` of the current graphics context, with the operation and a fraction of opacity.
    // With respectFlipped the image stays upright in a flipped context; without it a flipped
    // context shows it upside down. Does nothing with no current context.
    void draw(const QRectF& in, const QRectF& from = {}, CompositingOperation operation = CompositingOperation::SourceOver,
              double fraction = 1.0, bool respectFlipped = true) const;
    void draw(GraphicsContext& context, const QRectF& in, const QRectF& from = {},
              CompositingOperation operation = CompositingOperation::SourceOver, double fraction = 1.0,
              bool respectFlipped = true) const;
    // At its own size with its bottom-left (top-left in a flipped context) corner at `point`.
    void drawAtPoint(QPointF point, const QRectF& from = {}, CompositingOperation operation = CompositingOperation::SourceOver,
                     double fraction = 1.0) const;
    // The whole image as pixels of `pixels` (its size in points when empty).
    QImage bitmap(QSize pixels = {}) const;
    // For Qt widgets and menu items: drawn at 1x and 2x.
    QIcon icon() const;

    // Drawing into the image: a graphics context on a bitmap at twice the size, current until
    // unlockFocus, which makes the drawing the image's only representation. Flipped: y-down.
    void lockFocus() { lockFocusFlipped(false); }
    void lockFocusFlipped(bool flipped);
    void unlockFocus();

    // --- Output
    QByteArray TIFFRepresentation(Error* error = nullptr) const;
    QByteArray representationUsingType(BitmapFileType type, const ImageWriteOptions& options = {},
                                       Error* error = nullptr) const;
    // The original bytes of a PDF representation, else the image drawn into a one-page PDF
    // of its size (vector representations stay vectors).
    QByteArray PDFRepresentation() const;
    // Extensions of the files images can be read from.
    static QStringList imageFileTypes();

private:
    struct Focus;
    // Maps `from` (image points, y-up) of the representation onto `target` (painter y-down).
    static void drawRep(QPainter& painter, const ImageRep& rep, QSizeF imageSize, const QRectF& target, const QRectF& from);

    QSizeF m_size;
    QList<ImageRepRef> m_reps;
    QString m_name;
    bool m_template = false;
    ImageCacheMode m_cacheMode = ImageCacheMode::Default;
    std::shared_ptr<Focus> m_focus;
};

} // namespace pf
