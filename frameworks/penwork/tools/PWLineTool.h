#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"

// Draws a straight line from the mouse down to the mouse up; Shift keeps it to 45 degree steps.
class PWLineTool : public PWObjectCreationTool {
    PF_CLASS(PWLineTool)
public:
    // The prototype is a path object (a line) whose style and state new lines copy.
    PWLineTool();

    // Only path objects are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    QString defaultActionName() const override { return QStringLiteral("New Line"); }

protected:
    void shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                     const PWToolEvent& event) const override;
};
