#include "widgets/String+ZDTruncation.h"

#include <QFontMetricsF>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

QStringList graphemes(const QString& text)
{
    QStringList parts;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        if (end > start)
            parts.append(text.mid(start, end - start));
        start = end;
    }
    return parts;
}

} // namespace

QString truncatedTitle(const QString& title, unsigned mode, double maxWidth,
                       const std::function<double(const QString&)>& measure)
{
    const QString ellipsis = QStringLiteral("...");
    double width = measure(title);
    if (width <= maxWidth)
        return title;
    const QStringList parts = graphemes(title);
    const qsizetype length = parts.size();
    qsizetype position = mode == kZDTruncateTail ? length - 1 : mode == kZDTruncateHead ? 0 : length / 2;
    qsizetype count = 1;
    QString candidate = title;
    while (width > maxWidth) {
        if (mode != kZDTruncateHead && position < 2)
            return ellipsis;
        if (position + count > length)
            return ellipsis;
        candidate = parts.mid(0, position).join(QString()) + ellipsis + parts.mid(position + count).join(QString());
        width = measure(candidate);
        ++count;
        if (mode == kZDTruncateTail)
            --position;
        else if (mode != kZDTruncateHead && count % 2 == 0)
            --position;
    }
    return candidate;
}

QString truncatedTitle(const QString& title, const QFont& font, unsigned mode, double maxWidth)
{
    const QFontMetricsF metrics(font);
    return truncatedTitle(title, mode, maxWidth, [&](const QString& text) { return metrics.horizontalAdvance(text); });
}
