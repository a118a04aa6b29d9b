#include "widgets/RVFlippedView.h"

PF_DEFINE_CLASS(RVFlippedView, pf::View) {}
