#include "LayersTestSupport.h"

#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWIsometricGridLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

namespace {

pf::Ref<PWDrawableObject> box(const QString& name, const QPointF& at)
{
    auto object = std::make_shared<PWDrawableObject>();
    object->setName(name);
    object->setSize(QSizeF(8, 4));
    object->setLocation(at);
    return object;
}

pf::Ref<PWDrawing> roundTrip(const pf::Ref<PWDrawing>& drawing)
{
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(drawing, pf::PropertyListFormat::Binary, &error);
    EXPECT_FALSE(data.isEmpty()) << error.description().toStdString();
    auto copy = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawing>(data, &error);
    EXPECT_TRUE(copy) << error.description().toStdString();
    return copy;
}

} // namespace

TEST(LayersArchive, DrawingWithGroupsGridGuidesAndObjectsRoundTrips)
{
    auto drawing = PWDrawing::defaultDrawing();
    drawing->setLayerName("Map");
    drawing->setDrawingSize(QSizeF(400, 300));
    drawing->setMargins(1, 2, 3, 4);
    drawing->setPaperColour(pf::Color(1, 0.5, 0));
    drawing->setPaperColourIsPrinted(true);
    drawing->setSnapsToGrid(true);
    drawing->setStringForKey("oak", "texture");
    drawing->setGridType(1);
    auto grid = drawing->gridLayer();
    grid->setSpan(2.5, 5, 4, 2);
    grid->setShouldDrawToPrinter(true);
    grid->setLocked(true);
    drawing->guideLayer()->addHorizontalGuide(12.5);
    drawing->guideLayer()->addVerticalGuide(40);
    drawing->guideLayer()->setGuideDeletionRect(QRectF(0, 0, 400, 300));

    auto group = std::make_shared<PWLayerGroup>();
    group->setLayerName("Group");
    group->setAlpha(0.5);
    auto inner = std::make_shared<PWObjectDrawingLayer>();
    inner->setLayerName("Inner");
    inner->setSelectionColour(QColor(10, 20, 30));
    inner->setAllowsSnapToObjects(true);
    drawing->addLayer(group);
    group->addLayer(inner);
    inner->addObjectsFromArray({box("first", QPointF(10, 10)), box("second", QPointF(50, 20))});
    inner->objectInObjectsAtIndex(1)->setLocked(true);
    drawing->setActiveLayer(inner);

    auto copy = roundTrip(drawing);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->layerName(), "Map");
    EXPECT_EQ(copy->drawingSize(), QSizeF(400, 300));
    EXPECT_EQ(copy->interior(), QRectF(1, 2, 396, 294));
    EXPECT_EQ(copy->paperColour(), pf::Color(1, 0.5, 0));
    EXPECT_TRUE(copy->paperColourIsPrinted());
    EXPECT_TRUE(copy->snapsToGrid());
    EXPECT_EQ(copy->units(), RVUnitLength::centimeters());
    EXPECT_EQ(copy->stringForKey("texture"), "oak");
    EXPECT_EQ(copy->gridType(), 1);

    ASSERT_EQ(copy->countOfLayers(), drawing->countOfLayers());
    for (qint64 i = 0; i < copy->countOfLayers(); ++i) {
        EXPECT_EQ(copy->objectInLayersAtIndex(i)->className(), drawing->objectInLayersAtIndex(i)->className());
        EXPECT_EQ(copy->objectInLayersAtIndex(i)->layerGroup(), copy);
    }
    auto copiedGrid = std::dynamic_pointer_cast<PWIsometricGridLayer>(copy->gridLayer());
    ASSERT_TRUE(copiedGrid);
    EXPECT_EQ(copiedGrid->spanMultiplier(), 2.5);
    EXPECT_EQ(copiedGrid->divisions(), 5);
    EXPECT_EQ(copiedGrid->majors(), 4);
    EXPECT_EQ(copiedGrid->rulerSteps(), 2);
    EXPECT_TRUE(copiedGrid->shouldDrawToPrinter());
    EXPECT_TRUE(copiedGrid->locked());
    EXPECT_EQ(copy->guideLayer()->horizontalGuides(), QList<double>{12.5});
    EXPECT_EQ(copy->guideLayer()->verticalGuides(), QList<double>{40});
    EXPECT_EQ(copy->guideLayer()->guideDeletionRect(), QRectF(0, 0, 400, 300));

    auto copiedGroup = std::dynamic_pointer_cast<PWLayerGroup>(copy->firstLayerOfClass(PWLayerGroup::staticClass()));
    ASSERT_TRUE(copiedGroup);
    EXPECT_EQ(copiedGroup->alpha(), 0.5);
    ASSERT_EQ(copiedGroup->countOfLayers(), 1);
    auto copiedInner = std::dynamic_pointer_cast<PWObjectDrawingLayer>(copiedGroup->objectInLayersAtIndex(0));
    ASSERT_TRUE(copiedInner);
    EXPECT_EQ(copy->activeLayer(), copiedInner);
    EXPECT_EQ(copiedInner->selectionColour(), QColor(10, 20, 30));
    EXPECT_TRUE(copiedInner->allowsSnapToObjects());
    ASSERT_EQ(copiedInner->countOfObjects(), 2);
    EXPECT_EQ(copiedInner->objectInObjectsAtIndex(0)->name(), "first");
    EXPECT_EQ(copiedInner->objectInObjectsAtIndex(1)->location(), QPointF(50, 20));
    EXPECT_TRUE(copiedInner->objectInObjectsAtIndex(1)->locked());
    EXPECT_EQ(copiedInner->objectInObjectsAtIndex(0)->container(), copiedInner.get());
    // The decoded layer's index answers spatial queries.
    const auto found = copiedInner->objectsInRect(QRectF(49, 19, 2, 2));
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first(), copiedInner->objectInObjectsAtIndex(1));
    EXPECT_FALSE(copy->undoManager()->canUndo());
}

TEST(LayersArchive, DuplicateLayerCopiesItsObjects)
{
    auto drawing = PWDrawing::defaultDrawing();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
    ASSERT_TRUE(layer);
    layer->addObject(box("only", QPointF(5, 5)));
    auto duplicate = std::dynamic_pointer_cast<PWObjectDrawingLayer>(layer->duplicateLayer());
    ASSERT_TRUE(duplicate);
    EXPECT_FALSE(duplicate->layerGroup());
    ASSERT_EQ(duplicate->countOfObjects(), 1);
    EXPECT_NE(duplicate->objectInObjectsAtIndex(0), layer->objectInObjectsAtIndex(0));
    EXPECT_TRUE(drawing->addLayer(duplicate));
    EXPECT_FALSE(drawing->respondsTo("duplicateLayer"));
    EXPECT_FALSE(drawing->gridLayer()->respondsTo("duplicateLayer"));
    EXPECT_TRUE(layer->respondsTo("duplicateLayer"));
}

// A damaged archive that lists an object twice in a layer, or a renderer twice in a style,
// reads each once.
TEST(LayersArchive, RepeatedEntriesInADamagedArchiveAreTakenOnce)
{
    auto drawing = PWDrawing::defaultDrawing();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
    ASSERT_TRUE(layer);
    layer->addObject(PWDrawableShape::drawableShapeWithRect(
        QRectF(0, 0, 10, 10), PWStyle::styleWithFillColour(pf::Color(0.2, 0.4, 0.6), pf::Color::black())));
    QVariantMap archive = pf::PropertyList::value(pf::KeyedArchiver::archivedData(drawing)).toMap();
    QVariantList objects = archive.value("$objects").toList();
    for (QVariant& entry : objects) {
        QVariantMap fields = entry.toMap();
        for (const char* key : {"pw_objects_objects", "pw_rastgroup_renderList"}) {
            QVariantList list = fields.value(key).toList();
            if (!list.isEmpty()) {
                list.append(list.first());
                fields[key] = list;
                entry = fields;
            }
        }
    }
    archive["$objects"] = objects;
    // Binary, so that it is read where it lies.
    const QByteArray damaged = pf::PropertyList::data(archive, pf::PropertyListFormat::Binary);
    ASSERT_FALSE(damaged.isEmpty());
    pf::Error error;
    auto copy = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawing>(damaged, &error);
    ASSERT_TRUE(copy) << error.description().toStdString();
    auto copied = std::dynamic_pointer_cast<PWObjectDrawingLayer>(copy->activeLayer());
    ASSERT_TRUE(copied);
    ASSERT_EQ(copied->countOfObjects(), 1);
    const auto object = copied->objectInObjectsAtIndex(0);
    EXPECT_EQ(object->container(), copied.get());
    ASSERT_TRUE(object->style());
    EXPECT_EQ(object->style()->renderList().size(), 2);
}

// A damaged archive reads what can be read and never builds a broken tree.
TEST(LayersArchive, DamagedValuesFallBackToSaneOnes)
{
    auto drawing = PWDrawing::defaultDrawing();
    const QByteArray data = pf::KeyedArchiver::archivedData(drawing, pf::PropertyListFormat::XML);
    QVariant plist = pf::PropertyList::value(data);
    QVariantMap archive = plist.toMap();
    QVariantList objects = archive.value("$objects").toList();
    for (QVariant& entry : objects) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue; // "$null" and the plain values
        QVariantMap fields = entry.toMap();
        if (fields.contains("pw_drawing_size"))
            fields["pw_drawing_size"] = QVariantList{-5.0, 10.0};
        if (fields.contains("pw_drawing_marginLeft"))
            fields["pw_drawing_marginLeft"] = -3.0;
        if (fields.contains("pw_layer_alpha"))
            fields["pw_layer_alpha"] = 9.0;
        if (fields.contains("pw_grid_divisions"))
            fields["pw_grid_divisions"] = -7;
        if (fields.contains("pw_guides_horizontal"))
            fields["pw_guides_horizontal"] = QVariantList{"x", 3.0};
        if (fields.contains("pw_group_layers")) {
            // The drawing names its first layer twice.
            QVariantList layers = fields["pw_group_layers"].toList();
            layers.append(layers.first());
            fields["pw_group_layers"] = layers;
        }
        entry = fields;
    }
    archive["$objects"] = objects;
    pf::Error error;
    const QByteArray damaged = pf::PropertyList::data(archive, pf::PropertyListFormat::XML, &error);
    ASSERT_FALSE(damaged.isEmpty());
    auto copy = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawing>(damaged, &error);
    ASSERT_TRUE(copy) << error.description().toStdString();
    EXPECT_EQ(copy->countOfLayers(), drawing->countOfLayers());
    EXPECT_EQ(copy->drawingSize(), QSizeF(595.2755905511812, 841.8897637795276));
    EXPECT_EQ(copy->leftMargin(), 0.0);
    EXPECT_EQ(copy->gridLayer()->divisions(), 1);
    EXPECT_EQ(copy->gridLayer()->alpha(), 1.0);
    EXPECT_EQ(copy->guideLayer()->horizontalGuides(), QList<double>{3.0});
}
