#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QString>

namespace pf {

// A colour as the drawing code and the widgets use it: red, green, blue and alpha in sRGB, each
// 0 to 1, or a pattern that tiles an image. Calibrated, device and generic RGB and white all
// come down to sRGB components here.
//
// Color is a value: copy it, compare it, pass it around. It is also a pf::Object, so that a
// colour can be archived and handed through key-value coding; there it travels as a
// Ref<Color> (std::make_shared<Color>(colour)). Colours do not change once made.
//
// A default-made colour is invalid (no colour at all: drawing with it paints nothing).
// A pattern colour has no components: they read as 0 (alpha as 1), its hexString is empty, and the
// operations that derive one colour from another answer the pattern unchanged.
class Color : public Object, public Coding {
    PF_CLASS(Color)
public:
    Color() = default;
    // Components are clamped to 0..1 (NaN reads as 0).
    Color(double red, double green, double blue, double alpha = 1.0);
    // Converted to sRGB components; an invalid QColor makes an invalid colour.
    explicit Color(const QColor& colour);
    Color(const Color& other) = default;
    // By hand: pf::Object has no assignment of its own to default to.
    Color& operator=(const Color& other)
    {
        m_colour = other.m_colour;
        m_pattern = other.m_pattern;
        return *this;
    }

    static Color withWhite(double white, double alpha = 1.0);
    // Hue, saturation and brightness 0..1.
    static Color withHue(double hue, double saturation, double brightness, double alpha = 1.0);
    // A grey of `level` in RGB.
    static Color rgbGrey(double level);
    // "#RRGGBB", "RRGGBB", "#RGB" or "#RRGGBBAA" (surrounding blanks allowed); anything else
    // answers an invalid colour.
    static Color fromHexString(const QString& text);
    // A colour that paints `image` tiled. Raises NSInvalidArgumentException for a null image.
    static Color patternWithImage(const QImage& image);

    static Color black();
    static Color white();
    static Color grey();      // 0.5
    static Color lightGrey(); // 2/3
    static Color darkGrey();  // 1/3
    static Color veryLightGrey(); // 0.95
    static Color red();
    static Color green();
    static Color blue();
    static Color cyan();
    static Color orange(); // 1, 0.5, 0
    static Color clear();  // black with alpha 0

    bool isValid() const { return m_colour.isValid() || isPattern(); }
    bool isPattern() const { return !m_pattern.isNull(); }
    // Raises NSInvalidArgumentException unless this is a pattern colour.
    const QImage& patternImage() const;

    // The components as a QColor; invalid for a pattern or an invalid colour.
    QColor qColor() const { return m_colour; }
    // A solid brush, a texture brush for a pattern, no brush for an invalid colour.
    QBrush brush() const;

    double redComponent() const { return m_colour.isValid() ? m_colour.redF() : 0.0; }
    double greenComponent() const { return m_colour.isValid() ? m_colour.greenF() : 0.0; }
    double blueComponent() const { return m_colour.isValid() ? m_colour.blueF() : 0.0; }
    double alphaComponent() const;
    // Hue 0..1 (0 for greys), saturation and brightness 0..1.
    double hueComponent() const;
    double saturationComponent() const;
    double brightnessComponent() const;

    // "#RRGGBB" in upper case, "#RRGGBBAA" when not opaque; empty for a pattern or an invalid
    // colour.
    QString hexString() const;

    // The Rec. 709 luma of the (gamma-encoded) sRGB components, alpha ignored:
    // 0.2126 R + 0.7152 G + 0.0722 B.
    double luminosity() const;
    // Black or white, whichever has the higher contrast ratio against this colour, judged by
    // relative luminance (the components linearised first).
    Color contrastingColor() const;

    // Blends of the components towards white or black by `level` (0 keeps the colour, 1 gives
    // white or black; clamped to 0..1); alpha is kept. The lighter/darker pair is the
    // framework's name for the same blends as highlight/shadow.
    Color highlightWithLevel(double level) const;
    Color shadowWithLevel(double level) const;
    Color lighterColorWithLevel(double level) const { return highlightWithLevel(level); }
    Color darkerColorWithLevel(double level) const { return shadowWithLevel(level); }
    Color colorWithAlphaComponent(double alpha) const;

    bool operator==(const Color& other) const;
    bool operator!=(const Color& other) const { return !(*this == other); }

    Ref<Object> copy() const override;
    bool isEqual(const Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;

    void encodeWithCoder(KeyedArchiver& coder) const override;
    // Raises NSInvalidArgumentException when a pattern's image data cannot be read.
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    Color blendedWith(const QColor& target, double fraction) const;

    QColor m_colour; // sRGB components; invalid for a pattern
    QImage m_pattern;
};

} // namespace pf
