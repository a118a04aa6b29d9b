#include "drawing/VNQLPWDrawableNameProvider.h"

#include "drawing/PWDrawableObject+VNQLObjectNaming.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"

PF_DEFINE_CLASS(VNQLPWDrawableNameProvider, pf::Object) {}

pf::Ref<VNQLPWDrawableNameProvider> VNQLPWDrawableNameProvider::sharedNameProvider()
{
    static const pf::Ref<VNQLPWDrawableNameProvider> shared = std::make_shared<VNQLPWDrawableNameProvider>();
    return shared;
}

QString VNQLPWDrawableNameProvider::nameForNewInstance(const PWDrawableObject& object)
{
    return QStringLiteral("%1 %2").arg(object.displayName()).arg(
        PWDrawableObjectVNQLObjectNaming::nextObjectIndex(object.objClass()));
}
