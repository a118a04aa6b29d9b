#include "widgets/View+EventTrackingBlock.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"

#include <limits>
#include <optional>

void trackMouseEvent(pf::View& view, const pf::Event& event, const RVEventTrackingBlock& block)
{
    if (!block)
        return;
    bool stop = false;
    block(&event, stop);
    if (stop)
        return;
    const pf::EventMask mask = pf::eventMaskFromType(pf::LeftMouseDown) | pf::eventMaskFromType(pf::LeftMouseUp) |
                               pf::eventMaskFromType(pf::MouseMoved) | pf::eventMaskFromType(pf::LeftMouseDragged) |
                               pf::eventMaskFromType(pf::FlagsChanged);
    trackEvents(view, mask, block);
}

void trackEvents(pf::View& view, pf::EventMask mask, const RVEventTrackingBlock& block)
{
    trackEvents(view, mask, std::numeric_limits<double>::max(), true, block);
}

void trackEvents(pf::View& view, pf::EventMask mask, double untilDate, bool dequeue, const RVEventTrackingBlock& block)
{
    if (!block)
        return;
    pf::Application* application = pf::Application::shared();
    bool stop = false;
    while (!stop) {
        std::optional<pf::Event> event =
            application ? application->nextEventMatchingMask(mask, untilDate, pf::kEventTrackingRunLoopMode, dequeue)
                        : std::nullopt;
        if (event)
            application->discardEventsMatchingMask(pf::kAnyEventMask, &*event);
        else
            stop = true; // timed out: the block hears of it with no event
        block(event ? &*event : nullptr, stop);
    }
}
