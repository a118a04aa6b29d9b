#include <gtest/gtest.h>

#include "inspectors/VNQLGeometryController.h"
#include "inspectors/VNQL_AlignDistributeController.h"
#include "inspectors/VNQL_PWArcPathController.h"
#include "inspectors/VNQL_PWDrawableObjectController.h"
#include "inspectors/VNQL_PWImageShapeController.h"
#include "inspectors/VNQL_PWRegularPolygonPathController.h"
#include "inspectors/VNQL_PWRoundRectShapeController.h"
#include "inspectors/VNQL_PWXSliceController.h"
#include "inspectors/VNQL_ZArrangerViewController.h"

#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLDrawingExtensions.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVObservableObject.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/ui/MenuItem.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/BezierPath.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QCoreApplication>

using pf::Ref;

namespace {

// A model object that, unlike the drawing's, takes every edit even while locked: the panes'
// own guard is all that keeps it unchanged.
class GeoUnguardedPlate : public RVObservableObject {
    PF_CLASS(GeoUnguardedPlate)
public:
    QVariant xLocation() const { return m_x; }
    void setXLocation(const QVariant& x) { setObservedValue(m_x, x, QStringLiteral("xLocation")); }
    QVariant cornerRadius() const { return m_radius; }
    void setCornerRadius(const QVariant& r) { setObservedValue(m_radius, r, QStringLiteral("cornerRadius")); }
    QVariant locked() const { return m_locked; }
    void setLocked(const QVariant& locked) { setObservedValue(m_locked, locked, QStringLiteral("locked")); }

private:
    QVariant m_x = 10.0;
    QVariant m_radius = 5.0;
    QVariant m_locked = false;
};

} // namespace

PF_DEFINE_CLASS(GeoUnguardedPlate, RVObservableObject)
{
    b.property("xLocation", &GeoUnguardedPlate::xLocation, &GeoUnguardedPlate::setXLocation);
    b.property("cornerRadius", &GeoUnguardedPlate::cornerRadius, &GeoUnguardedPlate::setCornerRadius);
    b.property("locked", &GeoUnguardedPlate::locked, &GeoUnguardedPlate::setLocked);
}

namespace {

QVariant sender(QObject* control)
{
    return QVariant::fromValue<QObject*>(control);
}

class GeometryInspectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VNQLDrawingExtensions::install();
        drawing = std::make_shared<PWDrawing>();
        layer = std::make_shared<PWObjectDrawingLayer>();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        tab = std::make_shared<VNQLGeometryController>();
        tab->view();
        tab->setDrawing(drawing);
    }

    Ref<PWDrawableShape> rect(const QRectF& bounds = QRectF(0, 0, 80, 40))
    {
        return add(PWDrawableShape::drawableShapeWithRect(bounds));
    }
    Ref<PWDrawablePath> line(const QPointF& from, const QPointF& to, bool curved = false)
    {
        pf::BezierPath path;
        path.moveTo(from);
        if (curved)
            path.curveTo(to, from + QPointF(10, 40), to + QPointF(-10, 40));
        else
            path.lineTo(to);
        return add(PWDrawablePath::drawablePathWithPath(path));
    }
    template <class T>
    Ref<T> add(const Ref<T>& object)
    {
        layer->addObject(object);
        return object;
    }
    // Selects the objects and lets the panes read their new content.
    void select(const QList<Ref<PWDrawableObject>>& objects)
    {
        layer->exchangeSelectionWithObjectsFromArray(objects);
        settle();
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    QStringList installedPanes() const
    {
        QStringList names;
        for (pf::ViewController* controller : tab->installedSubcontrollers())
            names.append(controller->className());
        return names;
    }
    template <class T>
    T& pane(const char* key)
    {
        return dynamic_cast<T&>(*tab->subcontrollerForClass(QString::fromLatin1(key)));
    }
    RVUndoManager& undo() { return *drawing->undoManager(); }

    Ref<PWDrawing> drawing;
    Ref<PWObjectDrawingLayer> layer;
    Ref<VNQLGeometryController> tab;
};

} // namespace

TEST_F(GeometryInspectorTest, StacksThePanesOfTheSelectionsHighestCommonClass)
{
    const QString drawable = "VNQL_PWDrawableObjectController";
    const QString arranger = "VNQL_ZArrangerViewController";
    const QString booleans = "VNQL_BooleanOpsViewController";
    const QString alignment = "VNQL_AlignDistributeController";
    struct Case {
        const char* name;
        std::function<QList<Ref<PWDrawableObject>>()> make;
        QStringList panes;
    };
    const QList<Case> cases = {
        {"round rectangles", [&] { return QList<Ref<PWDrawableObject>>{add(PWRoundRectShape::roundRectShapeWithRect({0, 0, 50, 50}, 5)),
                                                                      add(PWRoundRectShape::roundRectShapeWithRect({60, 0, 50, 50}, 8))}; },
         {drawable, "VNQL_PWRoundRectShapeController", arranger, booleans, alignment}},
        {"a round rectangle and a plain shape", [&] { return QList<Ref<PWDrawableObject>>{add(PWRoundRectShape::roundRectShapeWithRect({0, 0, 50, 50}, 5)), rect()}; },
         {drawable, arranger, booleans, alignment}},
        {"a straight line", [&] { return QList<Ref<PWDrawableObject>>{line({0, 0}, {100, 0})}; },
         {drawable, "VNQL_PWDrawablePathController", arranger}},
        {"a curved path", [&] { return QList<Ref<PWDrawableObject>>{line({0, 0}, {100, 0}, true)}; }, {drawable, arranger}},
        {"an arc", [&] { return QList<Ref<PWDrawableObject>>{add(PWArcPath::arcPathWithCentre({50, 50}, 30, 0, 90))}; },
         {drawable, "VNQL_PWArcPathController", arranger}},
        {"a polygon", [&] { return QList<Ref<PWDrawableObject>>{add(PWRegularPolygonPath::polygonWithCentre({50, 50}, 30, 6))}; },
         {drawable, "VNQL_PWRegularPolygonPathController", arranger}},
        {"nothing", [] { return QList<Ref<PWDrawableObject>>{}; }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select(c.make());
        EXPECT_EQ(installedPanes(), c.panes);
    }
    EXPECT_EQ(tab->nameString(), QString());
    EXPECT_EQ(tab->auxiliaryInfoString(), QString());
}

TEST_F(GeometryInspectorTest, TheSlicesLayerShowsTheSlicePaneWithoutTheArrangePane)
{
    drawing->addLayer(std::make_shared<VNQLSlicesLayer>());
    Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing);
    ASSERT_TRUE(slices);
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(QRectF(10, 10, 100, 50));
    slices->addSlice(slice);
    slices->selectSlice(slice, false);
    drawing->setActiveLayer(slices);
    settle();
    EXPECT_EQ(installedPanes(), QStringList{"VNQL_PWXSliceController"});

    auto& slicePane = pane<VNQL_PWXSliceController>("PWXSlice");
    slicePane.xLocationField()->setObjectValue(30.0);
    slicePane.xLocationAction(sender(slicePane.xLocationField()));
    EXPECT_DOUBLE_EQ(slice->xLocation(), 30.0);
}

TEST_F(GeometryInspectorTest, NamesAndSummarisesTheSelection)
{
    auto a = rect();
    a->setName("Left box");
    auto b = rect(QRectF(100, 0, 80, 40));
    select({a});
    EXPECT_EQ(tab->nameString(), "Left box");
    EXPECT_EQ(tab->auxiliaryInfoString(), a->displayName());
    select({a, b});
    EXPECT_EQ(tab->nameString(), "Multiple Selection");
    EXPECT_EQ(tab->auxiliaryInfoString(), QStringLiteral("2 %1s").arg(a->displayName()));
}

TEST_F(GeometryInspectorTest, AnEditByNumberWritesEveryObjectAsOneNamedUndoStep)
{
    auto a = rect(QRectF(0, 0, 80, 40));
    auto b = rect(QRectF(100, 0, 80, 40));
    select({a, b});
    auto& drawablePane = pane<VNQL_PWDrawableObjectController>("PWDrawableObject");
    EXPECT_EQ(drawablePane.xLocationField()->stringValue(), QString()); // x differs: mixed
    EXPECT_EQ(drawablePane.widthField()->stringValue(), "80");

    drawablePane.widthField()->setObjectValue(120.0);
    drawablePane.sizeWidthAction(sender(drawablePane.widthField()));
    EXPECT_DOUBLE_EQ(a->width(), 120.0);
    EXPECT_DOUBLE_EQ(b->width(), 120.0);
    EXPECT_EQ(undo().undoActionName(), "Change Width");
    undo().undo();
    EXPECT_DOUBLE_EQ(a->width(), 80.0);
    EXPECT_DOUBLE_EQ(b->width(), 80.0);
}

TEST_F(GeometryInspectorTest, LockedObjectsTakeNoEditButCanBeUnlocked)
{
    auto locked = rect(QRectF(0, 0, 80, 40));
    auto free = rect(QRectF(100, 0, 80, 40));
    locked->setLocked(true);
    select({locked, free});
    auto& drawablePane = pane<VNQL_PWDrawableObjectController>("PWDrawableObject");
    EXPECT_EQ(drawablePane.lockCheckbox()->state(), pf::ControlState::Mixed);
    EXPECT_TRUE(drawablePane.lockCheckbox()->isEnabled());

    const double lockedX = locked->xLocation();
    drawablePane.yLocationField()->setObjectValue(300.0);
    drawablePane.yLocationAction(sender(drawablePane.yLocationField()));
    EXPECT_DOUBLE_EQ(locked->xLocation(), lockedX);
    EXPECT_NE(locked->yLocation(), 300.0);
    EXPECT_DOUBLE_EQ(free->yLocation(), 300.0);

    select({locked});
    EXPECT_FALSE(drawablePane.xLocationField()->isEnabled());
    EXPECT_TRUE(drawablePane.lockCheckbox()->isEnabled());
    drawablePane.lockCheckbox()->setState(pf::ControlState::Off);
    drawablePane.generalLockAction(sender(drawablePane.lockCheckbox()));
    EXPECT_FALSE(locked->locked());
    EXPECT_TRUE(drawablePane.xLocationField()->isEnabled());
}

TEST_F(GeometryInspectorTest, APaneEditsOnlyTheObjectsOfItsOwnClass)
{
    // A pane handed objects and slices together edits only what it shows.
    auto shape = rect(QRectF(0, 0, 80, 40));
    auto slice = std::make_shared<PWXSlice>();
    slice->setBounds(QRectF(0, 0, 80, 40));
    const double sliceX = slice->xLocation();
    VNQL_PWDrawableObjectController drawablePane;
    drawablePane.setContent({shape});
    VNQL_PWXSliceController slicePane;
    slicePane.view();
    struct Source : VNQLObjectControllerDataSource {
        QList<Ref<pf::Object>> objects;
        QList<Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController*) override { return objects; }
    } source;
    source.objects = {shape, slice};
    auto objectPane = std::make_shared<VNQL_PWDrawableObjectController>();
    objectPane->view();
    objectPane->setDataSource(&source);
    settle();
    ASSERT_EQ(objectPane->content().size(), 1);
    objectPane->xLocationField()->setObjectValue(200.0);
    objectPane->xLocationAction(sender(objectPane->xLocationField()));
    EXPECT_DOUBLE_EQ(shape->xLocation(), 200.0);
    EXPECT_DOUBLE_EQ(slice->xLocation(), sliceX);
    objectPane->setDataSource(nullptr);
}

TEST_F(GeometryInspectorTest, SizesShownAsPercentagesScaleEachObjectFromItsOwnSize)
{
    auto a = rect(QRectF(0, 0, 80, 40));
    auto b = rect(QRectF(100, 0, 40, 40));
    select({a, b});
    auto& drawablePane = pane<VNQL_PWDrawableObjectController>("PWDrawableObject");
    drawablePane.percentageCheckbox()->setState(pf::ControlState::On);
    drawablePane.sizePercentageAction(sender(drawablePane.percentageCheckbox()));
    EXPECT_EQ(drawablePane.widthField()->stringValue(), "100%");
    drawablePane.widthField()->setObjectValue(0.5);
    drawablePane.sizeWidthAction(sender(drawablePane.widthField()));
    EXPECT_DOUBLE_EQ(a->width(), 40.0);
    EXPECT_DOUBLE_EQ(b->width(), 20.0);
    // More than 400 % is refused by the field's formatter.
    QVariant parsed;
    EXPECT_FALSE(drawablePane.widthField()->formatter()->getObjectValue("500%", &parsed, nullptr));
}

TEST_F(GeometryInspectorTest, AnglesShowWithinHalfATurn)
{
    const QList<std::pair<double, double>> cases = {{270, -90}, {180, 180}, {-30, -30}, {540, 180}, {0, 0}, {720, 0}};
    for (const auto& [stored, shown] : cases)
        EXPECT_DOUBLE_EQ(VNQL_PWDrawableObjectController::normalisedAngle(stored), shown) << stored;
}

TEST_F(GeometryInspectorTest, PathSelectionsChooseTheirControls)
{
    using Pane = VNQL_PWDrawableObjectController;
    auto straight = line({0, 0}, {100, 0});
    select({straight});
    auto& drawablePane = pane<Pane>("PWDrawableObject");
    EXPECT_EQ(drawablePane.interfaceOptions(), Pane::kAllControls & ~Pane::kSizeControls);
    EXPECT_FALSE(drawablePane.widthField()->isEnabled());
    EXPECT_TRUE(drawablePane.angleField()->isEnabled());
    auto curved = line({0, 0}, {100, 0}, true);
    select({curved});
    EXPECT_EQ(drawablePane.interfaceOptions(), Pane::kAllControls & ~Pane::kAngleControls);
    EXPECT_TRUE(drawablePane.widthField()->isEnabled());
    EXPECT_FALSE(drawablePane.angleField()->isEnabled());
}

TEST_F(GeometryInspectorTest, LengthsFollowTheDisplayUnits)
{
    struct Delegate : PWDrawingDelegate {
        pf::Ref<RVUnitLength> convertedDisplayUnitsForDrawing(const PWDrawing&) const override
        {
            return RVUnitLength::unitWithSymbol("m");
        }
        double conversionMultiplierForDisplayUnits() const override { return 0.5; }
    } delegate;
    drawing->setDelegate(&delegate);
    drawing->setUnits(RVUnitLength::unitWithSymbol("in"));

    tab->setDrawingUnitsMode(VNQLGeometryController::kPoints);
    EXPECT_EQ(tab->drawingUnitsFormatter()->stringFromNumber(10), "10");
    tab->setDrawingUnitsMode(VNQLGeometryController::kDrawingUnits);
    EXPECT_EQ(tab->drawingUnitsFormatter()->stringFromNumber(72), "1in");
    tab->setDrawingUnitsMode(VNQLGeometryController::kConvertedUnits);
    EXPECT_EQ(tab->drawingUnitsFormatter()->stringFromNumber(10), "20m");
    EXPECT_EQ(tab->unitsPopUp()->selectedItem()->tag(), VNQLGeometryController::kConvertedUnits);

    // The panes' fields take the new formatter.
    auto a = rect(QRectF(0, 0, 80, 40));
    select({a});
    auto& drawablePane = pane<VNQL_PWDrawableObjectController>("PWDrawableObject");
    EXPECT_EQ(drawablePane.widthField()->stringValue(), "160m");
    tab->setDrawingUnitsMode(VNQLGeometryController::kPoints);
    EXPECT_EQ(drawablePane.widthField()->stringValue(), "80");
    drawing->setDelegate(nullptr);
}

TEST_F(GeometryInspectorTest, StackingMovesAreBoundedAndOneUndoStepEach)
{
    QList<Ref<PWDrawableShape>> objects;
    for (int i = 0; i < 5; ++i)
        objects.append(rect(QRectF(i * 10, 0, 8, 8)));
    auto& arranger = pane<VNQL_ZArrangerViewController>("VNQL_Arranger");
    auto order = [&] {
        QList<int> indexes;
        for (const auto& object : layer->objectList())
            indexes.append(int(objects.indexOf(std::static_pointer_cast<PWDrawableShape>(object))));
        return indexes;
    };

    select({objects[1], objects[3], objects[4]});
    arranger.moveToBackAction({});
    EXPECT_EQ(order(), (QList<int>{1, 3, 4, 0, 2}));
    EXPECT_EQ(undo().undoActionName(), "Move To Back");
    undo().undo();
    EXPECT_EQ(order(), (QList<int>{0, 1, 2, 3, 4}));

    select({objects[0], objects[2]});
    arranger.moveToFrontAction({});
    EXPECT_EQ(order(), (QList<int>{1, 3, 4, 0, 2}));
    settle();

    // Already at the bottom: stays.
    select({objects[1]});
    arranger.moveBackwardsAction({});
    EXPECT_EQ(order(), (QList<int>{1, 3, 4, 0, 2}));

    // Neighbours move down together, keeping their own order.
    settle();
    select({objects[4], objects[0]});
    arranger.moveBackwardsAction({});
    EXPECT_EQ(order(), (QList<int>{1, 4, 0, 3, 2}));
    undo().undo();
    EXPECT_EQ(order(), (QList<int>{1, 3, 4, 0, 2}));
    settle();

    // Neighbours move up together; the top one cannot go further.
    select({objects[4], objects[0]});
    arranger.moveForwardsAction({});
    EXPECT_EQ(order(), (QList<int>{1, 3, 2, 4, 0}));
    arranger.moveForwardsAction({});
    arranger.moveForwardsAction({});
    EXPECT_EQ(order(), (QList<int>{1, 3, 2, 4, 0}));
    EXPECT_EQ(layer->countOfObjects(), 5);
}

TEST_F(GeometryInspectorTest, ButtonsNeedEnoughObjects)
{
    auto a = rect(QRectF(0, 0, 10, 10));
    auto b = rect(QRectF(20, 0, 10, 10));
    auto& arranger = pane<VNQL_ZArrangerViewController>("VNQL_Arranger");
    auto& alignment = pane<VNQL_AlignDistributeController>("VNQL_Alignment");
    select({a, b});
    EXPECT_FALSE(arranger.stackingEnabled());
    EXPECT_FALSE(alignment.distributionEnabled());
    auto c = rect(QRectF(40, 20, 10, 10));
    select({a, c});
    EXPECT_TRUE(arranger.stackingEnabled());
    select({a, b, c});
    EXPECT_TRUE(alignment.distributionEnabled());
    alignment.alignTopAction({});
    EXPECT_EQ(undo().undoActionName(), "Align Top Edges");
}

TEST_F(GeometryInspectorTest, ArcsShowTheAnglesOfTheLastArc)
{
    auto first = add(PWArcPath::arcPathWithCentre({50, 50}, 30, 0, 90));
    select({first});
    auto& arcPane = pane<VNQL_PWArcPathController>("PWArcPath");
    EXPECT_EQ(arcPane.anglesLine(), QStringLiteral("0.00° - 90.00°"));
    auto second = add(PWArcPath::arcPathWithCentre({150, 50}, 30, 10, 90));
    select({first, second});
    EXPECT_EQ(arcPane.anglesLine(), QString());
}

TEST_F(GeometryInspectorTest, MixedStarsAndPolygonsBecomeStarsTogether)
{
    auto star = add(PWRegularPolygonPath::polygonWithCentre({50, 50}, 30, 5));
    star->setStar(true);
    auto polygon = add(PWRegularPolygonPath::polygonWithCentre({150, 50}, 30, 5));
    select({star, polygon});
    auto& polygonPane = pane<VNQL_PWRegularPolygonPathController>("PWRegularPolygonPath");
    EXPECT_EQ(polygonPane.starSegments()->selectedSegment(), -1);
    EXPECT_TRUE(polygonPane.innerRadiusField()->isEnabled());
    EXPECT_TRUE(polygonPane.valleyField()->isEnabled());
    polygonPane.starSegments()->setSelectedSegment(0);
    polygonPane.starAction(sender(polygonPane.starSegments()));
    EXPECT_TRUE(star->isStar());
    EXPECT_TRUE(polygon->isStar());
    polygonPane.starSegments()->setSelectedSegment(1);
    polygonPane.starAction(sender(polygonPane.starSegments()));
    EXPECT_FALSE(polygon->isStar());
    EXPECT_FALSE(polygonPane.innerRadiusField()->isEnabled());
}

TEST_F(GeometryInspectorTest, RoundedRectanglesShareCornersAndSkipLockedOnes)
{
    auto a = add(PWRoundRectShape::roundRectShapeWithRect({0, 0, 50, 50}, 5));
    auto b = add(PWRoundRectShape::roundRectShapeWithRect({60, 0, 50, 50}, 5));
    a->setCornerFlags(1);
    b->setCornerFlags(6);
    select({a, b});
    auto& roundPane = pane<VNQL_PWRoundRectShapeController>("PWRoundRectShape");
    EXPECT_EQ(roundPane.cornerControl()->corners(), 15u);
    EXPECT_EQ(roundPane.cornerControl()->state(), -1);
    roundPane.cornerControl()->setCorners(9);
    roundPane.cornerControlAction(sender(roundPane.cornerControl()));
    EXPECT_EQ(a->cornerFlags(), 9);
    EXPECT_EQ(b->cornerFlags(), 9);

    a->setLocked(true);
    select({a});
    EXPECT_FALSE(roundPane.radiusField()->isEnabled());
    select({a, b});
    EXPECT_TRUE(roundPane.radiusField()->isEnabled());
    roundPane.radiusField()->setObjectValue(12.0);
    roundPane.cornerRadiusAction(sender(roundPane.radiusField()));
    EXPECT_DOUBLE_EQ(a->cornerRadius(), 5.0);
    EXPECT_DOUBLE_EQ(b->cornerRadius(), 12.0);
}


TEST_F(GeometryInspectorTest, RenamesOneUnlockedObjectFromTheNameLine)
{
    auto a = rect();
    a->setName("Old");
    auto b = rect(QRectF(100, 0, 80, 40));
    select({a, b});
    EXPECT_FALSE(tab->canRename());
    select({a});
    ASSERT_TRUE(tab->canRename());
    tab->renameAction({});
    EXPECT_TRUE(tab->renamingModeActive());
    tab->nameFieldAction(QStringLiteral("   "));
    EXPECT_EQ(a->name(), "Old");
    EXPECT_FALSE(tab->renamingModeActive());
    tab->renameAction({});
    tab->nameFieldAction(QStringLiteral("Roof"));
    EXPECT_EQ(a->name(), "Roof");
    EXPECT_EQ(tab->nameString(), "Roof");
    a->setLocked(true);
    EXPECT_FALSE(tab->canRename());
}

TEST_F(GeometryInspectorTest, PanesWriteNothingToLockedObjectsButTheLock)
{
    auto plate = std::make_shared<GeoUnguardedPlate>();
    plate->setLocked(true);

    VNQL_PWDrawableObjectController drawablePane;
    drawablePane.view();
    drawablePane.setContent({plate});
    drawablePane.setCommonValue(99.0, "xLocation");
    EXPECT_EQ(plate->xLocation().toDouble(), 10.0);
    drawablePane.setCommonValue(false, "locked");
    EXPECT_FALSE(plate->locked().toBool());
    plate->setLocked(true);

    VNQL_PWRoundRectShapeController roundPane;
    roundPane.view();
    roundPane.setContent({plate});
    roundPane.setCommonValue(20.0, "cornerRadius");
    EXPECT_EQ(plate->cornerRadius().toDouble(), 5.0);
    plate->setLocked(false);
    roundPane.setCommonValue(20.0, "cornerRadius");
    EXPECT_EQ(plate->cornerRadius().toDouble(), 20.0);
    drawablePane.setContent({});
    roundPane.setContent({});
}

TEST_F(GeometryInspectorTest, FollowsTheDocumentsUnitDisplayOption)
{
    Ref<RVCartavelDocument> document = quillory::test::newDocument();
    ASSERT_TRUE(document);
    ASSERT_EQ(document->drawing()->owner().get(), document.get());
    auto documentTab = std::make_shared<VNQLGeometryController>();
    documentTab->view();
    documentTab->setDrawing(document->drawing());
    // Option 0 shows drawing units, 1 points, 2 converted units.
    const QList<std::pair<int, int>> cases = {{1, VNQLGeometryController::kPoints},
                                              {0, VNQLGeometryController::kDrawingUnits},
                                              {2, VNQLGeometryController::kConvertedUnits}};
    for (const auto& [option, mode] : cases) {
        document->setUnitDisplayOption(option);
        EXPECT_EQ(documentTab->drawingUnitsMode(), mode) << option;
        EXPECT_EQ(documentTab->unitsPopUp()->selectedItem()->tag(), mode) << option;
    }
    documentTab->setDrawing(nullptr);
    document->close();
}

TEST_F(GeometryInspectorTest, SizeToFitOverSeveralImagesIsOneNamedStep)
{
    QImage pixels(30, 20, QImage::Format_ARGB32);
    pixels.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "PNG");
    QList<Ref<PWDrawableObject>> images;
    for (int i = 0; i < 3; ++i) {
        auto image = add(std::make_shared<PWImageShape>(png));
        image->setSize(QSizeF(100, 100));
        images.append(image);
    }
    select(images);
    settle();
    EXPECT_TRUE(installedPanes().contains("VNQL_PWImageShapeController"));
    auto& imagePane = pane<VNQL_PWImageShapeController>("PWImageShape");
    EXPECT_FALSE(imagePane.editButton()->isEnabled()); // edit needs exactly one image
    imagePane.sizeToFitAction({});
    for (const auto& image : images)
        EXPECT_EQ(image->size(), QSizeF(30, 20));
    EXPECT_EQ(undo().undoActionName(), "Size To Fit Image");
    undo().undo();
    for (const auto& image : images)
        EXPECT_EQ(image->size(), QSizeF(100, 100));
}

TEST_F(GeometryInspectorTest, TheSlicePaneEditsTitleAndColour)
{
    drawing->addLayer(std::make_shared<VNQLSlicesLayer>());
    Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing);
    auto first = std::make_shared<PWXSlice>();
    first->setBounds(QRectF(10, 10, 100, 50));
    auto second = std::make_shared<PWXSlice>();
    second->setBounds(QRectF(200, 10, 100, 50));
    first->setTitle("Header");
    second->setTitle("Footer");
    slices->addSlice(first);
    slices->addSlice(second);
    slices->selectSlicesInArray({first, second}, false);
    drawing->setActiveLayer(slices);
    settle();
    auto& slicePane = pane<VNQL_PWXSliceController>("PWXSlice");
    EXPECT_EQ(slicePane.titleField()->stringValue(), QString());
    slicePane.titleField()->setStringValue("Banner");
    slicePane.sliceTitleAction(sender(slicePane.titleField()));
    EXPECT_EQ(first->title(), "Banner");
    EXPECT_EQ(second->title(), "Banner");
    slicePane.colourWell()->setColor(pf::Color(QColor(Qt::green)));
    slicePane.sliceColourAction(sender(slicePane.colourWell()));
    EXPECT_EQ(first->colour(), QColor(Qt::green));
    EXPECT_EQ(second->colour(), QColor(Qt::green));
    slicePane.toolModeControl()->setSelectedSegment(VNQLSlicesLayer::SelectMode);
    slicePane.toolModeAction(sender(slicePane.toolModeControl()));
    EXPECT_EQ(slices->toolMode(), VNQLSlicesLayer::SelectMode);
}
