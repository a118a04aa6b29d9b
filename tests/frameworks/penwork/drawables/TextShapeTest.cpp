#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/frameworks/penwork/drawables/ShapesTestSupport.h"

#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

using shapestest::Container;

TEST(TextShape, TextPathTakesOnlyTheLayoutModesThatFollowAPath)
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

TEST(TextShape, TextPropertiesAreObservableUndoableAndLocked)
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

TEST(TextShape, AdornmentIsAbsentAndGraphicStylesCanBeForbidden)
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

TEST(TextShape, ArchivesKeepTextAndAttributes)
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

TEST(TextShape, TextIsDrawnInItsBoxAndAlongItsPath)
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

// The centre of the most strongly inked pixel: a point on a glyph.
QPointF inkedPoint(const QImage& image)
{
    QPoint best(-1, -1);
    int alpha = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > alpha) {
                alpha = qAlpha(image.pixel(x, y));
                best = QPoint(x, y);
            }
    return QPointF(best) + QPointF(0.5, 0.5);
}

TEST(TextShape, ClickingAGlyphHitsTheTextAndEmptySpaceDoesNot)
{
    // A style that draws nothing of its own, as text read from other programs often has.
    auto shape = PWTextShape::textShapeWithRect(QRectF(10, 10, 160, 40), "Hi", std::make_shared<PWStyle>());
    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(10, 50));
    line->lineTo(QPointF(190, 50));
    auto textPath = PWTextPath::textPathWithPath(*line, "Hi", std::make_shared<PWStyle>());
    for (PWDrawableObject* object : {static_cast<PWDrawableObject*>(shape.get()), static_cast<PWDrawableObject*>(textPath.get())}) {
        SCOPED_TRACE(object->className().toStdString());
        const QImage image = shapestest::render(*object, QSize(200, 100));
        const QPointF glyph = inkedPoint(image);
        ASSERT_GE(glyph.x(), 0);
        EXPECT_EQ(object->hitPart(glyph), PWDrawableObject::kEntireObjectPart);
        // Where nothing is drawn, nothing is hit.
        QPointF bare(-1, -1);
        const int row = int(glyph.y());
        for (int x = 12; x < 188 && bare.x() < 0; x += 2)
            if (shapestest::opaquePixels(image, QRect(x - 4, row - 4, 9, 9)) == 0
                && object->bounds().adjusted(-3, -3, 3, 3).contains(QPointF(x + 0.5, row + 0.5)))
                bare = QPointF(x + 0.5, row + 0.5);
        ASSERT_GE(bare.x(), 0);
        EXPECT_EQ(object->hitPart(bare), PWDrawableObject::kNoPart) << bare.x();
    }
}

// A text shape with a style that holds `adornment` over a white fill.
pf::Ref<PWTextShape> adornedShape(const QRectF& rect, const QString& text, pf::Ref<PWTextAdornment> adornment)
{
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(PWFill::fillWithColour(pf::Color::white()));
    style->addRenderer(adornment);
    return PWTextShape::textShapeWithRect(rect, text, style);
}

int redPixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                ++count;
        }
    return count;
}

TEST(TextShape, AdornmentDrawsTheShapesTextWrappedAndClipped)
{
    auto adornment = std::make_shared<PWTextAdornment>("label never shown");
    adornment->setFontSize(14);
    adornment->setColour(pf::Color::red());
    auto shape = adornedShape(QRectF(10, 10, 60, 30), "Words that wrap onto more lines than fit", adornment);
    EXPECT_EQ(shape->textAdornment(), adornment);
    EXPECT_TRUE(shape->textOverflows());
    // Overflowing text shows below the box and counts in the bounds ...
    QImage image = shapestest::render(*shape, QSize(100, 120));
    EXPECT_GT(redPixels(image, QRect(10, 10, 60, 30)), 20);
    EXPECT_GT(redPixels(image, QRect(10, 45, 60, 60)), 20);
    EXPECT_GT(shape->bounds().bottom(), 60);
    // ... until the shape clips to its outline.
    shape->setClipsToPath(true);
    EXPECT_LE(shape->bounds().bottom(), 41);
    image = shapestest::render(*shape, QSize(100, 120));
    EXPECT_EQ(redPixels(image, QRect(0, 42, 100, 78)), 0);

    // Key paths through the adornment reach its settings.
    shape->setValueForKeyPath(24.0, "textAdornment.fontSize");
    EXPECT_EQ(adornment->fontSize(), 24);
    EXPECT_EQ(shape->valueForKeyPath("textAdornment.fontSize").toDouble(), 24);
}

TEST(TextShape, OverflowIndicatorMarksTextThatDoesNotFit)
{
    auto adornment = std::make_shared<PWTextAdornment>();
    adornment->setFontSize(12);
    auto shape = adornedShape(QRectF(10, 10, 80, 30), "Short", adornment);
    shape->setClipsToPath(true);
    const QRect corner(82, 32, 8, 8);
    auto redInCorner = [&] { return redPixels(shapestest::render(*shape, QSize(100, 60)), corner); };
    EXPECT_FALSE(shape->textOverflows());
    EXPECT_EQ(redInCorner(), 0);

    shape->setText("Far too much text for so small a box, wrapped many times over");
    EXPECT_TRUE(shape->textOverflows());
    EXPECT_GT(redInCorner(), 4);
    PWTextShape::setShowsTextOverflowIndicator(false);
    EXPECT_EQ(redInCorner(), 0);
    PWTextShape::setShowsTextOverflowIndicator(true);

    // The plain drawing, without an adornment, marks it too.
    shape->setStyle(PWStyle::styleWithFillColour(pf::Color::white(), pf::Color()));
    EXPECT_EQ(shape->textAdornment(), nullptr);
    EXPECT_TRUE(shape->textOverflows());
    EXPECT_GT(redInCorner(), 4);
}

TEST(TextShape, TextPathLaysAnAdornmentsTextOnThePath)
{
    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(10, 50));
    line->lineTo(QPointF(190, 50));
    auto adornment = std::make_shared<PWTextAdornment>();
    adornment->setColour(pf::Color::red());
    adornment->setFontSize(16);
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(adornment);
    auto textPath = PWTextPath::textPathWithPath(*line, "On the line", style);
    // A box layout still follows the path.
    ASSERT_EQ(adornment->layoutMode(), PWTextFormat::LayoutInBox);
    QImage image = shapestest::render(*textPath, QSize(200, 100));
    EXPECT_GT(redPixels(image, QRect(10, 30, 100, 21)), 20);
    EXPECT_EQ(redPixels(image, QRect(0, 52, 200, 48)), 0);
    EXPECT_GE(textPath->bounds().top(), 25);

    adornment->setLayoutMode(PWTextFormat::LayoutCentredOnPath);
    image = shapestest::render(*textPath, QSize(200, 100));
    EXPECT_EQ(redPixels(image, QRect(0, 0, 40, 100)), 0);
    EXPECT_GT(redPixels(image, QRect(60, 30, 80, 21)), 20);
}

TEST(TextShape, EditingHooksSetUpTheDocumentAndCommitWithUndo)
{
    auto container = std::make_shared<Container>();
    auto adornment = std::make_shared<PWTextAdornment>();
    adornment->setFontSize(20);
    adornment->setColour(pf::Color::red());
    adornment->setAlignment(PWTextFormat::AlignCentre);
    auto shape = adornedShape(QRectF(100, 50, 120, 40), "Before", adornment);
    shape->setAngle(M_PI / 2);
    shape->setContainer(container.get());

    EXPECT_EQ(shape->editingFrame(), QRectF(0, 0, 120, 40));
    // The frame's centre is the shape's location, wherever it is turned.
    const QPointF centre = shape->editingTransform().map(QPointF(60, 20));
    EXPECT_NEAR(centre.x(), 160, 1e-6);
    EXPECT_NEAR(centre.y(), 70, 1e-6);
    const auto document = shape->editingDocument();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->toPlainText(), "Before");
    EXPECT_EQ(document->textWidth(), 120);
    EXPECT_EQ(document->defaultFont().pointSizeF(), 20);
    EXPECT_EQ(document->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(document->begin().begin().fragment().charFormat().foreground().color(), QColor(Qt::red));

    shape->commitEditedText("After");
    EXPECT_EQ(shape->text(), "After");
    EXPECT_EQ(container->undo->undoActionName(), "Typing");
    container->undo->undo();
    EXPECT_EQ(shape->text(), "Before");
    shape->commitEditedText("Before");
    EXPECT_FALSE(container->undo->canUndo());

    // A text path edits on one line.
    auto line = pf::BezierPath::path();
    line->moveTo(QPointF(0, 0));
    line->lineTo(QPointF(100, 0));
    auto textPath = PWTextPath::textPathWithPath(*line, "Path text");
    textPath->setContainer(container.get());
    EXPECT_EQ(textPath->editingDocument()->defaultTextOption().wrapMode(), QTextOption::NoWrap);
    EXPECT_TRUE(textPath->editingFrame().intersects(QRectF(0, -20, 100, 20)));
    textPath->commitEditedText("New");
    EXPECT_EQ(container->undo->undoActionName(), "Typing");
    container->undo->undo();
    EXPECT_EQ(textPath->text(), "Path text");
}

} // namespace
