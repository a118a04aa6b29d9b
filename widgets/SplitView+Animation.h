#pragma once

#include "platform/ui/Animation.h"

#include <QString>

#include <memory>

namespace pf {
class SplitView;
}

// The position of a split view's first divider as a property that slides through the view's
// animator, and immediate collapsing of the first pane.
inline const QString kSplitPositionKey = QStringLiteral("splitPosition");

// The end of the first pane along the split axis (0 for a split view without panes).
double splitPosition(const pf::SplitView& splitView);
// Moves divider 0 to `position`.
void setSplitPosition(pf::SplitView& splitView, double position);
// 0.3 seconds for "splitPosition"; the view's own default for any other key.
std::shared_ptr<pf::Animation> splitViewDefaultAnimationForKey(const pf::SplitView& splitView, const QString& key);
// Slides divider 0 to `position` through the split view's animator: each step goes through
// setSplitPosition, so the split view's delegate constrains it as a drag would be.
void animateSplitPosition(pf::SplitView& splitView, double position);

// Hides the first pane and gives the second the split view's whole width from its start;
// nothing when the first pane is already collapsed (or there are not two panes).
void collapseLeftView(pf::SplitView& splitView);
// Shows the first pane and moves the second to make room for it; nothing when it is shown.
void uncollapseLeftView(pf::SplitView& splitView);
