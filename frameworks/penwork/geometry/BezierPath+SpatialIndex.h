#pragma once

#include "frameworks/penwork/geometry/BezierPath+Support.h"

namespace pw::detail {

// A uniform grid over the bounds of a set of curves, for the two questions the geometry asks
// many times: which curves come near a point, and which a ray from a point may cross. Curves
// whose bounds would fill many cells are kept aside and always answered.
class CurveGrid {
public:
    enum class Ray { PlusX, MinusX, PlusY, MinusY };

    explicit CurveGrid(std::vector<const Geom::Curve*> curves);

    size_t size() const { return m_curves.size(); }
    const Geom::Curve& curve(size_t index) const { return *m_curves[index]; }

    // The curves whose bounds meet `area`, each once.
    std::vector<size_t> curvesNear(const Geom::Rect& area) const;
    // The ray from `point` that leaves the grid soonest (the fewest curves to test).
    Ray shortestRay(const Geom::Point& point) const;
    // The curves whose bounds a ray from `point` meets, each once.
    std::vector<size_t> curvesAlongRay(const Geom::Point& point, Ray ray) const;

    // How many times curve `index` crosses the ray, signed so that the sum over a closed path is
    // its winding number about `point` whichever ray is used.
    int crossings(size_t index, const Geom::Point& point, Ray ray) const;
    // The distance from `point` to the nearest curve within `reach`, or infinity.
    double distanceWithin(const Geom::Point& point, double reach) const;

private:
    int column(double x) const;
    int row(double y) const;
    void collect(int column, int row, std::vector<size_t>& found) const;
    std::vector<size_t> finish(std::vector<size_t>& found) const;

    std::vector<const Geom::Curve*> m_curves;
    std::vector<Geom::Rect> m_bounds;
    Geom::Rect m_area;
    int m_columns = 1;
    int m_rows = 1;
    double m_cellWidth = 1.0;
    double m_cellHeight = 1.0;
    std::vector<std::vector<size_t>> m_cells;
    std::vector<size_t> m_oversized;
    mutable std::vector<unsigned> m_marks;
    mutable unsigned m_mark = 0;
};

} // namespace pw::detail
