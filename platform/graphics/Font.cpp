#include "platform/graphics/Font.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <cmath>
#include <optional>

PF_DEFINE_CLASS_NAMED(pf::Font, pf::Object, "pf::Font")
{
    b.protocol(pf::kCodingProtocol);
    b.property("fontName", &pf::Font::fontName);
    b.property("familyName", &pf::Font::familyName);
    b.property("pointSize", &pf::Font::pointSize);
}

namespace pf {

namespace {

const QString kNameKey = QStringLiteral("NSName");
const QString kSizeKey = QStringLiteral("NSSize");

// Lower case without blanks or hyphens, so "Helvetica-Bold" and "helvetica bold" compare equal.
QString squashed(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (!c.isSpace() && c != u'-')
            out.append(c.toLower());
    }
    return out;
}

// Style names compared with oblique and italic taken as the same slant.
QString squashedStyle(const QString& style)
{
    return squashed(style).replace(QStringLiteral("oblique"), QStringLiteral("italic"));
}

bool isRegularFace(const QString& face)
{
    static const QStringList regular{QString(), QStringLiteral("regular"), QStringLiteral("book"),
                                     QStringLiteral("normal"), QStringLiteral("roman"), QStringLiteral("plain")};
    return regular.contains(squashed(face));
}

// Families of the platform the interface was designed on, standing for the local font of
// their kind.
struct Substitute {
    const char* family;
    QFont::StyleHint hint;
};
constexpr Substitute kSubstitutes[] = {
    {"Helvetica", QFont::SansSerif},      {"Helvetica Neue", QFont::SansSerif},
    {"Lucida Grande", QFont::SansSerif},  {"Arial", QFont::SansSerif},
    {"Monaco", QFont::Monospace},         {"Menlo", QFont::Monospace},
    {"Courier", QFont::Monospace},        {"Courier New", QFont::Monospace},
    {"Times", QFont::Serif},              {"Times New Roman", QFont::Serif},
};

std::optional<Substitute> substituteFor(const QString& family)
{
    for (const Substitute& s : kSubstitutes) {
        if (squashed(QString::fromLatin1(s.family)) == squashed(family))
            return s;
    }
    return std::nullopt;
}

// The installed family of that name, spelt as the database spells it.
std::optional<QString> installedFamily(const QString& name)
{
    const QString wanted = squashed(name);
    if (wanted.isEmpty())
        return std::nullopt;
    for (const QString& family : QFontDatabase::families()) {
        if (squashed(family) == wanted)
            return family;
    }
    return std::nullopt;
}

std::optional<QString> knownFamily(const QString& name)
{
    if (auto installed = installedFamily(name))
        return installed;
    if (auto substitute = substituteFor(name))
        return QString::fromLatin1(substitute->family);
    return std::nullopt;
}

struct FaceTraits {
    int weight = QFont::Normal;
    bool italic = false;
};

// The weight and slant a face name says ("Bold Oblique", "Semibold", "LightItalic"); none
// when it holds anything else.
std::optional<FaceTraits> traitsOfFace(const QString& face)
{
    struct Token {
        const char* text;
        int weight; // 0: not a weight
        bool italic;
    };
    static constexpr Token tokens[] = {
        {"semibold", 600, false},  {"demibold", 600, false},   {"extrabold", 800, false},
        {"ultrabold", 800, false}, {"extralight", 200, false}, {"ultralight", 200, false},
        {"bold", 700, false},      {"heavy", 900, false},      {"black", 900, false},
        {"light", 300, false},     {"thin", 100, false},       {"medium", 500, false},
        {"italic", 0, true},       {"oblique", 0, true},       {"regular", 0, false},
        {"book", 0, false},        {"normal", 0, false},       {"roman", 0, false},
    };
    FaceTraits traits;
    QString rest = squashed(face);
    while (!rest.isEmpty()) {
        bool matched = false;
        for (const Token& token : tokens) {
            const QString text = QString::fromLatin1(token.text);
            if (rest.startsWith(text)) {
                if (token.weight)
                    traits.weight = token.weight;
                traits.italic = traits.italic || token.italic;
                rest.remove(0, text.size());
                matched = true;
                break;
            }
        }
        if (!matched)
            return std::nullopt;
    }
    return traits;
}

QString weightName(int weight)
{
    if (weight <= 150) return QStringLiteral("Thin");
    if (weight <= 250) return QStringLiteral("Extra Light");
    if (weight <= 350) return QStringLiteral("Light");
    if (weight <= 450) return QString();
    if (weight <= 550) return QStringLiteral("Medium");
    if (weight <= 650) return QStringLiteral("Semibold");
    if (weight <= 750) return QStringLiteral("Bold");
    if (weight <= 850) return QStringLiteral("Extra Bold");
    return QStringLiteral("Black");
}

QString faceNameFor(int weight, bool italic, QFont::StyleHint hint)
{
    QString face = weightName(weight);
    if (italic)
        face = (face.isEmpty() ? QString() : face + u' ') + (hint == QFont::Serif ? QStringLiteral("Italic") : QStringLiteral("Oblique"));
    return face.isEmpty() ? QStringLiteral("Regular") : face;
}

double usableSize(double size)
{
    return std::isfinite(size) && size > 0 ? size : Font::kSystemFontSize;
}

} // namespace

Font Font::make(const QString& family, const QString& face, double size, bool bold, bool italic)
{
    Font font;
    size = usableSize(size);
    std::optional<FaceTraits> wanted;
    if (isRegularFace(face))
        wanted = FaceTraits{bold ? int(QFont::Bold) : int(QFont::Normal), italic};
    if (auto installed = installedFamily(family)) {
        const QStringList styles = QFontDatabase::styles(*installed);
        QString style;
        if (!isRegularFace(face)) {
            for (const QString& s : styles) {
                if (squashedStyle(s) == squashedStyle(face))
                    style = s;
            }
            if (style.isEmpty())
                wanted = traitsOfFace(face);
        }
        if (style.isEmpty()) {
            if (!wanted)
                return Font();
            // The family's style closest in weight with the slant asked for.
            int best = 1 << 20;
            for (const QString& s : styles) {
                // Qt counts oblique styles as upright; their names say otherwise.
                const bool slanted = QFontDatabase::italic(*installed, s) || squashedStyle(s).contains(QStringLiteral("italic"));
                if (slanted != wanted->italic)
                    continue;
                const int distance = std::abs(QFontDatabase::weight(*installed, s) - wanted->weight);
                // Of equal weights the plainest name: "Bold" before "Condensed Bold".
                if (distance < best || (distance == best && s.size() < style.size())) {
                    best = distance;
                    style = s;
                }
            }
        }
        if (style.isEmpty())
            return Font();
        font.m_font = QFontDatabase::font(*installed, style, int(std::lround(size)));
        font.m_font.setPointSizeF(size);
        font.m_family = *installed;
        font.m_face = style;
        font.m_valid = true;
        return font;
    }
    const std::optional<Substitute> substitute = substituteFor(family);
    if (!substitute)
        return Font();
    if (!wanted)
        wanted = traitsOfFace(face);
    if (!wanted)
        return Font();
    font.m_font.setFamily(QString::fromLatin1(substitute->family));
    font.m_font.setStyleHint(substitute->hint);
    font.m_font.setWeight(QFont::Weight(wanted->weight));
    font.m_font.setItalic(wanted->italic);
    font.m_font.setPointSizeF(size);
    font.m_family = QString::fromLatin1(substitute->family);
    font.m_face = faceNameFor(wanted->weight, wanted->italic, substitute->hint);
    font.m_valid = true;
    return font;
}

double Font::interfaceSize(double designSize)
{
    const double desktop = QGuiApplication::font().pointSizeF();
    if (!(desktop > 0) || !std::isfinite(designSize))
        return designSize;
    return designSize * desktop / kSystemFontSize;
}

Font Font::systemFont(double size)
{
    QFont base = QGuiApplication::font();
    base.setPointSizeF(usableSize(size));
    Font font = fromQFont(base);
    return font.isValid() ? font.withTraits(UnboldFontMask | UnitalicFontMask) : font;
}

Font Font::boldSystemFont(double size)
{
    Font font = systemFont(size);
    return font.withTraits(BoldFontMask);
}

Font Font::fromName(const QString& name, double size)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return Font();
    // PostScript-like: "Family-Face" without blanks.
    if (!trimmed.contains(u' ') && trimmed.contains(u'-')) {
        const qsizetype dash = trimmed.lastIndexOf(u'-');
        if (auto family = knownFamily(trimmed.left(dash))) {
            Font font = make(*family, trimmed.mid(dash + 1), size, false, false);
            if (font.isValid())
                return font;
        }
    }
    // "Family Face": the longest leading run of words that names a family.
    const QStringList words = trimmed.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype count = words.size(); count > 0; --count) {
        auto family = knownFamily(words.mid(0, count).join(u' '));
        if (!family)
            continue;
        return make(*family, words.mid(count).join(u' '), size, false, false);
    }
    return Font();
}

Font Font::fromQFont(const QFont& qfont)
{
    const QFontInfo info(qfont);
    const bool bold = info.weight() >= QFont::DemiBold;
    Font font = make(info.family(), QString(), qfont.pointSizeF(), bold, info.italic());
    if (!font.isValid())
        font = make(qfont.family(), QString(), qfont.pointSizeF(), bold, qfont.italic());
    return font;
}

QString Font::fontName() const
{
    if (!m_valid)
        return {};
    QString name = QString(m_family).remove(u' ');
    if (!isRegularFace(m_face))
        name += u'-' + QString(m_face).remove(u' ');
    return name;
}

QString Font::displayName() const
{
    if (!m_valid)
        return {};
    return isRegularFace(m_face) ? m_family : m_family + u' ' + m_face;
}

unsigned Font::traits() const
{
    if (!m_valid)
        return 0;
    unsigned traits = 0;
    if (m_font.weight() >= QFont::DemiBold)
        traits |= BoldFontMask;
    if (m_font.italic() || squashedStyle(m_face).contains(QStringLiteral("italic")))
        traits |= ItalicFontMask;
    return traits;
}

Font Font::withSize(double size) const
{
    if (!m_valid || !std::isfinite(size) || size <= 0)
        return *this;
    Font font = *this;
    font.m_font.setPointSizeF(size);
    return font;
}

Font Font::withFamily(const QString& family) const
{
    if (!m_valid)
        return *this;
    const std::optional<QString> known = knownFamily(family);
    if (!known)
        return *this;
    // The same weight and slant in the other family.
    Font font = make(*known, QString(), pointSize(), isBold(), isItalic());
    return font.isValid() ? font : *this;
}

Font Font::withFace(const QString& face) const
{
    if (!m_valid)
        return *this;
    Font font = make(m_family, face, pointSize(), false, false);
    if (!font.isValid())
        font = fromName(face, pointSize());
    return font.isValid() ? font : *this;
}

Font Font::withTraits(unsigned traitMask) const
{
    if (!m_valid)
        return *this;
    bool bold = isBold();
    bool italic = isItalic();
    if (traitMask & BoldFontMask)
        bold = true;
    if (traitMask & UnboldFontMask)
        bold = false;
    if (traitMask & ItalicFontMask)
        italic = true;
    if (traitMask & UnitalicFontMask)
        italic = false;
    if (bold == isBold() && italic == isItalic())
        return *this;
    const Font font = make(m_family, QString(), pointSize(), bold, italic);
    // A family without such a face leaves the font as it was.
    if (!font.isValid() || font.isBold() != bold || font.isItalic() != italic)
        return *this;
    return font;
}

bool Font::operator==(const Font& other) const
{
    if (m_valid != other.m_valid)
        return false;
    return !m_valid || (fontName() == other.fontName() && pointSize() == other.pointSize());
}

Ref<Object> Font::copy() const
{
    return std::make_shared<Font>(*this);
}

bool Font::isEqual(const Reflective* other) const
{
    const auto* font = dynamic_cast<const Font*>(other);
    return font && *this == *font;
}

size_t Font::hash() const
{
    return qHash(fontName()) ^ qHash(pointSize());
}

QString Font::description() const
{
    return m_valid ? QStringLiteral("%1 %2pt").arg(fontName()).arg(pointSize()) : QStringLiteral("(no font)");
}

void Font::encodeWithCoder(KeyedArchiver& coder) const
{
    if (!m_valid)
        return;
    coder.encodeString(fontName(), kNameKey);
    coder.encodeDouble(pointSize(), kSizeKey);
}

void Font::initWithCoder(KeyedUnarchiver& coder)
{
    if (!coder.containsValueForKey(kNameKey)) {
        *this = Font();
        return;
    }
    const double size = coder.decodeDouble(kSizeKey);
    Font font = fromName(coder.decodeString(kNameKey), size);
    // A font this machine does not have reads as the interface font of that size.
    *this = font.isValid() ? font : systemFont(size);
}

} // namespace pf
