#pragma once

#include "frameworks/penwork/drawables/PWTextRun.h"

#include "platform/foundation/Object.h"
#include "platform/graphics/Shadow.h"

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTextLayout>
#include <QTransform>
#include <QVariantMap>

#include <functional>
#include <memory>

class PWRenderable;
class PWStyle;
class PWTextAdornment;
class QFontMetricsF;
class QPainter;
class QTextCharFormat;
class QTextDocument;

namespace pf {
class BezierPath;
class GraphicsContext;
class KeyedArchiver;
class KeyedUnarchiver;
}

// Names of text attributes. The plain text drawing of text objects reads font, size and colour;
// a text adornment reads and writes all of them through its textAttributes.
inline const QString kPWTextFontAttribute = QStringLiteral("font");                   // QFont or family
inline const QString kPWTextFontSizeAttribute = QStringLiteral("fontSize");           // points
inline const QString kPWTextColourAttribute = QStringLiteral("colour");               // QColor
inline const QString kPWTextUnderlineAttribute = QStringLiteral("underline");         // int style
inline const QString kPWTextStrikethroughAttribute = QStringLiteral("strikethrough"); // int style
inline const QString kPWTextShadowAttribute = QStringLiteral("shadow");               // Ref<pf::Shadow>
inline const QString kPWTextParagraphStyleAttribute = QStringLiteral("paragraphStyle"); // QVariantMap
inline const QString kPWTextBaselineOffsetAttribute = QStringLiteral("baselineOffset"); // points, up
inline const QString kPWTextStrokeWidthAttribute = QStringLiteral("strokeWidth");     // % of size
inline const QString kPWTextStrokeColourAttribute = QStringLiteral("strokeColour");   // QColor
inline const QString kPWTextKernAttribute = QStringLiteral("kern");                   // points
inline const QString kPWTextSuperscriptAttribute = QStringLiteral("superscript");     // int level
// The framework's own attributes.
inline const QString PWTextKnockoutDistanceAttributeName = QStringLiteral("PWTextKnockoutDistance");
inline const QString PWTextKnockoutColourAttributeName = QStringLiteral("PWTextKnockoutColour");
inline const QString kPWTextCapitalizationAttribute = QStringLiteral("PWTextCapitalization");
inline const QString kPWTextVerticalAlignmentAttribute = QStringLiteral("PWTextVerticalAlignment");
inline const QString kPWTextLayoutModeAttribute = QStringLiteral("PWTextLayoutMode");
inline const QString kPWTextBaselineProportionAttribute = QStringLiteral("PWTextBaselineProportion");
// Keys of a paragraph style.
inline const QString kPWParagraphAlignmentKey = QStringLiteral("alignment");
inline const QString kPWParagraphWrapsLinesKey = QStringLiteral("wrapsLines");


// How text looks and where it goes. The values are the ones the text inspector's controls
// carry as their tags.
struct PWTextFormat {
    enum Alignment : int { AlignLeft = 0, AlignRight = 1, AlignCentre = 2, AlignJustified = 3, AlignNatural = 4 };
    // AlignBaseline puts the first line's baseline at baselineProportion of the box's height;
    // AlignUnset draws as AlignTop (the inspector shows no segment for it).
    enum VerticalAlignment : int { AlignTop = 0, AlignMiddle = 1, AlignBottom = 2, AlignBaseline = 3, AlignUnset = 4 };
    enum LayoutMode : int { LayoutInBox = 0, LayoutOnPath = 1, LayoutCentredOnPath = 2 };
    enum Capitalization : int { CapsNone = 0, CapsUpper = 1, CapsLower = 2, CapsTitle = 3, CapsSmall = 4 };
    // Underline and strikethrough styles: 0 none, 2 thick, 9 double, any other positive single.
    enum LineStyle : int { LineNone = 0, LineSingle = 1, LineThick = 2, LineDouble = 9 };

    QFont font = defaultFont();
    QColor colour = Qt::black;
    int alignment = AlignLeft;
    int verticalAlignment = AlignTop;
    int layoutMode = LayoutInBox;
    bool wrapsLines = true;
    int underlines = LineNone;
    int strikethroughs = LineNone;
    int capitalization = CapsNone;
    // An invalid outline colour outlines in the text colour. The width is a percentage of the
    // font size: positive outlines only, negative fills and outlines, 0 fills only.
    QColor outlineColour;
    double outlineWidth = 0.0;
    // A halo this far round the glyphs, in knockoutColour, or cut out of what lies beneath
    // when that colour is invalid.
    double knockoutDistance = 0.0;
    QColor knockoutColour;
    // Along a path: the text is lowered by this share of its ascent (0 sits on the path).
    double baselineProportion = 0.0;
    // Points the text is raised by.
    double baselineOffset = 0.0;
    // Extra points between characters.
    double kerning = 0.0;
    // Positive levels raise and shrink the text, negative lower and shrink it.
    int superscript = 0;
    pf::Ref<pf::Shadow> shadow;
    // Stretches of the text in other fonts or colours, in order, not overlapping.
    PWTextRuns runs;

    // Helvetica-like sans serif, 12 points.
    static QFont defaultFont();
    // The look plain attributes give: font (or family), size and colour; the rest as defaults.
    static PWTextFormat fromAttributes(const QVariantMap& attributes);
};

// Text laid out in a box or along a path as glyph outlines, ready to draw and measure.
class PWTextLayout {
public:
    PWTextLayout(const QString& text, const PWTextFormat& format);

    // In a box of `box` ((0, 0) its top-left corner), wrapped at its width when the format
    // wraps, aligned within it.
    void layOutInBox(const QSizeF& box);
    // Along `path` glyph by glyph, each turned to the path where its middle falls: from the
    // start (aligned as the format says) for LayoutOnPath, centred on the path's length for
    // LayoutCentredOnPath. Glyphs that would fall off either end are left out.
    void layOutAlongPath(const pf::BezierPath& path, int mode);

    // Moves the laid-out glyphs by `transform` (from the box into the object's coordinates).
    void transform(const QTransform& transform);

    // The glyph outlines with their underlines and strikethroughs.
    const QPainterPath& glyphs() const { return m_glyphs; }
    // The glyphs by the colour they are filled with (an invalid colour: the format's).
    const QList<std::pair<QPainterPath, QColor>>& colouredGlyphs() const { return m_coloured; }
    // The mode the text was laid out in.
    int layoutMode() const { return m_mode; }
    // Box layouts: the height of all lines, and whether they do not fit the box (along a
    // path: whether the text is longer than the path).
    double textHeight() const { return m_textHeight; }
    bool overflowsBox() const { return m_overflows; }
    // What drawing touches: the glyphs grown by their outline and knockout halo, with the
    // shadow when `withShadow`.
    QRectF inkBounds(bool withShadow = true) const;

    // Draws into the context's current user space: the knockout halo, then the glyphs with
    // the shadow, filled and outlined.
    void draw(pf::GraphicsContext& context) const;

private:
    QString displayedText() const;
    QFont displayedFont() const;
    QFont displayedFont(const QFont& base) const;
    void addDecorations(QPainterPath& path, const QFontMetricsF& metrics, double x, double width,
                        double baseline) const;
    double outlinePenWidth() const;
    // The runs that fit `length` characters, as layout formats of the displayed fonts.
    QList<QTextLayout::FormatRange> formatRanges(int length, double unitScale) const;
    // Stretches of `length` characters with their fill colour (invalid: the format's), in order.
    QList<std::pair<std::pair<int, int>, QColor>> colourSegments(int length) const;

    QString m_text;
    PWTextFormat m_format;
    QPainterPath m_glyphs;
    QList<std::pair<QPainterPath, QColor>> m_coloured;
    double m_textHeight = 0.0;
    bool m_overflows = false;
    int m_mode = PWTextFormat::LayoutInBox;
};

// What the text adornment and the text tools ask of an object that holds its own text.
class PWTextObject {
public:
    virtual ~PWTextObject() = default;
    virtual QString textContent() const = 0;
    virtual bool clipsTextToPath() const = 0;
    // Whether the text always runs along the object's path (never in a box).
    virtual bool textFollowsPath() const = 0;
    // Stretches of the text in their own fonts or colours.
    virtual PWTextRuns textRuns() const { return {}; }
};

// The text model text shapes and text paths share, with its archiving.
struct PWTextContent {
    QString text;
    QVariantMap attributes;
    bool clipsToPath = false;
    int layoutMode = 0;
    PWTextRuns runs;

    // Keys are `prefix` followed by "_text", "_attributes", "_clipsToPath", "_layoutMode" and,
    // for text with runs, "_runs". Runs that do not fit the text are dropped when read.
    void encode(pf::KeyedArchiver& coder, const QString& prefix) const;
    // A layout mode `accepts` refuses becomes `defaultMode`.
    void decode(pf::KeyedUnarchiver& coder, const QString& prefix, bool (*accepts)(int), int defaultMode);
};

namespace pwtext {

// The style's first text adornment; null without a style.
pf::Ref<PWTextAdornment> textAdornmentInStyle(const PWStyle* style);
// Whether the style draws anything besides text (renderers other than groups and text
// adornments).
bool styleHasGraphics(const PWStyle* style);
QFont fontFromAttributes(const QVariantMap& attributes);
QColor colourFromAttributes(const QVariantMap& attributes);
// Attributes as a property list and back: fonts and colours travel as tagged strings, values a
// property list cannot hold are left out.
QVariantMap archivableAttributes(const QVariantMap& attributes);
QVariantMap attributesFromArchive(const QVariantMap& stored);

// From an object's box ((0, 0) its top-left, its size) to the coordinates it renders in:
// placed, turned and offset like the object. Not invertible for an object of no area.
QTransform boxTransform(const PWRenderable& object);

// `text` laid out for `object` as `format` says: in the object's box, mapped to the coordinates
// the object renders in, for LayoutInBox; else along its rendering path.
PWTextLayout layoutForObject(const QString& text, const PWTextFormat& format, const PWRenderable& object);
// Draws a layout made for `object` into the current context; box text is kept inside the
// object's outline when `clips`. Nothing without a current context.
void drawLayout(const PWTextLayout& layout, const PWRenderable& object, bool clips);
// The area drawLayout touches.
QRectF layoutBounds(const PWTextLayout& layout, const PWRenderable& object, bool clips);
// `styleBounds` grown by the text the plain drawing shows (the text of an object whose style
// has no text adornment): the style's bounds leave that text out.
QRectF withPlainTextBounds(const QRectF& styleBounds, const QString& text, const PWTextFormat& format,
                           const PWRenderable& object, bool clips);

// The mark drawn at the bottom right of a box whose text does not all fit: a small boxed plus.
void drawOverflowIndicator(QPainter& painter, const QSizeF& box);

// A document to edit `text` in, set up with the format's font, colour and alignment and, when
// `width` is positive, that text width.
// The format's runs are put on the text.
std::unique_ptr<QTextDocument> editingDocument(const QString& text, const PWTextFormat& format, double width);

} // namespace pwtext
