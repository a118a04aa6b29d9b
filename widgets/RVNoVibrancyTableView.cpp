#include "widgets/RVNoVibrancyTableView.h"

PF_DEFINE_CLASS(RVNoVibrancyTableView, pf::TableView) {}
