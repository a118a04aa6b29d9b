#pragma once

#include "frameworks/penwork/tools/PWObjectCreationTool.h"

#include <QSizeF>

// Makes a text shape: a drag spans its box, a click places a box of the default size with its
// top-left corner at the click. When text shapes start editing on creation
// (PWTextShape::startEditingOnObjectCreation), the view opens its editor on the new shape.
// New text takes the tool's own style, else a copy of the default text style: the graphic
// style of other created objects would leave it without the text adornment that the text
// inspector edits.
class PWTextTool : public PWObjectCreationTool {
    PF_CLASS(PWTextTool)
public:
    static constexpr QSizeF kDefaultBoxSize{200.0, 40.0};

    PWTextTool();

    QString defaultActionName() const override { return QStringLiteral("New Text"); }
    QCursor cursor() const override { return QCursor(Qt::IBeamCursor); }
    pf::Ref<PWStyle> style() const override;

protected:
    bool finishObject(PWDrawableObject& object, bool dragged, const PWToolEvent& event) override;
    void didCreateObject(PWDrawableObject& object, const PWToolEvent& event) override;
};
