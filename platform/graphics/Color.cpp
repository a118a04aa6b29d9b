#include "platform/graphics/Color.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QBuffer>
#include <QHashFunctions>

#include <algorithm>
#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Color, pf::Object, "pf::Color")
{
    b.protocol(pf::kCodingProtocol);
}

namespace pf {

namespace {

const QString kRedKey = QStringLiteral("red");
const QString kGreenKey = QStringLiteral("green");
const QString kBlueKey = QStringLiteral("blue");
const QString kAlphaKey = QStringLiteral("alpha");
const QString kPatternKey = QStringLiteral("pattern");

double unit(double value)
{
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

int byteOf(double component)
{
    return int(std::lround(unit(component) * 255.0));
}

// sRGB component to linear light, for relative luminance.
double linearised(double component)
{
    return component <= 0.04045 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

} // namespace

Color::Color(double red, double green, double blue, double alpha)
    : m_colour(QColor::fromRgbF(float(unit(red)), float(unit(green)), float(unit(blue)), float(unit(alpha))))
{
}

Color::Color(const QColor& colour)
{
    if (colour.isValid()) {
        // ExtendedRgb and the other specs come back as plain, clamped sRGB.
        m_colour = colour.toRgb();
        m_colour.setRgbF(float(unit(m_colour.redF())), float(unit(m_colour.greenF())), float(unit(m_colour.blueF())),
                         float(unit(m_colour.alphaF())));
    }
}

Color Color::withWhite(double white, double alpha)
{
    return Color(white, white, white, alpha);
}

Color Color::withHue(double hue, double saturation, double brightness, double alpha)
{
    return Color(QColor::fromHsvF(float(unit(hue)), float(unit(saturation)), float(unit(brightness)), float(unit(alpha))));
}

Color Color::rgbGrey(double level)
{
    return withWhite(level);
}

Color Color::fromHexString(const QString& text)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('#')))
        digits.remove(0, 1);
    const bool allHex = std::all_of(digits.cbegin(), digits.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    });
    if (digits.isEmpty() || !allHex)
        return Color();
    if (digits.size() == 3) {
        // Each digit stands for itself twice: "#ABC" is "#AABBCC".
        QString expanded;
        for (QChar c : digits)
            expanded += QString(2, c);
        digits = expanded;
    }
    if (digits.size() != 6 && digits.size() != 8)
        return Color();
    auto byteAt = [&](int index) { return digits.mid(index * 2, 2).toInt(nullptr, 16); };
    const int alpha = digits.size() == 8 ? byteAt(3) : 255;
    return Color(QColor(byteAt(0), byteAt(1), byteAt(2), alpha));
}

Color Color::patternWithImage(const QImage& image)
{
    if (image.isNull())
        throw InvalidArgumentException(QStringLiteral("+[pf::Color patternWithImage:]: nil image"));
    Color colour;
    colour.m_pattern = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return colour;
}

Color Color::black() { return withWhite(0.0); }
Color Color::white() { return withWhite(1.0); }
Color Color::grey() { return withWhite(0.5); }
Color Color::lightGrey() { return withWhite(2.0 / 3.0); }
Color Color::darkGrey() { return withWhite(1.0 / 3.0); }
Color Color::veryLightGrey() { return withWhite(0.95); }
Color Color::red() { return Color(1.0, 0.0, 0.0); }
Color Color::green() { return Color(0.0, 1.0, 0.0); }
Color Color::blue() { return Color(0.0, 0.0, 1.0); }
Color Color::cyan() { return Color(0.0, 1.0, 1.0); }
Color Color::orange() { return Color(1.0, 0.5, 0.0); }
Color Color::clear() { return Color(0.0, 0.0, 0.0, 0.0); }

const QImage& Color::patternImage() const
{
    if (!isPattern())
        throw InvalidArgumentException(
            QStringLiteral("-[pf::Color patternImage]: %1 is not a pattern colour").arg(description()));
    return m_pattern;
}

QBrush Color::brush() const
{
    if (isPattern())
        return QBrush(m_pattern);
    if (m_colour.isValid())
        return QBrush(m_colour);
    return QBrush();
}

double Color::alphaComponent() const
{
    if (isPattern())
        return 1.0;
    return m_colour.isValid() ? m_colour.alphaF() : 0.0;
}

double Color::hueComponent() const
{
    if (!m_colour.isValid())
        return 0.0;
    // QColor answers -1 for the hue of a grey.
    return std::max(0.0, double(m_colour.hsvHueF()));
}

double Color::saturationComponent() const
{
    return m_colour.isValid() ? m_colour.hsvSaturationF() : 0.0;
}

double Color::brightnessComponent() const
{
    return m_colour.isValid() ? m_colour.valueF() : 0.0;
}

QString Color::hexString() const
{
    if (!m_colour.isValid())
        return QString();
    auto hex = [](double component) { return QStringLiteral("%1").arg(byteOf(component), 2, 16, QLatin1Char('0')); };
    QString text = QLatin1Char('#') + hex(redComponent()) + hex(greenComponent()) + hex(blueComponent());
    if (byteOf(alphaComponent()) != 255)
        text += hex(alphaComponent());
    return text.toUpper();
}

double Color::luminosity() const
{
    return 0.2126 * redComponent() + 0.7152 * greenComponent() + 0.0722 * blueComponent();
}

Color Color::contrastingColor() const
{
    const double luminance = 0.2126 * linearised(redComponent()) + 0.7152 * linearised(greenComponent()) +
                             0.0722 * linearised(blueComponent());
    // Contrast ratios as (lighter + 0.05) / (darker + 0.05) against black (0) and white (1).
    const double againstBlack = (luminance + 0.05) / 0.05;
    const double againstWhite = 1.05 / (luminance + 0.05);
    return againstBlack >= againstWhite ? black() : white();
}

Color Color::blendedWith(const QColor& target, double fraction) const
{
    if (!m_colour.isValid())
        return *this;
    const double f = unit(fraction);
    auto mix = [f](double from, double to) { return from + (to - from) * f; };
    return Color(mix(redComponent(), target.redF()), mix(greenComponent(), target.greenF()),
                 mix(blueComponent(), target.blueF()), alphaComponent());
}

Color Color::highlightWithLevel(double level) const
{
    return blendedWith(QColor(255, 255, 255), level);
}

Color Color::shadowWithLevel(double level) const
{
    return blendedWith(QColor(0, 0, 0), level);
}

Color Color::colorWithAlphaComponent(double alpha) const
{
    if (!m_colour.isValid())
        return *this;
    return Color(redComponent(), greenComponent(), blueComponent(), alpha);
}

bool Color::operator==(const Color& other) const
{
    return m_colour == other.m_colour && m_pattern == other.m_pattern;
}

Ref<Object> Color::copy() const
{
    return std::make_shared<Color>(*this);
}

bool Color::isEqual(const Reflective* other) const
{
    const auto* colour = dynamic_cast<const Color*>(other);
    return colour && *this == *colour;
}

size_t Color::hash() const
{
    if (isPattern())
        return qHash(m_pattern.width()) ^ qHash(m_pattern.height());
    return m_colour.isValid() ? qHash(quint64(m_colour.rgba64())) : 0;
}

QString Color::description() const
{
    if (isPattern())
        return QStringLiteral("<pf::Color pattern %1 x %2>").arg(m_pattern.width()).arg(m_pattern.height());
    if (!m_colour.isValid())
        return QStringLiteral("<pf::Color invalid>");
    return QStringLiteral("<pf::Color %1 %2 %3 %4>")
        .arg(redComponent())
        .arg(greenComponent())
        .arg(blueComponent())
        .arg(alphaComponent());
}

void Color::encodeWithCoder(KeyedArchiver& coder) const
{
    if (isPattern()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        m_pattern.save(&buffer, "PNG");
        coder.encodeData(png, kPatternKey);
        return;
    }
    // An invalid colour writes no components and reads back invalid.
    if (!m_colour.isValid())
        return;
    coder.encodeDouble(redComponent(), kRedKey);
    coder.encodeDouble(greenComponent(), kGreenKey);
    coder.encodeDouble(blueComponent(), kBlueKey);
    coder.encodeDouble(alphaComponent(), kAlphaKey);
}

void Color::initWithCoder(KeyedUnarchiver& coder)
{
    if (coder.containsValueForKey(kPatternKey)) {
        // QImage refuses images beyond its allocation limit, so a hostile size fails here too.
        const QImage image = QImage::fromData(coder.decodeData(kPatternKey), "PNG");
        if (image.isNull())
            throw InvalidArgumentException(QStringLiteral("-[pf::Color initWithCoder:]: unreadable pattern image"));
        *this = patternWithImage(image);
        return;
    }
    if (!coder.containsValueForKey(kRedKey)) {
        *this = Color();
        return;
    }
    *this = Color(coder.decodeDouble(kRedKey), coder.decodeDouble(kGreenKey), coder.decodeDouble(kBlueKey),
                  coder.decodeDouble(kAlphaKey));
}

} // namespace pf
