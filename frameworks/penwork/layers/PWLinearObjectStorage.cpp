#include "frameworks/penwork/layers/PWLinearObjectStorage.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "platform/foundation/ClassBuilder.h"

PF_DEFINE_CLASS(PWLinearObjectStorage, PWObjectStorage) {}

PWLinearObjectStorage::PWLinearObjectStorage() = default;

QList<pf::Ref<PWDrawableObject>> PWLinearObjectStorage::objectsIntersectingRect(const QRectF& rect) const
{
    QList<pf::Ref<PWDrawableObject>> out;
    for (const auto& object : objects())
        if (meets(object->bounds(), rect))
            out.append(object);
    return out;
}

QList<pf::Ref<PWDrawableObject>> PWLinearObjectStorage::objectsAtPoint(const QPointF& point) const
{
    QList<pf::Ref<PWDrawableObject>> out;
    const auto& all = objects();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (contains((*it)->bounds(), point))
            out.append(*it);
    return out;
}
