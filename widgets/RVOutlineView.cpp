#include "widgets/RVOutlineView.h"

#include "platform/foundation/Class.h"
#include "platform/ui/ButtonCell.h"

PF_DEFINE_CLASS(RVOutlineView, pf::OutlineView) {}

bool RVOutlineView::acceptsFirstMouse(const pf::Event* event) const
{
    Q_UNUSED(event)
    return true;
}

QColor RVOutlineView::gridColor() const
{
    return QColor::fromRgbF(0.3f, 0.6f, 0.92f, 0.15f);
}

bool RVOutlineView::cellTracksClicks(const pf::Cell& cell) const
{
    if (!cell.isEnabled())
        return false;
    if (dynamic_cast<const pf::ButtonCell*>(&cell))
        return true;
    // The colour cell is looked up by name, so this view does not depend on its header.
    static const pf::Class* colourCell = pf::classNamed(QStringLiteral("RVColourCell"));
    return colourCell && cell.isKindOf(*colourCell);
}
