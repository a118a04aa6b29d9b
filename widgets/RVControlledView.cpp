#include "widgets/RVControlledView.h"
PF_DEFINE_CLASS(RVControlledView, pf::View) {}
