#pragma once

#include "platform/ui/Event.h"

#include <functional>

namespace pf {
class View;
}

// Called with each event taken while tracking, or with null when no event came before the
// time-out (stop is then already set). Setting `stop` ends the tracking.
using RVEventTrackingBlock = std::function<void(const pf::Event* event, bool& stop)>;

// Calls `block` with `event`, then, unless it stopped, with the mouse-down, mouse-up, moved,
// dragged and modifier-change events that follow.
void trackMouseEvent(pf::View& view, const pf::Event& event, const RVEventTrackingBlock& block);
// Until the block stops, without a time-out, taking the events off the queue.
void trackEvents(pf::View& view, pf::EventMask mask, const RVEventTrackingBlock& block);
// Takes the next event of `mask` in the event-tracking mode, drops the events queued before
// it, and calls `block`, until the block stops or `untilDate` (seconds, as event timestamps)
// passes.
void trackEvents(pf::View& view, pf::EventMask mask, double untilDate, bool dequeue,
                 const RVEventTrackingBlock& block);
