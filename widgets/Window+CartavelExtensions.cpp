#include "widgets/Window+CartavelExtensions.h"

#include "platform/ui/Window.h"

void extendWindowVerticallyBy(pf::Window& window, float dy)
{
    QRectF frame = window.frame();
    // Window frames are y-up: the origin is the bottom edge.
    frame.setHeight(frame.height() + dy);
    frame.moveTop(frame.top() - dy);
    window.setFrame(frame, true, true);
}
