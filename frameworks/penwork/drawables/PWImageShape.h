#pragma once

#include "frameworks/penwork/drawables/PWDrawableShape.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QVariantMap>

class PWImageDataManager;

// A bitmap image placed in the drawing. The shape keeps the encoded image file (so nothing of
// the original is lost, and the archive is the file itself); when its container offers an
// image data manager the shape counts itself among the users of its image's key there, so that
// equal pictures share one copy and unused data can be dropped.
//
// The image is drawn in the shape's box, together with the style (under it, or over it with
// imageDrawsOnTop), at imageOpacity and with the compositing operation. In the stretch
// presentation the crop rectangle (image pixels) fills the box; in the crop presentation the
// image keeps imageScale points per pixel with the crop rectangle's corner at the box's
// top-left corner, so resizing the box shows more or less of it. Data that does not decode
// shows as a clear image; the data itself is kept. A new image shape has no style.
class PWImageShape : public PWDrawableShape {
    PF_CLASS(PWImageShape)
public:
    enum PresentationMode : int { kStretchPresentation = 0, kCropPresentation = 2 };

    PWImageShape();
    // The shape of the image's size (one point per pixel), centred on the image's centre with
    // its top-left corner at the origin.
    explicit PWImageShape(const QByteArray& imageData);
    PWImageShape(const PWImageShape& other);
    ~PWImageShape() override;

    static pf::Ref<PWImageShape> imageShapeWithImageData(const QByteArray& imageData);
    // The image stored as PNG data.
    static pf::Ref<PWImageShape> imageShapeWithImage(const QImage& image);

    // The class-wide tracing parameters (keys of frameworks/penwork/tracing/ImageVectorizing.h).
    static QVariantMap tracingParameters();
    static void setTracingParameters(const QVariantMap& parameters);
    // `parameters` made whole: every tracing key present, values that are missing or not numbers
    // replaced by the defaults, numbers brought into the tracer's ranges, other keys dropped.
    static QVariantMap normalizedTracingParameters(const QVariantMap& parameters);
    // QPainter's mode for one of the platform's compositing operation values; source-over for
    // values it does not know.
    static QPainter::CompositionMode compositionModeForOperation(int operation);
    static constexpr int kCompositeSourceOver = 2;
    static constexpr int kLastCompositingOperation = 28;

    QByteArray imageData() const { return m_imageData; }
    // Replaces the picture; the crop rectangle becomes the whole new image.
    void setImageData(const QByteArray& data);
    // The content key of the data (PWImageDataManager::keyForImageData).
    QString imageKey() const { return m_imageKey; }
    // The decoded picture; a clear image when the data does not decode.
    QImage image() const;
    bool imageIsDamaged() const;

    // 0 to 1 (clamped).
    double imageOpacity() const { return m_imageOpacity; }
    void setImageOpacity(double opacity);
    // Points per image pixel; positive and finite.
    double imageScale() const { return m_imageScale; }
    void setImageScale(double scale);
    bool imageDrawsOnTop() const { return m_imageDrawsOnTop; }
    void setImageDrawsOnTop(bool onTop);
    // One of the platform's compositing operation values (0 to kLastCompositingOperation).
    int compositingOperation() const { return m_compositingOperation; }
    void setCompositingOperation(int operation);
    // One of PresentationMode; other values are refused.
    int imagePresentationMode() const { return m_presentationMode; }
    void setImagePresentationMode(int mode);
    // In image pixels; kept within the image, never empty for an image with pixels.
    QRectF cropRect() const { return m_cropRect; }
    void setCropRect(const QRectF& rect);

    // The part of the image that shows, in image pixels.
    QRectF visibleImageRect() const;
    // The part of the box the image covers, in box coordinates (the box's centre at the origin).
    QRectF imageRectInBox() const;

    // Sizes the shape to the crop rectangle at imageScale points per pixel.
    void fitToImage();
    // The image as shown: what shows of it resampled to the size it is drawn at (one pixel a
    // point, at most 10000 pixels a side).
    QImage resampledAndCroppedImage() const;
    // Replaces the image by resampledAndCroppedImage, in the stretch presentation at one point a
    // pixel, covering the same area. Undoable.
    void cropImage();
    // Opens the image in the user's image application (through a temporary file).
    bool editImage();

    // The traced picture (tracingParameters()) as filled paths in drawing coordinates, from
    // the lowest to the topmost: one path, a group of them, or null when nothing traced.
    pf::Ref<PWDrawableObject> tracedObject() const;
    // Replaces this shape on its layer by the traced paths, with undo named `actionName`; false
    // (and nothing changes) without a layer or when nothing traced.
    bool vectorize(const QString& actionName);

    void setContainer(PWDrawableContainer* container) override;
    void drawContentWithStyle(PWStyle* style) override;
    bool hitTest(const QPointF& point) const override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void adoptImageData(const QByteArray& data);
    void drawImage();
    // Box coordinates (centre at the origin) to the coordinates the object renders in.
    QTransform boxTransform() const;
    void countInManager(PWImageDataManager* manager);
    void countOutOfManager();
    void changeImageProperty(const QString& key, const QString& setter, const QVariant& oldValue,
                             const std::function<void()>& change);

    QByteArray m_imageData;
    QString m_imageKey;
    QImage m_image;
    bool m_damaged = false;
    double m_imageOpacity = 1.0;
    double m_imageScale = 1.0;
    bool m_imageDrawsOnTop = false;
    int m_compositingOperation = kCompositeSourceOver;
    int m_presentationMode = kStretchPresentation;
    QRectF m_cropRect;

    // The manager this shape is counted in, while it lives.
    PWImageDataManager* m_countedManager = nullptr;
    std::weak_ptr<void> m_countedManagerAlive;
    QString m_countedKey;
};
