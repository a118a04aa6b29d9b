#pragma once

#include "frameworks/penwork/drawables/PWDrawableShape.h"

#include "frameworks/penwork/drawables/PWTextLayout.h"

#include <QFont>

#include <functional>
#include <QVariantMap>

#include <memory>

class PWTextAdornment;
class QTextDocument;

// Text in a box: the shape's outline is the box, and the text is laid out inside it, wrapped
// at its width. The text's look (font, size, colour, alignment, layout ...) belongs to the
// style's text adornment; a style without one gets the plain drawing, which reads the text
// attributes and the shape's own layout mode.
class PWTextShape : public PWDrawableShape, public PWTextObject {
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

    QString text() const { return m_content.text; }
    void setText(const QString& text);
    QVariantMap textAttributes() const { return m_content.attributes; }
    void setTextAttributes(const QVariantMap& attributes);
    // Drawing of the text is kept inside the outline (otherwise text that does not fit shows
    // beyond the box).
    bool clipsToPath() const { return m_content.clipsToPath; }
    void setClipsToPath(bool clips);
    // How the plain drawing lays the text out (PWTextFormat::LayoutMode: in the box, or along
    // the outline); values acceptsLayoutMode refuses are ignored. An adornment has its own.
    int layoutMode() const { return m_content.layoutMode; }
    void setLayoutMode(int mode);

    // The style's first text adornment, or null.
    pf::Ref<PWTextAdornment> textAdornment() const;
    // The look the text is drawn with: the adornment's, or the plain attributes'.
    PWTextFormat textFormat() const;
    // Whether the laid-out text does not fit the box.
    bool textOverflows() const;

    // Inline editing. The frame is the box in its own coordinates ((0, 0) its top-left);
    // editingTransform takes it to where the shape renders. The document holds the text with
    // the font, colour and alignment it is drawn with, as wide as the box when lines wrap.
    QRectF editingFrame() const;
    QTransform editingTransform() const;
    std::unique_ptr<QTextDocument> editingDocument() const;
    // Stores the edited text as one undo step named "Typing"; nothing when it is unchanged or
    // the shape is locked.
    void commitEditedText(const QString& text);
    // The same with the runs of fonts and colours the text was typed in; one undo step.
    void commitEditedText(const QString& text, const PWTextRuns& runs);

    // Stretches of the text in their own fonts or colours; runs beyond the text are dropped.
    PWTextRuns textRuns() const override { return m_content.runs; }
    void setTextRuns(const PWTextRuns& runs);
    // Each run's font converted (the inspector's family, face, trait and size changes reach
    // the typed runs too); one undo entry with the change that calls it.
    void convertRunFonts(const std::function<QFont(const QFont&)>& convert);

    QString textContent() const override { return m_content.text; }
    bool clipsTextToPath() const override { return m_content.clipsToPath; }
    bool textFollowsPath() const override { return false; }

    void setStyle(pf::Ref<PWStyle> style) override;
    bool validateStyle(QVariant* value, pf::Error* error) override;

    // The style's area united with the plain drawing's text.
    QRectF bounds() const override;
    void drawContentWithStyle(PWStyle* style) override;
    QStringList searchableStrings() const override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    void drawPlainText();
    void drawOverflowIndicator(const PWTextAdornment* adornment);
    // A change that shows but leaves the geometry alone: announced around `change`.
    void changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                    const std::function<void()>& change);

    PWTextContent m_content;
};
