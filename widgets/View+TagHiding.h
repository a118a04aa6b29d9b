#pragma once

namespace pf {
class View;
}

// Hiding and showing groups of controls by tag, for the view and all views below it.
// The "equals" forms act on views whose tag is `tag`; the "doesn't equal" forms on views whose
// tag differs from it and is a tag at all (not -1, nor the 0 views start with), so views
// without a tag are left alone.
void setHiddenIfTagEquals(pf::View& view, int tag);
void setShownIfTagEquals(pf::View& view, int tag);
void setHiddenIfTagDoesntEqual(pf::View& view, int tag);
void setShownIfTagDoesntEqual(pf::View& view, int tag);
