#pragma once

#include "frameworks/penwork/renderers/PWBlendGroup.h"

// A blend group whose members are drawn together first, as one picture, which is then blended
// with what lies under the group: the members do not blend with each other.
class PWQuartzBlendRastGroup : public PWBlendGroup {
    PF_CLASS(PWQuartzBlendRastGroup)
public:
    PWQuartzBlendRastGroup();
    PWQuartzBlendRastGroup(const PWQuartzBlendRastGroup& other) = default;

    void render(const PWRenderable& object) override;
    QString displayName() const override;

    pf::Ref<pf::Object> copy() const override;
};
