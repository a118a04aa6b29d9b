#include "LayersTestSupport.h"

#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWIsometricGridLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/foundation/Exception.h"

#include <gtest/gtest.h>

#include <cmath>

using layers_test::makeDrawing;

using layers_test::step;

namespace {

pf::Ref<PWObjectDrawingLayer> objectLayer(const QString& name)
{
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(name);
    return layer;
}

QStringList names(const PWLayerGroup& group)
{
    QStringList out;
    for (const auto& layer : group.layers())
        out.append(layer->layerName());
    return out;
}

class KeyObserver : public pf::Object {
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap&, void*) override
    {
        keys.append(keyPath);
    }
    QStringList keys;
};

} // namespace

// Each layer property set by key: readable back, observed, undone and redone.
TEST(LayersLayer, PropertiesByKeyAreObservedAndUndoable)
{
    struct Case {
        const char* key;
        QVariant value;
    };
    const Case cases[] = {
        {"layerName", QStringLiteral("Roads")},
        {"locked", true},
        {"visible", false},
        {"alpha", 0.25},
        {"selectionColour", PWLayer::colourValue(QColor(Qt::red))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        auto drawing = makeDrawing();
        auto layer = objectLayer("Layer");
        layer->setSelectionColour(QColor(Qt::blue));
        drawing->addLayer(layer);
        drawing->undoManager()->removeAllActions();
        const QVariant before = layer->valueForKey(c.key);
        auto observer = std::make_shared<KeyObserver>();
        layer->addObserver(observer.get(), c.key);
        step(*drawing, [&] { layer->setValueForKey(c.value, c.key); });
        EXPECT_TRUE(pf::isEqual(layer->valueForKey(c.key), c.value));
        EXPECT_EQ(observer->keys, QStringList{c.key});
        drawing->undoManager()->undo();
        EXPECT_TRUE(pf::isEqual(layer->valueForKey(c.key), before));
        drawing->undoManager()->redo();
        EXPECT_TRUE(pf::isEqual(layer->valueForKey(c.key), c.value));
        // An equal value changes nothing and records nothing.
        const int steps = drawing->undoManager()->numberOfUndoActions();
        step(*drawing, [&] { layer->setValueForKey(c.value, c.key); });
        EXPECT_EQ(drawing->undoManager()->numberOfUndoActions(), steps);
        layer->removeObserver(observer.get());
    }
}

TEST(LayersLayer, AlphaIsClampedAndNaNRefused)
{
    PWLayer layer;
    layer.setAlpha(3.0);
    EXPECT_EQ(layer.alpha(), 1.0);
    layer.setAlpha(-1.0);
    EXPECT_EQ(layer.alpha(), 0.0);
    layer.setAlpha(std::nan(""));
    EXPECT_EQ(layer.alpha(), 0.0);
}

TEST(LayersLayer, SelectionColoursAreHandedOutInTurn)
{
    const QList<QColor> saved = PWLayer::selectionColours();
    PWLayer::setSelectionColours({QColor(Qt::red), QColor(Qt::green)});
    PWLayer a, b, c;
    EXPECT_EQ(a.selectionColour(), QColor(Qt::red));
    EXPECT_EQ(b.selectionColour(), QColor(Qt::green));
    EXPECT_EQ(c.selectionColour(), QColor(Qt::red));
    PWLayer::setSelectionColours(saved);
}

TEST(LayersGroup, EditsPostNotificationsAndUndo)
{
    auto drawing = makeDrawing();
    auto a = objectLayer("A"), b = objectLayer("B"), c = objectLayer("C");
    NotificationRecorder recorder(drawing.get());

    step(*drawing, [&] { drawing->addLayer(a); });
    step(*drawing, [&] { drawing->addLayer(b); });
    step(*drawing, [&] { drawing->insertLayer(c, 2); });
    EXPECT_EQ(names(*drawing), (QStringList{"B", "A", "C"}));
    EXPECT_EQ(recorder.count(kPWLayerGroupDidAddLayer), 3);
    EXPECT_EQ(recorder.count(kPWLayerGroupNumberOfLayersDidChange), 3);
    EXPECT_EQ(pf::objectCast<PWLayer>(recorder.infos.at(0).value(kPWLayerKey)), a);
    EXPECT_EQ(a->layerGroup(), drawing);
    EXPECT_EQ(a->drawing(), drawing.get());

    recorder.clear();
    step(*drawing, [&] { drawing->moveLayer(c, 0); });
    EXPECT_EQ(names(*drawing), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(recorder.names, QStringList{kPWLayerGroupDidReorderLayers});

    recorder.clear();
    step(*drawing, [&] { EXPECT_TRUE(drawing->removeLayer(b)); });
    EXPECT_EQ(names(*drawing), (QStringList{"C", "A"}));
    EXPECT_EQ(recorder.names, (QStringList{kPWLayerGroupDidRemoveLayer, kPWLayerGroupNumberOfLayersDidChange}));
    EXPECT_FALSE(b->layerGroup());
    EXPECT_FALSE(drawing->removeLayer(b));

    auto* undo = drawing->undoManager();
    undo->undo();
    EXPECT_EQ(names(*drawing), (QStringList{"C", "B", "A"}));
    EXPECT_EQ(b->layerGroup(), drawing);
    undo->undo();
    EXPECT_EQ(names(*drawing), (QStringList{"B", "A", "C"}));
    undo->undo();
    undo->undo();
    undo->undo();
    EXPECT_EQ(drawing->countOfLayers(), 0);
    for (int i = 0; i < 5; ++i)
        undo->redo();
    EXPECT_EQ(names(*drawing), (QStringList{"C", "A"}));
}

TEST(LayersGroup, ToManyLayersKeyIsObserved)
{
    auto drawing = makeDrawing();
    auto observer = std::make_shared<KeyObserver>();
    drawing->addObserver(observer.get(), "layers");
    drawing->addLayer(objectLayer("A"));
    EXPECT_EQ(observer->keys, QStringList{"layers"});
    drawing->removeObserver(observer.get());
}

TEST(LayersGroup, RefusesWhatWouldBreakTheTree)
{
    auto drawing = makeDrawing();
    auto group = std::make_shared<PWLayerGroup>();
    auto inner = std::make_shared<PWLayerGroup>();
    drawing->addLayer(group);
    group->addLayer(inner);
    EXPECT_THROW(group->addLayer(nullptr), pf::Exception);
    EXPECT_THROW(inner->addLayer(group), pf::Exception);           // an ancestor
    EXPECT_THROW(inner->addLayer(inner), pf::Exception);           // itself
    EXPECT_THROW(drawing->addLayer(inner), pf::Exception);         // already in a group
    EXPECT_THROW(group->addLayer(makeDrawing()), pf::Exception);   // a drawing
    EXPECT_THROW(group->insertLayer(objectLayer("X"), 5), pf::Exception);
    EXPECT_THROW(group->moveLayer(inner, 3), pf::Exception);
    EXPECT_EQ(inner->level(), 1);

    group->setLocked(true);
    auto refused = objectLayer("Refused");
    EXPECT_FALSE(group->addLayer(refused));
    EXPECT_EQ(group->countOfLayers(), 1);
    EXPECT_FALSE(refused->layerGroup());
}

TEST(LayersDrawing, ActiveLayerRules)
{
    auto drawing = makeDrawing();
    auto a = objectLayer("A"), b = objectLayer("B");
    auto group = std::make_shared<PWLayerGroup>();
    auto grid = std::make_shared<PWGridLayer>();
    drawing->addLayer(grid);
    drawing->addLayer(group);
    group->addLayer(a);
    drawing->addLayer(b);
    NotificationRecorder recorder(drawing.get());

    EXPECT_TRUE(a->attemptToMakeActive());
    EXPECT_EQ(drawing->activeLayer(), a);
    EXPECT_TRUE(a->isActiveLayer());
    EXPECT_EQ(recorder.count(kPWDrawingActiveLayerDidChange), 1);

    // Layers that may not become active are ignored; foreign layers are an error.
    drawing->setActiveLayer(grid);
    drawing->setActiveLayer(group);
    EXPECT_EQ(drawing->activeLayer(), a);
    EXPECT_THROW(drawing->setActiveLayer(objectLayer("Foreign")), pf::Exception);
    b->setLocked(true);
    EXPECT_FALSE(b->attemptToMakeActive());

    EXPECT_EQ(drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()), a);
    EXPECT_FALSE(drawing->activeLayerOfClass(PWGridLayer::staticClass()));
    EXPECT_EQ(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass()), b);
    EXPECT_EQ(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass(), true), b);
    b->setLocked(false);
    drawing->removeLayer(b);
    EXPECT_FALSE(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass()));
    EXPECT_EQ(drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass(), true), a);
    EXPECT_EQ(drawing->firstActivateableLayerOfClass(PWLayer::staticClass()), a);

    // Removing the group that holds the active layer leaves no active layer; undo restores both.
    step(*drawing, [&] { drawing->removeLayer(group); });
    EXPECT_FALSE(drawing->activeLayer());
    drawing->undoManager()->undo();
    EXPECT_EQ(group->layerGroup(), drawing);
    EXPECT_EQ(drawing->activeLayer(), a);

    step(*drawing, [&] { drawing->setActiveLayer(nullptr, true); });
    EXPECT_FALSE(drawing->activeLayer());
    drawing->undoManager()->undo();
    EXPECT_EQ(drawing->activeLayer(), a);
}

TEST(LayersDrawing, FlattenedLayersNamesAndVisibility)
{
    auto drawing = makeDrawing();
    auto group = std::make_shared<PWLayerGroup>();
    group->setLayerName("Group");
    auto a = objectLayer("Layer"), b = objectLayer("Layer 2"), c = objectLayer("C");
    drawing->addLayer(c);
    drawing->addLayer(group);
    group->addLayer(a);
    group->addLayer(b);
    ASSERT_EQ(drawing->flattenedLayers().size(), 3);
    EXPECT_EQ(drawing->flattenedLayersIncludingGroups(true).first(), group);
    EXPECT_EQ(drawing->flattenedLayers().first(), b);
    EXPECT_EQ(drawing->uniqueLayerNameForName("Layer"), "Layer 3");
    EXPECT_EQ(drawing->uniqueLayerNameForName("  "), "Layer 3");
    EXPECT_EQ(drawing->uniqueLayerNameForName("Roads"), "Roads");

    drawing->hideAllExcept(a);
    EXPECT_TRUE(a->visible());
    EXPECT_TRUE(group->visible()); // or the kept layer would vanish with it
    EXPECT_FALSE(b->visible());
    EXPECT_FALSE(c->visible());
    drawing->showAll();
    EXPECT_TRUE(b->visible() && c->visible());
}

TEST(LayersDrawing, PageUnitsAndMetadata)
{
    auto drawing = makeDrawing();
    NotificationRecorder recorder(drawing.get());
    step(*drawing, [&] { drawing->setUnits(RVUnitLength::inches()); });
    EXPECT_EQ(recorder.count(kPWDrawingUnitsDidChangeNotification), 1);
    EXPECT_DOUBLE_EQ(drawing->unitToPointsConversionFactor(), 72.0);
    EXPECT_EQ(drawing->abbreviatedDrawingUnits(), RVUnitLength::inches()->symbol());
    EXPECT_DOUBLE_EQ(drawing->convertLength(144.0), 2.0);
    EXPECT_EQ(PWDrawing::abbreviationForDrawingUnits(drawing->drawingUnits()), RVUnitLength::inches()->symbol());
    drawing->setUnits(nullptr);
    EXPECT_EQ(drawing->units(), RVUnitLength::inches());

    step(*drawing, [&] {
        drawing->setDrawingSize(QSizeF(200, 100));
        drawing->setMargins(10, 20, 30, 40);
    });
    EXPECT_EQ(drawing->interior(), QRectF(10, 20, 160, 40));
    drawing->setMargins(-1, 0, 0, 0);
    drawing->setDrawingSize(QSizeF(NAN, 10));
    EXPECT_EQ(drawing->leftMargin(), 10);
    EXPECT_EQ(drawing->drawingSize(), QSizeF(200, 100));
    drawing->setMargins(150, 0, 150, 0);
    EXPECT_EQ(drawing->interior().width(), 0.0);

    step(*drawing, [&] { drawing->setStringForKey("oak", "kCVLPaperColourImageNameValue"); });
    EXPECT_EQ(drawing->stringForKey("kCVLPaperColourImageNameValue"), "oak");
    drawing->undoManager()->undo();
    EXPECT_TRUE(drawing->stringForKey("kCVLPaperColourImageNameValue").isEmpty());

    const QVariantMap info = drawing->drawingInfo();
    EXPECT_EQ(info.value("pwdrawingdimensions.size_width").toDouble(), 200.0);
    auto other = makeDrawing();
    other->setDrawingInfo(info);
    EXPECT_EQ(other->drawingSize(), drawing->drawingSize());
    EXPECT_EQ(other->units(), RVUnitLength::inches());
    other->setDrawingInfo({{"pwdrawingdimensions.size_width", "wide"}, {kPWDrawingDimensionsUnitsInfoKey, 7}});
    EXPECT_EQ(other->drawingSize(), drawing->drawingSize());
}

TEST(LayersDrawing, DefaultDrawingHasGridObjectsAndGuides)
{
    auto drawing = PWDrawing::defaultDrawing();
    ASSERT_TRUE(drawing->gridLayer());
    ASSERT_TRUE(drawing->guideLayer());
    EXPECT_EQ(drawing->countOfLayers(), 3);
    EXPECT_TRUE(drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    EXPECT_EQ(drawing->units(), RVUnitLength::centimeters());
    EXPECT_FALSE(drawing->undoManager()->canUndo());
    EXPECT_EQ(PWDrawing().countOfLayers(), 0);
}

TEST(LayersDrawing, ControllersAreToldToRedisplayAndAreHeldWeakly)
{
    struct Target : PWDrawingViewTarget {
        QWidget* view() const override { return nullptr; }
        void drawingNeedsDisplayInRect(const QRectF& rect) override { rects.append(rect); }
        QList<QRectF> rects;
    };
    auto drawing = makeDrawing();
    auto layer = objectLayer("A");
    drawing->addLayer(layer);
    Target target;
    drawing->addController(&target);
    drawing->addController(&target);
    ASSERT_EQ(drawing->controllers().size(), 1);
    layer->setNeedsDisplayInRect(QRectF(10, 10, -5, 5));
    ASSERT_EQ(target.rects.size(), 1);
    EXPECT_EQ(target.rects.first(), QRectF(5, 10, 5, 5));
    drawing->removeController(&target);
    layer->setNeedsDisplay(true);
    EXPECT_EQ(target.rects.size(), 1);
}

// Selecting or deselecting redraws the handles too, the rotation knob above the top edge with
// them; and a redraw that reaches only the knob draws it again.
TEST(LayersDrawing, SelectionChangesRedrawTheHandlesBeyondTheBounds)
{
    struct Target : PWDrawingViewTarget {
        QWidget* view() const override { return nullptr; }
        void drawingNeedsDisplayInRect(const QRectF& rect) override { rects.append(rect); }
        bool covered(QPointF point) const
        {
            for (const QRectF& rect : rects)
                if (rect.contains(point))
                    return true;
            return false;
        }
        QList<QRectF> rects;
    };
    auto drawing = makeDrawing();
    auto layer = objectLayer("A");
    drawing->addLayer(layer);
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(100, 100, 40, 30));
    layer->addObject(shape);
    // Far enough above the top edge that no padding of the bounds reaches it.
    const QPointF knob = shape->knobPoint(PWDrawableShape::kRotationHandle);
    ASSERT_LT(knob.y(), 100 - 8 - 2);
    Target target;
    drawing->addController(&target);
    layer->addObjectToSelection(shape);
    EXPECT_TRUE(target.covered(knob)) << "selecting";
    target.rects.clear();
    layer->deselectAll();
    EXPECT_TRUE(target.covered(knob)) << "deselecting";
    drawing->removeController(&target);
}

TEST(LayersGrid, SpanSettingsSnappingAndLocations)
{
    auto drawing = makeDrawing();
    drawing->setUnits(RVUnitLength::centimeters());
    drawing->setMargins(10, 20, 10, 20);
    auto grid = std::make_shared<PWGridLayer>();
    drawing->addLayer(grid);
    const double cm = RVUnitLength::centimeters()->conversionFactorForPoints();

    step(*drawing, [&] { grid->setSpan(2.0, 4, 5, 1); });
    EXPECT_DOUBLE_EQ(grid->spanDistance(), 2 * cm);
    EXPECT_DOUBLE_EQ(grid->divisionDistance(), cm / 2);
    grid->setSpan(0.0, 4, 5, 1);
    grid->setSpan(2.0, -3, 0, 100000);
    EXPECT_EQ(grid->divisions(), 1);
    EXPECT_EQ(grid->majors(), 1);
    EXPECT_EQ(grid->rulerSteps(), PWGridLayer::kMaxCount);
    drawing->undoManager()->removeAllActions();
    step(*drawing, [&] { grid->setSpan(2.0, 4, 5, 1); });

    // Snapping is off until switched on; Control reverses the setting.
    const QPointF p(10 + 0.7 * cm, 20 + 1.2 * cm);
    EXPECT_EQ(drawing->snapToGrid(p, false), p);
    drawing->setSnapsToGrid(true);
    const QPointF snapped = drawing->snapToGrid(p, false);
    EXPECT_NEAR(snapped.x(), 10 + 0.5 * cm, 1e-9);
    EXPECT_NEAR(snapped.y(), 20 + 1.0 * cm, 1e-9);
    EXPECT_EQ(drawing->snapToGrid(p, true), p);

    EXPECT_EQ(grid->pointForGridLocation(QPointF(1, 2)), QPointF(10 + cm, 20 + 2 * cm));
    const QPointF back = grid->gridLocationForPoint(QPointF(10 + cm, 20 + 2 * cm));
    EXPECT_NEAR(back.x(), 1, 1e-12);
    EXPECT_NEAR(back.y(), 2, 1e-12);
    EXPECT_EQ(grid->quartzDistanceForGridDistance(QSizeF(1, 3)), QSizeF(cm, 3 * cm));

    // Margins are widened so a whole number of spans fits.
    drawing->setDrawingSize(QSizeF(10 + 10 + 5 * cm, 100));
    grid->tweakDrawingMargins();
    EXPECT_NEAR(drawing->interior().width(), 4 * cm, 1e-9);
    EXPECT_NEAR(drawing->leftMargin(), 10 + cm / 2, 1e-9);

    drawing->undoManager()->undo();
    drawing->undoManager()->undo();
    EXPECT_EQ(grid->divisions(), 1);
}

TEST(LayersGrid, SnapToVisibleGridOnly)
{
    auto drawing = makeDrawing();
    auto grid = std::make_shared<PWGridLayer>();
    drawing->addLayer(grid);
    grid->setSpan(1.0, 1, 1, 1); // one point: the drawing is in points
    drawing->setSnapsToGrid(true);
    grid->setVisible(false);
    const QPointF p(3.3, 4.4);
    PWDrawing::setSnapToGridOnGridVisible(true);
    EXPECT_EQ(drawing->snapToGrid(p, false), p);
    grid->setVisible(true);
    EXPECT_EQ(drawing->snapToGrid(p, false), QPointF(3, 4));
    grid->setVisible(false);
    PWDrawing::setSnapToGridOnGridVisible(false);
    EXPECT_EQ(drawing->snapToGrid(p, false), QPointF(3, 4));
}

TEST(LayersGrid, IsometricSnapsToTheTriangleLattice)
{
    PWIsometricGridLayer grid;
    grid.setSpan(10.0, 1, 1, 1); // no drawing: points, division 10
    const double column = 10.0 * std::sqrt(3.0) / 2.0;
    struct Case {
        QPointF point, expected;
    };
    const Case cases[] = {
        {{0.5, 0.4}, {0, 0}},
        {{column + 0.2, 4.0}, {column, 5.0}},      // odd columns are shifted by half a division
        {{2 * column - 0.3, 19.0}, {2 * column, 20.0}},
        {{column * 0.9, -4.6}, {column, -5.0}},
    };
    for (const Case& c : cases) {
        const QPointF s = grid.snapPointToGrid(c.point);
        EXPECT_NEAR(s.x(), c.expected.x(), 1e-9) << c.point.x() << "," << c.point.y();
        EXPECT_NEAR(s.y(), c.expected.y(), 1e-9) << c.point.x() << "," << c.point.y();
    }
}

TEST(LayersGrid, GridTypeSwapsTheGridLayerWithUndo)
{
    auto drawing = makeDrawing();
    auto grid = std::make_shared<PWGridLayer>();
    grid->setLayerName("Graph Paper");
    grid->setSpan(3.0, 6, 2, 1);
    drawing->addLayer(grid);
    drawing->addLayer(objectLayer("A"));
    step(*drawing, [&] { drawing->setGridType(1); });
    auto iso = std::dynamic_pointer_cast<PWIsometricGridLayer>(drawing->gridLayer());
    ASSERT_TRUE(iso);
    EXPECT_EQ(drawing->indexOfLayer(iso.get()), 1);
    EXPECT_EQ(iso->layerName(), "Graph Paper");
    EXPECT_EQ(iso->divisions(), 6);
    drawing->undoManager()->undo();
    EXPECT_EQ(drawing->gridType(), 0);
    EXPECT_EQ(drawing->gridLayer(), grid);
    drawing->undoManager()->redo();
    EXPECT_EQ(drawing->gridType(), 1);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWIsometricGridLayer>(drawing->gridLayer()));
}

TEST(LayersGuides, EditsUndoAndSnapping)
{
    auto drawing = makeDrawing();
    auto guides = std::make_shared<PWGuideLayer>();
    drawing->addLayer(guides);
    guides->setGuideDeletionRect(QRectF(0, 0, 500, 500));
    NotificationRecorder recorder(guides.get());

    step(*drawing, [&] { guides->addVerticalGuide(100); });
    step(*drawing, [&] { guides->addHorizontalGuide(50); });
    EXPECT_EQ(recorder.count(kPWGuideLayerDidAddGuide), 2);
    step(*drawing, [&] { EXPECT_TRUE(guides->moveVerticalGuide(100, 120)); });
    EXPECT_EQ(guides->verticalGuides(), QList<double>{120});
    // Dragged outside the deletion rectangle: removed.
    step(*drawing, [&] { EXPECT_TRUE(guides->moveHorizontalGuide(50, 600)); });
    EXPECT_TRUE(guides->horizontalGuides().isEmpty());
    EXPECT_EQ(recorder.count(kPWGuideLayerDidRemoveGuide), 1);
    drawing->undoManager()->undo();
    EXPECT_EQ(guides->horizontalGuides(), QList<double>{50});
    drawing->undoManager()->undo();
    EXPECT_EQ(guides->verticalGuides(), QList<double>{100});
    guides->addVerticalGuide(NAN);
    EXPECT_EQ(guides->countOfGuides(), 2);

    // Snapping needs the drawing's switch, and only reaches guides within the tolerance.
    EXPECT_EQ(drawing->snapToGuides(QPointF(103, 47)), QPointF(103, 47));
    drawing->setSnapsToGuides(true);
    EXPECT_EQ(drawing->snapToGuides(QPointF(103, 47)), QPointF(100, 50));
    EXPECT_EQ(drawing->snapToGuides(QPointF(110, 47)), QPointF(110, 50));
    EXPECT_EQ(drawing->snapPointsToGuide({QPointF(96, 0), QPointF(198, 52), QPointF(300, 300)}), QSizeF(4, -2));
    guides->setVisible(false);
    EXPECT_EQ(drawing->snapToGuides(QPointF(103, 47)), QPointF(103, 47));

    guides->clearGuides();
    EXPECT_FALSE(guides->hasGuides());
}
