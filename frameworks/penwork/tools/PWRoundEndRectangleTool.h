#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"

// Draws a rectangle whose short sides are half circles: a round-cornered rectangle whose
// corner radius follows the dragged box, always half its shorter side.
class PWRoundEndRectangleTool : public PWObjectCreationTool {
    PF_CLASS(PWRoundEndRectangleTool)
public:
    PWRoundEndRectangleTool();

    // Only round-cornered rectangles are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    QString defaultActionName() const override { return QStringLiteral("New Round End Rectangle"); }

protected:
    void shapeObject(PWDrawableObject& object, const QPointF& anchor, const QPointF& point,
                     const PWToolEvent& event) const override;
};
