#pragma once

#include "frameworks/penwork/drawables/PWDrawablePath.h"

#include "frameworks/penwork/drawables/PWTextLayout.h"

#include <QVariantMap>

#include <memory>

class PWTextAdornment;
class QTextDocument;

// Text set along a path: the path is drawn with the style, and the text follows it glyph by
// glyph, each turned to the path where it falls. Only the layout modes that follow a path (1
// and 2) apply to it: a style's adornment set to lay text in a box still lays it on the path.
class PWTextPath : public PWDrawablePath, public PWTextObject {
    PF_CLASS(PWTextPath)
public:
    static constexpr int kLayoutAlongPath = 1;
    static constexpr int kLayoutAlongPathCentred = 2;

    PWTextPath();
    PWTextPath(const PWTextPath& other);

    static pf::Ref<PWTextPath> textPathWithPath(const pf::BezierPath& path, const QString& text,
                                                pf::Ref<PWStyle> style = nullptr);

    // False refuses styles that draw anything but text.
    static bool allowsGraphicStyle();
    static void setAllowsGraphicStyle(bool allows);
    static bool acceptsLayoutMode(int mode) { return mode == kLayoutAlongPath || mode == kLayoutAlongPathCentred; }

    QString text() const { return m_content.text; }
    void setText(const QString& text);
    QVariantMap textAttributes() const { return m_content.attributes; }
    void setTextAttributes(const QVariantMap& attributes);
    // Kept for the inspector; text along a path is never clipped.
    bool clipsToPath() const { return m_content.clipsToPath; }
    void setClipsToPath(bool clips);
    // How the plain drawing lays the text: kLayoutAlongPath (from the start) or
    // kLayoutAlongPathCentred (centred on the path's length); other values are ignored.
    int layoutMode() const { return m_content.layoutMode; }
    void setLayoutMode(int mode);

    // The style's first text adornment, or null.
    pf::Ref<PWTextAdornment> textAdornment() const;
    // The look the text is drawn with: the adornment's, or the plain attributes'.
    PWTextFormat textFormat() const;

    // Inline editing: the frame is the laid-out text's area in the path's coordinates (the
    // path's bounds while there is no text), editingTransform the identity. The document holds
    // the text on one line with the font, colour and alignment it is drawn with.
    QRectF editingFrame() const;
    QTransform editingTransform() const { return QTransform(); }
    std::unique_ptr<QTextDocument> editingDocument() const;
    // Stores the edited text as one undo step named "Typing"; nothing when it is unchanged or
    // the path is locked.
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
    bool textFollowsPath() const override { return true; }

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
    void changeText(const QString& key, const QString& setter, const QVariant& oldValue,
                    const std::function<void()>& change);

    PWTextContent m_content{QString(), QVariantMap(), false, kLayoutAlongPath, {}};
};
