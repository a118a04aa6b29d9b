#pragma once

#include "frameworks/penwork/drawables/PWDrawableShape.h"

#include <QFont>
#include <QVariantMap>

class PWRasterizer;

// Attributes of the text objects' attribute dictionary that the plain text drawing reads: a
// QFont (or a family name), a size in points and a QColor.
inline const QString kPWTextFontAttribute = QStringLiteral("font");
inline const QString kPWTextFontSizeAttribute = QStringLiteral("fontSize");
inline const QString kPWTextColourAttribute = QStringLiteral("colour");

// What text shapes and text paths share: the text model, the look-up of the style's text
// adornment, the attribute dictionary's archiving and the font and colour the attributes give.
namespace pwtext {

// The first renderer of class "PWTextAdornment" in the style; null without a style or while
// no class of that name is registered.
pf::Ref<PWRasterizer> textAdornmentInStyle(const PWStyle* style);
// Whether the style draws anything besides text (renderers other than groups and text
// adornments).
bool styleHasGraphics(const PWStyle* style);
QFont fontFromAttributes(const QVariantMap& attributes);
QColor colourFromAttributes(const QVariantMap& attributes);
// Attributes as a property list and back: fonts and colours travel as tagged strings, values a
// property list cannot hold are left out.
QVariantMap archivableAttributes(const QVariantMap& attributes);
QVariantMap attributesFromArchive(const QVariantMap& stored);

} // namespace pwtext

// Text in a box: the shape's outline is the box, and the text is laid out inside it, wrapped
// at its width. The text's own look (font, size, colour, alignment ...) belongs to the style's
// text adornment once there is one; until then the plain drawing here reads the text
// attributes.
class PWTextShape : public PWDrawableShape {
    PF_CLASS(PWTextShape)
public:
    PWTextShape();
    PWTextShape(const PWTextShape& other);

    static pf::Ref<PWTextShape> textShapeWithRect(const QRectF& rect, const QString& text,
                                                  pf::Ref<PWStyle> style = nullptr);

    // Class settings.
    // False refuses styles that draw anything but text.
    static bool allowsGraphicStyle();
    static void setAllowsGraphicStyle(bool allows);
    // Whether a mark is drawn when the text does not fit its box.
    static bool showsTextOverflowIndicator();
    static void setShowsTextOverflowIndicator(bool shows);
    static bool allowsInlineImages();
    static void setAllowsInlineImages(bool allows);
    static bool returnInsertsNewline();
    static void setReturnInsertsNewline(bool inserts);
    static bool startEditingOnObjectCreation();
    static void setStartEditingOnObjectCreation(bool starts);
    // The layout modes a text shape takes: every mode from 0 on.
    static bool acceptsLayoutMode(int mode) { return mode >= 0; }

    QString text() const { return m_text; }
    void setText(const QString& text);
    QVariantMap textAttributes() const { return m_attributes; }
    void setTextAttributes(const QVariantMap& attributes);
    // Drawing of the text is kept inside the outline.
    bool clipsToPath() const { return m_clipsToPath; }
    void setClipsToPath(bool clips);
    // How the text is laid out; values acceptsLayoutMode refuses are ignored.
    int layoutMode() const { return m_layoutMode; }
    void setLayoutMode(int mode);

    pf::Ref<PWRasterizer> textAdornment() const;
    // Whether the wrapped text is taller than the box.
    bool textOverflows() const;

    void setStyle(pf::Ref<PWStyle> style) override;
    bool validateStyle(QVariant* value, pf::Error* error) override;

    void drawContentWithStyle(PWStyle* style) override;
    QStringList searchableStrings() const override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void drawText();
    // A change that shows but leaves the geometry alone: announced around `change`.
    void changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                    const std::function<void()>& change);

    QString m_text;
    QVariantMap m_attributes;
    bool m_clipsToPath = false;
    int m_layoutMode = 0;
};
