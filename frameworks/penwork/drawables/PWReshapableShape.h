#pragma once

#include "frameworks/penwork/drawables/PWDrawableShape.h"

// A shape whose outline is computed from its size and parameters rather than stretched: the
// outline is rebuilt at the shape's real size whenever the size or a parameter changes, so
// details such as rounded corners keep their measure however the shape is resized. Observers
// of "path" hear of every rebuild. The plain class computes a rectangle.
class PWReshapableShape : public PWDrawableShape {
    PF_CLASS(PWReshapableShape)
public:
    PWReshapableShape();
    PWReshapableShape(const PWReshapableShape& other);

    void setSize(const QSizeF& size) override;

    // A plain shape with this outline, transform, style, name and metadata: the special
    // parameters are gone.
    pf::Ref<PWDrawableShape> makePlainShape() const;

    pf::Ref<pf::Object> copy() const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // The outline at `size`, centred on the origin (within -w/2 .. w/2, -h/2 .. h/2).
    virtual pf::Ref<pf::BezierPath> outlineForSize(const QSizeF& size) const;
    // Rebuilds the unit path from outlineForSize; announced as a geometry change of "path".
    void reshape();
    // The unit path for the current size, without announcing anything (construction, decoding).
    void rebuildPath();
    // A parameter edit: records the undo (`setter` with `oldValue`), then announces `key` around
    // the change and rebuilds the outline. Nothing while locked. Subclasses declare "path" as
    // depending on their parameter keys.
    void changeParameter(const QString& key, const QString& setter, const QVariant& oldValue,
                         const std::function<void()>& change);
};
