#pragma once

#include "frameworks/penwork/styles/PWFill.h"

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QImage>

// Fills the object's path with an image repeated edge to edge from the top left corner of the
// path's bounds, so the tiles move with the object. The fill's own colour is not drawn.
//
// Key-value coding: "image" (set it through setImageData to keep a file's own bytes; an image
// set through the key, as undo does, is kept as PNG), "opacity" (observable, with undo), besides
// the fill's keys.
class PWTilingFill : public PWFill {
    PF_CLASS(PWTilingFill)
public:
    static inline const QString kImageKey = QStringLiteral("image");
    static inline const QString kOpacityKey = QStringLiteral("opacity");

    // No image, fully opaque.
    PWTilingFill();
    PWTilingFill(const PWTilingFill& other) = default;

    QImage image() const { return m_image; }
    // The bytes of an image file (any format the platform reads). Bytes that are not an image
    // leave the fill as it was and answer false with the error; empty bytes remove the image.
    bool setImageData(const QByteArray& data, pf::Error* error = nullptr);
    // The bytes the image was set from (kept as given, so archives hold the original file).
    QByteArray imageData() const { return m_imageData; }
    // The image itself, kept as PNG bytes; a null image removes it.
    void setImage(const QImage& image);
    double opacity() const { return m_opacity; }
    // Clamped to 0...1; NaN is refused.
    void setOpacity(double opacity);

    void renderPath(const pf::BezierPath& path) override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    QByteArray m_imageData;
    QImage m_image;
    double m_opacity = 1.0;
};
