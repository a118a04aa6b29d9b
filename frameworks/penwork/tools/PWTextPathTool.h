#pragma once

#include "frameworks/penwork/tools/PWLineTool.h"

// Makes text along a path: a drag draws the straight path the text will follow, which gets
// the default text style (or the tool's own style). When text starts editing on creation
// (PWTextShape::startEditingOnObjectCreation), the view opens its editor on the new path.
class PWTextPathTool : public PWLineTool {
    PF_CLASS(PWTextPathTool)
public:
    PWTextPathTool();

    // Only text paths are taken as prototypes.
    void setPrototype(pf::Ref<PWDrawableObject> prototype) override;
    // The tool's own style, else the default text style: the shared style for created
    // objects is a graphic style and would hide the text.
    pf::Ref<PWStyle> style() const override;
    QString defaultActionName() const override { return QStringLiteral("New Text Path"); }
    QCursor cursor() const override { return QCursor(Qt::IBeamCursor); }

protected:
    void didCreateObject(PWDrawableObject& object, const PWToolEvent& event) override;
};
