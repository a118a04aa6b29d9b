#include "frameworks/penwork/layers/PWLayerGroup.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"

#include <QSet>

namespace {
const QString kLayersKey = QStringLiteral("pw_group_layers");
const QString kLayers = QStringLiteral("layers");
} // namespace

PF_DEFINE_CLASS(PWLayerGroup, PWLayer)
{
    b.protocol(pf::kCodingProtocol);
    b.property("layers", &PWLayerGroup::layersList);
    b.property("countOfLayers", &PWLayerGroup::countOfLayers);
    b.method("objectInLayersAtIndex:", &PWLayerGroup::objectInLayersAtIndex);
    b.method("indexOfLayer:", std::function<QVariant(PWLayerGroup&, const QVariantList&)>(
                                   [](PWLayerGroup& group, const QVariantList& arguments) {
                                       auto layer = pf::objectCast<PWLayer>(arguments.value(0));
                                       return QVariant(group.indexOfLayer(layer.get()));
                                   }));
    b.method("insertLayer:atIndex:", &PWLayerGroup::insertLayer);
    b.method("addLayer:", &PWLayerGroup::addLayer);
    b.method("removeLayer:", &PWLayerGroup::removeLayer);
    b.method("moveLayer:toIndex:", &PWLayerGroup::moveLayer);
}

PWLayerGroup::PWLayerGroup() = default;

pf::Ref<PWLayer> PWLayerGroup::objectInLayersAtIndex(qint64 index) const
{
    if (index < 0 || index >= countOfLayers())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("layer index %1 beyond bounds (count %2)").arg(index).arg(countOfLayers()));
    return m_layers[size_t(index)];
}

qint64 PWLayerGroup::indexOfLayer(const PWLayer* layer) const
{
    for (size_t i = 0; i < m_layers.size(); ++i)
        if (m_layers[i].get() == layer)
            return qint64(i);
    return pf::kNotFound;
}

QVariantList PWLayerGroup::layersList() const
{
    QVariantList list;
    list.reserve(qsizetype(m_layers.size()));
    for (const auto& layer : m_layers)
        list.append(pf::toVariant(layer));
    return list;
}

bool PWLayerGroup::isSelfOrAncestor(const PWLayer* layer) const
{
    if (layer == this)
        return true;
    for (pf::Ref<PWLayerGroup> group = layerGroup(); group; group = group->layerGroup())
        if (group.get() == layer)
            return true;
    return false;
}

bool PWLayerGroup::insertLayer(const pf::Ref<PWLayer>& layer, qint64 index)
{
    if (!layer)
        pf::raise(pf::NSInvalidArgumentException, QStringLiteral("cannot insert a nil layer"));
    if (layer->layerGroup())
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("layer '%1' already belongs to a group").arg(layer->layerName()));
    if (dynamic_cast<const PWDrawing*>(layer.get()))
        pf::raise(pf::NSInvalidArgumentException, QStringLiteral("a drawing cannot be a layer of a group"));
    if (isSelfOrAncestor(layer.get()))
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("layer group '%1' cannot contain itself").arg(layer->layerName()));
    if (index < 0 || index > countOfLayers())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("layer index %1 beyond bounds (count %2)").arg(index).arg(countOfLayers()));
    if (locked())
        return false;
    putLayer(layer, index);
    return true;
}

void PWLayerGroup::putLayer(const pf::Ref<PWLayer>& layer, qint64 index)
{
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, layer] { removeLayer(layer); });
    willChange(pf::ChangeKind::Insertion, pf::IndexSet(index), kLayers);
    m_layers.insert(m_layers.begin() + index, layer);
    layer->setLayerGroup(ref<PWLayerGroup>());
    didChange(pf::ChangeKind::Insertion, pf::IndexSet(index), kLayers);
    auto& centre = pf::NotificationCenter::defaultCenter();
    centre.post(kPWLayerGroupDidAddLayer, this, {{kPWLayerKey, pf::toVariant(layer)}});
    centre.post(kPWLayerGroupNumberOfLayersDidChange, this);
    layer->setNeedsDisplay(true);
}

bool PWLayerGroup::addLayer(const pf::Ref<PWLayer>& layer)
{
    return insertLayer(layer, 0);
}

bool PWLayerGroup::removeLayer(const pf::Ref<PWLayer>& layer)
{
    const qint64 index = indexOfLayer(layer.get());
    if (index == pf::kNotFound)
        return false;
    PWDrawing* drawing = this->drawing();
    // Clearing the active layer first registers its undo first, so undo puts the layer back
    // before it makes it active again.
    if (drawing)
        drawing->layerWillBeRemoved(*layer);
    layer->setNeedsDisplay(true);
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, layer, index] { putLayer(layer, std::min(index, countOfLayers())); });
    willChange(pf::ChangeKind::Removal, pf::IndexSet(index), kLayers);
    m_layers.erase(m_layers.begin() + index);
    layer->setLayerGroup(nullptr);
    didChange(pf::ChangeKind::Removal, pf::IndexSet(index), kLayers);
    auto& centre = pf::NotificationCenter::defaultCenter();
    centre.post(kPWLayerGroupDidRemoveLayer, this, {{kPWLayerKey, pf::toVariant(layer)}});
    centre.post(kPWLayerGroupNumberOfLayersDidChange, this);
    return true;
}

bool PWLayerGroup::moveLayer(const pf::Ref<PWLayer>& layer, qint64 index)
{
    const qint64 from = indexOfLayer(layer.get());
    if (from == pf::kNotFound)
        return false;
    if (index < 0 || index >= countOfLayers())
        pf::raise(pf::NSRangeException,
                  QStringLiteral("layer index %1 beyond bounds (count %2)").arg(index).arg(countOfLayers()));
    if (index == from)
        return true;
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, [this, layer, from] { moveLayer(layer, from); });
    willChangeValueForKey(kLayers);
    pf::Ref<PWLayer> held = m_layers[size_t(from)];
    m_layers.erase(m_layers.begin() + from);
    m_layers.insert(m_layers.begin() + index, held);
    didChangeValueForKey(kLayers);
    pf::NotificationCenter::defaultCenter().post(kPWLayerGroupDidReorderLayers, this,
                                                 {{QStringLiteral("old_index"), from}, {QStringLiteral("new_index"), index}});
    setNeedsDisplay(true);
    return true;
}

void PWLayerGroup::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    // Index 0 is the top: draw from the last one up.
    for (auto it = m_layers.rbegin(); it != m_layers.rend(); ++it) {
        const pf::Ref<PWLayer>& layer = *it;
        if (!drawsLayer(*layer, context))
            continue;
        context.saveGraphicsState();
        QPainter& painter = context.painter();
        painter.setOpacity(painter.opacity() * layer->alpha());
        layer->drawInContext(context, rect, showingHighlighting);
        context.restoreGraphicsState();
    }
}

bool PWLayerGroup::drawsLayer(const PWLayer& layer, const pf::GraphicsContext& context)
{
    if (!layer.visible() || layer.alpha() <= 0.0)
        return false;
    return context.isDrawingToScreen() || layer.shouldDrawToPrinter();
}

bool PWLayerGroup::hitLayer(const QPointF& point) const
{
    for (const auto& layer : m_layers)
        if (layer->visible() && layer->hitLayer(point))
            return true;
    return false;
}

qint64 PWLayerGroup::countOfObjects() const
{
    qint64 count = 0;
    for (const auto& layer : m_layers)
        count += layer->countOfObjects();
    return count;
}

void PWLayerGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayer::encodeWithCoder(coder);
    coder.encodePropertyListValue(layersList(), kLayersKey);
}

void PWLayerGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayer::initWithCoder(coder);
    const QVariantList stored = coder.decodePropertyListValue(kLayersKey).toList();
    QSet<const PWLayer*> seen;
    for (const QVariant& value : stored) {
        auto layer = pf::objectCast<PWLayer>(value);
        // A damaged archive may name a layer twice, a drawing, or a group inside itself: skip
        // what cannot be a child rather than build a broken tree.
        if (!layer || seen.contains(layer.get()) || layer->layerGroup() || dynamic_cast<PWDrawing*>(layer.get())
            || isSelfOrAncestor(layer.get()))
            continue;
        seen.insert(layer.get());
        m_layers.push_back(layer);
        layer->setLayerGroup(ref<PWLayerGroup>());
    }
}
