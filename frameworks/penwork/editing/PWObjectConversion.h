#pragma once

#include "platform/foundation/Object.h"

class PWDrawableObject;
namespace pf {
class BezierPath;
class Class;
}

// Conversions of one drawable into another kind. Each answers a new object with no container
// that draws the same outline, with the original's style (unless said otherwise), name and
// metadata; null when the object cannot convert that way.
class PWObjectConversion {
public:
    PWObjectConversion() = delete;

    // Any object with an outline, other than a plain path and a group, to a PWDrawablePath.
    static bool canConvertToPath(const PWDrawableObject& object);
    static pf::Ref<PWDrawableObject> toPath(const PWDrawableObject& object);
    // Paths and shapes with an outline (not text, images, groups or plain shapes already) to a
    // PWDrawableShape.
    static bool canConvertToShape(const PWDrawableObject& object);
    static pf::Ref<PWDrawableObject> toShape(const PWDrawableObject& object);
    // A group of one shape per separate region (holes stay with the region round them): text
    // gives its glyphs, filled in the text colour; other objects need two regions or more.
    static bool canConvertToShapeGroup(const PWDrawableObject& object);
    static pf::Ref<PWDrawableObject> toShapeGroup(const PWDrawableObject& object);
    // A text path to a text shape on its bounds, with its text and text attributes.
    static bool canConvertToTextShape(const PWDrawableObject& object);
    static pf::Ref<PWDrawableObject> toTextShape(const PWDrawableObject& object);
    // A text shape to a text path along the middle of its box, with its text and attributes.
    static bool canConvertToTextPath(const PWDrawableObject& object);
    static pf::Ref<PWDrawableObject> toTextPath(const PWDrawableObject& object);

    // The conversion into `cls` (a path or shape class, as the double-click conversion asks),
    // or null.
    static pf::Ref<PWDrawableObject> toClass(const PWDrawableObject& object, const pf::Class& cls);

    // Two open single paths joined at their nearest pair of end points: `first` runs on into
    // `second` (either may be reversed to meet), bridged by a line when the ends do not touch.
    // Null when those ends lie farther apart than `tolerance`.
    static pf::Ref<pf::BezierPath> joinedPath(const pf::BezierPath& first, const pf::BezierPath& second,
                                              double tolerance);
};
