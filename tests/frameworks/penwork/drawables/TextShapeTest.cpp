#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"

#include <gtest/gtest.h>

namespace {

using shapestest::Container;

TEST(ShapesText, TextPathTakesOnlyTheLayoutModesThatFollowAPath)
{
    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(0, 0));
    line->lineTo(QPointF(100, 0));
    auto textPath = PWTextPath::textPathWithPath(*line, "abc");
    auto textShape = PWTextShape::textShapeWithRect(QRectF(0, 0, 50, 20), "abc");
    for (int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(PWTextPath::acceptsLayoutMode(mode), mode == 1 || mode == 2);
        EXPECT_EQ(PWTextPath::staticClass().performClassMethod("acceptsLayoutMode:", {mode}).toBool(),
                  mode == 1 || mode == 2);
        const int before = textPath->layoutMode();
        textPath->setValueForKey(mode, "layoutMode");
        EXPECT_EQ(textPath->layoutMode(), (mode == 1 || mode == 2) ? mode : before);
        textShape->setValueForKey(mode, "layoutMode");
        EXPECT_EQ(textShape->layoutMode(), mode);
    }
}

TEST(ShapesText, TextPropertiesAreObservableUndoableAndLocked)
{
    auto container = std::make_shared<Container>();
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 80, 30), "Hello");
    shape->setContainer(container.get());
    shapestest::Observer observer;
    shape->addObserver(&observer, "text");
    shape->addObserver(&observer, "clipsToPath");

    container->step([&] {
        shape->setValueForKey(QStringLiteral("World"), "text");
        shape->setValueForKey(true, "clipsToPath");
    });
    EXPECT_EQ(observer.keys, (QStringList{"text", "clipsToPath"}));
    EXPECT_EQ(shape->searchableStrings().last(), "World");
    container->undo->undo();
    EXPECT_EQ(shape->text(), "Hello");
    EXPECT_FALSE(shape->clipsToPath());

    container->step([&] { shape->setLocked(true); });
    shape->setText("Refused");
    EXPECT_EQ(shape->text(), "Hello");
    shape->removeObserver(&observer);
}

TEST(ShapesText, AdornmentIsAbsentAndGraphicStylesCanBeForbidden)
{
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 80, 30), "x");
    auto fill = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color());
    shape->setStyle(fill);
    EXPECT_EQ(shape->textAdornment(), nullptr);
    EXPECT_FALSE(shape->valueForKey("textAdornment").isValid());

    PWTextShape::staticClass().performClassMethod("setAllowsGraphicStyle:", {false});
    auto other = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::blue)), pf::Color());
    shape->setStyle(other);
    EXPECT_EQ(shape->style(), fill);
    QVariant value = pf::toVariant(other);
    pf::Error error;
    EXPECT_FALSE(shape->validateValue(&value, "style", &error));
    EXPECT_FALSE(error.isNull());
    shape->setStyle(std::make_shared<PWStyle>()); // draws no graphics: allowed
    EXPECT_NE(shape->style(), fill);
    PWTextShape::setAllowsGraphicStyle(true);
}

TEST(ShapesText, ArchivesKeepTextAndAttributes)
{
    auto shape = PWTextShape::textShapeWithRect(QRectF(0, 0, 80, 30), "Label");
    QFont font("Sans");
    font.setPointSizeF(17);
    shape->setTextAttributes({{kPWTextFontAttribute, font},
                              {kPWTextColourAttribute, QColor(10, 20, 30)},
                              {"tracking", 1.5},
                              {"unarchivable", QVariant::fromValue(QSizeF(1, 2))}});
    shape->setClipsToPath(true);
    pf::Error error;
    const QByteArray data = pf::KeyedArchiver::archivedData(shape, pf::PropertyListFormat::Binary, &error);
    ASSERT_FALSE(data.isEmpty()) << error.description().toStdString();
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWTextShape>(data, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->text(), "Label");
    EXPECT_TRUE(read->clipsToPath());
    const QVariantMap attributes = read->textAttributes();
    EXPECT_EQ(attributes.value(kPWTextFontAttribute).value<QFont>().pointSizeF(), 17);
    EXPECT_EQ(attributes.value(kPWTextColourAttribute).value<QColor>(), QColor(10, 20, 30));
    EXPECT_EQ(attributes.value("tracking").toDouble(), 1.5);
    EXPECT_FALSE(attributes.contains("unarchivable"));
}

TEST(ShapesText, TextIsDrawnInItsBoxAndAlongItsPath)
{
    auto shape = PWTextShape::textShapeWithRect(QRectF(10, 10, 60, 30), "Wrapped words in a box");
    auto image = shapestest::render(*shape, QSize(100, 60));
    EXPECT_GT(shapestest::opaquePixels(image, QRect(10, 10, 60, 30)), 20);
    EXPECT_EQ(shapestest::opaquePixels(image, QRect(72, 0, 28, 60)), 0);

    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(10, 50));
    line->lineTo(QPointF(190, 50));
    auto textPath = PWTextPath::textPathWithPath(*line, "Along the line");
    textPath->setStyle(nullptr);
    image = shapestest::render(*textPath, QSize(200, 100));
    EXPECT_GT(shapestest::opaquePixels(image, QRect(10, 30, 180, 21)), 20);
    EXPECT_EQ(shapestest::opaquePixels(image, QRect(0, 0, 200, 25)), 0);
}

} // namespace
