#pragma once

#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWReshapableShape.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/BezierPath.h"

#include <QBuffer>
#include <QImage>
#include <QStringList>

namespace archivingtest {

// A small PNG of `size` filled with `colour`.
inline QByteArray pngData(const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

inline pf::Ref<PWStyle> redStyle()
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color());
    style->setName(QStringLiteral("Red"));
    return style;
}

// Every object kind of the framework, in stacking order; the first two share one style.
inline QList<pf::Ref<PWDrawableObject>> everyObjectKind()
{
    const pf::Ref<PWStyle> shared = redStyle();
    auto line = pf::BezierPath::path();
    line->moveTo({10, 10});
    line->lineTo({60, 40});
    line->curveTo({100, 10}, {70, 50}, {90, 0});
    auto grouped = PWShapeGroup::groupWithObjects(
        {PWDrawableShape::drawableShapeWithRect({200, 200, 20, 20}),
         PWDrawableShape::drawableShapeWithOvalInRect({230, 200, 20, 30})});
    auto reshapable = std::make_shared<PWReshapableShape>();
    reshapable->setLocation({300, 300});
    reshapable->setSize({40, 10});
    auto image = PWImageShape::imageShapeWithImageData(pngData({6, 4}, Qt::green));
    image->setLocation({400, 50});
    return {PWDrawableShape::drawableShapeWithRect({10, 20, 30, 40}, shared),
            PWDrawableShape::drawableShapeWithOvalInRect({50, 60, 70, 20}, shared),
            PWDrawablePath::drawablePathWithPath(*line),
            grouped,
            PWTextShape::textShapeWithRect({100, 100, 80, 30}, QStringLiteral("Hello")),
            PWTextPath::textPathWithPath(*line, QStringLiteral("Along")),
            image,
            PWRoundRectShape::roundRectShapeWithRect({20, 300, 60, 40}, 8),
            PWArcPath::arcPathWithCentre({150, 400}, 30, 0, 2),
            PWRegularPolygonPath::polygonWithCentre({250, 400}, 25, 6),
            reshapable};
}

// A drawing with a grid, guides, a layer of every object kind and a group holding a second
// object layer.
inline pf::Ref<PWDrawing> richDrawing()
{
    auto drawing = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setDrawingSize({500, 450});
    auto grid = std::make_shared<PWGridLayer>();
    grid->setLayerName(QStringLiteral("Grid"));
    drawing->addLayer(grid);
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(QStringLiteral("Shapes"));
    drawing->addLayer(layer);
    layer->addObjectsFromArray(everyObjectKind());
    auto group = std::make_shared<PWLayerGroup>();
    group->setLayerName(QStringLiteral("Group"));
    drawing->addLayer(group);
    auto inner = std::make_shared<PWObjectDrawingLayer>();
    inner->setLayerName(QStringLiteral("Inner"));
    group->addLayer(inner);
    inner->addObject(PWDrawableShape::drawableShapeWithRect({5, 5, 10, 10}));
    auto guides = std::make_shared<PWGuideLayer>();
    guides->setLayerName(QStringLiteral("Guides"));
    drawing->addLayer(guides);
    drawing->setActiveLayer(layer);
    return drawing;
}

// "Class:name" of every layer, depth first, groups included.
inline QStringList layerOutline(const PWDrawing& drawing)
{
    QStringList out;
    for (const auto& layer : drawing.flattenedLayersIncludingGroups(true))
        out << layer->className() + QLatin1Char(':') + layer->layerName();
    return out;
}

inline pf::Ref<PWObjectOwnerLayer> layerNamed(const PWDrawing& drawing, const QString& name)
{
    for (const auto& layer : drawing.flattenedLayers())
        if (layer->layerName() == name)
            return std::dynamic_pointer_cast<PWObjectOwnerLayer>(layer);
    return nullptr;
}

} // namespace archivingtest
