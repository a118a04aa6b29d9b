#include "tests/frameworks/penwork/drawables/DrawableTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawableNameProvider.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using drawablestest::Container;
using drawablestest::Observer;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

pf::Ref<PWDrawableShape> placedShape(Container& container)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->setContainer(&container);
    return shape;
}

// Doubles read back through other units may differ in the last bits.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::Double || b.typeId() == QMetaType::Double)
        return std::abs(a.toDouble() - b.toDouble()) < 1e-9;
    return pf::isEqual(a, b);
}

struct PropertyCase {
    const char* key;
    QVariant value;
};

class DrawablesKeyPaths : public ::testing::TestWithParam<PropertyCase> {};

// Every property a pane edits: set by key path, read back, heard by an observer, undone and
// redone through the container's undo manager.
TEST_P(DrawablesKeyPaths, SetReadObserveUndoRedo)
{
    const PropertyCase& c = GetParam();
    const QString key = QString::fromLatin1(c.key);
    Container container;
    auto shape = placedShape(container);
    const QVariant before = shape->valueForKeyPath(key);
    ASSERT_FALSE(sameValue(before, c.value)) << c.key;

    Observer observer;
    shape->addObserver(&observer, key);
    container.step([&] { shape->setValueForKeyPath(c.value, key); });
    EXPECT_TRUE(sameValue(shape->valueForKeyPath(key), c.value)) << c.key;
    EXPECT_EQ(observer.count(key), 1) << c.key;

    container.undo->undo();
    EXPECT_TRUE(sameValue(shape->valueForKeyPath(key), before)) << c.key;
    container.undo->redo();
    EXPECT_TRUE(sameValue(shape->valueForKeyPath(key), c.value)) << c.key;
    shape->removeObserver(&observer);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, DrawablesKeyPaths,
    ::testing::Values(PropertyCase{"location", QPointF(30, 40)}, PropertyCase{"size", QSizeF(80, 20)},
                      PropertyCase{"angle", 0.5}, PropertyCase{"angleInDegrees", 90.0},
                      PropertyCase{"xLocation", 12.0}, PropertyCase{"yLocation", 13.0},
                      PropertyCase{"width", 33.0}, PropertyCase{"height", 44.0},
                      PropertyCase{"offset", QPointF(0.25, -0.25)}, PropertyCase{"visible", false},
                      PropertyCase{"locked", true}, PropertyCase{"locationLocked", true},
                      PropertyCase{"ghosted", true}, PropertyCase{"aspectRatioLocked", true},
                      PropertyCase{"name", QStringLiteral("Roof")},
                      PropertyCase{"userInfo", QVariantMap{{"a", 1}}},
                      PropertyCase{"style", pf::toVariant(PWStyle::styleWithFillColour(pf::Color::red(),
                                                                                       pf::Color()))}),
    [](const auto& info) { return std::string(info.param.key); });

TEST(DrawablesEdits, EqualValueChangesNothingAndRecordsNoUndo)
{
    Container container;
    auto shape = placedShape(container);
    Observer observer;
    for (const char* key : {"location", "size", "angle", "name", "visible"})
        shape->addObserver(&observer, QString::fromLatin1(key));
    container.redisplayed.clear();
    container.step([&] {
        shape->setLocation(shape->location());
        shape->setSize(shape->size());
        shape->setAngle(shape->angle());
        shape->setName(shape->name());
        shape->setVisible(shape->visible());
    });
    EXPECT_TRUE(observer.keys.isEmpty());
    EXPECT_TRUE(container.redisplayed.isEmpty());
    EXPECT_FALSE(container.undo->canUndo());
    shape->removeObserver(&observer);
}

TEST(DrawablesEdits, LockedObjectRefusesEditsButCanBeUnlocked)
{
    Container container;
    auto shape = placedShape(container);
    container.step([&] { shape->setLocked(true); });
    container.undo->removeAllActions();
    const QPointF location = shape->location();
    const QSizeF size = shape->size();

    container.step([&] {
        shape->setLocation(QPointF(500, 500));
        shape->setValueForKeyPath(200.0, "width");
        shape->rotateByAngle(1.0);
        shape->setName("Nope");
        shape->setStyle(nullptr);
        shape->setMetadataString("x", "key");
    });
    EXPECT_EQ(shape->location(), location);
    EXPECT_EQ(shape->size(), size);
    EXPECT_EQ(shape->angle(), 0.0);
    EXPECT_TRUE(shape->name().isEmpty());
    EXPECT_TRUE(shape->style());
    EXPECT_TRUE(shape->metadata().isEmpty());
    EXPECT_FALSE(container.undo->canUndo());

    container.step([&] {
        shape->setValueForKeyPath(false, "locked");
        shape->moveBy(10, 0);
    });
    EXPECT_EQ(shape->location(), location + QPointF(10, 0));
}

TEST(DrawablesEdits, LocationLockStopsMovesOnly)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    shape->setLocationLocked(true);
    shape->moveBy(5, 5);
    shape->resizeWidthBy(2, 2);
    EXPECT_EQ(shape->location(), QPointF(5, 5));
    EXPECT_EQ(shape->size(), QSizeF(20, 20));
}

TEST(DrawablesEdits, UnusableNumbersAreNeverStored)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10));
    shape->setLocation(QPointF(kNaN, 1));
    shape->setLocation(QPointF(std::numeric_limits<double>::infinity(), 1));
    shape->setAngle(kNaN);
    shape->setValueForKeyPath(kNaN, "width");
    shape->resizeWidthBy(-1, 2);
    shape->resizeWidthBy(0, 2);
    EXPECT_EQ(shape->location(), QPointF(5, 5));
    EXPECT_EQ(shape->angle(), 0.0);
    EXPECT_EQ(shape->size(), QSizeF(10, 10));

    // A negative size is clamped, never stored.
    shape->setSize(QSizeF(-4, 6));
    EXPECT_EQ(shape->size(), QSizeF(0, 6));
    shape->setOffset(QPointF(3, -3));
    EXPECT_EQ(shape->offset(), QPointF(0.5, -0.5));
}

TEST(DrawablesEdits, AspectRatioLockKeepsProportions)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->setAspectRatioLocked(true);
    shape->setWidth(50);
    EXPECT_EQ(shape->size(), QSizeF(50, 25));
    shape->setHeight(100);
    EXPECT_EQ(shape->size(), QSizeF(200, 100));
}

TEST(DrawablesAnnouncements, DependentKeysAndVisualChangeReachObserversAndContainer)
{
    Container container;
    auto shape = placedShape(container);
    const QRectF oldBounds = shape->bounds();
    Observer observer;
    for (const char* key : {"xLocation", "yLocation", "bounds", "visual_change", "width"})
        shape->addObserver(&observer, QString::fromLatin1(key));
    container.redisplayed.clear();

    container.step([&] { shape->moveBy(200, 0); });
    EXPECT_EQ(observer.count("xLocation"), 1);
    EXPECT_EQ(observer.count("yLocation"), 1);
    EXPECT_EQ(observer.count("bounds"), 1);
    EXPECT_EQ(observer.count("width"), 0);
    EXPECT_GE(observer.count("visual_change"), 2);
    // The container redraws where the object was and where it is, and hears the old bounds.
    EXPECT_TRUE(container.redisplayed.contains(oldBounds));
    EXPECT_TRUE(container.redisplayed.contains(shape->bounds()));
    ASSERT_FALSE(container.oldBoundsSeen.isEmpty());
    EXPECT_EQ(container.oldBoundsSeen.last(), oldBounds);

    container.step([&] { shape->setValueForKeyPath(QSizeF(10, 10), "size"); });
    EXPECT_EQ(observer.count("width"), 1);
    shape->removeObserver(&observer);
}

TEST(DrawablesAnnouncements, ReadingAnUnknownKeyPathRaises)
{
    auto shape = std::make_shared<PWDrawableShape>();
    EXPECT_ANY_THROW(shape->valueForKeyPath("noSuchProperty"));
}

TEST(DrawablesBounds, StrokeWidensBoundsAndStyleChangeClearsTheCache)
{
    auto stroked = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color::black());
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50), stroked);
    const QRectF logical = shape->logicalBounds();
    EXPECT_EQ(logical, QRectF(0, 0, 100, 50));
    const QRectF withStroke = shape->bounds();
    EXPECT_TRUE(withStroke.contains(logical.adjusted(-0.5, -0.5, 0.5, 0.5)));
    EXPECT_NE(withStroke, logical);

    // Fill only: no stroke reaches outside the outline.
    shape->setStyle(PWStyle::styleWithFillColour(pf::Color::white(), pf::Color()));
    EXPECT_EQ(shape->bounds(), logical);

    // Moving clears the cache as well.
    shape->moveBy(10, 10);
    EXPECT_EQ(shape->bounds(), logical.translated(10, 10));
}

TEST(DrawablesBounds, StyleEditReachesItsClients)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::white(), pf::Color());
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50), style);
    EXPECT_EQ(shape->bounds(), QRectF(0, 0, 100, 50));
    Observer observer;
    shape->addObserver(&observer, "visual_change");
    style->setFillColour(pf::Color::black());
    EXPECT_GE(observer.count("visual_change"), 1);
    shape->removeObserver(&observer);
}

TEST(DrawablesHitTesting, PartsForInsideOutsideHandlesLockedAndHidden)
{
    Container container;
    auto shape = placedShape(container); // 0,0 .. 100,50
    EXPECT_EQ(shape->hitPart(QPointF(50, 25)), PWDrawableObject::kEntireObjectPart);
    EXPECT_EQ(shape->hitPart(QPointF(300, 300)), PWDrawableObject::kNoPart);
    // Handles answer only while selected.
    EXPECT_EQ(shape->hitPart(QPointF(100, 50)), PWDrawableObject::kEntireObjectPart);
    container.selected.insert(shape.get());
    EXPECT_EQ(shape->hitPart(QPointF(100, 50)), PWDrawableShape::kBottomRightHandle);
    EXPECT_EQ(shape->hitPart(QPointF(0, 25)), PWDrawableShape::kLeftHandle);
    EXPECT_EQ(shape->hitPart(QPointF(50, -20)), PWDrawableShape::kRotationHandle);
    container.step([&] { shape->setLocked(true); });
    EXPECT_EQ(shape->hitPart(QPointF(100, 50)), PWDrawableObject::kEntireObjectPart);
    container.step([&] {
        shape->setLocked(false);
        shape->setVisible(false);
    });
    EXPECT_EQ(shape->hitPart(QPointF(50, 25)), PWDrawableObject::kNoPart);
}

TEST(DrawablesHitTesting, ThinStrokedLineIsHitNearItOnly)
{
    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(0, 0));
    line->lineTo(QPointF(100, 0));
    auto path = PWDrawablePath::drawablePathWithPath(*line,
                                                     PWStyle::styleWithFillColour(pf::Color(), pf::Color::black()));
    EXPECT_EQ(path->hitPart(QPointF(50, 1.5)), PWDrawableObject::kEntireObjectPart);
    EXPECT_EQ(path->hitPart(QPointF(50, 10)), PWDrawableObject::kNoPart);
}

TEST(DrawablesGeometry, ResizeAndRotateKeepTheCentre)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 100, 50));
    shape->resizeWidthBy(2, 0.5);
    EXPECT_EQ(shape->size(), QSizeF(200, 25));
    EXPECT_EQ(shape->location(), QPointF(50, 25));
    shape->rotateByAngle(M_PI / 2);
    const QRectF b = shape->logicalBounds();
    EXPECT_NEAR(b.width(), 25, 1e-9);
    EXPECT_NEAR(b.height(), 200, 1e-9);
    EXPECT_NEAR(shape->angleInDegrees(), 90, 1e-9);
}

TEST(DrawablesGeometry, ContainerTransformMovesTheRenderingPath)
{
    Container container;
    container.transform = QTransform::fromTranslate(1000, 0);
    auto shape = placedShape(container);
    EXPECT_EQ(shape->renderingPath()->bounds(), QRectF(1000, 0, 100, 50));
    const quint64 before = shape->geometryChecksum();
    container.step([&] { shape->moveBy(1, 0); });
    EXPECT_NE(shape->geometryChecksum(), before);
}

TEST(DrawablesMetadata, OwnValuesThenTheContainersAndUndoOnlyWhenAsked)
{
    Container container;
    container.metadata.insert("project", "Bridge");
    auto shape = placedShape(container);
    EXPECT_EQ(shape->metadataStringForKey("project"), "Bridge");
    shape->addMetadata({{"project", "Tower"}, {"count", 3}});
    EXPECT_EQ(shape->metadataStringForKey("project"), "Tower");
    EXPECT_EQ(shape->metadataIntegerForKey("count"), 3);
    EXPECT_EQ(shape->metadataIntegerForKey("project"), 0);
    EXPECT_FALSE(container.undo->canUndo());

    PWDrawableObject::setMetadataChangesAreUndoable(true);
    container.step([&] { shape->setMetadataInteger(7, "count"); });
    PWDrawableObject::setMetadataChangesAreUndoable(false);
    EXPECT_EQ(shape->metadataIntegerForKey("count"), 7);
    container.undo->undo();
    EXPECT_EQ(shape->metadataIntegerForKey("count"), 3);
}

TEST(DrawablesStyle, ValidationRefusesWhatIsNotAStyle)
{
    auto shape = std::make_shared<PWDrawableShape>();
    QVariant value = QStringLiteral("red");
    pf::Error error;
    EXPECT_FALSE(shape->validateValue(&value, "style", &error));
    EXPECT_FALSE(error.isNull());
    QVariant none;
    EXPECT_TRUE(shape->validateValue(&none, "style", nullptr));
}

TEST(DrawablesStyle, CopySharesSharableStylesAndCopiesPrivateOnes)
{
    Container container;
    auto shape = placedShape(container);
    container.step([&] { shape->setName("Original"); });
    shape->addMetadata({{"k", "v"}});
    auto copy = std::static_pointer_cast<PWDrawableShape>(shape->copy());
    EXPECT_EQ(copy->container(), nullptr);
    EXPECT_EQ(copy->style(), shape->style());
    EXPECT_EQ(copy->name(), "Original");
    EXPECT_EQ(copy->metadata(), shape->metadata());
    copy->moveBy(5, 0);
    EXPECT_NE(copy->location(), shape->location());

    auto own = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color());
    own->setStyleSharable(false);
    container.step([&] { shape->setStyle(own); });
    auto second = std::static_pointer_cast<PWDrawableShape>(shape->copy());
    ASSERT_TRUE(second->style());
    EXPECT_NE(second->style(), own);
    EXPECT_TRUE(second->style()->isEqualToStyle(own.get()));
}

TEST(DrawablesStyle, DetachStyleMakesASharedStylePrivate)
{
    auto style = PWStyle::styleWithFillColour(pf::Color::red(), pf::Color());
    auto a = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10), style);
    auto b = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 10, 10), style);
    a->detachStyle();
    EXPECT_NE(a->style(), style);
    EXPECT_EQ(b->style(), style);
    EXPECT_EQ(style->countOfClients(), 1);
}

class CountingNamer : public PWDrawableNameProvider {
public:
    QString nameForNewInstance(const PWDrawableObject& object) override
    {
        return QStringLiteral("%1 %2").arg(object.displayName()).arg(++calls);
    }
    int calls = 0;
};

TEST(DrawablesNaming, ProviderNamesEachNewObjectOnceUnlessDisabled)
{
    auto namer = std::make_shared<CountingNamer>();
    PWDrawableObject::setNameProvider(namer);
    auto path = std::make_shared<PWDrawablePath>();
    EXPECT_EQ(path->name(), "Path 1");
    EXPECT_EQ(path->name(), "Path 1");
    EXPECT_EQ(namer->calls, 1);

    PWDrawableObject::disableNameProvider();
    auto unnamed = std::make_shared<PWDrawableShape>();
    PWDrawableObject::enableNameProvider();
    EXPECT_TRUE(unnamed->name().isEmpty());

    // Decoded objects keep their archived names.
    auto archived = pf::KeyedArchiver::archivedData(unnamed);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(archived);
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->name().isEmpty());
    EXPECT_EQ(namer->calls, 1);
    PWDrawableObject::setNameProvider(nullptr);
}

TEST(DrawablesClassSettings, ClassOperationsByName)
{
    EXPECT_EQ(PWDrawableObject::observableKeyPathsForClass(PWDrawableShape::staticClass()),
              PWDrawableObject::observableKeyPaths());
    const QStringList pathKeys = PWDrawableObject::observableKeyPathsForClass(PWDrawablePath::staticClass());
    EXPECT_TRUE(pathKeys.contains("path") && pathKeys.contains("length") && pathKeys.contains("location"));
    EXPECT_EQ(PWDrawableObject::classForAutomaticDoubleClickConversion(PWDrawableShape::staticClass()),
              &PWDrawablePath::staticClass());
    EXPECT_EQ(PWDrawableObject::classForAutomaticDoubleClickConversion(PWDrawablePath::staticClass()),
              &PWDrawableShape::staticClass());
    EXPECT_EQ(PWDrawableObject::classForAutomaticDoubleClickConversion(PWDrawableObject::staticClass()), nullptr);
    EXPECT_EQ(std::make_shared<PWDrawableShape>()->displayName(), "Shape");

    const bool before = PWDrawableObject::displaysSizeInfoWhenDragging();
    PWDrawableObject::staticClass().performClassMethod("setDisplaysSizeInfoWhenDragging:", {!before});
    EXPECT_EQ(PWDrawableObject::displaysSizeInfoWhenDragging(), !before);
    PWDrawableObject::setDisplaysSizeInfoWhenDragging(before);
}

TEST(DrawablesDrawing, ContentAndSwatchShowTheStyle)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(2, 2, 16, 16),
                                                        PWStyle::styleWithFillColour(pf::Color::red(), pf::Color()));
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true);
        shape->drawContent();
    }
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);

    // Hidden objects draw nothing.
    shape->setVisible(false);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        pf::GraphicsContextScope scope(painter, true);
        shape->drawContent();
    }
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);
    shape->setVisible(true);

    const QImage swatch = shape->swatchImageWithSize(QSizeF(8, 8));
    EXPECT_EQ(swatch.size(), QSize(8, 8));
    EXPECT_EQ(QColor(swatch.pixel(4, 4)), QColor(Qt::red));
    EXPECT_EQ(shape->icon().size(), QSize(24, 24));
    EXPECT_FALSE(shape->pdf().isEmpty());
    EXPECT_TRUE(shape->pdf().startsWith("%PDF"));
}

TEST(DrawablesArchiving, RoundTripKeepsEveryField)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 20, 30, 40));
    shape->setAngle(0.25);
    shape->setOffset(QPointF(0.1, 0.2));
    shape->setName("Door");
    shape->setVisible(false);
    shape->setGhosted(true);
    shape->setLocationLocked(true);
    shape->setAspectRatioLocked(true);
    shape->setUserInfo({{"u", 1}});
    shape->addMetadata({{"m", "text"}});
    shape->setLocked(true);

    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(pf::KeyedArchiver::archivedData(shape));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->location(), shape->location());
    EXPECT_EQ(decoded->size(), shape->size());
    EXPECT_EQ(decoded->angle(), 0.25);
    EXPECT_EQ(decoded->offset(), QPointF(0.1, 0.2));
    EXPECT_EQ(decoded->name(), "Door");
    EXPECT_FALSE(decoded->visible());
    EXPECT_TRUE(decoded->ghosted());
    EXPECT_TRUE(decoded->locationLocked());
    EXPECT_TRUE(decoded->aspectRatioLocked());
    EXPECT_TRUE(decoded->locked());
    EXPECT_EQ(decoded->userInfo(), shape->userInfo());
    EXPECT_EQ(decoded->metadata(), shape->metadata());
    ASSERT_TRUE(decoded->style());
    EXPECT_TRUE(decoded->style()->isEqualToStyle(shape->style().get()));
    EXPECT_EQ(decoded->logicalBounds(), shape->logicalBounds());
}

// An object that archives what a damaged document might hold under the drawable's keys.
class DamagedDrawable : public pf::Object, public pf::Coding {
    PF_CLASS(DamagedDrawable)
public:
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodePoint(QPointF(kNaN, 3), "pw_drawable_location");
        coder.encodeSize(QSizeF(-5, std::numeric_limits<double>::infinity()), "pw_drawable_size");
        coder.encodeString("not an angle", "pw_drawable_angle");
        coder.encodeDouble(42, "pw_drawable_name");
        coder.encodeString("not a map", "pw_drawable_metadata");
        coder.encodeString("not a style", "pw_drawable_style");
        coder.encodeString("not a path", "pw_shape_path");
    }
    void initWithCoder(pf::KeyedUnarchiver&) override {}
};

} // namespace

PF_DEFINE_CLASS(DamagedDrawable, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

namespace {

TEST(DrawablesArchiving, DamagedValuesReadAsDefaults)
{
    pf::KeyedArchiver archiver;
    archiver.setClassNameForClass("PWDrawableShape", DamagedDrawable::staticClass());
    archiver.encodeObject(std::make_shared<DamagedDrawable>(), pf::KeyedArchiver::kRootKey);
    auto decoded = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWDrawableShape>(archiver.encodedData());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->location(), QPointF());
    EXPECT_EQ(decoded->size(), QSizeF());
    EXPECT_EQ(decoded->angle(), 0.0);
    EXPECT_TRUE(decoded->name().isEmpty());
    EXPECT_TRUE(decoded->metadata().isEmpty());
    EXPECT_FALSE(decoded->style());
    EXPECT_EQ(decoded->path()->bounds(), QRectF(-0.5, -0.5, 1, 1));
    EXPECT_TRUE(decoded->visible());
}

} // namespace
