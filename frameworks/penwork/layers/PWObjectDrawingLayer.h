#pragma once

#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"

#include <QSizeF>

// The ordinary drawing layer: an object layer that draws its selection highlight (while it is
// the active layer, or always with selectionIsShownWhenInactive) and makes duplicates of
// objects in a row or round a centre.
class PWObjectDrawingLayer : public PWObjectOwnerLayer {
    PF_CLASS(PWObjectDrawingLayer)
public:
    PWObjectDrawingLayer();

    static bool selectionIsShownWhenInactive();
    static void setSelectionIsShownWhenInactive(bool shown);

    // Copies are made of the objects; none is added to the layer. A copy count outside
    // 1..kMaxCopies gives no copies.
    static constexpr int kMaxCopies = 10000;
    // Copy i (1..copies) of each object is moved by i times `offset`; copies come copy by copy,
    // each in the order of `objects`.
    ObjectList linearDuplicate(const ObjectList& objects, const QSizeF& offset, int copies) const;
    // Copy i of each object is turned about `centre` by i times `incrementDegrees` (clockwise on
    // screen), and rotated by that angle itself when `rotateCopies`.
    ObjectList polarDuplicate(const ObjectList& objects, const QPointF& centre, int copies, double incrementDegrees,
                              bool rotateCopies) const;
    // As many rotated copies of `object` as fit round `centre` side by side without
    // overlapping, spaced evenly round the full turn; none when the object lies on the centre.
    ObjectList autoPolarDuplicate(const pf::Ref<PWDrawableObject>& object, const QPointF& centre) const;

    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
};
