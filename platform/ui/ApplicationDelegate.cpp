#include "platform/ui/ApplicationDelegate.h"

PF_DEFINE_CLASS_NAMED(pf::ApplicationDelegate, pf::Object, "pf::ApplicationDelegate") {}
