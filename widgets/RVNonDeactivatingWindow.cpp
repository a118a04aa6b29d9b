#include "widgets/RVNonDeactivatingWindow.h"

#include <QEvent>
#include <QPalette>

PF_DEFINE_CLASS(RVNonDeactivatingWindow, pf::Panel) {}

RVNonDeactivatingWindow::RVNonDeactivatingWindow(QWidget* parent)
    : pf::Panel(parent)
{
    useActiveColoursWhenInactive();
}

void RVNonDeactivatingWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && !mAdjustingPalette)
        useActiveColoursWhenInactive();
    pf::Panel::changeEvent(event);
}

void RVNonDeactivatingWindow::useActiveColoursWhenInactive()
{
    QPalette colours = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto colourRole = QPalette::ColorRole(role);
        colours.setBrush(QPalette::Inactive, colourRole, colours.brush(QPalette::Active, colourRole));
    }
    mAdjustingPalette = true;
    setPalette(colours);
    mAdjustingPalette = false;
}
