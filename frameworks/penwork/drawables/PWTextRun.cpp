#include "frameworks/penwork/drawables/PWTextRun.h"

#include "frameworks/penwork/drawables/PWTextLayout.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>
#include <cmath>

namespace pwtext {

namespace {

constexpr double kMaxFontSize = 10000.0;

// Whether two fonts draw alike: the fonts they resolve to here (a family that stands for
// another draws as that one), their sizes within a rounding of each other.
bool sameFont(const QFont& a, const QFont& b)
{
    if (std::abs(a.pointSizeF() - b.pointSizeF()) >= 0.01)
        return false;
    if (a.family() == b.family() && a.styleName() == b.styleName() && a.weight() == b.weight() && a.italic() == b.italic())
        return true;
    const QFontInfo ia(a);
    const QFontInfo ib(b);
    return ia.family() == ib.family() && ia.styleName() == ib.styleName() && ia.weight() == ib.weight()
           && ia.italic() == ib.italic();
}

QFont unscaledFont(QFont font, double scale)
{
    if (scale > 0.0 && std::isfinite(scale) && font.pointSizeF() > 0.0)
        font.setPointSizeF(font.pointSizeF() / scale);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace

QFont resolvedFont(const QTextCharFormat& format, const QTextDocument& document)
{
    // What the format does not name (family, size ...) is the document's.
    QFont font = format.font().resolve(document.defaultFont());
    if (!format.hasProperty(QTextFormat::FontPointSize))
        font.setPointSizeF(document.defaultFont().pointSizeF());
    return font;
}

PWTextRuns runsFromDocument(const QTextDocument& document, const PWTextFormat& format, double scale)
{
    PWTextRuns runs;
    const QFont base = format.font;
    const QColor baseColour = format.colour.isValid() ? format.colour : QColor(Qt::black);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat charFormat = fragment.charFormat();
            const QFont font = unscaledFont(resolvedFont(charFormat, document), scale);
            const QColor colour = charFormat.hasProperty(QTextFormat::ForegroundBrush)
                                      ? charFormat.foreground().color()
                                      : QColor();
            const bool ownFont = !sameFont(font, base);
            const bool ownColour = colour.isValid() && colour != baseColour;
            if (!ownFont && !ownColour)
                continue;
            PWTextRun run{fragment.position(), fragment.length(), ownFont ? font : base, ownColour ? colour : QColor()};
            if (!runs.isEmpty()) {
                PWTextRun& last = runs.last();
                if (last.start + last.length == run.start && sameFont(last.font, run.font) && last.colour == run.colour) {
                    last.length += run.length;
                    continue;
                }
            }
            runs.append(run);
        }
    }
    return runs;
}

PWTextRuns runsFittingLength(const PWTextRuns& runs, int length)
{
    PWTextRuns fitting;
    int at = 0;
    for (PWTextRun run : runs) {
        run.start = std::max(run.start, at);
        const int end = std::min(run.start + std::max(run.length, 0), length);
        if (end <= run.start)
            continue;
        run.length = end - run.start;
        fitting.append(run);
        at = end;
    }
    return fitting;
}

namespace {
const QString kRunStartKey = QStringLiteral("start");
const QString kRunLengthKey = QStringLiteral("length");
const QString kRunFontKey = QStringLiteral("font");
const QString kRunColourKey = QStringLiteral("colour");
} // namespace

QVariantList archivableRuns(const PWTextRuns& runs)
{
    QVariantList stored;
    for (const PWTextRun& run : runs) {
        QVariantMap entry{{kRunStartKey, run.start}, {kRunLengthKey, run.length}, {kRunFontKey, run.font.toString()}};
        if (run.colour.isValid())
            entry.insert(kRunColourKey, run.colour.name(QColor::HexArgb));
        stored.append(entry);
    }
    return stored;
}

PWTextRuns runsFromArchive(const QVariantList& stored)
{
    PWTextRuns runs;
    for (const QVariant& value : stored) {
        const QVariantMap entry = value.toMap();
        bool startOk = false;
        bool lengthOk = false;
        const qint64 start = entry.value(kRunStartKey).toLongLong(&startOk);
        const qint64 length = entry.value(kRunLengthKey).toLongLong(&lengthOk);
        // A font is stored as its description, a comma-separated list that begins with the family.
        const QVariant described = entry.value(kRunFontKey);
        QFont font;
        if (!startOk || !lengthOk || start < 0 || length <= 0 || start > INT_MAX || length > INT_MAX
            || described.typeId() != QMetaType::QString || !described.toString().contains(u',')
            || !font.fromString(described.toString()))
            continue;
        if (!(font.pointSizeF() > 0.0) || !std::isfinite(font.pointSizeF()))
            font.setPointSizeF(12.0);
        font.setPointSizeF(std::min(font.pointSizeF(), kMaxFontSize));
        QColor colour;
        if (entry.contains(kRunColourKey))
            colour = QColor::fromString(entry.value(kRunColourKey).toString());
        runs.append(PWTextRun{int(start), int(length), font, colour});
    }
    return runs;
}

PWTextRuns convertedRuns(const PWTextRuns& runs, const std::function<QFont(const QFont&)>& convert)
{
    PWTextRuns converted = runs;
    for (PWTextRun& run : converted)
        run.font = convert(run.font);
    return converted;
}

} // namespace pwtext
