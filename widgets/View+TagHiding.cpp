#include "widgets/View+TagHiding.h"

#include "platform/ui/View.h"

#include <functional>

namespace {

// Views here start with tag 0, where the platform's start with -1: either means no tag.
bool isTagged(int tag)
{
    return tag != -1 && tag != 0;
}

void apply(pf::View& view, const std::function<bool(int)>& matches, bool hidden)
{
    if (matches(view.tag()))
        view.setHidden(hidden);
    for (pf::View* subview : view.subviews())
        apply(*subview, matches, hidden);
}

} // namespace

void setHiddenIfTagEquals(pf::View& view, int tag)
{
    apply(view, [tag](int t) { return t == tag; }, true);
}

void setShownIfTagEquals(pf::View& view, int tag)
{
    apply(view, [tag](int t) { return t == tag; }, false);
}

void setHiddenIfTagDoesntEqual(pf::View& view, int tag)
{
    apply(view, [tag](int t) { return t != tag && isTagged(t); }, true);
}

void setShownIfTagDoesntEqual(pf::View& view, int tag)
{
    apply(view, [tag](int t) { return t != tag && isTagged(t); }, false);
}
