#pragma once

#include "platform/ui/View.h"

// A plain view whose y axis grows downwards.
class RVFlippedView : public pf::View {
    Q_OBJECT
    PF_CLASS(RVFlippedView)
public:
    using pf::View::View;

    bool isFlipped() const override { return true; }
};
