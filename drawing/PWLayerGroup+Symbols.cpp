#include "drawing/PWLayerGroup+Symbols.h"

#include "drawing/PWXSymbol.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"

#include <QSet>

namespace {

void collect(const pf::Ref<pf::Object>& object, QList<pf::Ref<PWXSymbol>>& out, QSet<const PWXSymbol*>& seen)
{
    if (auto symbol = std::dynamic_pointer_cast<PWXSymbol>(object)) {
        if (!seen.contains(symbol.get())) {
            seen.insert(symbol.get());
            out.append(symbol);
        }
        return;
    }
    // Objects that hold instances of their own (shape groups, by extension) list them.
    if (object && object->respondsTo(QStringLiteral("allSymbols")))
        for (const QVariant& item : object->perform(QStringLiteral("allSymbols")).toList())
            collect(pf::objectFromVariant(item), out, seen);
}

void collectLayers(const PWLayerGroup& group, QList<pf::Ref<PWXSymbol>>& out, QSet<const PWXSymbol*>& seen)
{
    for (const pf::Ref<PWLayer>& layer : group.layers()) {
        if (auto nested = std::dynamic_pointer_cast<PWLayerGroup>(layer))
            collectLayers(*nested, out, seen);
        else if (auto owner = std::dynamic_pointer_cast<PWObjectOwnerLayer>(layer))
            for (const auto& object : owner->objectList())
                collect(object, out, seen);
    }
}

} // namespace

QList<pf::Ref<PWXSymbol>> allSymbols(const PWLayerGroup& group)
{
    QList<pf::Ref<PWXSymbol>> out;
    QSet<const PWXSymbol*> seen;
    collectLayers(group, out, seen);
    return out;
}

pf::Ref<pf::Object> mapScale(const PWDrawing& drawing)
{
    pf::Ref<pf::Object> owner = drawing.owner();
    if (!owner || !owner->respondsTo(QStringLiteral("mapScale")))
        return nullptr;
    return pf::objectFromVariant(owner->valueForKey(QStringLiteral("mapScale")));
}

bool setMapScale(const PWDrawing& drawing, const pf::Ref<pf::Object>& mapScale)
{
    pf::Ref<pf::Object> owner = drawing.owner();
    if (!owner || !owner->respondsTo(QStringLiteral("mapScale")))
        return false;
    owner->setValueForKey(pf::toVariant(mapScale), QStringLiteral("mapScale"));
    return true;
}
