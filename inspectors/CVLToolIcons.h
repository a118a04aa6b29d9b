#pragma once

#include "platform/foundation/Object.h"

namespace pf {
class Image;
}

// The tools palette's button pictures, drawn in code: one 24-point glyph per tool tag.
class CVLToolIcons {
public:
    static constexpr double kIconSize = 24.0;
    // Not a tool tag: the slices palette's "draw a slice" picture.
    static constexpr int kSliceGlyph = 1000;
    // The picture of the tool of `tag`; a neutral mark for a tag without a picture.
    static pf::Ref<pf::Image> imageForTag(int tag);
};
