#include "app/RVTitleProxy.h"

#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(RVTitleProxy, pf::Object)
{
    b.property("title", &RVTitleProxy::title, &RVTitleProxy::setTitle);
}
