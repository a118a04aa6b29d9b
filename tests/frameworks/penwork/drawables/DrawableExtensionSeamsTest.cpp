// The points where extensions reach drawables and object layers through the class tables.
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

namespace {

// A shape kind whose class table refuses conversion and has its own icon.
class StubbornShape : public PWDrawableShape {
    PF_CLASS(StubbornShape)
};

// An object layer kind whose class table takes every file drop itself.
class GreedyLayer : public PWObjectDrawingLayer {
    PF_CLASS(GreedyLayer)
public:
    int drops = 0;
};

QImage redIcon()
{
    QImage icon(4, 4, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    return icon;
}

} // namespace

PF_DEFINE_CLASS(StubbornShape, PWDrawableShape)
{
    b.method("shouldConvertToClass:", std::function<QVariant(StubbornShape&, const QVariantList&)>(
                                          [](StubbornShape&, const QVariantList&) { return QVariant(false); }));
    b.classMethod("icon", [](const pf::Class&, const QVariantList&) { return QVariant(redIcon()); });
}

PF_DEFINE_CLASS(GreedyLayer, PWObjectDrawingLayer)
{
    b.method("performFileDropOperation:", std::function<QVariant(GreedyLayer&, const QVariantList&)>(
                                              [](GreedyLayer& layer, const QVariantList& args) {
                                                  ++layer.drops;
                                                  return QVariant(args.value(0).value<const pf::DraggingInfo*>() != nullptr);
                                              }));
}

namespace {

struct SeamsTest : ::testing::Test {
    SeamsTest() { layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer()); }
    pf::Ref<PWDrawing> drawing = PWDrawing::defaultDrawing();
    pf::Ref<PWObjectDrawingLayer> layer;
};

TEST_F(SeamsTest, TheConversionAsksThroughTheClassTable)
{
    auto stubborn = std::make_shared<StubbornShape>();
    stubborn->setSize(QSizeF(40, 20));
    layer->addObject(stubborn);
    EXPECT_FALSE(stubborn->convertForDoubleClick());
    EXPECT_EQ(layer->objects().front(), stubborn);

    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 40, 20));
    layer->addObject(shape);
    EXPECT_TRUE(shape->perform(QStringLiteral("shouldConvertToClass:"), {PWDrawablePath::staticClass().name()}).toBool());
    EXPECT_TRUE(shape->convertForDoubleClick());
}

TEST_F(SeamsTest, TheClassIconComesFromTheTableWhenItHasOne)
{
    EXPECT_EQ(PWDrawableObject::classIcon(StubbornShape::staticClass()), redIcon());
    const QImage swatch = PWDrawableObject::classIcon(PWDrawableShape::staticClass());
    EXPECT_FALSE(swatch.isNull());
    EXPECT_NE(swatch, redIcon());
}

TEST_F(SeamsTest, MenuValidationAndRenamingAreReachableByName)
{
    auto shape = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 40, 20));
    layer->addObject(shape);
    auto convert = pf::MenuItem::make(QStringLiteral("Convert"), QStringLiteral("convertForDoubleClick:"));
    auto other = pf::MenuItem::make(QStringLiteral("Other"), QStringLiteral("other:"));
    EXPECT_TRUE(shape->perform(QStringLiteral("validateMenuItem:"), {convert->senderValue()}).toBool());
    shape->setLocked(true);
    EXPECT_FALSE(shape->perform(QStringLiteral("validateMenuItem:"), {convert->senderValue()}).toBool());
    EXPECT_TRUE(shape->perform(QStringLiteral("validateMenuItem:"), {other->senderValue()}).toBool());
    EXPECT_FALSE(shape->assignUserName(QStringLiteral("Locked"), true));
    shape->setLocked(false);

    QCoreApplication::processEvents();
    drawing->undoManager()->removeAllActions();
    EXPECT_TRUE(shape->perform(QStringLiteral("assignUserName:withFlag:"), {QStringLiteral("Pond"), true}).toBool());
    EXPECT_EQ(shape->name(), QStringLiteral("Pond"));
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Rename"));
    EXPECT_FALSE(shape->assignUserName(QStringLiteral(" \t"), false));
}

TEST_F(SeamsTest, AFileDropGoesToTheTableOperationFirst)
{
    auto greedy = std::make_shared<GreedyLayer>();
    drawing->addLayer(greedy);
    auto pasteboard = std::make_shared<pf::Pasteboard>();
    pasteboard->writeURLs({QUrl::fromLocalFile(QStringLiteral("/nowhere/at/all.png"))});
    const pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationCopy, QPointF(10, 10), nullptr, 1);
    EXPECT_TRUE(greedy->performFileDrop(info, QPointF(10, 10)));
    EXPECT_EQ(greedy->drops, 1);
    // Without such an operation the framework drops the files itself: this one cannot be read.
    EXPECT_FALSE(layer->performFileDrop(info, QPointF(10, 10)));
    EXPECT_TRUE(layer->objects().empty());
}

} // namespace
