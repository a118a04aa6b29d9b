#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include <QtMath>

#include <charconv>
#include <cmath>

namespace pwsvg {

namespace {

bool isSeparator(QChar c) { return c.isSpace() || c == u','; }

void skipSeparators(QStringView text, qsizetype& i)
{
    while (i < text.size() && isSeparator(text[i]))
        ++i;
}

void skipSpaces(QStringView text, qsizetype& i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
}

// The value of `token`, a number in the SVG grammar, as QString::toDouble reads it (correctly
// rounded; nothing for values that overflow, or that underflow to zero from non-zero digits),
// without making a string of it: a document's numbers are read by the hundred thousand.
std::optional<double> numberValue(QStringView token)
{
    char buffer[64];
    if (token.size() >= qsizetype(sizeof buffer)) {
        bool ok = false;
        const double value = token.toDouble(&ok);
        return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    }
    qsizetype length = 0;
    bool nonZeroDigits = false;
    bool inExponent = false;
    for (qsizetype k = 0; k < token.size(); ++k) {
        const char16_t c = token[k].unicode();
        if (c > 0x7f)
            return std::nullopt; // digits of other scripts are not SVG numbers
        if (c == u'+' && k == 0)
            continue; // from_chars takes no leading plus
        if (c == u'e' || c == u'E')
            inExponent = true;
        else if (!inExponent && c >= u'1' && c <= u'9')
            nonZeroDigits = true;
        buffer[length++] = char(c);
    }
    double value = 0.0;
    const auto [end, problem] = std::from_chars(buffer, buffer + length, value);
    if (problem != std::errc() || end != buffer + length || !std::isfinite(value) || (value == 0.0 && nonZeroDigits))
        return std::nullopt;
    return value;
}

// Reads one number in the SVG number grammar at `i`; answers nothing (and leaves `i`) when
// there is none there.
std::optional<double> scanNumber(QStringView text, qsizetype& i)
{
    qsizetype j = i;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
        ++j;
    qsizetype digits = 0;
    while (j < text.size() && text[j].isDigit()) {
        ++j;
        ++digits;
    }
    if (j < text.size() && text[j] == u'.') {
        ++j;
        while (j < text.size() && text[j].isDigit()) {
            ++j;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (j < text.size() && (text[j] == u'e' || text[j] == u'E')) {
        qsizetype k = j + 1;
        if (k < text.size() && (text[k] == u'+' || text[k] == u'-'))
            ++k;
        if (k < text.size() && text[k].isDigit()) {
            while (k < text.size() && text[k].isDigit())
                ++k;
            j = k;
        }
    }
    const std::optional<double> value = numberValue(text.mid(i, j - i));
    if (!value)
        return std::nullopt;
    i = j;
    return value;
}

double clampUnit(double v) { return std::clamp(v, 0.0, 1.0); }

} // namespace

std::optional<double> parseNumber(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    auto value = scanNumber(text, i);
    if (!value || i != text.size())
        return std::nullopt;
    return value;
}

std::optional<Length> parseLength(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    auto value = scanNumber(text, i);
    if (!value)
        return std::nullopt;
    const QString unit = text.mid(i).trimmed().toString().toLower();
    Length length;
    length.value = *value;
    // 72 user units to the inch: one user unit is one point.
    if (unit.isEmpty() || unit == u"px" || unit == u"pt")
        length.value = *value;
    else if (unit == u"pc")
        length.value = *value * 12.0;
    else if (unit == u"in")
        length.value = *value * 72.0;
    else if (unit == u"cm")
        length.value = *value * 72.0 / 2.54;
    else if (unit == u"mm")
        length.value = *value * 72.0 / 25.4;
    else if (unit == u"q")
        length.value = *value * 72.0 / 25.4 / 4.0;
    else if (unit == u"vw")
        length.unit = Length::ViewportWidth;
    else if (unit == u"vh")
        length.unit = Length::ViewportHeight;
    else if (unit == u"vmin")
        length.unit = Length::ViewportMin;
    else if (unit == u"vmax")
        length.unit = Length::ViewportMax;
    else if (unit == u"%")
        length.unit = Length::Percent;
    else if (unit == u"em")
        length.unit = Length::Em;
    else if (unit == u"ex")
        length.unit = Length::Ex;
    else
        return std::nullopt;
    if (!std::isfinite(length.value))
        return std::nullopt;
    return length;
}

double resolveLength(const Length& length, LengthAxis axis, const QSizeF& viewport, double fontSize)
{
    switch (length.unit) {
    case Length::User:
        return length.value;
    case Length::Em:
        return length.value * fontSize;
    case Length::Ex:
        return length.value * fontSize / 2.0;
    case Length::ViewportWidth:
        return length.value / 100.0 * viewport.width();
    case Length::ViewportHeight:
        return length.value / 100.0 * viewport.height();
    case Length::ViewportMin:
        return length.value / 100.0 * std::min(viewport.width(), viewport.height());
    case Length::ViewportMax:
        return length.value / 100.0 * std::max(viewport.width(), viewport.height());
    case Length::Percent:
        break;
    }
    double reference = 0.0;
    if (axis == LengthAxis::Horizontal)
        reference = viewport.width();
    else if (axis == LengthAxis::Vertical)
        reference = viewport.height();
    else
        reference = std::hypot(viewport.width(), viewport.height()) / std::sqrt(2.0);
    return length.value / 100.0 * reference;
}

QList<double> parseNumberList(QStringView text)
{
    QList<double> values;
    qsizetype i = 0;
    skipSeparators(text, i);
    while (i < text.size()) {
        auto value = scanNumber(text, i);
        if (!value)
            return {};
        values.append(*value);
        skipSeparators(text, i);
    }
    return values;
}

QList<QPointF> parsePointList(QStringView text)
{
    // Points read up to the first damage, as renderers draw polylines up to their first error.
    QList<QPointF> points;
    qsizetype i = 0;
    QList<double> pending;
    skipSeparators(text, i);
    while (i < text.size()) {
        auto value = scanNumber(text, i);
        if (!value)
            break;
        pending.append(*value);
        if (pending.size() == 2) {
            points.append(QPointF(pending[0], pending[1]));
            pending.clear();
        }
        skipSeparators(text, i);
    }
    return points;
}

std::optional<QTransform> parseTransform(QStringView text)
{
    QTransform result;
    qsizetype i = 0;
    skipSeparators(text, i);
    while (i < text.size()) {
        qsizetype nameStart = i;
        while (i < text.size() && text[i].isLetter())
            ++i;
        const QString name = text.mid(nameStart, i - nameStart).toString();
        skipSpaces(text, i);
        if (name.isEmpty() || i >= text.size() || text[i] != u'(')
            return std::nullopt;
        ++i;
        QList<double> args;
        skipSeparators(text, i);
        while (i < text.size() && text[i] != u')') {
            auto value = scanNumber(text, i);
            if (!value)
                return std::nullopt;
            args.append(*value);
            skipSeparators(text, i);
        }
        if (i >= text.size())
            return std::nullopt;
        ++i; // ')'
        QTransform t;
        const auto n = args.size();
        if (name == u"matrix" && n == 6) {
            t = QTransform(args[0], args[1], args[2], args[3], args[4], args[5]);
        } else if (name == u"translate" && (n == 1 || n == 2)) {
            t.translate(args[0], n == 2 ? args[1] : 0.0);
        } else if (name == u"scale" && (n == 1 || n == 2)) {
            t.scale(args[0], n == 2 ? args[1] : args[0]);
        } else if (name == u"rotate" && (n == 1 || n == 3)) {
            if (n == 3)
                t.translate(args[1], args[2]);
            t.rotate(args[0]);
            if (n == 3)
                t.translate(-args[1], -args[2]);
        } else if (name == u"skewX" && n == 1) {
            t = QTransform(1, 0, std::tan(qDegreesToRadians(args[0])), 1, 0, 0);
        } else if (name == u"skewY" && n == 1) {
            t = QTransform(1, std::tan(qDegreesToRadians(args[0])), 0, 1, 0, 0);
        } else {
            return std::nullopt;
        }
        // The list applies its last item first: a point goes through t, then the ones before.
        result = t * result;
        skipSeparators(text, i);
    }
    if (!isFinite(result))
        return std::nullopt;
    return result;
}

std::optional<QColor> parseColour(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QString lower = text.toString().toLower();
    if (lower == u"transparent")
        return QColor(0, 0, 0, 0);
    if (lower.startsWith(u"rgb(") || lower.startsWith(u"rgba(")) {
        const qsizetype open = lower.indexOf(u'(');
        if (!lower.endsWith(u')'))
            return std::nullopt;
        const QString inner = lower.mid(open + 1, lower.size() - open - 2);
        QStringList parts = inner.split(u',');
        if (parts.size() == 1)
            parts = inner.simplified().remove(u'/').split(u' ', Qt::SkipEmptyParts);
        if (parts.size() != 3 && parts.size() != 4)
            return std::nullopt;
        double channels[4] = {0, 0, 0, 1};
        for (int k = 0; k < parts.size(); ++k) {
            const QString part = parts[k].trimmed();
            const bool percent = part.endsWith(u'%');
            auto value = parseNumber(percent ? QStringView(part).chopped(1) : QStringView(part));
            if (!value)
                return std::nullopt;
            if (k < 3)
                channels[k] = clampUnit(percent ? *value / 100.0 : *value / 255.0);
            else
                channels[k] = clampUnit(percent ? *value / 100.0 : *value);
        }
        return QColor::fromRgbF(float(channels[0]), float(channels[1]), float(channels[2]), float(channels[3]));
    }
    if (lower.startsWith(u"hsl(") || lower.startsWith(u"hsla(")) {
        // Hue in degrees (any turn), saturation and lightness as percentages, clamped.
        const qsizetype open = lower.indexOf(u'(');
        if (!lower.endsWith(u')'))
            return std::nullopt;
        const QString inner = lower.mid(open + 1, lower.size() - open - 2);
        QStringList parts = inner.split(u',');
        if (parts.size() == 1)
            parts = inner.simplified().remove(u'/').split(u' ', Qt::SkipEmptyParts);
        if (parts.size() != 3 && parts.size() != 4)
            return std::nullopt;
        double values[4] = {0, 0, 0, 1};
        for (int k = 0; k < parts.size(); ++k) {
            QString part = parts[k].trimmed();
            if (k == 0 && part.endsWith(QStringLiteral("deg")))
                part.chop(3);
            const bool percent = part.endsWith(u'%');
            auto value = parseNumber(percent ? QStringView(part).chopped(1) : QStringView(part));
            if (!value)
                return std::nullopt;
            values[k] = percent || (k == 1 || k == 2) ? *value / 100.0 : *value;
        }
        const double hue = std::fmod(std::fmod(values[0], 360.0) + 360.0, 360.0) / 360.0;
        return QColor::fromHslF(float(hue), float(clampUnit(values[1])), float(clampUnit(values[2])),
                                float(clampUnit(values[3])));
    }
    if (lower.startsWith(u'#')) {
        const qsizetype digits = lower.size() - 1;
        if (digits != 3 && digits != 4 && digits != 6 && digits != 8)
            return std::nullopt;
        for (qsizetype k = 1; k < lower.size(); ++k)
            if (!std::isxdigit(lower[k].toLatin1()))
                return std::nullopt;
        // With an alpha digit or pair last (Qt would read it first).
        if (digits == 4 || digits == 8) {
            const int width = digits / 4;
            auto channel = [&](int index) {
                const int value = lower.mid(1 + index * width, width).toInt(nullptr, 16);
                return width == 1 ? value * 17 : value;
            };
            return QColor(channel(0), channel(1), channel(2), channel(3));
        }
    } else {
        for (QChar c : lower)
            if (!c.isLetter())
                return std::nullopt;
    }
    // Qt knows the SVG colour keywords and the hexadecimal forms.
    const QColor colour = QColor::fromString(lower);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

QString urlReference(QStringView text)
{
    text = text.trimmed();
    if (!text.startsWith(u"url(", Qt::CaseInsensitive))
        return {};
    const qsizetype close = text.indexOf(u')');
    if (close < 0)
        return {};
    QStringView inner = text.mid(4, close - 4).trimmed();
    if (inner.size() >= 2 && (inner.front() == u'"' || inner.front() == u'\'') && inner.back() == inner.front())
        inner = inner.mid(1, inner.size() - 2).trimmed();
    return localHrefId(inner);
}

QString localHrefId(QStringView text)
{
    text = text.trimmed();
    if (text.size() < 2 || text.front() != u'#')
        return {};
    return text.mid(1).toString();
}

std::optional<Paint> parsePaint(QStringView text)
{
    text = text.trimmed();
    Paint paint;
    if (text.compare(u"none", Qt::CaseInsensitive) == 0) {
        paint.kind = Paint::None;
        return paint;
    }
    if (text.compare(u"currentColor", Qt::CaseInsensitive) == 0) {
        paint.kind = Paint::CurrentColour;
        return paint;
    }
    if (text.compare(u"context-fill", Qt::CaseInsensitive) == 0) {
        paint.kind = Paint::ContextFill;
        return paint;
    }
    if (text.compare(u"context-stroke", Qt::CaseInsensitive) == 0) {
        paint.kind = Paint::ContextStroke;
        return paint;
    }
    if (text.startsWith(u"url(", Qt::CaseInsensitive)) {
        const qsizetype close = text.indexOf(u')');
        if (close < 0)
            return std::nullopt;
        paint.kind = Paint::Server;
        paint.serverId = urlReference(text.first(close + 1));
        const QStringView rest = text.mid(close + 1).trimmed();
        if (rest.compare(u"none", Qt::CaseInsensitive) == 0)
            paint.fallbackIsNone = true;
        else if (!rest.isEmpty())
            paint.fallback = parseColour(rest);
        return paint;
    }
    auto colour = parseColour(text);
    if (!colour)
        return std::nullopt;
    paint.kind = Paint::Colour;
    paint.colour = *colour;
    return paint;
}

QHash<QString, QString> parseDeclarations(QStringView text)
{
    QHash<QString, QString> declarations;
    // Comments may stand anywhere a space may.
    QString uncommented;
    if (text.contains(u"/*")) {
        uncommented.reserve(text.size());
        for (qsizetype i = 0; i < text.size();) {
            if (text[i] == u'/' && i + 1 < text.size() && text[i + 1] == u'*') {
                const qsizetype end = text.indexOf(u"*/", i + 2);
                if (end < 0)
                    break;
                uncommented.append(u' ');
                i = end + 2;
                continue;
            }
            uncommented.append(text[i++]);
        }
        text = uncommented;
    }
    for (QStringView item : text.split(u';')) {
        const qsizetype colon = item.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = item.first(colon).trimmed().toString().toLower();
        QString value = item.mid(colon + 1).trimmed().toString();
        if (value.endsWith(u"!important", Qt::CaseInsensitive))
            value = value.chopped(10).trimmed();
        if (!name.isEmpty() && !value.isEmpty())
            declarations.insert(name, value);
    }
    return declarations;
}

std::optional<QRectF> parseViewBox(QStringView text)
{
    const QList<double> values = parseNumberList(text);
    if (values.size() != 4)
        return std::nullopt;
    return QRectF(values[0], values[1], values[2], values[3]);
}

namespace {

struct Alignment {
    bool none = false;
    int x = 1; // 0 min, 1 mid, 2 max
    int y = 1;
    bool slice = false;
};

Alignment parseAlignment(QStringView text)
{
    Alignment alignment;
    const QList<QStringView> words = text.trimmed().split(u' ', Qt::SkipEmptyParts);
    qsizetype k = 0;
    if (k < words.size() && words[k] == u"defer")
        ++k;
    if (k < words.size()) {
        const QStringView align = words[k];
        if (align == u"none") {
            alignment.none = true;
        } else if (align.size() == 8 && align.startsWith(u'x')) {
            auto axis = [](QStringView part) { return part == u"Min" ? 0 : part == u"Max" ? 2 : 1; };
            alignment.x = axis(align.mid(1, 3));
            alignment.y = axis(align.mid(5, 3));
        }
        ++k;
    }
    if (k < words.size() && words[k] == u"slice")
        alignment.slice = true;
    return alignment;
}

} // namespace

QTransform viewBoxTransform(const QRectF& viewBox, const QRectF& viewport, QStringView preserveAspectRatio)
{
    const Alignment alignment = parseAlignment(preserveAspectRatio);
    double sx = viewport.width() / viewBox.width();
    double sy = viewport.height() / viewBox.height();
    if (!alignment.none)
        sx = sy = alignment.slice ? std::max(sx, sy) : std::min(sx, sy);
    double tx = viewport.x() - viewBox.x() * sx;
    double ty = viewport.y() - viewBox.y() * sy;
    if (!alignment.none) {
        tx += (viewport.width() - viewBox.width() * sx) * alignment.x / 2.0;
        ty += (viewport.height() - viewBox.height() * sy) * alignment.y / 2.0;
    }
    return QTransform(sx, 0, 0, sy, tx, ty);
}

QRectF placedRect(const QSizeF& contentSize, const QRectF& viewport, QStringView preserveAspectRatio)
{
    const QTransform t = viewBoxTransform(QRectF(QPointF(), contentSize), viewport, preserveAspectRatio);
    return t.mapRect(QRectF(QPointF(), contentSize));
}

bool isFinite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22())
        && std::isfinite(t.dx()) && std::isfinite(t.dy()) && std::isfinite(t.m13()) && std::isfinite(t.m23())
        && std::isfinite(t.m33());
}

double lengthScale(const QTransform& transform) { return std::sqrt(std::abs(transform.determinant())); }

} // namespace pwsvg
