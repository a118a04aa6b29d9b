// The graphics context: the per-thread stack, saved state, output kind, shadowed drawing.
#include <gtest/gtest.h>

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"

#include <QImage>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <thread>

namespace {

using pf::Color;
using pf::CompositingOperation;
using pf::GraphicsContext;
using pf::GraphicsContextScope;

QImage canvas(int side = 40)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

TEST(GraphicsContextStack, ScopesNestAndUnwindPerThread)
{
    EXPECT_EQ(GraphicsContext::current(), nullptr);
    QImage a = canvas();
    QImage b = canvas();
    QPainter pa(&a);
    QPainter pb(&b);
    {
        GraphicsContextScope outer(pa, true);
        EXPECT_EQ(GraphicsContext::current(), &outer.context());
        {
            GraphicsContextScope inner(pb, false);
            EXPECT_EQ(GraphicsContext::current(), &inner.context());
            EXPECT_FALSE(GraphicsContext::current()->isFlipped());
            // Another thread draws nothing of ours.
            GraphicsContext* seen = &inner.context();
            std::thread([&] { seen = GraphicsContext::current(); }).join();
            EXPECT_EQ(seen, nullptr);
        }
        EXPECT_EQ(GraphicsContext::current(), &outer.context());
        EXPECT_TRUE(GraphicsContext::current()->isFlipped());
    }
    EXPECT_EQ(GraphicsContext::current(), nullptr);
}

TEST(GraphicsContextState, SaveAndRestoreCoverPlatformAndPainterState)
{
    QImage image = canvas();
    QPainter painter(&image);
    GraphicsContextScope scope(painter, true);
    GraphicsContext& context = scope.context();
    const double lineWidth = pf::BezierPath::defaultLineWidth();

    pf::Shadow shadow;
    shadow.setShadowBlurRadius(4.0);
    context.saveGraphicsState();
    context.setShadow(shadow);
    context.setCompositingOperation(CompositingOperation::Copy);
    context.setImageInterpolation(pf::ImageInterpolation::None);
    context.setFillColour(Color::red());
    context.setStrokeColour(Color::blue());
    context.concat(QTransform::fromTranslate(10, 10));
    pf::BezierPath::setDefaultLineWidth(7.0);
    ASSERT_NE(context.shadow(), nullptr);
    EXPECT_EQ(context.shadow()->shadowBlurRadius(), 4.0);
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Source);
    context.restoreGraphicsState();

    EXPECT_EQ(context.shadow(), nullptr);
    EXPECT_EQ(context.compositingOperation(), CompositingOperation::SourceOver);
    EXPECT_EQ(context.imageInterpolation(), pf::ImageInterpolation::Default);
    EXPECT_EQ(context.fillColour(), Color::black());
    EXPECT_EQ(context.strokeColour(), Color::black());
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
    EXPECT_TRUE(painter.worldTransform().isIdentity());
    EXPECT_EQ(pf::BezierPath::defaultLineWidth(), lineWidth);

    // A restore with nothing saved leaves the state alone.
    context.setFillColour(Color::green());
    context.restoreGraphicsState();
    EXPECT_EQ(context.fillColour(), Color::green());
    EXPECT_EQ(context.graphicsStateDepth(), 0);
}

TEST(GraphicsContextState, LeftoverSavesAreRestoredWhenTheContextEnds)
{
    QImage image = canvas();
    QPainter painter(&image);
    {
        GraphicsContextScope scope(painter, true);
        scope.context().saveGraphicsState();
        scope.context().concat(QTransform::fromScale(3, 3));
        scope.context().saveGraphicsState();
    }
    EXPECT_TRUE(painter.worldTransform().isIdentity());
}

TEST(GraphicsContextOutput, PagedDevicesAreNotTheScreen)
{
    QImage image = canvas();
    QPainter imagePainter(&image);
    EXPECT_TRUE(GraphicsContext(imagePainter, true).isDrawingToScreen());

    QTemporaryDir folder;
    QPdfWriter writer(folder.filePath(QStringLiteral("out.pdf")));
    QPainter pdfPainter(&writer);
    EXPECT_FALSE(GraphicsContext(pdfPainter, true).isDrawingToScreen());
    EXPECT_TRUE(GraphicsContext(pdfPainter, true, true).isDrawingToScreen());
}

TEST(GraphicsContextDrawing, FillCastsTheCurrentShadowInBaseCoordinates)
{
    QImage image = canvas();
    {
        QPainter painter(&image);
        GraphicsContextScope scope(painter, true);
        GraphicsContext& context = scope.context();
        pf::Shadow shadow;
        shadow.setShadowOffset(QSizeF(10, -10)); // y-up: down on screen
        shadow.setShadowColor(Color::black());
        context.setShadow(shadow);
        context.setFillColour(Color::red());
        context.fillPath(*pf::BezierPath::pathWithRect(QRectF(5, 5, 10, 10)));
    }
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(22, 22), QColor(Qt::black)); // the shadow, below right
    EXPECT_EQ(image.pixelColor(22, 8), QColor(Qt::white));
}

TEST(GraphicsContextDrawing, CompositingAndDeviceConversion)
{
    QImage image = canvas();
    {
        QPainter painter(&image);
        GraphicsContextScope scope(painter, true);
        GraphicsContext& context = scope.context();
        context.concat(QTransform::fromScale(2, 2));
        EXPECT_EQ(context.convertToDevice(QPointF(3, 4)), QPointF(6, 8));
        EXPECT_EQ(context.convertFromDevice(QPointF(6, 8)), QPointF(3, 4));
        context.setCompositingOperation(CompositingOperation::Copy);
        context.setFillColour(Color(1, 0, 0, 0.5));
        context.fillRect(QRectF(0, 0, 5, 5));
    }
    // Copy replaces the white instead of blending over it.
    EXPECT_EQ(image.pixelColor(4, 4).alpha(), 128);
    EXPECT_EQ(image.pixelColor(12, 12), QColor(Qt::white));
}

} // namespace
