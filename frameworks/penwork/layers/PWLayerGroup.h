#pragma once

#include "frameworks/penwork/layers/PWLayer.h"

#include <vector>

// Notifications of layer groups (object: the group). Add and remove carry the layer under
// "pw_layer".
inline const QString kPWLayerGroupDidAddLayer = QStringLiteral("kPWLayerGroupDidAddLayer");
inline const QString kPWLayerGroupDidRemoveLayer = QStringLiteral("kPWLayerGroupDidRemoveLayer");
inline const QString kPWLayerGroupNumberOfLayersDidChange = QStringLiteral("kPWLayerGroupNumberOfLayersDidChange");
inline const QString kPWLayerGroupDidReorderLayers = QStringLiteral("kPWLayerGroupDidReorderLayers");
inline const QString kPWLayerKey = QStringLiteral("pw_layer");

// An ordered group of layers, itself a layer. Index 0 is the topmost layer (the first row of
// the layers panel); drawing runs from the last index up to 0. The to-many key "layers" is
// observable; insertion, removal and moves register their undo. A locked group takes no new
// layers. A layer is in at most one group, and a group never contains itself.
class PWLayerGroup : public PWLayer {
    PF_CLASS(PWLayerGroup)
public:
    PWLayerGroup();

    qint64 countOfLayers() const { return qint64(m_layers.size()); }
    // Raises NSRangeException outside 0..count-1.
    pf::Ref<PWLayer> objectInLayersAtIndex(qint64 index) const;
    // kNotFound when the layer is not a direct child.
    qint64 indexOfLayer(const PWLayer* layer) const;
    const std::vector<pf::Ref<PWLayer>>& layers() const { return m_layers; }
    QVariantList layersList() const;

    // False, changing nothing, when the group is locked. Raises NSInvalidArgumentException for a
    // null layer, one that is already in a group, a drawing, or the group itself or one of its
    // ancestors; NSRangeException for an index outside 0..count.
    bool insertLayer(const pf::Ref<PWLayer>& layer, qint64 index);
    // On top (index 0).
    bool addLayer(const pf::Ref<PWLayer>& layer);
    // False when the layer is not a direct child. The drawing loses its active layer when the
    // removed layer is, or contains, that layer.
    bool removeLayer(const pf::Ref<PWLayer>& layer);
    // Moves a direct child to `index` (0..count-1); false when it is not a child.
    bool moveLayer(const pf::Ref<PWLayer>& layer, qint64 index);

    // Draws the visible children from the bottom up, each with its opacity.
    void drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting) override;
    // Whether drawing into `context` draws `layer` at all: shown, not fully transparent, and
    // printed where the context prints.
    static bool drawsLayer(const PWLayer& layer, const pf::GraphicsContext& context);
    bool hitLayer(const QPointF& point) const override;
    // Groups hold layers; they are never the active layer themselves.
    bool layerMayBecomeActive() const override { return false; }
    // The objects of all the layers inside.
    qint64 countOfObjects() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Whether `layer` is this group or lies above it in the group chain.
    bool isSelfOrAncestor(const PWLayer* layer) const;

private:
    // Without the checks of insertLayer: undo puts back exactly what was there.
    void putLayer(const pf::Ref<PWLayer>& layer, qint64 index);
    std::vector<pf::Ref<PWLayer>> m_layers;
};
