#pragma once

#include "frameworks/penwork/drawables/PWTextLayout.h"
#include "frameworks/penwork/styles/PWRasterizer.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

#include <QFont>
#include <QVariantMap>

// Draws text for the object: the object's own text for text shapes and text paths, else the
// adornment's label string. The text goes in the object's box (turned with it) or along its
// path, glyph by glyph.
//
// Key-value coding (each observable, with undo): "font" (QFont, its size included), "fontSize",
// "colour", "alignment", "verticalAlignment", "layoutMode", "underlines", "strikethroughs",
// "outlineColour", "outlineWidth", "textKnockoutDistance", "textKnockoutColour", "wrapsLines",
// "capitalization", "baselineProportion", "baseline", "shadow", "kerning",
// "superscriptAttribute", "string" (the label), "identifier"; "textAttributes" and
// "paragraphStyle" read all (or the paragraph's) settings as one map and write the ones a map
// holds through the setters above; "fontFamilyName" and "fontName" read only.
//
// The label may hold kSequenceNumberPlaceholder, drawn as the object's sequence number.
class PWTextAdornment : public PWRasterizer {
    PF_CLASS(PWTextAdornment)
public:
    static inline const QString kFontKey = QStringLiteral("font");
    static inline const QString kFontSizeKey = QStringLiteral("fontSize");
    static inline const QString kColourKey = QStringLiteral("colour");
    static inline const QString kAlignmentKey = QStringLiteral("alignment");
    static inline const QString kVerticalAlignmentKey = QStringLiteral("verticalAlignment");
    static inline const QString kLayoutModeKey = QStringLiteral("layoutMode");
    static inline const QString kUnderlinesKey = QStringLiteral("underlines");
    static inline const QString kStrikethroughsKey = QStringLiteral("strikethroughs");
    static inline const QString kOutlineColourKey = QStringLiteral("outlineColour");
    static inline const QString kOutlineWidthKey = QStringLiteral("outlineWidth");
    static inline const QString kTextKnockoutDistanceKey = QStringLiteral("textKnockoutDistance");
    static inline const QString kTextKnockoutColourKey = QStringLiteral("textKnockoutColour");
    static inline const QString kWrapsLinesKey = QStringLiteral("wrapsLines");
    static inline const QString kCapitalizationKey = QStringLiteral("capitalization");
    static inline const QString kBaselineProportionKey = QStringLiteral("baselineProportion");
    static inline const QString kBaselineKey = QStringLiteral("baseline");
    static inline const QString kShadowKey = QStringLiteral("shadow");
    static inline const QString kTextAttributesKey = QStringLiteral("textAttributes");
    static inline const QString kParagraphStyleKey = QStringLiteral("paragraphStyle");
    static inline const QString kKerningKey = QStringLiteral("kerning");
    static inline const QString kSuperscriptKey = QStringLiteral("superscriptAttribute");
    static inline const QString kStringKey = QStringLiteral("string");
    static inline const QString kIdentifierKey = QStringLiteral("identifier");

    // Stands for the object's sequence number in the label (in any letter case).
    static inline const QString kSequenceNumberPlaceholder = QStringLiteral("%%CVLQ_SEQUENCE_NUMBER");
    // Where a sequence number is looked for: the object's (or a container's) "sequenceNumber"
    // key, else this metadata entry.
    static inline const QString kSequenceNumberKey = QStringLiteral("sequenceNumber");
    static inline const QString kSequenceNumberMetadataKey = QStringLiteral("CVLQ_SEQUENCE_NUMBER");

    // Accepted ranges: values beyond are clamped, NaN is refused.
    static constexpr double kMinFontSize = 1.0;
    static constexpr double kMaxFontSize = 5000.0;
    static constexpr double kMaxOutlineWidth = 100.0;     // either sign, percent of the size
    static constexpr double kMaxKnockoutDistance = 1000.0;
    static constexpr double kMaxBaselineProportion = 1.0; // either sign
    static constexpr double kMaxBaseline = 10000.0;       // either sign
    static constexpr double kMaxKerning = 1000.0;         // either sign
    static constexpr int kMaxLineStyle = 0xFFFF;
    static constexpr int kMaxSuperscript = 3;             // either sign

    // Black 12-point sans serif, left and top aligned, in the box, wrapped, no label.
    PWTextAdornment();
    explicit PWTextAdornment(const QString& string);
    PWTextAdornment(const PWTextAdornment& other);
    static pf::Ref<PWTextAdornment> textAdornmentWithString(const QString& string);

    QFont font() const { return m_format.font; }
    // A font without a size keeps the current size; the size is clamped.
    void setFont(const QFont& font);
    double fontSize() const { return m_format.font.pointSizeF(); }
    void setFontSize(double size);
    QString fontFamilyName() const { return m_format.font.family(); }
    // The family and face, as "Family-Face" ("Family" for the regular face).
    QString fontName() const;
    // An invalid colour draws no fill (an outline still shows).
    const pf::Color& colour() const { return m_colour; }
    void setColour(const pf::Color& colour);
    // Values outside PWTextFormat's enumerations are refused.
    int alignment() const { return m_format.alignment; }
    void setAlignment(int alignment);
    int verticalAlignment() const { return m_format.verticalAlignment; }
    void setVerticalAlignment(int alignment);
    int layoutMode() const { return m_format.layoutMode; }
    void setLayoutMode(int mode);
    int capitalization() const { return m_format.capitalization; }
    void setCapitalization(int capitalization);
    // Line styles (PWTextFormat::LineStyle); negative values become 0.
    int underlines() const { return m_format.underlines; }
    void setUnderlines(int underlines);
    int strikethroughs() const { return m_format.strikethroughs; }
    void setStrikethroughs(int strikethroughs);
    // Invalid: the outline takes the text colour.
    const pf::Color& outlineColour() const { return m_outlineColour; }
    void setOutlineColour(const pf::Color& colour);
    // Percent of the font size: positive outlines only, negative fills and outlines.
    double outlineWidth() const { return m_format.outlineWidth; }
    void setOutlineWidth(double width);
    double textKnockoutDistance() const { return m_format.knockoutDistance; }
    void setTextKnockoutDistance(double distance);
    // Invalid (nil): the halo cuts the text free of what lies beneath.
    const pf::Color& textKnockoutColour() const { return m_knockoutColour; }
    void setTextKnockoutColour(const pf::Color& colour);
    bool wrapsLines() const { return m_format.wrapsLines; }
    void setWrapsLines(bool wraps);
    double baselineProportion() const { return m_format.baselineProportion; }
    void setBaselineProportion(double proportion);
    double baseline() const { return m_format.baselineOffset; }
    void setBaseline(double offset);
    double kerning() const { return m_format.kerning; }
    void setKerning(double kerning);
    int superscriptAttribute() const { return m_format.superscript; }
    void setSuperscriptAttribute(int level);
    // Null for none. Edits made to it in place are announced with the key path "shadow".
    pf::Ref<pf::Shadow> shadow() const { return m_format.shadow; }
    void setShadow(const pf::Ref<pf::Shadow>& shadow);

    QVariantMap textAttributes() const;
    // Applies the attributes the map holds (see PWTextLayout.h for their names); values of the
    // wrong kind are skipped.
    void setTextAttributes(const QVariantMap& attributes);
    QVariantMap paragraphStyle() const;
    void setParagraphStyle(const QVariantMap& style);

    QString string() const { return m_string; }
    void setString(const QString& string);
    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString& identifier);

    // Everything above as the layout takes it.
    PWTextFormat format() const;

    // The text drawn for `object`, the sequence-number placeholder replaced.
    QString textToDraw(const PWRenderable& object) const;
    // The layout mode used for `object`: text that follows its path never goes in a box.
    int layoutModeForObject(const PWRenderable& object) const;
    // The text laid out for `object` in the coordinates the object renders in.
    PWTextLayout layoutForObject(const PWRenderable& object) const;
    // Whether the text does not fit the object's box (box layouts only).
    bool textOverflowsForObject(const PWRenderable& object) const;

    void render(const PWRenderable& object) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    // Hit testing uses the object's own outline, not the glyphs.
    bool allowSubstitutionForHitTesting() const override { return true; }
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;

private:
    QString sequenceNumberFor(const PWRenderable& object) const;

    // The colours are kept as given; the format's colour fields are unused.
    PWTextFormat m_format;
    pf::Color m_colour = pf::Color::black();
    pf::Color m_outlineColour;
    pf::Color m_knockoutColour;
    QString m_string;
    QString m_identifier;
};
