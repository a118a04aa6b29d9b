#include "widgets/RVCheckboxCell.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/EventQueue.h"

PF_DEFINE_CLASS(RVCheckboxCell, pf::ButtonCell) {}

pf::Ref<pf::Cell> RVCheckboxCell::copyCell() const
{
    auto copy = std::make_shared<RVCheckboxCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

bool RVCheckboxCell::trackMouse(const pf::Event&, const QRectF& rect, pf::View* view, bool)
{
    const auto redisplay = [&] {
        if (view)
            view->setNeedsDisplayInRect(rect);
    };
    const auto isInside = [&](const pf::Event& e) {
        const QPointF point = view ? view->convertPointFromView(e.locationInWindow, nullptr) : e.locationInWindow;
        return rect.contains(point);
    };
    setHighlighted(true);
    redisplay();
    const pf::EventMask mask = pf::eventMaskFromType(pf::LeftMouseDragged) | pf::eventMaskFromType(pf::LeftMouseUp);
    bool inside = true;
    for (;;) {
        const auto next = pf::EventQueue::shared().nextEvent(mask, pf::EventQueue::kDistantFuture,
                                                             pf::kEventTrackingRunLoopMode, true);
        if (!next)
            break;
        const bool nowInside = isInside(*next);
        if (next->type == pf::LeftMouseUp) {
            setHighlighted(false);
            if (nowInside)
                setIntValue(intValue() != 0 ? 0 : 1);
            redisplay();
            return nowInside;
        }
        if (nowInside != inside) {
            inside = nowInside;
            setHighlighted(inside);
            redisplay();
        }
    }
    // No mouse-up came (the queue gave up): leave the value as it was.
    setHighlighted(false);
    redisplay();
    return false;
}
