#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QVariantList>

#include <functional>

class QTextCharFormat;
class QTextDocument;
struct PWTextFormat;

// A stretch of the text drawn in its own font (its size included) and, when valid, its own
// colour instead of the format's: text typed in one object can mix fonts.
struct PWTextRun {
    int start = 0;
    int length = 0;
    QFont font;
    QColor colour;

    bool operator==(const PWTextRun& other) const
    {
        return start == other.start && length == other.length && font == other.font && colour == other.colour;
    }
};
using PWTextRuns = QList<PWTextRun>;

namespace pwtext {

// The font a stretch of a document is shown in: its format's, the rest the document's.
QFont resolvedFont(const QTextCharFormat& format, const QTextDocument& document);
// The runs of an edited document: the stretches whose font or colour differ from the format's
// (fonts measured at `scale` times their size), adjacent equal ones merged.
PWTextRuns runsFromDocument(const QTextDocument& document, const PWTextFormat& format, double scale = 1.0);
// Runs kept inside `length` characters, empty ones dropped.
PWTextRuns runsFittingLength(const PWTextRuns& runs, int length);
// Runs as a property list and back; what cannot be read is left out.
QVariantList archivableRuns(const PWTextRuns& runs);
PWTextRuns runsFromArchive(const QVariantList& stored);
// Each run's font passed through `convert`.
PWTextRuns convertedRuns(const PWTextRuns& runs, const std::function<QFont(const QFont&)>& convert);

} // namespace pwtext
