#pragma once

#include "frameworks/penwork/drawables/PWDrawableNameProvider.h"
#include "platform/foundation/Object.h"

// Names every new drawable after its kind and its class's next index ("Path 12"). One
// instance serves the process; the application installs it as the framework's provider.
class VNQLPWDrawableNameProvider : public pf::Object, public PWDrawableNameProvider {
    PF_CLASS(VNQLPWDrawableNameProvider)
public:
    static pf::Ref<VNQLPWDrawableNameProvider> sharedNameProvider();

    QString nameForNewInstance(const PWDrawableObject& object) override;
};
