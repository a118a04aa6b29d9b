#include "widgets/RVLimelightHoggingView.h"

PF_DEFINE_CLASS(RVLimelightHoggingView, pf::View) {}
