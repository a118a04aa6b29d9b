#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace pf {

// The platform's text attribute names. Values: a Ref<Font>, Ref<Color>s, a
// Ref<ParagraphStyle>, a Ref<Shadow>, numbers for the rest.
inline const QString kFontAttributeName = QStringLiteral("NSFont");
inline const QString kForegroundColorAttributeName = QStringLiteral("NSColor");
inline const QString kBackgroundColorAttributeName = QStringLiteral("NSBackgroundColor");
inline const QString kParagraphStyleAttributeName = QStringLiteral("NSParagraphStyle");
inline const QString kUnderlineStyleAttributeName = QStringLiteral("NSUnderline");
inline const QString kStrikethroughStyleAttributeName = QStringLiteral("NSStrikethrough");
inline const QString kShadowAttributeName = QStringLiteral("NSShadow");
inline const QString kBaselineOffsetAttributeName = QStringLiteral("NSBaselineOffset");
// Percent of the font size; positive strokes only (outline), negative strokes and fills.
inline const QString kStrokeWidthAttributeName = QStringLiteral("NSStrokeWidth");
inline const QString kStrokeColorAttributeName = QStringLiteral("NSStrokeColor");
inline const QString kKernAttributeName = QStringLiteral("NSKern");
// Positive raises to superscript, negative lowers to subscript.
inline const QString kSuperscriptAttributeName = QStringLiteral("NSSuperScript");

// A range of UTF-16 positions.
struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;
    qsizetype end() const { return location + length; }
    bool operator==(const TextRange& other) const = default;
};

// A string with attributes over runs of it. Neighbouring runs with equal attributes are
// merged, so runs() is the fewest runs that describe the string. Ranges outside the string
// are clipped to it.
class AttributedString {
public:
    struct Run {
        qsizetype length = 0;
        QVariantMap attributes;
    };

    AttributedString() = default;
    explicit AttributedString(const QString& string, const QVariantMap& attributes = {});

    const QString& string() const { return m_string; }
    qsizetype length() const { return m_string.size(); }
    bool isEmpty() const { return m_string.isEmpty(); }
    const QList<Run>& runs() const { return m_runs; }

    // The attributes at `index` and, when asked, the run they hold over. Empty past the end.
    QVariantMap attributesAtIndex(qsizetype index, TextRange* effectiveRange = nullptr) const;
    QVariant attributeAtIndex(const QString& name, qsizetype index) const;

    void setAttributes(const QVariantMap& attributes, TextRange range);
    void addAttribute(const QString& name, const QVariant& value, TextRange range);
    void addAttributes(const QVariantMap& attributes, TextRange range);
    void removeAttribute(const QString& name, TextRange range);
    // Replaces the characters of `range`; the new text takes the attributes of the first
    // replaced character (or of the one before when the range is empty).
    void replaceCharacters(TextRange range, const QString& string);
    void append(const AttributedString& other);
    AttributedString substring(TextRange range) const;

    bool operator==(const AttributedString& other) const;

private:
    TextRange clipped(TextRange range) const;
    // Splits runs so that a run starts at `index`; answers that run's position in m_runs.
    qsizetype splitAt(qsizetype index);
    void coalesce();

    QString m_string;
    QList<Run> m_runs;
};

} // namespace pf

Q_DECLARE_METATYPE(pf::AttributedString)
