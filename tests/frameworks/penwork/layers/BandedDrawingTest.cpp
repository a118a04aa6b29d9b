// Drawing in bands on several threads against drawing on one: the pixels must be the very same,
// for the view and for bitmap output, whatever kinds of object, renderer and layer take part.
#include "../archiving/ArchivingTestSupport.h"

#include "frameworks/penwork/layers/PWBandedDrawing.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/renderers/PWArrowStroke.h"
#include "frameworks/penwork/renderers/PWFillPattern.h"
#include "frameworks/penwork/renderers/PWGradientFill.h"
#include "frameworks/penwork/renderers/PWHatching.h"
#include "frameworks/penwork/renderers/PWPathDecorator.h"
#include "frameworks/penwork/renderers/PWRoughStroke.h"
#include "frameworks/penwork/renderers/PWTilingFill.h"
#include "frameworks/penwork/renderers/PWZigZagFill.h"
#include "frameworks/penwork/renderers/PWZigZagStroke.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStrokeDash.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/graphics/Shadow.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using namespace archivingtest;

namespace {

QImage motif()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    return image;
}

// A style of a fill and a stroke, the stroke dashed, moved sideways or shadowed by choice.
pf::Ref<PWStyle> plainStyle(QRgb fill, QRgb stroke, double width, int variant)
{
    auto style = PWStyle::styleWithFillColour(pf::Color(QColor::fromRgba(fill)), pf::Color(QColor::fromRgba(stroke)));
    for (const pf::Ref<PWRasterizer>& renderer : style->renderList()) {
        if (auto line = std::dynamic_pointer_cast<PWStroke>(renderer)) {
            line->setWidth(width);
            if (variant == 1)
                line->setDash(PWStrokeDash::defaultDash());
            if (variant == 2)
                line->setLateralOffset(2.5);
        }
        if (auto fill = std::dynamic_pointer_cast<PWFill>(renderer); fill && variant == 3) {
            auto shadow = std::make_shared<pf::Shadow>();
            shadow->setShadowOffset({3, -3});
            shadow->setShadowBlurRadius(4);
            shadow->setShadowColor(pf::Color(QColor(0, 0, 0, 120)));
            fill->setShadow(shadow);
        }
    }
    if (variant == 4)
        style->setOpacity(0.5);
    return style;
}

// One style for each of the renderers that keep to the calling thread.
QList<pf::Ref<PWStyle>> effectStyles()
{
    auto gradient = std::make_shared<PWGradientFill>();
    gradient->setGradientType(PWGradientFill::Radial);
    gradient->setGradient(std::make_shared<pf::Gradient>(pf::Color::red(), pf::Color::blue()));
    auto hatching = std::make_shared<PWHatching>();
    hatching->setSpacing(3);
    hatching->setAngleInDegrees(-30);
    auto arrow = std::make_shared<PWArrowStroke>();
    arrow->setArrowHeadAtStart(PWArrowStroke::HeadDiamond);
    auto zigZag = std::make_shared<PWZigZagStroke>();
    zigZag->setAmplitude(7);
    auto rough = std::make_shared<PWRoughStroke>();
    rough->setRoughness(3.5);
    auto zigZagFill = std::make_shared<PWZigZagFill>();
    zigZagFill->setWavelength(33);
    auto tiling = std::make_shared<PWTilingFill>();
    tiling->setImageData(pngData({3, 2}, Qt::cyan));
    auto decorator = std::make_shared<PWPathDecorator>(motif());
    decorator->setInterval(14);
    auto pattern = std::make_shared<PWFillPattern>(motif());
    pattern->setMotifAngleInDegrees(15);
    QList<pf::Ref<PWStyle>> styles;
    for (const pf::Ref<PWRasterizer>& renderer :
         QList<pf::Ref<PWRasterizer>>{gradient, hatching, arrow, zigZag, rough, zigZagFill, tiling, decorator, pattern}) {
        auto style = std::make_shared<PWStyle>();
        style->addRenderer(renderer);
        styles.append(style);
    }
    return styles;
}

// The rich drawing (every object kind, a grid, guides, a layer group) grown to a page where
// bands matter, with a layer of the objects that draw in bands in every plain style, one of
// objects with every other renderer, and a half-transparent layer of long shapes crossing every
// band edge over a crowd of small ones.
pf::Ref<PWDrawing> everythingDrawing()
{
    pf::Ref<PWDrawing> drawing = richDrawing();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setDrawingSize({1000, 900});
    drawing->setPaperColour(pf::Color(QColor(250, 245, 230)));
    drawing->setPaperColourIsPrinted(true);

    auto banded = std::make_shared<PWObjectDrawingLayer>();
    banded->setLayerName(QStringLiteral("Banded"));
    int variant = 0;
    for (int copy = 0; copy < 5; ++copy) {
        for (const pf::Ref<PWDrawableObject>& object : everyObjectKind()) {
            if (!PWBandedDrawing::drawsOffThread(*object))
                continue;
            object->setStyle(plainStyle(qRgba(40 * copy, 200, 90, 220), qRgb(20, 20, 120), 1.5 + copy, variant++ % 5));
            object->moveBy(90.0 * copy + 3.3, 150.0 * copy + 0.4);
            banded->addObject(object);
        }
    }
    drawing->addLayer(banded);

    auto effects = std::make_shared<PWObjectDrawingLayer>();
    double y = 40;
    for (const pf::Ref<PWStyle>& style : effectStyles()) {
        effects->addObject(PWDrawableShape::drawableShapeWithOvalInRect({620, y, 140, 70}, style));
        y += 90;
    }
    drawing->addLayer(effects);

    auto crossing = std::make_shared<PWObjectDrawingLayer>();
    crossing->setAlpha(0.6);
    QRandomGenerator random(11);
    for (int i = 0; i < 400; ++i) {
        const QRectF rect(random.bounded(980.0), random.bounded(880.0), 2 + random.bounded(30.0), 2 + random.bounded(30.0));
        crossing->addObject(PWDrawableShape::drawableShapeWithOvalInRect(rect, plainStyle(qRgba(200, 40, 40, 160), qRgb(0, 0, 0), 0.7, i % 5)));
    }
    for (int i = 0; i < 12; ++i) {
        auto line = pf::BezierPath::path();
        line->moveTo({10.0 + 80 * i, 0.3});
        line->curveTo({900.0 - 70 * i, 300}, {80.0 * i, 600}, {500.0 + 30 * i, 899.6});
        auto path = PWDrawablePath::drawablePathWithPath(*line);
        path->setStyle(plainStyle(qRgba(0, 0, 0, 0), qRgb(30, 90, 200), 9.0 - i * 0.5, i % 3));
        crossing->addObject(path);
    }
    drawing->addLayer(crossing);
    return drawing;
}

QImage renderBothWays(PWDrawing& drawing, const QRectF& source, const QSize& size, QImage* plain)
{
    PWBandedDrawing::setEnabled(false);
    *plain = PWRenderingOutput::image(drawing, source, size, pf::Color());
    PWBandedDrawing::setEnabled(true);
    return PWRenderingOutput::image(drawing, source, size, pf::Color());
}

// The first pixel where two images differ, for the message.
QString firstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return QStringLiteral("size or format");

    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("(%1, %2): %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16, QLatin1Char('0'))
                    .arg(b.pixel(x, y), 8, 16, QLatin1Char('0'));
    return {};
}

// The largest difference of any channel of any pixel, and how many pixels differ at all.
std::pair<int, int> difference(const QImage& a, const QImage& b)
{
    int most = 0;
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (p == q)
                continue;
            ++count;
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return {most, count};
}

class BandedDrawingTest : public ::testing::Test {
protected:
    void TearDown() override { PWBandedDrawing::setEnabled(true); }
};

} // namespace

TEST_F(BandedDrawingTest, OnlyPlainShapesWithPlainFillsAndStrokesDrawOffTheCallingThread)
{
    for (const pf::Ref<PWDrawableObject>& object : everyObjectKind()) {
        const bool text = object->objClass().isSubclassOf(PWTextShape::staticClass())
            || object->objClass().isSubclassOf(PWTextPath::staticClass());
        const bool image = object->objClass().isSubclassOf(PWImageShape::staticClass());
        SCOPED_TRACE(qPrintable(object->className()));
        EXPECT_EQ(PWBandedDrawing::drawsOffThread(*object), !text && !image);
    }
    auto shape = PWDrawableShape::drawableShapeWithRect({0, 0, 10, 10});
    for (const pf::Ref<PWStyle>& style : effectStyles()) {
        shape->setStyle(style);
        SCOPED_TRACE(qPrintable(style->rendererAtIndex(0)->className()));
        EXPECT_FALSE(PWBandedDrawing::drawsOffThread(*shape));
    }
    // A group is as safe as its members.
    auto group = PWShapeGroup::groupWithObjects({PWDrawableShape::drawableShapeWithRect({0, 0, 5, 5}),
                                                 PWTextShape::textShapeWithRect({10, 10, 40, 20}, QStringLiteral("Hi"))});
    EXPECT_FALSE(PWBandedDrawing::drawsOffThread(*group));
}

TEST_F(BandedDrawingTest, BitmapOutputOfEveryKindMatchesDrawingOnOneThread)
{
    const pf::Ref<PWDrawing> drawing = everythingDrawing();
    struct Case {
        QRectF source;
        QSize size;
    };
    // The whole page, a magnified corner and an area at fractional coordinates cut by the edges.
    const Case cases[] = {{{0, 0, 1000, 900}, {1000, 900}},
                          {{100, 80, 300, 260}, {1200, 1040}},
                          {{13.3, 7.7, 487.1, 401.9}, {977, 811}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1,%2 %3x%4").arg(c.source.x()).arg(c.source.y()).arg(c.source.width()).arg(c.source.height())));
        QImage plain;
        const QImage banded = renderBothWays(*drawing, c.source, c.size, &plain);
        ASSERT_FALSE(plain.isNull());
        EXPECT_GT(PWBandedDrawing::bandsInLastPass(), 1);
        EXPECT_TRUE(banded == plain) << qPrintable(firstDifference(banded, plain));
    }
}

TEST_F(BandedDrawingTest, ObjectsCrossingBandEdgesDrawTheSame)
{
    // Long thin shapes and slanted lines at every height, over the seams between the bands.
    auto drawing = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setDrawingSize({800, 800});
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    drawing->addLayer(layer);
    for (int i = 0; i < 80; ++i) {
        const double y = i * 9.97 + 0.31;
        layer->addObject(PWDrawableShape::drawableShapeWithOvalInRect({5.0 + i, y, 780.0 - 2 * i, 3.3 + i % 7},
                                                                      plainStyle(qRgba(i * 3, 100, 200, 200), qRgb(0, 0, 0), 0.5 + i % 4, i % 3)));
        auto slant = pf::BezierPath::path();
        slant->moveTo({i * 10.0, y});
        slant->lineTo({800 - i * 10.0, y + 40 + i % 20});
        layer->addObject(PWDrawablePath::drawablePathWithPath(*slant));
    }
    QImage plain;
    const QImage banded = renderBothWays(*drawing, {0, 0, 800, 800}, {800, 800}, &plain);
    EXPECT_GT(PWBandedDrawing::bandsInLastPass(), 1);
    EXPECT_TRUE(banded == plain) << qPrintable(firstDifference(banded, plain));
}

TEST_F(BandedDrawingTest, ViewWithSelectionMatchesDrawingOnOneThread)
{
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    const pf::Ref<PWDrawing> drawing = everythingDrawing();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(layerNamed(*drawing, QStringLiteral("Banded")));
    ASSERT_TRUE(layer);
    drawing->setActiveLayer(layer);
    for (const pf::Ref<PWDrawableObject>& object : layer->objectList())
        layer->addObjectToSelection(object);
    PWDrawingView view;
    view.setDrawing(drawing);
    view.setScale(0.9);
    const auto draw = [&](const QRect& area) {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::gray);
        view.render(&image, area.topLeft(), QRegion(area));
        return image;
    };
    for (const QRect& area : {QRect(QPoint(0, 0), view.size()), QRect(37, 51, 700, 500)}) {
        PWBandedDrawing::setEnabled(false);
        const QImage plain = draw(area);
        PWBandedDrawing::setEnabled(true);
        const QImage banded = draw(area);
        EXPECT_GT(PWBandedDrawing::bandsInLastPass(), 1);
        // Thin lines cut by a band's clip may take an edge pixel a level or two apart (Qt steps
        // a clipped hairline from where the clip cuts it); nothing more, and only there.
        const auto [most, count] = difference(banded, plain);
        EXPECT_LE(most, 2) << qPrintable(firstDifference(banded, plain));
        EXPECT_LT(count, area.width() * area.height() / 1000);
    }
    PWDrawingView::setShouldCreateAutomaticDrawing(true);
}
