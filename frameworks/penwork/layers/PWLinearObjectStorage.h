#pragma once

#include "frameworks/penwork/layers/PWObjectStorage.h"

// Keeps the objects in a plain list and answers spatial queries by looking at every object.
class PWLinearObjectStorage : public PWObjectStorage {
    PF_CLASS(PWLinearObjectStorage)
public:
    PWLinearObjectStorage();

    QList<pf::Ref<PWDrawableObject>> objectsIntersectingRect(const QRectF& rect) const override;
    QList<pf::Ref<PWDrawableObject>> objectsAtPoint(const QPointF& point) const override;
};
