#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

namespace pf {
class BezierPath;
}

// A dash pattern for strokes: up to eight lengths, alternately mark and space, a phase, and
// whether the lengths are multiples of the line width rather than lengths in points.
//
// Key-value coding: "pattern" (list of numbers), "count", "phase", "scalesToLineWidth",
// "length", "isValid".
class PWStrokeDash : public pf::Object, public pf::Coding {
    PF_CLASS(PWStrokeDash)
public:
    static constexpr int kMaxCount = 8;

    // The default dash: 5 on, 5 off, scaled to the line width.
    PWStrokeDash();
    PWStrokeDash(const PWStrokeDash& other) = default;

    // The first `count` lengths of `pattern`; null when they make no valid dash (see
    // setDashPattern). More than kMaxCount lengths are cut to kMaxCount.
    static pf::Ref<PWStrokeDash> dashWithPattern(const QList<double>& pattern, int count);
    static pf::Ref<PWStrokeDash> dashWithPattern(const double* pattern, int count);
    // A new copy of the framework's default dash.
    static pf::Ref<PWStrokeDash> defaultDash();

    int count() const { return int(m_pattern.size()); }
    QList<double> pattern() const { return m_pattern; }
    // Copies the pattern into `buffer` (room for kMaxCount) and answers its count.
    int getDashPattern(double* buffer) const;
    // The first `count` lengths (at most kMaxCount are kept). Refused, answering false and
    // keeping the old pattern, for a negative count, a count beyond the values given, or any
    // length that is negative or not finite. A pattern of no length is stored but not valid.
    bool setDashPattern(const double* pattern, int count);
    bool setDashPattern(const QList<double>& pattern);
    bool setDashPattern(const QList<double>& pattern, int count);
    // The element at `index`, 0 outside the pattern.
    double lengthAtIndex(int index) const;
    // The sum of the pattern.
    double length() const;

    double phase() const { return m_phase; }
    // Not finite values are refused.
    void setPhase(double phase);
    bool scalesToLineWidth() const { return m_scalesToLineWidth; }
    void setScalesToLineWidth(bool scales);

    // Whether an editor is working on this dash (not archived, not compared).
    bool isBeingEdited() const { return m_beingEdited; }
    void setIsBeingEdited(bool editing) { m_beingEdited = editing; }

    // At least one length, and a total above zero.
    bool isValid() const;
    bool isEqualToDash(const PWStrokeDash* other) const;

    // Gives the path this dash, in lengths of its own line width when the dash scales; an
    // invalid dash makes the path solid.
    void applyToPath(pf::BezierPath& path) const;
    // A horizontal line of `strokeWidth` in black with this dash, on a clear image (menus).
    QImage dashSwatchImageWithSize(const QSizeF& size, double strokeWidth) const;

    // The saved dashes, in order; the program restores them at start and writes them at quit.
    static QList<pf::Ref<PWStrokeDash>> registeredDashes();
    // Adds a copy of `dash` at the end; an invalid or null dash is refused. The name may be
    // empty.
    static bool registerDash(const pf::Ref<PWStrokeDash>& dash, const QString& name = {});
    static void removeAllRegisteredDashes();
    // Replaces the saved dashes with those of the file. A missing file is not an error and
    // leaves them as they are; a damaged one leaves them as they are and answers false with
    // the error. Damaged entries of an otherwise sound file are skipped.
    static bool restoreRegisteredDashesFromFile(const QString& path, pf::Error* error = nullptr);
    // Writes them as a property list; the file is always replaced atomically (a failed write
    // leaves the old one), whatever `atomically` says.
    static bool writeRegisteredDashesToFile(const QString& path, bool atomically = true, pf::Error* error = nullptr);

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override;
    QString description() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    static bool acceptablePattern(const QList<double>& pattern);

    QList<double> m_pattern;
    double m_phase = 0.0;
    bool m_scalesToLineWidth = true;
    bool m_beingEdited = false;
};
