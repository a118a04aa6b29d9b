#pragma once

#include "frameworks/penwork/geometry/BezierPath+Support.h"

#include <optional>

namespace pw::detail {

// Lengths along a path of several sub-paths: every curve's length once, summed in travel order,
// so that a length can be turned into a curve and time and back. Moves add no length; a closed
// sub-path's closing segment counts.
class ArcLengthIndex {
public:
    explicit ArcLengthIndex(Geom::PathVector paths);

    const Geom::PathVector& paths() const { return m_paths; }
    double totalLength() const { return m_total; }
    bool hasCurves() const { return !m_entries.empty(); }

    // Where the path has travelled `length` (clamped to the path). A length on the boundary of
    // two curves answers the end of the earlier one. Nothing for a path without curves.
    std::optional<Geom::PathVectorTime> timeAtLength(double length) const;
    // The same, within sub-path `subpath` (lengths still counted from the path's start).
    std::optional<Geom::PathVectorTime> timeAtLength(double length, size_t subpath) const;
    // The length travelled up to `time`.
    double lengthAtTime(const Geom::PathVectorTime& time) const;

    // Where sub-path `subpath` starts and ends along the whole path.
    double subpathStart(size_t subpath) const { return m_subpathStarts[subpath]; }
    double subpathEnd(size_t subpath) const { return m_subpathStarts[subpath + 1]; }

    // The unit direction of travel at `time`; a curve of no length borrows the direction of the
    // nearest curve with length, (1, 0) when there is none.
    Geom::Point directionAt(const Geom::PathVectorTime& time) const;

    // The length of `curve` (as this index measures it).
    static double curveLength(const Geom::Curve& curve);
    // The time on `curve` after travelling `length` from time `from`; `lengthFromThere` is the
    // curve's length from `from` to its end.
    static double timeAfter(const Geom::Curve& curve, double from, double length, double lengthFromThere);

private:
    struct Entry {
        size_t subpath;
        size_t curve;
        double start;
        double length;
    };
    std::optional<Geom::PathVectorTime> locate(double length, size_t first, size_t last) const;

    Geom::PathVector m_paths;
    std::vector<Entry> m_entries;
    std::vector<size_t> m_firstEntry;     // per sub-path, plus one past the last
    std::vector<double> m_subpathStarts;  // per sub-path, plus the total
    double m_total = 0.0;
};

} // namespace pw::detail
