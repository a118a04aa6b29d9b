#include "widgets/RVRoundCornerButtonCell.h"

#include "widgets/BezierPath+RoundRectangles.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Button.h"
#include "platform/ui/Matrix.h"

PF_DEFINE_CLASS(RVRoundCornerButtonCell, pf::ButtonCell) {}

bool RVRoundCornerButtonCell::positionInMatrix(const pf::View* view, int* row, int* column, int* rows,
                                               int* columns) const
{
    const auto* matrix = qobject_cast<const pf::Matrix*>(view);
    if (!matrix || !matrix->getRowColumnOfCell(row, column, this))
        return false;
    *rows = matrix->numberOfRows();
    *columns = matrix->numberOfColumns();
    return true;
}

int RVRoundCornerButtonCell::cornerOptionsInView(const pf::View* view) const
{
    int row = 0, column = 0, rows = 0, columns = 0;
    if (!positionInMatrix(view, &row, &column, &rows, &columns))
        return kRoundAllCorners;
    int corners = 0;
    if (row == 0 && column == 0)
        corners |= kRoundMinXMinYCorner;
    if (row == 0 && column == columns - 1)
        corners |= kRoundMaxXMinYCorner;
    if (row == rows - 1 && column == 0)
        corners |= kRoundMinXMaxYCorner;
    if (row == rows - 1 && column == columns - 1)
        corners |= kRoundMaxXMaxYCorner;
    return corners;
}

QRectF RVRoundCornerButtonCell::outlineRectForFrame(const QRectF& frame, const pf::View* view) const
{
    QRectF rect = view ? view->centerScanRect(frame) : frame;
    rect.adjust(0.5, 0.5, -0.5, -0.5);
    int row = 0, column = 0, rows = 0, columns = 0;
    if (positionInMatrix(view, &row, &column, &rows, &columns)) {
        // Neighbours overlap by a point so that they share one border line.
        if (column < columns - 1)
            rect.setWidth(rect.width() + 1);
        if (row < rows - 1)
            rect.setHeight(rect.height() + 1);
    } else if (qobject_cast<const pf::Button*>(view)) {
        rect.adjust(5, 3, -5, -3);
        rect.setHeight(rect.height() - 3);
    }
    return rect;
}

pf::Ref<pf::BezierPath> RVRoundCornerButtonCell::bezelPathWithFrame(const QRectF& frame, const pf::View* view) const
{
    auto path = bezierPathWithRoundedRect(outlineRectForFrame(frame, view), kCornerRadius, cornerOptionsInView(view));
    path->setLineWidth(0.5);
    return path;
}

pf::Ref<pf::Cell> RVRoundCornerButtonCell::copyCell() const
{
    return std::make_shared<RVRoundCornerButtonCell>(*this);
}

void RVRoundCornerButtonCell::drawBezelWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const auto path = bezelPathWithFrame(frame, view);
    const pf::Color fill = isHighlighted() ? pf::SystemColor::highlight() : pf::SystemColor::controlBackground();
    path->fill(context->painter(), fill.brush());
    path->stroke(context->painter(), pf::Color::lightGrey().brush());
}
