#include "frameworks/penwork/renderers/PWTextAdornment.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/renderers/PWRendererGeometry.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Markers.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kFontArchiveKey = QStringLiteral("pw_textAdornment_font");
const QString kFontSizeArchiveKey = QStringLiteral("pw_textAdornment_fontSize");
const QString kColourArchiveKey = QStringLiteral("pw_textAdornment_colour");
const QString kAlignmentArchiveKey = QStringLiteral("pw_textAdornment_alignment");
const QString kVerticalAlignmentArchiveKey = QStringLiteral("pw_textAdornment_verticalAlignment");
const QString kLayoutModeArchiveKey = QStringLiteral("pw_textAdornment_layoutMode");
const QString kUnderlinesArchiveKey = QStringLiteral("pw_textAdornment_underlines");
const QString kStrikethroughsArchiveKey = QStringLiteral("pw_textAdornment_strikethroughs");
const QString kOutlineColourArchiveKey = QStringLiteral("pw_textAdornment_outlineColour");
const QString kOutlineWidthArchiveKey = QStringLiteral("pw_textAdornment_outlineWidth");
const QString kKnockoutDistanceArchiveKey = QStringLiteral("pw_textAdornment_textKnockoutDistance");
const QString kKnockoutColourArchiveKey = QStringLiteral("pw_textAdornment_textKnockoutColour");
const QString kWrapsLinesArchiveKey = QStringLiteral("pw_textAdornment_wrapsLines");
const QString kCapitalizationArchiveKey = QStringLiteral("pw_textAdornment_capitalization");
const QString kBaselineProportionArchiveKey = QStringLiteral("pw_textAdornment_baselineProportion");
const QString kBaselineArchiveKey = QStringLiteral("pw_textAdornment_baseline");
const QString kShadowArchiveKey = QStringLiteral("pw_textAdornment_shadow");
const QString kKerningArchiveKey = QStringLiteral("pw_textAdornment_kerning");
const QString kSuperscriptArchiveKey = QStringLiteral("pw_textAdornment_superscript");
const QString kStringArchiveKey = QStringLiteral("pw_textAdornment_string");
const QString kIdentifierArchiveKey = QStringLiteral("pw_textAdornment_identifier");

bool inRange(int value, int lo, int hi)
{
    return value >= lo && value <= hi;
}

bool validAlignment(int value)
{
    return inRange(value, PWTextFormat::AlignLeft, PWTextFormat::AlignNatural);
}

bool validVerticalAlignment(int value)
{
    return inRange(value, PWTextFormat::AlignTop, PWTextFormat::AlignUnset);
}

bool validLayoutMode(int value)
{
    return inRange(value, PWTextFormat::LayoutInBox, PWTextFormat::LayoutCentredOnPath);
}

bool validCapitalization(int value)
{
    return inRange(value, PWTextFormat::CapsNone, PWTextFormat::CapsSmall);
}

int clampedLineStyle(qint64 value)
{
    return int(std::clamp<qint64>(value, 0, PWTextAdornment::kMaxLineStyle));
}

// A colour as text attributes hold it: a QColor or a colour object; nil or anything invalid
// is no colour.
pf::Color attributeColour(const QVariant& value)
{
    if (value.typeId() == QMetaType::QColor)
        return pf::Color(value.value<QColor>());
    if (const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(value))
        return *colour;
    return pf::Color();
}

QVariant colourAttribute(const pf::Color& colour)
{
    return colour.isValid() ? QVariant(colour.qColor()) : QVariant();
}

// Registers a colour property carried as a colour object (no value for none).
void colourProperty(pf::ClassBuilder<PWTextAdornment>& b, const QString& key,
                    const pf::Color& (PWTextAdornment::*getter)() const,
                    void (PWTextAdornment::*setter)(const pf::Color&))
{
    b.property(key,
               std::function<QVariant(const PWTextAdornment&)>([getter](const PWTextAdornment& adornment) {
                   return pw::renderers::colourToVariant((adornment.*getter)());
               }),
               std::function<void(PWTextAdornment&, const QVariant&)>(
                   [setter, key](PWTextAdornment& adornment, const QVariant& value) {
                       (adornment.*setter)(
                           pw::renderers::colourFromVariant(value, QStringLiteral("-[PWTextAdornment %1]").arg(key)));
                   }));
}

void numberValidator(pf::ClassBuilder<PWTextAdornment>& b, const QString& key, double lo, double hi,
                     const QString& what)
{
    b.validator(key, [lo, hi, what](PWTextAdornment&, QVariant* value, pf::Error* error) {
        return pw::renderers::validateNumber(value, lo, hi, what, error);
    });
}

} // namespace

PF_DEFINE_CLASS(PWTextAdornment, PWRasterizer)
{
    using A = PWTextAdornment;
    b.protocol(pf::kCodingProtocol);
    b.property(A::kFontKey, &A::font, &A::setFont);
    b.property(A::kFontSizeKey, &A::fontSize, &A::setFontSize);
    numberValidator(b, A::kFontSizeKey, A::kMinFontSize, A::kMaxFontSize, QStringLiteral("The font size"));
    b.property("fontFamilyName", &A::fontFamilyName);
    b.property("fontName", &A::fontName);
    colourProperty(b, A::kColourKey, &A::colour, &A::setColour);
    b.property(A::kAlignmentKey, &A::alignment, &A::setAlignment);
    b.property(A::kVerticalAlignmentKey, &A::verticalAlignment, &A::setVerticalAlignment);
    b.property(A::kLayoutModeKey, &A::layoutMode, &A::setLayoutMode);
    b.property(A::kUnderlinesKey, &A::underlines, &A::setUnderlines);
    b.property(A::kStrikethroughsKey, &A::strikethroughs, &A::setStrikethroughs);
    colourProperty(b, A::kOutlineColourKey, &A::outlineColour, &A::setOutlineColour);
    b.property(A::kOutlineWidthKey, &A::outlineWidth, &A::setOutlineWidth);
    numberValidator(b, A::kOutlineWidthKey, -A::kMaxOutlineWidth, A::kMaxOutlineWidth,
                    QStringLiteral("The outline width"));
    b.property(A::kTextKnockoutDistanceKey, &A::textKnockoutDistance, &A::setTextKnockoutDistance);
    numberValidator(b, A::kTextKnockoutDistanceKey, 0.0, A::kMaxKnockoutDistance,
                    QStringLiteral("The knockout distance"));
    colourProperty(b, A::kTextKnockoutColourKey, &A::textKnockoutColour, &A::setTextKnockoutColour);
    b.property(A::kWrapsLinesKey, &A::wrapsLines, &A::setWrapsLines);
    b.property(A::kCapitalizationKey, &A::capitalization, &A::setCapitalization);
    b.property(A::kBaselineProportionKey, &A::baselineProportion, &A::setBaselineProportion);
    numberValidator(b, A::kBaselineProportionKey, -A::kMaxBaselineProportion, A::kMaxBaselineProportion,
                    QStringLiteral("The baseline proportion"));
    b.property(A::kBaselineKey, &A::baseline, &A::setBaseline);
    numberValidator(b, A::kBaselineKey, -A::kMaxBaseline, A::kMaxBaseline, QStringLiteral("The baseline offset"));
    b.property(A::kShadowKey, &A::shadow, &A::setShadow);
    b.property(A::kKerningKey, &A::kerning, &A::setKerning);
    numberValidator(b, A::kKerningKey, -A::kMaxKerning, A::kMaxKerning, QStringLiteral("The kerning"));
    b.property(A::kSuperscriptKey, &A::superscriptAttribute, &A::setSuperscriptAttribute);
    b.property(A::kTextAttributesKey, &A::textAttributes, &A::setTextAttributes);
    b.property(A::kParagraphStyleKey, &A::paragraphStyle, &A::setParagraphStyle);
    b.property(A::kStringKey, &A::string, &A::setString);
    b.property(A::kIdentifierKey, &A::identifier, &A::setIdentifier);

    b.keyPathsAffecting(A::kFontSizeKey, {A::kFontKey});
    b.keyPathsAffecting(A::kFontKey, {A::kFontSizeKey});
    b.keyPathsAffecting("fontFamilyName", {A::kFontKey});
    b.keyPathsAffecting("fontName", {A::kFontKey});
    b.keyPathsAffecting(A::kParagraphStyleKey, {A::kAlignmentKey, A::kWrapsLinesKey});
    b.keyPathsAffecting(A::kTextAttributesKey,
                        {A::kFontKey, A::kFontSizeKey, A::kColourKey, A::kAlignmentKey, A::kVerticalAlignmentKey,
                         A::kLayoutModeKey, A::kUnderlinesKey, A::kStrikethroughsKey, A::kOutlineColourKey,
                         A::kOutlineWidthKey, A::kTextKnockoutDistanceKey, A::kTextKnockoutColourKey,
                         A::kWrapsLinesKey, A::kCapitalizationKey, A::kBaselineProportionKey, A::kBaselineKey,
                         A::kShadowKey, A::kKerningKey, A::kSuperscriptKey});
    b.method("textToDraw:", std::function<QVariant(A&, const QVariantList&)>([](A& adornment, const QVariantList& args) {
                 const auto* object = dynamic_cast<const PWRenderable*>(pf::objectFromVariant(args.value(0)).get());
                 return QVariant(object ? adornment.textToDraw(*object) : adornment.string());
             }));
}

PWTextAdornment::PWTextAdornment() = default;

PWTextAdornment::PWTextAdornment(const QString& string) : m_string(string) {}

PWTextAdornment::PWTextAdornment(const PWTextAdornment& other)
    : PWRasterizer(other),
      m_format(other.m_format),
      m_colour(other.m_colour),
      m_outlineColour(other.m_outlineColour),
      m_knockoutColour(other.m_knockoutColour),
      m_string(other.m_string),
      m_identifier(other.m_identifier)
{
    if (other.m_format.shadow)
        m_format.shadow = std::static_pointer_cast<pf::Shadow>(other.m_format.shadow->copy());
}

pf::Ref<PWTextAdornment> PWTextAdornment::textAdornmentWithString(const QString& string)
{
    return std::make_shared<PWTextAdornment>(string);
}

// Setters ---------------------------------------------------------------------------------------

void PWTextAdornment::setFont(const QFont& font)
{
    QFont sized = font;
    const double size = font.pointSizeF() > 0.0 ? font.pointSizeF() : fontSize();
    sized.setPointSizeF(std::clamp(size, kMinFontSize, kMaxFontSize));
    changeProperty(m_format.font, sized, kFontKey);
}

void PWTextAdornment::setFontSize(double size)
{
    if (std::isnan(size))
        return PF_LOG("PWTextAdornment: font size NaN refused");
    QFont sized = m_format.font;
    sized.setPointSizeF(std::clamp(size, kMinFontSize, kMaxFontSize));
    changeProperty(m_format.font, sized, kFontSizeKey);
}

QString PWTextAdornment::fontName() const
{
    const QString face = m_format.font.styleName();
    const QString family = m_format.font.family();
    if (face.isEmpty() || face.compare(QLatin1String("Regular"), Qt::CaseInsensitive) == 0)
        return family;
    return family + QLatin1Char('-') + face;
}

void PWTextAdornment::setColour(const pf::Color& colour)
{
    changeProperty(m_colour, colour, kColourKey);
}

void PWTextAdornment::setAlignment(int alignment)
{
    if (!validAlignment(alignment))
        return PF_LOG("PWTextAdornment: alignment %d refused", alignment);
    changeProperty(m_format.alignment, alignment, kAlignmentKey);
}

void PWTextAdornment::setVerticalAlignment(int alignment)
{
    if (!validVerticalAlignment(alignment))
        return PF_LOG("PWTextAdornment: vertical alignment %d refused", alignment);
    changeProperty(m_format.verticalAlignment, alignment, kVerticalAlignmentKey);
}

void PWTextAdornment::setLayoutMode(int mode)
{
    if (!validLayoutMode(mode))
        return PF_LOG("PWTextAdornment: layout mode %d refused", mode);
    changeProperty(m_format.layoutMode, mode, kLayoutModeKey);
}

void PWTextAdornment::setCapitalization(int capitalization)
{
    if (!validCapitalization(capitalization))
        return PF_LOG("PWTextAdornment: capitalization %d refused", capitalization);
    changeProperty(m_format.capitalization, capitalization, kCapitalizationKey);
}

void PWTextAdornment::setUnderlines(int underlines)
{
    changeProperty(m_format.underlines, clampedLineStyle(underlines), kUnderlinesKey);
}

void PWTextAdornment::setStrikethroughs(int strikethroughs)
{
    changeProperty(m_format.strikethroughs, clampedLineStyle(strikethroughs), kStrikethroughsKey);
}

void PWTextAdornment::setOutlineColour(const pf::Color& colour)
{
    changeProperty(m_outlineColour, colour, kOutlineColourKey);
}

void PWTextAdornment::setOutlineWidth(double width)
{
    if (std::isnan(width))
        return PF_LOG("PWTextAdornment: outline width NaN refused");
    changeProperty(m_format.outlineWidth, std::clamp(width, -kMaxOutlineWidth, kMaxOutlineWidth), kOutlineWidthKey);
}

void PWTextAdornment::setTextKnockoutDistance(double distance)
{
    if (std::isnan(distance))
        return PF_LOG("PWTextAdornment: knockout distance NaN refused");
    changeProperty(m_format.knockoutDistance, std::clamp(distance, 0.0, kMaxKnockoutDistance),
                   kTextKnockoutDistanceKey);
}

void PWTextAdornment::setTextKnockoutColour(const pf::Color& colour)
{
    changeProperty(m_knockoutColour, colour, kTextKnockoutColourKey);
}

void PWTextAdornment::setWrapsLines(bool wraps)
{
    changeProperty(m_format.wrapsLines, wraps, kWrapsLinesKey);
}

void PWTextAdornment::setBaselineProportion(double proportion)
{
    if (std::isnan(proportion))
        return PF_LOG("PWTextAdornment: baseline proportion NaN refused");
    changeProperty(m_format.baselineProportion,
                   std::clamp(proportion, -kMaxBaselineProportion, kMaxBaselineProportion), kBaselineProportionKey);
}

void PWTextAdornment::setBaseline(double offset)
{
    if (std::isnan(offset))
        return PF_LOG("PWTextAdornment: baseline NaN refused");
    changeProperty(m_format.baselineOffset, std::clamp(offset, -kMaxBaseline, kMaxBaseline), kBaselineKey);
}

void PWTextAdornment::setKerning(double kerning)
{
    if (std::isnan(kerning))
        return PF_LOG("PWTextAdornment: kerning NaN refused");
    changeProperty(m_format.kerning, std::clamp(kerning, -kMaxKerning, kMaxKerning), kKerningKey);
}

void PWTextAdornment::setSuperscriptAttribute(int level)
{
    changeProperty(m_format.superscript, std::clamp(level, -kMaxSuperscript, kMaxSuperscript), kSuperscriptKey);
}

void PWTextAdornment::setShadow(const pf::Ref<pf::Shadow>& shadow)
{
    changeProperty(m_format.shadow, shadow, kShadowKey);
}

void PWTextAdornment::setString(const QString& string)
{
    changeProperty(m_string, string, kStringKey);
}

void PWTextAdornment::setIdentifier(const QString& identifier)
{
    changeProperty(m_identifier, identifier, kIdentifierKey);
}

// Attribute maps ----------------------------------------------------------------------------------

QVariantMap PWTextAdornment::paragraphStyle() const
{
    return {{kPWParagraphAlignmentKey, m_format.alignment}, {kPWParagraphWrapsLinesKey, m_format.wrapsLines}};
}

void PWTextAdornment::setParagraphStyle(const QVariantMap& style)
{
    const QVariant alignment = style.value(kPWParagraphAlignmentKey);
    if (pf::isNumber(alignment))
        setAlignment(alignment.toInt());
    const QVariant wraps = style.value(kPWParagraphWrapsLinesKey);
    if (wraps.isValid() && !pf::isNilOrNull(wraps))
        setWrapsLines(pf::variantToBool(wraps));
}

QVariantMap PWTextAdornment::textAttributes() const
{
    QVariantMap attributes{
        {kPWTextFontAttribute, m_format.font},
        {kPWTextFontSizeAttribute, fontSize()},
        {kPWTextUnderlineAttribute, m_format.underlines},
        {kPWTextStrikethroughAttribute, m_format.strikethroughs},
        {kPWTextParagraphStyleAttribute, paragraphStyle()},
        {kPWTextBaselineOffsetAttribute, m_format.baselineOffset},
        {kPWTextStrokeWidthAttribute, m_format.outlineWidth},
        {kPWTextKernAttribute, m_format.kerning},
        {kPWTextSuperscriptAttribute, m_format.superscript},
        {PWTextKnockoutDistanceAttributeName, m_format.knockoutDistance},
        {kPWTextCapitalizationAttribute, m_format.capitalization},
        {kPWTextVerticalAlignmentAttribute, m_format.verticalAlignment},
        {kPWTextLayoutModeAttribute, m_format.layoutMode},
        {kPWTextBaselineProportionAttribute, m_format.baselineProportion},
    };
    // Absent colours and shadows are left out, as the text system leaves them out.
    if (m_colour.isValid())
        attributes.insert(kPWTextColourAttribute, colourAttribute(m_colour));
    if (m_outlineColour.isValid())
        attributes.insert(kPWTextStrokeColourAttribute, colourAttribute(m_outlineColour));
    if (m_knockoutColour.isValid())
        attributes.insert(PWTextKnockoutColourAttributeName, colourAttribute(m_knockoutColour));
    if (m_format.shadow)
        attributes.insert(kPWTextShadowAttribute, pf::toVariant(m_format.shadow));
    return attributes;
}

void PWTextAdornment::setTextAttributes(const QVariantMap& attributes)
{
    auto number = [&](const QString& key, const std::function<void(double)>& apply) {
        const QVariant value = attributes.value(key);
        if (pf::isNumber(value))
            apply(value.toDouble());
        else if (attributes.contains(key))
            PF_LOG("PWTextAdornment: text attribute \"%s\" is not a number", qPrintable(key));
    };
    const QVariant font = attributes.value(kPWTextFontAttribute);
    if (font.typeId() == QMetaType::QFont) {
        setFont(font.value<QFont>());
    } else if (font.typeId() == QMetaType::QString && !font.toString().isEmpty()) {
        QFont family = m_format.font;
        family.setFamily(font.toString());
        setFont(family);
    }
    number(kPWTextFontSizeAttribute, [this](double v) { setFontSize(v); });
    if (attributes.contains(kPWTextColourAttribute))
        setColour(attributeColour(attributes.value(kPWTextColourAttribute)));
    number(kPWTextUnderlineAttribute, [this](double v) { setUnderlines(int(std::clamp(v, -1.0, 1.0e6))); });
    number(kPWTextStrikethroughAttribute, [this](double v) { setStrikethroughs(int(std::clamp(v, -1.0, 1.0e6))); });
    if (attributes.contains(kPWTextShadowAttribute))
        setShadow(pf::objectCast<pf::Shadow>(attributes.value(kPWTextShadowAttribute)));
    const QVariant paragraph = attributes.value(kPWTextParagraphStyleAttribute);
    if (paragraph.typeId() == QMetaType::QVariantMap)
        setParagraphStyle(paragraph.toMap());
    number(kPWTextBaselineOffsetAttribute, [this](double v) { setBaseline(v); });
    number(kPWTextStrokeWidthAttribute, [this](double v) { setOutlineWidth(v); });
    if (attributes.contains(kPWTextStrokeColourAttribute))
        setOutlineColour(attributeColour(attributes.value(kPWTextStrokeColourAttribute)));
    number(kPWTextKernAttribute, [this](double v) { setKerning(v); });
    number(kPWTextSuperscriptAttribute, [this](double v) { setSuperscriptAttribute(int(std::clamp(v, -100.0, 100.0))); });
    number(PWTextKnockoutDistanceAttributeName, [this](double v) { setTextKnockoutDistance(v); });
    if (attributes.contains(PWTextKnockoutColourAttributeName))
        setTextKnockoutColour(attributeColour(attributes.value(PWTextKnockoutColourAttributeName)));
    number(kPWTextCapitalizationAttribute, [this](double v) { setCapitalization(int(std::clamp(v, -1.0, 100.0))); });
    number(kPWTextVerticalAlignmentAttribute,
           [this](double v) { setVerticalAlignment(int(std::clamp(v, -1.0, 100.0))); });
    number(kPWTextLayoutModeAttribute, [this](double v) { setLayoutMode(int(std::clamp(v, -1.0, 100.0))); });
    number(kPWTextBaselineProportionAttribute, [this](double v) { setBaselineProportion(v); });
}

PWTextFormat PWTextAdornment::format() const
{
    PWTextFormat format = m_format;
    format.colour = m_colour.qColor();
    format.outlineColour = m_outlineColour.qColor();
    format.knockoutColour = m_knockoutColour.qColor();
    return format;
}

// Text and layout -----------------------------------------------------------------------------------

QString PWTextAdornment::sequenceNumberFor(const PWRenderable& object) const
{
    // The object, then the containers it is drawn in (a symbol's drawable is drawn inside the
    // instance that numbers it).
    const auto* drawable = dynamic_cast<const PWDrawableObject*>(&object);
    const pf::Reflective* candidate = dynamic_cast<const pf::Reflective*>(&object);
    for (int depth = 0; candidate && depth < 64; ++depth) {
        if (candidate->objClass().property(kSequenceNumberKey)) {
            const QVariant number = candidate->valueForKey(kSequenceNumberKey);
            if (number.isValid() && !pf::isNilOrNull(number))
                return number.toString();
        }
        const auto* inner = dynamic_cast<const PWDrawableObject*>(candidate);
        candidate = inner ? dynamic_cast<const pf::Reflective*>(inner->container()) : nullptr;
    }
    if (drawable) {
        const QVariant number = drawable->metadataObjectForKey(kSequenceNumberMetadataKey);
        if (number.isValid() && !pf::isNilOrNull(number))
            return number.toString();
    }
    return QString();
}

QString PWTextAdornment::textToDraw(const PWRenderable& object) const
{
    const auto* textObject = dynamic_cast<const PWTextObject*>(&object);
    QString text = textObject ? textObject->textContent() : m_string;
    if (text.contains(kSequenceNumberPlaceholder, Qt::CaseInsensitive))
        text.replace(kSequenceNumberPlaceholder, sequenceNumberFor(object), Qt::CaseInsensitive);
    return text;
}

int PWTextAdornment::layoutModeForObject(const PWRenderable& object) const
{
    const auto* textObject = dynamic_cast<const PWTextObject*>(&object);
    if (textObject && textObject->textFollowsPath() && m_format.layoutMode == PWTextFormat::LayoutInBox)
        return PWTextFormat::LayoutOnPath;
    return m_format.layoutMode;
}

PWTextLayout PWTextAdornment::layoutForObject(const PWRenderable& object) const
{
    PWTextFormat laidOut = format();
    laidOut.layoutMode = layoutModeForObject(object);
    const QString text = textToDraw(object);
    // Runs belong to the object's own text; a sequence number put in changes where they fall.
    if (const auto* textObject = dynamic_cast<const PWTextObject*>(&object); textObject && text == textObject->textContent())
        laidOut.runs = textObject->textRuns();
    return pwtext::layoutForObject(text, laidOut, object);
}

bool PWTextAdornment::textOverflowsForObject(const PWRenderable& object) const
{
    return layoutForObject(object).overflowsBox();
}

namespace {

bool clipsForObject(const PWRenderable& object)
{
    const auto* textObject = dynamic_cast<const PWTextObject*>(&object);
    return textObject && textObject->clipsTextToPath();
}

} // namespace

void PWTextAdornment::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    pwtext::drawLayout(layoutForObject(object), object, clipsForObject(object));
}

QRectF PWTextAdornment::boundsNeededForObject(const PWRenderable& object) const
{
    return pwtext::layoutBounds(layoutForObject(object), object, clipsForObject(object));
}

QString PWTextAdornment::displayName() const
{
    return QStringLiteral("Label Adornment");
}

QStringList PWTextAdornment::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths()
           << kFontKey << kFontSizeKey << kColourKey << kAlignmentKey << kVerticalAlignmentKey << kLayoutModeKey
           << kUnderlinesKey << kStrikethroughsKey << kOutlineColourKey << kOutlineWidthKey
           << kTextKnockoutDistanceKey << kTextKnockoutColourKey << kWrapsLinesKey << kCapitalizationKey
           << kBaselineProportionKey << kBaselineKey << kShadowKey << kTextAttributesKey << kParagraphStyleKey
           << kKerningKey << kSuperscriptKey << kStringKey << kIdentifierKey;
}

void PWTextAdornment::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("Change Font"), kFontKey);
    setActionName(QStringLiteral("Font Size"), kFontSizeKey);
    setActionName(QStringLiteral("Text Colour"), kColourKey);
    setActionName(QStringLiteral("Text Alignment"), kAlignmentKey);
    setActionName(QStringLiteral("Vertical Alignment"), kVerticalAlignmentKey);
    setActionName(QStringLiteral("Text Layout"), kLayoutModeKey);
    setActionName(QStringLiteral("Change Underlining"), kUnderlinesKey);
    setActionName(QStringLiteral("Change Strikethrough"), kStrikethroughsKey);
    setActionName(QStringLiteral("Text Outline Colour"), kOutlineColourKey);
    setActionName(QStringLiteral("Text Outline Width"), kOutlineWidthKey);
    setActionName(QStringLiteral("Text Mask Size"), kTextKnockoutDistanceKey);
    setActionName(QStringLiteral("Text Mask Colour"), kTextKnockoutColourKey);
    setActionName(QStringLiteral("Text Wrapping"), kWrapsLinesKey);
    setActionName(QStringLiteral("Text Capitalization"), kCapitalizationKey);
    setActionName(QStringLiteral("Text Baseline"), kBaselineProportionKey);
    setActionName(QStringLiteral("Baseline Offset"), kBaselineKey);
    setActionName(QStringLiteral("Text Shadow"), kShadowKey);
    setActionName(QStringLiteral("Text Attributes"), kTextAttributesKey);
    setActionName(QStringLiteral("Paragraph Style"), kParagraphStyleKey);
    setActionName(QStringLiteral("Kerning"), kKerningKey);
    setActionName(QStringLiteral("Superscript"), kSuperscriptKey);
    setActionName(QStringLiteral("#kind# Text"), kStringKey);
    setActionName(QStringLiteral("#kind# Identifier"), kIdentifierKey);
}

pf::Ref<pf::Object> PWTextAdornment::copy() const
{
    return std::make_shared<PWTextAdornment>(*this);
}

bool PWTextAdornment::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* t = static_cast<const PWTextAdornment*>(other);
    const PWTextFormat& a = m_format;
    const PWTextFormat& o = t->m_format;
    return a.font == o.font && t->m_colour == m_colour && a.alignment == o.alignment &&
           a.verticalAlignment == o.verticalAlignment && a.layoutMode == o.layoutMode && a.wrapsLines == o.wrapsLines &&
           a.underlines == o.underlines && a.strikethroughs == o.strikethroughs &&
           a.capitalization == o.capitalization && t->m_outlineColour == m_outlineColour &&
           a.outlineWidth == o.outlineWidth && a.knockoutDistance == o.knockoutDistance &&
           t->m_knockoutColour == m_knockoutColour && a.baselineProportion == o.baselineProportion &&
           a.baselineOffset == o.baselineOffset && a.kerning == o.kerning && a.superscript == o.superscript &&
           sameValue(a.shadow, o.shadow) && t->m_string == m_string && t->m_identifier == m_identifier;
}

// Archiving -----------------------------------------------------------------------------------------

namespace {

void encodeColour(pf::KeyedArchiver& coder, const pf::Color& colour, const QString& key)
{
    coder.encodeObject(colour.isValid() ? std::make_shared<pf::Color>(colour) : nullptr, key);
}

pf::Color decodeColour(pf::KeyedUnarchiver& coder, const QString& key)
{
    const pf::Ref<pf::Color> colour = coder.decodeObjectOfClass<pf::Color>(key);
    return colour ? *colour : pf::Color();
}

int decodeChoice(pf::KeyedUnarchiver& coder, const QString& key, bool (*valid)(int), int fallback)
{
    const int value = coder.decodeInt32(key);
    return coder.containsValueForKey(key) && valid(value) ? value : fallback;
}

} // namespace

void PWTextAdornment::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    coder.encodeString(m_format.font.toString(), kFontArchiveKey);
    coder.encodeDouble(fontSize(), kFontSizeArchiveKey);
    encodeColour(coder, m_colour, kColourArchiveKey);
    coder.encodeInt32(m_format.alignment, kAlignmentArchiveKey);
    coder.encodeInt32(m_format.verticalAlignment, kVerticalAlignmentArchiveKey);
    coder.encodeInt32(m_format.layoutMode, kLayoutModeArchiveKey);
    coder.encodeInt32(m_format.underlines, kUnderlinesArchiveKey);
    coder.encodeInt32(m_format.strikethroughs, kStrikethroughsArchiveKey);
    encodeColour(coder, m_outlineColour, kOutlineColourArchiveKey);
    coder.encodeDouble(m_format.outlineWidth, kOutlineWidthArchiveKey);
    coder.encodeDouble(m_format.knockoutDistance, kKnockoutDistanceArchiveKey);
    encodeColour(coder, m_knockoutColour, kKnockoutColourArchiveKey);
    coder.encodeBool(m_format.wrapsLines, kWrapsLinesArchiveKey);
    coder.encodeInt32(m_format.capitalization, kCapitalizationArchiveKey);
    coder.encodeDouble(m_format.baselineProportion, kBaselineProportionArchiveKey);
    coder.encodeDouble(m_format.baselineOffset, kBaselineArchiveKey);
    coder.encodeObject(m_format.shadow, kShadowArchiveKey);
    coder.encodeDouble(m_format.kerning, kKerningArchiveKey);
    coder.encodeInt32(m_format.superscript, kSuperscriptArchiveKey);
    coder.encodeString(m_string, kStringArchiveKey);
    coder.encodeString(m_identifier, kIdentifierArchiveKey);
}

void PWTextAdornment::initWithCoder(pf::KeyedUnarchiver& coder)
{
    using pw::renderers::clampedValue;
    PWRasterizer::initWithCoder(coder);
    const PWTextFormat defaults;
    // Values a damaged archive could hold that no setter accepts are clamped or fall back to
    // the defaults.
    QFont font = defaults.font;
    const QString fontDescription = coder.decodeString(kFontArchiveKey);
    if (!fontDescription.isEmpty() && !font.fromString(fontDescription))
        font = defaults.font;
    const double size = coder.containsValueForKey(kFontSizeArchiveKey) ? coder.decodeDouble(kFontSizeArchiveKey)
                                                                        : defaults.font.pointSizeF();
    font.setPointSizeF(clampedValue(size, kMinFontSize, kMaxFontSize, defaults.font.pointSizeF()));
    m_format.font = font;
    m_colour = coder.containsValueForKey(kColourArchiveKey) ? decodeColour(coder, kColourArchiveKey)
                                                            : pf::Color::black();
    m_format.alignment = decodeChoice(coder, kAlignmentArchiveKey, validAlignment, defaults.alignment);
    m_format.verticalAlignment =
        decodeChoice(coder, kVerticalAlignmentArchiveKey, validVerticalAlignment, defaults.verticalAlignment);
    m_format.layoutMode = decodeChoice(coder, kLayoutModeArchiveKey, validLayoutMode, defaults.layoutMode);
    m_format.underlines = clampedLineStyle(coder.decodeInt32(kUnderlinesArchiveKey));
    m_format.strikethroughs = clampedLineStyle(coder.decodeInt32(kStrikethroughsArchiveKey));
    m_outlineColour = decodeColour(coder, kOutlineColourArchiveKey);
    m_format.outlineWidth =
        clampedValue(coder.decodeDouble(kOutlineWidthArchiveKey), -kMaxOutlineWidth, kMaxOutlineWidth, 0.0);
    m_format.knockoutDistance =
        clampedValue(coder.decodeDouble(kKnockoutDistanceArchiveKey), 0.0, kMaxKnockoutDistance, 0.0);
    m_knockoutColour = decodeColour(coder, kKnockoutColourArchiveKey);
    m_format.wrapsLines =
        coder.containsValueForKey(kWrapsLinesArchiveKey) ? coder.decodeBool(kWrapsLinesArchiveKey) : true;
    m_format.capitalization = decodeChoice(coder, kCapitalizationArchiveKey, validCapitalization, 0);
    m_format.baselineProportion = clampedValue(coder.decodeDouble(kBaselineProportionArchiveKey),
                                               -kMaxBaselineProportion, kMaxBaselineProportion, 0.0);
    m_format.baselineOffset = clampedValue(coder.decodeDouble(kBaselineArchiveKey), -kMaxBaseline, kMaxBaseline, 0.0);
    m_format.shadow = coder.decodeObjectOfClass<pf::Shadow>(kShadowArchiveKey);
    m_format.kerning = clampedValue(coder.decodeDouble(kKerningArchiveKey), -kMaxKerning, kMaxKerning, 0.0);
    m_format.superscript = std::clamp(coder.decodeInt32(kSuperscriptArchiveKey), -kMaxSuperscript, kMaxSuperscript);
    m_string = coder.decodeString(kStringArchiveKey);
    m_identifier = coder.decodeString(kIdentifierArchiveKey);
}
