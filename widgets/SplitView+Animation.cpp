#include "widgets/SplitView+Animation.h"

#include "platform/ui/Animator.h"
#include "platform/ui/SplitView.h"

namespace {

constexpr double kSplitPositionDuration = 0.3;

} // namespace

double splitPosition(const pf::SplitView& splitView)
{
    const QList<pf::View*> panes = splitView.subviews();
    if (panes.isEmpty())
        return 0.0;
    const QRectF frame = panes.first()->frame();
    return splitView.isVertical() ? frame.x() + frame.width() : frame.y() + frame.height();
}

void setSplitPosition(pf::SplitView& splitView, double position)
{
    splitView.setPosition(position, 0);
}

std::shared_ptr<pf::Animation> splitViewDefaultAnimationForKey(const pf::SplitView& splitView, const QString& key)
{
    if (key == kSplitPositionKey)
        return pf::Animation::withDuration(kSplitPositionDuration);
    return splitView.defaultAnimationForKey(key);
}

void animateSplitPosition(pf::SplitView& splitView, double position)
{
    // The split view knows nothing of the key, so its animation is installed here the first
    // time, and kept (with any delegate set on it) for the next run.
    auto animations = splitView.animations();
    if (!animations.contains(kSplitPositionKey)) {
        animations.insert(kSplitPositionKey, splitViewDefaultAnimationForKey(splitView, kSplitPositionKey));
        splitView.setAnimations(animations);
    }
    pf::SplitView* target = &splitView;
    splitView.animator().animateValue(kSplitPositionKey, splitPosition(splitView), position,
                                      [target](const QVariant& value) { setSplitPosition(*target, value.toDouble()); });
}

void collapseLeftView(pf::SplitView& splitView)
{
    const QList<pf::View*> panes = splitView.subviews();
    if (panes.size() < 2 || splitView.isSubviewCollapsed(panes[0]))
        return;
    panes[0]->setHidden(true);
    // From the split view's start, or the pane would hang past its end.
    QRectF second = panes[1]->frame();
    panes[1]->setFrame(QRectF(0, second.y(), splitView.frame().width(), second.height()));
    splitView.display();
}

void uncollapseLeftView(pf::SplitView& splitView)
{
    const QList<pf::View*> panes = splitView.subviews();
    if (panes.size() < 2 || !splitView.isSubviewCollapsed(panes[0]))
        return;
    panes[0]->setHidden(false);
    const double firstWidth = panes[0]->frame().width();
    const double thickness = splitView.dividerThickness();
    QRectF second = panes[1]->frame();
    second = QRectF(firstWidth + thickness, second.y(), second.width() - firstWidth - thickness, second.height());
    panes[1]->setFrame(second);
    splitView.display();
}
