#include "widgets/View+CartavelExtensions.h"

#include "platform/ui/View.h"

#include <algorithm>

QRectF extentOfSubviews(const pf::View& view)
{
    QRectF extent;
    bool first = true;
    for (const pf::View* subview : view.subviews()) {
        // united() skips empty rectangles; a zero-size subview still counts where it stands.
        const QRectF frame = subview->frame();
        extent = first ? frame : QRectF(QPointF(std::min(extent.left(), frame.left()), std::min(extent.top(), frame.top())),
                                        QPointF(std::max(extent.right(), frame.right()),
                                                std::max(extent.bottom(), frame.bottom())));
        first = false;
    }
    return extent;
}
