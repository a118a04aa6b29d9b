#pragma once

#include <QRectF>

namespace pf {
class View;
struct Event;
}

// Follows a press that began in `rect` (bounds coordinates) until the button is released,
// redrawing the rectangle and telling the view (when it is an RVRectTrackingClient) each time
// the mouse goes in or out. True when the release was inside; false at once, telling nothing,
// when the press was outside.
bool trackMouseEvent(pf::View& view, const pf::Event& mouseDown, const QRectF& rect);
