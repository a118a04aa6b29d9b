// Conversion, observed key paths, icons, naming and display names of drawables.
#include "DrawingExtensionsTestSupport.h"

#include "drawing/PWDrawableObject+DisplayName.h"
#include "drawing/PWDrawableObject+KVOExtensions.h"
#include "drawing/PWDrawableObject+QuilloryExtensions.h"
#include "drawing/PWDrawableObject+VNQLObjectNaming.h"
#include "drawing/VNQLPWDrawableNameProvider.h"
#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWRoundRectShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/Markers.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>

namespace {

using namespace drawext_test;

// Records each observation it is sent.
class Observer : public pf::Object {
public:
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective*, const QVariantMap& change, void*) override
    {
        keyPaths.append(keyPath);
        values.append(change.value(pf::NSKeyValueChangeNewKey));
    }
    QStringList keyPaths;
    QVariantList values;
};

// A drawing whose object layer holds the objects under test.
struct ConversionTest : ExtensionsTest {
    void SetUp() override
    {
        ExtensionsTest::SetUp();
        pf::UserDefaults::standard().removeObjectForKey(PWDrawableObjectQuilloryExtensions::kConfirmObjectConversionAlertKey);
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
    }
    template <class T>
    pf::Ref<T> add(pf::Ref<T> object)
    {
        layer->addObject(object);
        QCoreApplication::processEvents();
        return object;
    }
    pf::Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    pf::Ref<PWObjectDrawingLayer> layer;
};

TEST_F(ExtensionsTest, DoubleClickConvertsEachKindIntoItsTableClass)
{
    const std::vector<std::pair<const pf::Class*, const pf::Class*>> cases = {
        {&PWDrawableShape::staticClass(), &PWDrawablePath::staticClass()},
        {&PWDrawablePath::staticClass(), &PWDrawableShape::staticClass()},
        {&PWArcPath::staticClass(), &PWDrawablePath::staticClass()},
        {&PWRegularPolygonPath::staticClass(), &PWDrawableShape::staticClass()},
        {&PWRoundRectShape::staticClass(), &PWDrawablePath::staticClass()},
        {&PWShapeGroup::staticClass(), nullptr},
        {&PWImageShape::staticClass(), nullptr},
    };
    for (const auto& [from, to] : cases) {
        SCOPED_TRACE(from->name().toStdString());
        EXPECT_EQ(PWDrawableObject::classForAutomaticDoubleClickConversion(*from), to);
    }
}

TEST_F(ConversionTest, ASpecialShapeAsksAndCancelKeepsIt)
{
    auto polygon = add(PWRegularPolygonPath::polygonWithCentre(QPointF(100, 100), 40, 5));
    int asked = 0;
    answerAlerts(QStringLiteral("Cancel"), false, &asked);
    EXPECT_FALSE(polygon->convertForDoubleClick());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(layer->objects().front(), polygon);
    EXPECT_FALSE(pf::UserDefaults::standard().boolForKey(PWDrawableObjectQuilloryExtensions::kConfirmObjectConversionAlertKey));
}

TEST_F(ConversionTest, ConvertWithSuppressionStopsLaterQuestions)
{
    auto polygon = add(PWRegularPolygonPath::polygonWithCentre(QPointF(100, 100), 40, 5));
    auto arc = add(std::make_shared<PWArcPath>());
    arc->setSize(QSizeF(50, 50));
    int asked = 0;
    answerAlerts(QStringLiteral("Convert"), true, &asked);
    pf::Ref<PWDrawableObject> converted = polygon->convertForDoubleClick();
    ASSERT_TRUE(converted);
    EXPECT_EQ(&converted->objClass(), &PWDrawableShape::staticClass());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(arc->convertForDoubleClick());
    EXPECT_EQ(asked, 1);
}

TEST_F(ConversionTest, OrdinaryObjectsConvertWithoutAsking)
{
    auto shape = add(PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 50, 30)));
    int asked = 0;
    answerAlerts(QStringLiteral("Cancel"), false, &asked);
    EXPECT_TRUE(shape->convertForDoubleClick());
    EXPECT_EQ(asked, 0);
}

TEST_F(ConversionTest, TheConversionItemIsDisabledWhileLocked)
{
    auto shape = add(PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 50, 30)));
    auto item = pf::MenuItem::make(QStringLiteral("Convert"), QStringLiteral("convertForDoubleClick:"));
    EXPECT_TRUE(shape->perform(QStringLiteral("validateMenuItem:"), {item->senderValue()}).toBool());
    shape->setLocked(true);
    EXPECT_FALSE(shape->perform(QStringLiteral("validateMenuItem:"), {item->senderValue()}).toBool());
}

TEST_F(ConversionTest, AssignUserNameIsOneUndoStep)
{
    auto shape = add(PWDrawableShape::drawableShapeWithRect(QRectF(10, 10, 50, 30)));
    drawing->undoManager()->removeAllActions();
    const QString before = shape->name();
    EXPECT_FALSE(shape->perform(QStringLiteral("assignUserName:withFlag:"), {QStringLiteral("  "), true}).toBool());
    EXPECT_TRUE(shape->perform(QStringLiteral("assignUserName:withFlag:"), {QStringLiteral("Lake"), true}).toBool());
    EXPECT_EQ(shape->name(), QStringLiteral("Lake"));
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Rename"));
    drawing->undoManager()->undo();
    EXPECT_EQ(shape->name(), before);
}

TEST_F(ExtensionsTest, ObservableKeyPathsAppendToTheSuperclassOnce)
{
    const QStringList base = PWDrawableObject::observableKeyPaths();
    const QStringList path = PWDrawableObject::observableKeyPathsForClass(PWDrawablePath::staticClass());
    EXPECT_EQ(path.mid(path.size() - 2), (QStringList{"path", "length"}));
    EXPECT_TRUE(path.contains(QStringLiteral("locationLocked")));
    const QStringList polygon = PWDrawableObject::observableKeyPathsForClass(PWRegularPolygonPath::staticClass());
    EXPECT_EQ(polygon.last(), QStringLiteral("isStar"));
    EXPECT_EQ(polygon.count(QStringLiteral("path")), 1);
    const QStringList textPath = PWDrawableObject::observableKeyPathsForClass(PWTextPath::staticClass());
    EXPECT_EQ(textPath.count(QStringLiteral("length")), 1);
    EXPECT_EQ(PWDrawableObject::observableKeyPathsForClass(PWRoundRectShape::staticClass()).last(),
              QStringLiteral("cornerRadius"));
    EXPECT_TRUE(PWDrawablePath::staticClass().keysAffectedBy(QStringLiteral("path")).contains(QStringLiteral("length")));
}

TEST_F(ExtensionsTest, InitialValuesGoToTheObserverOncePerKeyPath)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(10, 20, 40, 30));
    Observer observer;
    PWDrawableObjectKVOExtensions::sendInitialValuesForProperties(*shape, {}, observer, nullptr);
    EXPECT_TRUE(observer.keyPaths.isEmpty());
    PWDrawableObjectKVOExtensions::sendInitialValuesForProperties(*shape, {"location", "userInfo"}, observer, nullptr);
    EXPECT_EQ(observer.keyPaths, (QStringList{"location", "userInfo"}));
    EXPECT_EQ(observer.values.value(0).toPointF(), QPointF(30, 35));
    observer.keyPaths.clear();
    PWDrawableObjectKVOExtensions::sendInitialValuesForAllPropertiesToObserver(*shape, observer, nullptr);
    EXPECT_EQ(observer.keyPaths, PWDrawableObject::observableKeyPathsForClass(PWDrawableShape::staticClass()));
}

TEST_F(ExtensionsTest, NamesCountPerClassAndWrapAfter9999)
{
    const pf::Class& cls = PWDrawablePath::staticClass();
    PWDrawableObjectVNQLObjectNaming::resetObjectNamingIndex(cls);
    PWDrawableObjectVNQLObjectNaming::resetObjectNamingIndex(PWDrawableShape::staticClass());
    auto path = PWDrawablePath::drawablePathWithPath(pf::BezierPath());
    EXPECT_EQ(path->name(), QStringLiteral("Path 1"));
    EXPECT_EQ(PWDrawablePath::drawablePathWithPath(pf::BezierPath())->name(), QStringLiteral("Path 2"));
    EXPECT_EQ(PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 5, 5))->name(), QStringLiteral("Shape 1"));
    EXPECT_EQ(path->perform(QStringLiteral("auxiliaryInfoString")).toString(), QStringLiteral("Path"));

    pf::UserDefaults::standard().setInteger(9998, PWDrawableObjectVNQLObjectNaming::counterKey(cls));
    EXPECT_EQ(PWDrawableObjectVNQLObjectNaming::nextObjectIndex(cls), 9999);
    EXPECT_EQ(PWDrawableObjectVNQLObjectNaming::nextObjectIndex(cls), 1);
    EXPECT_EQ(pf::UserDefaults::standard().integerForKey(QStringLiteral("kPWDrawableObjectNameSeed_PWDrawablePath")), 1);
}

TEST_F(ExtensionsTest, DisplayNamesSizesAndTheClassIcon)
{
    const std::vector<std::pair<const pf::Class*, const char*>> cases = {
        {&PWDrawableObject::staticClass(), "Object"},
        {&PWDrawableShape::staticClass(), "Shape"},
        {&PWDrawablePath::staticClass(), "Path"},
        {&PWArcPath::staticClass(), "Arc"},
        {&PWRegularPolygonPath::staticClass(), "Regular Polygon"},
        {&PWShapeGroup::staticClass(), "Group"},
        {&PWTextPath::staticClass(), "Text Path"},
        {&PWImageShape::staticClass(), "Image Shape"},
        {&PWRoundRectShape::staticClass(), "Round-Cornered Rectangle"},
    };
    for (const auto& [cls, name] : cases)
        EXPECT_EQ(PWDrawableObject::displayNameForClass(*cls), QString::fromUtf8(name));

    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0.5, 0, 40.2, 30));
    const QRectF bounds = shape->bounds();
    EXPECT_EQ(PWDrawableObjectDisplayName::displaySize(*shape),
              QStringLiteral("%1 x %2 px").arg(std::ceil(bounds.width())).arg(std::ceil(bounds.height())));
    EXPECT_EQ(shape->perform(QStringLiteral("displaySize")).toString(), PWDrawableObjectDisplayName::displaySize(*shape));

    const QImage icon = PWDrawableObject::classIcon(PWDrawablePath::staticClass());
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon, PWDrawableObject::classIcon(PWShapeGroup::staticClass()));
}

} // namespace
