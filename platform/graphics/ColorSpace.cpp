#include "platform/graphics/ColorSpace.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QCoreApplication>

PF_DEFINE_CLASS_NAMED(pf::ColorSpace, pf::Object, "pf::ColorSpace")
{
    b.protocol(pf::kCodingProtocol);
    b.property("localizedName", &pf::ColorSpace::localizedName);
    b.property("identifier", &pf::ColorSpace::identifier);
}

namespace pf {

namespace {

const QString kNameKey = QStringLiteral("NSColorSpaceName");

struct Known {
    const char* identifier;
    const char* name;
    ColorSpaceModel model;
    QColorSpace::NamedColorSpace qtSpace;
};

constexpr Known kSpaces[] = {
    {"sRGB", QT_TRANSLATE_NOOP("pf::ColorSpace", "sRGB IEC61966-2.1"), RGBColorSpaceModel, QColorSpace::SRgb},
    {"AdobeRGB1998", QT_TRANSLATE_NOOP("pf::ColorSpace", "Adobe RGB (1998)"), RGBColorSpaceModel, QColorSpace::AdobeRgb},
    {"DisplayP3", QT_TRANSLATE_NOOP("pf::ColorSpace", "Display P3"), RGBColorSpaceModel, QColorSpace::DisplayP3},
    {"GenericGray", QT_TRANSLATE_NOOP("pf::ColorSpace", "Generic Gray"), GrayColorSpaceModel, QColorSpace::SRgb},
    {"GenericCMYK", QT_TRANSLATE_NOOP("pf::ColorSpace", "Generic CMYK"), CMYKColorSpaceModel, QColorSpace::SRgb},
};

const Known* known(const QString& identifier)
{
    for (const Known& space : kSpaces) {
        if (identifier == QLatin1String(space.identifier))
            return &space;
    }
    return nullptr;
}

} // namespace

ColorSpace::ColorSpace() : m_identifier(QStringLiteral("sRGB")) {}

Ref<ColorSpace> ColorSpace::sRGB()
{
    return withIdentifier(QStringLiteral("sRGB"));
}

Ref<ColorSpace> ColorSpace::genericGray()
{
    return withIdentifier(QStringLiteral("GenericGray"));
}

Ref<ColorSpace> ColorSpace::genericCMYK()
{
    return withIdentifier(QStringLiteral("GenericCMYK"));
}

Ref<ColorSpace> ColorSpace::withIdentifier(const QString& identifier)
{
    if (!known(identifier))
        return nullptr;
    return Ref<ColorSpace>(new ColorSpace(identifier));
}

QList<Ref<ColorSpace>> ColorSpace::availableColorSpaces(ColorSpaceModel model)
{
    QList<Ref<ColorSpace>> spaces;
    for (const Known& space : kSpaces) {
        if (space.model == model)
            spaces.append(withIdentifier(QLatin1String(space.identifier)));
    }
    return spaces;
}

QString ColorSpace::localizedName() const
{
    const Known* space = known(m_identifier);
    return space ? QCoreApplication::translate("pf::ColorSpace", space->name) : m_identifier;
}

ColorSpaceModel ColorSpace::colorSpaceModel() const
{
    const Known* space = known(m_identifier);
    return space ? space->model : UnknownColorSpaceModel;
}

int ColorSpace::numberOfColorComponents() const
{
    switch (colorSpaceModel()) {
    case GrayColorSpaceModel: return 1;
    case RGBColorSpaceModel: return 3;
    case CMYKColorSpaceModel: return 4;
    default: return 0;
    }
}

ImageColorModel ColorSpace::imageColorModel() const
{
    switch (colorSpaceModel()) {
    case GrayColorSpaceModel: return ImageColorModel::Gray;
    case CMYKColorSpaceModel: return ImageColorModel::CMYK;
    default: return ImageColorModel::RGB;
    }
}

QColorSpace ColorSpace::qColorSpace() const
{
    const Known* space = known(m_identifier);
    return QColorSpace(space ? space->qtSpace : QColorSpace::SRgb);
}

QImage ColorSpace::prepareForWriting(const QImage& image, ImageWriteOptions* options) const
{
    if (options)
        options->colorModel = imageColorModel();
    if (colorSpaceModel() != RGBColorSpaceModel || image.isNull())
        return image;
    QImage converted = image;
    // Pixels without a space of their own are sRGB, as everything the program draws.
    if (!converted.colorSpace().isValid())
        converted.setColorSpace(QColorSpace(QColorSpace::SRgb));
    if (converted.colorSpace() != qColorSpace())
        converted.convertToColorSpace(qColorSpace());
    return converted;
}

bool ColorSpace::isEqual(const Reflective* other) const
{
    const auto* space = dynamic_cast<const ColorSpace*>(other);
    return space && space->m_identifier == m_identifier;
}

void ColorSpace::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeString(m_identifier, kNameKey);
}

void ColorSpace::initWithCoder(KeyedUnarchiver& coder)
{
    const QString identifier = coder.decodeString(kNameKey);
    m_identifier = known(identifier) ? identifier : QStringLiteral("sRGB");
}

} // namespace pf
