#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/ImageWriter.h"

#include <QColorSpace>
#include <QList>

namespace pf {

// Colour space models with the platform's numbering.
enum ColorSpaceModel : int {
    UnknownColorSpaceModel = -1,
    GrayColorSpaceModel = 0,
    RGBColorSpaceModel = 1,
    CMYKColorSpaceModel = 2,
};

// A colour space bitmap output can be written in: the RGB spaces Qt converts images into,
// a generic grey and a generic CMYK space, which the image writer realises through its grey
// and CMYK colour models. Spaces compare and archive by identifier; an archived identifier this
// program does not know reads back as sRGB.
class ColorSpace : public Object, public Coding {
    PF_CLASS(ColorSpace)
public:
    ColorSpace(); // sRGB

    static Ref<ColorSpace> sRGB();
    static Ref<ColorSpace> genericGray();
    static Ref<ColorSpace> genericCMYK();
    // The space of that identifier ("sRGB", "AdobeRGB1998", "DisplayP3", "GenericGray",
    // "GenericCMYK"), or null.
    static Ref<ColorSpace> withIdentifier(const QString& identifier);
    // The spaces of a model, in menu order.
    static QList<Ref<ColorSpace>> availableColorSpaces(ColorSpaceModel model);

    QString identifier() const { return m_identifier; }
    QString localizedName() const;
    ColorSpaceModel colorSpaceModel() const;
    int numberOfColorComponents() const;

    // How the image writer produces this space: its colour model, and for RGB spaces the
    // space images are converted into first.
    ImageColorModel imageColorModel() const;
    QColorSpace qColorSpace() const;
    // `image` converted for writing in this space (RGB spaces only; the others convert in
    // the writer). The options' colour model is set to match.
    QImage prepareForWriting(const QImage& image, ImageWriteOptions* options) const;

    bool isEqual(const Reflective* other) const override;
    size_t hash() const override { return qHash(m_identifier); }
    QString description() const override { return localizedName(); }
    Ref<Object> copy() const override { return std::make_shared<ColorSpace>(*this); }

    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    explicit ColorSpace(QString identifier) : m_identifier(std::move(identifier)) {}

    QString m_identifier;
};

} // namespace pf
