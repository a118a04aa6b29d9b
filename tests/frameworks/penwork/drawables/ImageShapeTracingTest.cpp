#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tracing/ImageVectorizing.h"
#include "platform/ui/MenuItem.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// 8 x 4 pixels: the left half red, the right half blue.
QByteArray fixturePng()
{
    QFile file(quillory::test::fixturePath(QStringLiteral("images/red-blue-8x4.png")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

pf::Ref<PWDrawableObject> box()
{
    auto object = std::make_shared<PWDrawableObject>();
    object->setSize(QSizeF(5, 5));
    return object;
}

QString fillOf(const PWDrawableObject& object)
{
    const auto fills = object.style() ? object.style()->renderersOfClass<PWFill>() : QList<pf::Ref<PWFill>>();
    return fills.isEmpty() ? QString() : fills.first()->colour().hexString();
}

// The image shape, placed at (100, 50) to (108, 54), between two other objects of one layer,
// with the class-wide tracing parameters set for the test and put back afterwards.
class RegistriesImageTracing : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = PWImageShape::tracingParameters();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        image->moveBy(100, 50);
        for (const auto& object : {below, pf::Ref<PWDrawableObject>(image), above})
            layer->addObject(object);
        QCoreApplication::processEvents();
        drawing->undoManager()->removeAllActions();
    }
    void TearDown() override { PWImageShape::setTracingParameters(m_saved); }

    void useParameters(int colourMode, int levels)
    {
        QVariantMap parameters = pw::defaultTracingParameters();
        parameters.insert(pw::kPWTracingParam_colourmode, colourMode);
        parameters.insert(pw::kPWTracingParam_levels, levels);
        parameters.insert(pw::kPWTracingParam_turdsize, 0);
        PWImageShape::setTracingParameters(parameters);
    }

    // Vectorizes as the document does: one user action, the sender's title naming it.
    bool vectorize(const QString& title)
    {
        drawing->undoManager()->beginUndoGrouping();
        const bool done = image->perform("vectorize:", {pf::toVariant(pf::MenuItem::make(title))}).toBool();
        drawing->undoManager()->endUndoGrouping();
        return done;
    }

    pf::Ref<PWDrawing> drawing = std::make_shared<PWDrawing>();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
    pf::Ref<PWImageShape> image = PWImageShape::imageShapeWithImageData(fixturePng());
    pf::Ref<PWDrawableObject> below = box(), above = box();

private:
    QVariantMap m_saved;
};

TEST_F(RegistriesImageTracing, ColourTracingReplacesTheImageByFilledPathsInItsPlace)
{
    useParameters(0, 1);
    ASSERT_TRUE(vectorize("Vectorize"));

    ASSERT_EQ(layer->objects().size(), 3u);
    EXPECT_EQ(layer->objects()[0], below);
    EXPECT_EQ(layer->objects()[2], above);
    auto group = std::dynamic_pointer_cast<PWShapeGroup>(layer->objects()[1]);
    ASSERT_TRUE(group);
    EXPECT_EQ(layer->indexOfObject(image.get()), pf::kNotFound);

    // One path per colour, each covering its half of where the image was.
    QHash<QString, QRectF> areas;
    for (const auto& member : group->members()) {
        EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawablePath>(member));
        areas.insert(fillOf(*member), member->logicalBounds());
    }
    ASSERT_EQ(areas.keys().size(), 2);
    const QRectF red = areas.value("#FF0000"), blue = areas.value("#0000FF");
    const auto near = [](const QRectF& a, const QRectF& b) {
        return std::abs(a.left() - b.left()) < 0.5 && std::abs(a.top() - b.top()) < 0.5 &&
               std::abs(a.right() - b.right()) < 0.5 && std::abs(a.bottom() - b.bottom()) < 0.5;
    };
    EXPECT_TRUE(near(red, QRectF(100, 50, 4, 4))) << red.x() << "," << red.y() << " " << red.width();
    EXPECT_TRUE(near(blue, QRectF(104, 50, 4, 4))) << blue.x() << "," << blue.y() << " " << blue.width();
    EXPECT_TRUE(near(group->logicalBounds(), QRectF(100, 50, 8, 4)));
}

TEST_F(RegistriesImageTracing, OneUndoStepNamedBySenderRestoresTheImage)
{
    useParameters(0, 1);
    ASSERT_TRUE(vectorize("Trace Bitmap"));
    const pf::Ref<PWDrawableObject> traced = layer->objects()[1];
    EXPECT_EQ(drawing->undoManager()->undoActionName(), "Trace Bitmap");

    drawing->undoManager()->undo();
    ASSERT_EQ(layer->objects().size(), 3u);
    EXPECT_EQ(layer->objects()[1], image);
    EXPECT_EQ(layer->indexOfObject(traced.get()), pf::kNotFound);
    EXPECT_EQ(image->container(), layer.get());
    EXPECT_FALSE(drawing->undoManager()->canUndo());

    drawing->undoManager()->redo();
    EXPECT_EQ(layer->objects()[1], traced);
    EXPECT_EQ(layer->indexOfObject(image.get()), pf::kNotFound);
}

TEST_F(RegistriesImageTracing, GreyscaleTracingFillsWithGreys)
{
    useParameters(1, 2);
    ASSERT_TRUE(vectorize("Vectorize"));
    const pf::Ref<PWDrawableObject> traced = layer->objects()[1];
    QList<pf::Ref<PWDrawableObject>> paths;
    if (auto group = std::dynamic_pointer_cast<PWShapeGroup>(traced))
        paths = group->members();
    else
        paths = {traced};
    ASSERT_FALSE(paths.isEmpty());
    for (const auto& path : paths) {
        const pf::Color colour = path->style()->renderersOfClass<PWFill>().value(0)->colour();
        EXPECT_DOUBLE_EQ(colour.redComponent(), colour.greenComponent());
        EXPECT_DOUBLE_EQ(colour.greenComponent(), colour.blueComponent());
    }
}

TEST_F(RegistriesImageTracing, WithoutALayerNothingChanges)
{
    auto loose = PWImageShape::imageShapeWithImageData(fixturePng());
    useParameters(0, 1);
    EXPECT_FALSE(loose->vectorize("Vectorize"));
    EXPECT_EQ(loose->imageData(), fixturePng());
}

TEST(RegistriesTracingParameters, NormalizingFillsDefaultsAndClampsRanges)
{
    const QVariantMap defaults = pw::defaultTracingParameters();
    const QVariantMap normalized = PWImageShape::normalizedTracingParameters({
        {pw::kPWTracingParam_colourmode, 7},
        {pw::kPWTracingParam_levels, 99},
        {pw::kPWTracingParam_turdsize, -4},
        {pw::kPWTracingParam_alphamax, 5.0},
        {pw::kPWTracingParam_turnpolicy, QStringLiteral("left")},
        {pw::kPWTracingParam_opttolerance, std::nan("")},
        {QStringLiteral("somethingElse"), 1},
    });
    EXPECT_EQ(normalized.keys(), defaults.keys());
    EXPECT_EQ(normalized.value(pw::kPWTracingParam_colourmode).toInt(), 1);
    EXPECT_EQ(normalized.value(pw::kPWTracingParam_levels).toInt(), 8);
    EXPECT_EQ(normalized.value(pw::kPWTracingParam_turdsize).toInt(), 0);
    EXPECT_DOUBLE_EQ(normalized.value(pw::kPWTracingParam_alphamax).toDouble(), 1.3334);
    EXPECT_EQ(normalized.value(pw::kPWTracingParam_turnpolicy), defaults.value(pw::kPWTracingParam_turnpolicy));
    EXPECT_EQ(normalized.value(pw::kPWTracingParam_opticurve), defaults.value(pw::kPWTracingParam_opticurve));
    EXPECT_DOUBLE_EQ(normalized.value(pw::kPWTracingParam_opttolerance).toDouble(),
                     defaults.value(pw::kPWTracingParam_opttolerance).toDouble());

    // Values in range are kept as given.
    const QVariantMap kept = PWImageShape::normalizedTracingParameters(
        {{pw::kPWTracingParam_colourmode, 0}, {pw::kPWTracingParam_levels, 3}, {pw::kPWTracingParam_opticurve, false}});
    EXPECT_EQ(kept.value(pw::kPWTracingParam_colourmode).toInt(), 0);
    EXPECT_EQ(kept.value(pw::kPWTracingParam_levels).toInt(), 3);
    EXPECT_FALSE(kept.value(pw::kPWTracingParam_opticurve).toBool());

    // The class-wide parameters are stored normalized.
    const QVariantMap saved = PWImageShape::tracingParameters();
    PWImageShape::setTracingParameters({{pw::kPWTracingParam_levels, 99}});
    EXPECT_EQ(PWImageShape::tracingParameters().value(pw::kPWTracingParam_levels).toInt(), 8);
    EXPECT_EQ(PWImageShape::tracingParameters().keys(), defaults.keys());
    PWImageShape::setTracingParameters(saved);
}

} // namespace
