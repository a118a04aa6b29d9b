#include "widgets/View+RectTrackingConvenience.h"

#include "widgets/RVRectTrackingClient.h"
#include "widgets/View+EventTrackingBlock.h"

#include "platform/ui/View.h"

namespace {

bool isInside(const pf::View& view, const pf::Event& event, const QRectF& rect)
{
    // Window coordinates to the view's own, which knows whether it is flipped.
    const QPointF point = view.convertPointFromView(event.locationInWindow, nullptr);
    return rect.contains(point);
}

} // namespace

bool trackMouseEvent(pf::View& view, const pf::Event& mouseDown, const QRectF& rect)
{
    if (!isInside(view, mouseDown, rect))
        return false;
    auto* client = dynamic_cast<RVRectTrackingClient*>(&view);
    bool inside = true;
    view.setNeedsDisplayInRect(rect);
    if (client)
        client->mouseDidEnterRect(rect);

    const pf::EventMask mask = pf::eventMaskFromType(pf::LeftMouseDragged) | pf::eventMaskFromType(pf::LeftMouseUp);
    trackEvents(view, mask, [&](const pf::Event* event, bool& stop) {
        if (!event) {
            // No release came: leave as a release outside would.
            if (inside && client)
                client->mouseDidExitRect(rect);
            inside = false;
            view.setNeedsDisplayInRect(rect);
            return;
        }
        if (event->type == pf::LeftMouseUp) {
            if (inside && client)
                client->mouseDidExitRect(rect);
            view.setNeedsDisplayInRect(rect);
            inside = isInside(view, *event, rect);
            stop = true;
            return;
        }
        const bool nowInside = isInside(view, *event, rect);
        if (nowInside != inside) {
            inside = nowInside;
            view.setNeedsDisplayInRect(rect);
            if (client) {
                if (inside)
                    client->mouseDidEnterRect(rect);
                else
                    client->mouseDidExitRect(rect);
            }
        }
    });
    return inside;
}
