#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"

#include <QImage>
#include <QRectF>
#include <QTransform>

// Draws an image over the object: fitted into it, stretched to fill it or at a given scale,
// turned with the object and by an angle of its own, composited with an operation.
//
// Key-value coding (each observable, with undo): "image", "clipping" (0 none, 2 only inside the
// path), "scale" (points per image pixel, used with ScaleByFactor), "opacity" (0...1),
// "angleInDegrees" (0 keeps the image upright in the object; positive turns towards +y),
// "fittingOption" (FittingOption values), "operation" (the platform's compositing value, see
// PWCompositing.h).
class PWImageAdornment : public PWRasterizer {
    PF_CLASS(PWImageAdornment)
public:
    static inline const QString kImageKey = QStringLiteral("image");
    static inline const QString kClippingKey = QStringLiteral("clipping");
    static inline const QString kScaleKey = QStringLiteral("scale");
    static inline const QString kOpacityKey = QStringLiteral("opacity");
    static inline const QString kAngleInDegreesKey = QStringLiteral("angleInDegrees");
    static inline const QString kFittingOptionKey = QStringLiteral("fittingOption");
    static inline const QString kOperationKey = QStringLiteral("operation");

    // Fit: the whole image within the object, proportions kept. Stretch: the image fills the
    // object's size exactly. ScaleByFactor: the image's own size times `scale`, centred.
    enum FittingOption : int { FitProportionally = 0, StretchToFill = 1, ScaleByFactor = 2 };
    static constexpr int kLastFittingOption = ScaleByFactor;
    static constexpr unsigned kNoClipping = 0;
    static constexpr unsigned kClipToPath = 2;

    static constexpr double kMinScale = 0.01;
    static constexpr double kMaxScale = 100.0;

    // No image, no clipping, scale 1, opaque, upright, fitted, drawn over what is there.
    PWImageAdornment();
    explicit PWImageAdornment(const QImage& image);
    PWImageAdornment(const PWImageAdornment& other) = default;

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    // 0 or kClipToPath; other values are refused.
    unsigned clipping() const { return m_clipping; }
    void setClipping(unsigned clipping);
    // Clamped to kMinScale...kMaxScale; NaN is refused.
    double scale() const { return m_scale; }
    void setScale(double scale);
    // Clamped to 0...1; NaN is refused.
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);
    // Values that are not finite are refused.
    double angleInDegrees() const { return m_angle; }
    void setAngleInDegrees(double degrees);
    // Values outside FittingOption are refused.
    int fittingOption() const { return m_fitting; }
    void setFittingOption(int option);
    // Values that are not compositing values are refused.
    unsigned operation() const { return m_operation; }
    void setOperation(unsigned operation);

    // Where the image goes for an object of `size` centred on `centre` and turned by `radians`:
    // the transform that takes the image's pixel rectangle there. Identity without an image.
    QTransform imageTransform(const QSizeF& size, const QPointF& centre, double radians) const;

    void render(const PWRenderable& object) override;
    void renderPath(const pf::BezierPath& path) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    // The image is archived as PNG.
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    void drawImage(const pf::BezierPath& path, const QTransform& placing);

    QImage m_image;
    unsigned m_clipping = kNoClipping;
    double m_scale = 1.0;
    double m_opacity = 1.0;
    double m_angle = 0.0;
    int m_fitting = FitProportionally;
    unsigned m_operation = 2; // source over
};
