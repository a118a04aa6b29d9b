#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QFont>
#include <QString>

namespace pf {

// A font as the interface asks for it: a family, a face (the family's style name) and a point
// size, resolved to a QFont. Its name is PostScript-like, "Family-Face" with the spaces taken
// out and a regular face left off ("Helvetica", "Helvetica-Bold", "DejaVuSans-BoldOblique").
// Families the platform the interface was drawn on has and Linux lacks (Helvetica, Monaco,
// Times, ...) stand for the fontconfig match of their kind. A default-made font is invalid.
// Archived by name and size.
class Font : public Object, public Coding {
    PF_CLASS(Font)
public:
    // Trait masks with the platform's values, for conversions and traits().
    enum TraitMask : unsigned {
        ItalicFontMask = 0x00000001,
        BoldFontMask = 0x00000002,
        UnboldFontMask = 0x00000004,
        UnitalicFontMask = 0x01000000,
    };

    Font() = default;
    Font(const Font& other) = default;
    Font& operator=(const Font& other)
    {
        m_family = other.m_family;
        m_face = other.m_face;
        m_font = other.m_font;
        m_valid = other.m_valid;
        return *this;
    }

    static constexpr double kSystemFontSize = 13.0;
    static constexpr double kSmallSystemFontSize = 11.0;

    // Interface sizes are given in the points of a desktop whose text is kSystemFontSize
    // points (controls 13, small controls 11, mini 9). This is the size that stands for
    // `designSize` here: scaled by the application font's size over kSystemFontSize, so that
    // controls show in the desktop's own text size, as the rest of the interface does.
    static double interfaceSize(double designSize);
    // The interface font at `size` points; a size that is not positive means kSystemFontSize.
    static Font systemFont(double size);
    static Font boldSystemFont(double size);
    // The font named `name`: a PostScript-like name ("Helvetica-Bold"), a family and face
    // ("Helvetica Bold", "DejaVu Sans Bold Oblique") or a family alone. Invalid when no
    // family of that name exists here (nor stands in for it) or the face is not one of the
    // family's and says no weight or slant either.
    static Font fromName(const QString& name, double size);
    // The font a QFont resolves to, named by its family and matched style.
    static Font fromQFont(const QFont& font);

    bool isValid() const { return m_valid; }
    QString familyName() const { return m_family; }
    QString faceName() const { return m_face; }
    QString fontName() const;
    // "Family Face", the regular face left off.
    QString displayName() const;
    double pointSize() const { return m_valid ? m_font.pointSizeF() : 0.0; }
    QFont qFont() const { return m_font; }

    // ItalicFontMask and BoldFontMask as they apply.
    unsigned traits() const;
    bool isBold() const { return traits() & BoldFontMask; }
    bool isItalic() const { return traits() & ItalicFontMask; }

    // Conversions; each answers this font unchanged when the result cannot be made, as the
    // platform's font manager does.
    Font withSize(double size) const;
    Font withFamily(const QString& family) const;
    // `face` is a style name of this family ("Bold") or a whole font name ("Helvetica-Bold"),
    // which may name another family.
    Font withFace(const QString& face) const;
    // One of the trait masks (or several): adds or removes bold and italic.
    Font withTraits(unsigned traitMask) const;

    bool operator==(const Font& other) const;
    bool operator!=(const Font& other) const { return !(*this == other); }

    Ref<Object> copy() const override;
    bool isEqual(const Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;

    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;

private:
    static Font make(const QString& family, const QString& face, double size, bool bold, bool italic);

    QString m_family;
    QString m_face;
    QFont m_font;
    bool m_valid = false;
};

} // namespace pf
