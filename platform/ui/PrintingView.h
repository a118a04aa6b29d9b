#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace pf {

// Printing hooks a printed view may add beside pf::View (or any widget). Vertical positions
// are measured down from the top of the view, whatever its flipping.
class PrintingView {
public:
    virtual ~PrintingView() = default;

    virtual void beginDocument() {}
    virtual void endDocument() {}
    // Where the page that starts at `top` ends: `proposedBottom` by default. The answer is
    // kept between `bottomLimit` and `proposedBottom`, so a page never grows nor stops short
    // of the limit (which keeps pagination moving forward).
    virtual double adjustPageHeight(double top, double proposedBottom, double bottomLimit) { return proposedBottom; }
    // Before each page is drawn: the part of the view it shows (view coordinates) and where its
    // top-left corner lands on the paper (points from the paper's top-left).
    virtual void beginPageInRect(const QRectF& rect, const QPointF& placement) {}
    // After each page: draws headers, footers or crop marks over the whole paper. A graphics
    // context is current, flipped, in points from the paper's top-left.
    virtual void drawPageBorderWithSize(const QSizeF& borderSize) {}
};

} // namespace pf
