#pragma once

#include "frameworks/penwork/layers/PWGridLayer.h"

// An isometric grid: a lattice of equilateral triangles, with lines at 30 degrees either side
// of the horizontal and, when shown, vertical lines. Lattice points lie one division apart
// along the verticals, in columns division * sqrt(3) / 2 apart, every other column shifted by
// half a division.
class PWIsometricGridLayer : public PWGridLayer {
    PF_CLASS(PWIsometricGridLayer)
public:
    PWIsometricGridLayer();

    // The nearest lattice point.
    QPointF snapPointToGrid(const QPointF& point) const override;
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
};
