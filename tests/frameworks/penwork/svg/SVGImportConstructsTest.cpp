// Clip paths, masks, markers, patterns, paint order and the other constructs the importer
// turns into framework objects: checked by the objects made, by how they draw where geometry
// is the point, and by a save and reopen of the drawing.
#include <QFontMetricsF>

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

QByteArray svg(const QString& body)
{
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
                          "width=\"100\" height=\"100\">%1</svg>")
        .arg(body)
        .toUtf8();
}

QList<pf::Ref<PWDrawableObject>> objectsOf(const pf::Ref<PWDrawing>& drawing)
{
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        drawing->firstLayerOfClass(PWObjectDrawingLayer::staticClass()));
    return layer ? layer->objectList() : QList<pf::Ref<PWDrawableObject>>();
}

QImage rendered(const pf::Ref<PWDrawing>& drawing)
{
    return PWRenderingOutput::image(*drawing, QRectF(0, 0, 100, 100), QSize(100, 100), pf::Color::white())
        .convertToFormat(QImage::Format_ARGB32);
}

pf::Ref<PWDrawing> imported(const QString& body)
{
    pf::Error error;
    auto drawing = PWSVGImporter::drawingWithSVGData(svg(body), &error);
    EXPECT_TRUE(drawing) << error.description().toStdString();
    return drawing;
}

pf::Ref<PWDrawing> savedAndReopened(const pf::Ref<PWDrawing>& drawing)
{
    pf::Error error;
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(drawing, pf::PropertyListFormat::Binary, &error);
    EXPECT_FALSE(data.isEmpty()) << error.description().toStdString();
    auto reopened = PWDrawingArchiving::drawingWithData(data, &error);
    EXPECT_TRUE(reopened) << error.description().toStdString();
    return reopened;
}

bool near(QRgb pixel, QColor colour, int tolerance = 40)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
        && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

const QColor kGreen(0, 128, 0);
const QColor kWhite(255, 255, 255);

// ---- Clip paths ------------------------------------------------------------------------------

TEST(SVGImportClipping, ClipPathMakesAClippingGroupThatShowsOnlyInside)
{
    auto drawing = imported("<clipPath id=\"c\"><circle cx=\"50\" cy=\"50\" r=\"30\"/></clipPath>"
                            "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>");
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 1);
    auto group = std::dynamic_pointer_cast<PWClippingGroup>(objects.first());
    ASSERT_TRUE(group);
    EXPECT_EQ(group->clipKind(), int(PWClippingGroup::ClipCoverage));
    ASSERT_EQ(group->countOfMembers(), 1);
    // The rect stays a whole, editable rect; the clip is the circle's outline.
    EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawableShape>(group->members().first()));
    ASSERT_TRUE(group->clip());
    EXPECT_NEAR(group->clip()->logicalBounds().width(), 60.0, 0.01);
    EXPECT_NEAR(group->bounds().left(), 20.0, 1.0);

    for (const auto& picture : {rendered(drawing), rendered(savedAndReopened(drawing))}) {
        EXPECT_TRUE(near(picture.pixel(50, 50), kGreen));
        EXPECT_TRUE(near(picture.pixel(5, 5), kWhite));
        EXPECT_TRUE(near(picture.pixel(50, 15), kWhite));
        EXPECT_TRUE(near(picture.pixel(50, 25), kGreen));
    }
}

TEST(SVGImportClipping, UnitsTransformsRulesAndNesting)
{
    struct Case {
        const char* body;
        QPoint inside;
        QPoint outside;
    };
    const Case cases[] = {
        // objectBoundingBox: the clip's unit square is the rect's box (40..100).
        {"<clipPath id=\"c\" clipPathUnits=\"objectBoundingBox\"><rect width=\"0.5\" height=\"0.5\"/></clipPath>"
         "<rect x=\"40\" y=\"40\" width=\"60\" height=\"60\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {60, 60}, {80, 80}},
        // The clip path's transform moves its outline.
        {"<clipPath id=\"c\" transform=\"translate(50 0)\"><rect width=\"50\" height=\"100\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {75, 50}, {25, 50}},
        // clip-rule evenodd leaves the inner square out.
        {"<clipPath id=\"c\"><path clip-rule=\"evenodd\" d=\"M0 0H100V100H0Z M30 30H70V70H30Z\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {10, 10}, {50, 50}},
        // A clip path clipped in turn: the intersection of the two.
        {"<clipPath id=\"a\"><rect width=\"60\" height=\"100\"/></clipPath>"
         "<clipPath id=\"c\" clip-path=\"url(#a)\"><rect x=\"40\" width=\"60\" height=\"100\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {50, 50}, {80, 50}},
        // Paint, strokes and groups inside a clip path play no part.
        {"<clipPath id=\"c\"><g><rect width=\"100\" height=\"100\"/></g>"
         "<rect x=\"40\" width=\"20\" height=\"100\" fill=\"none\" stroke=\"black\" stroke-width=\"40\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {50, 50}, {10, 50}},
        // A clip path referring to itself ignores that reference.
        {"<clipPath id=\"c\" clip-path=\"url(#c)\"><rect width=\"50\" height=\"100\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {25, 50}, {75, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto drawing = imported(c.body);
        ASSERT_TRUE(drawing);
        const QImage picture = rendered(drawing);
        EXPECT_TRUE(near(picture.pixel(c.inside), kGreen));
        EXPECT_TRUE(near(picture.pixel(c.outside), kWhite));
    }
}

TEST(SVGImportClipping, MissingReferencesAreIgnoredAndEmptyClipsHide)
{
    auto missing = imported("<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#none)\" "
                            "mask=\"url(#none)\"/>");
    ASSERT_TRUE(missing);
    ASSERT_EQ(objectsOf(missing).size(), 1);
    EXPECT_FALSE(std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(missing).first()));

    auto empty = imported("<clipPath id=\"c\"/><rect width=\"100\" height=\"100\" fill=\"green\" "
                          "clip-path=\"url(#c)\"/>");
    ASSERT_TRUE(empty);
    EXPECT_TRUE(objectsOf(empty).isEmpty());
}

// ---- Masks -----------------------------------------------------------------------------------

TEST(SVGImportClipping, MaskShowsByLuminanceOrAlphaWithinItsRegion)
{
    auto drawing = imported("<mask id=\"m\" maskUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"80\" height=\"100\">"
                            "<rect width=\"50\" height=\"100\" fill=\"white\"/>"
                            "<rect x=\"50\" width=\"50\" height=\"100\" fill=\"black\"/>"
                            "<rect y=\"50\" width=\"100\" height=\"50\" fill=\"rgb(50%,50%,50%)\"/></mask>"
                            "<rect width=\"100\" height=\"100\" fill=\"green\" mask=\"url(#m)\"/>");
    ASSERT_TRUE(drawing);
    auto group = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(drawing).value(0));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->clipKind(), int(PWClippingGroup::ClipLuminance));
    for (const auto& picture : {rendered(drawing), rendered(savedAndReopened(drawing))}) {
        EXPECT_TRUE(near(picture.pixel(25, 25), kGreen));
        EXPECT_TRUE(near(picture.pixel(75, 25), kWhite));
        // Half grey lets about half through: between green and white.
        EXPECT_TRUE(near(picture.pixel(25, 75), QColor(128, 192, 128), 30));
        // Beyond the mask's region nothing shows, whatever its content paints.
        EXPECT_TRUE(near(picture.pixel(90, 75), kWhite));
    }

    auto alpha = imported("<mask id=\"m\" mask-type=\"alpha\"><rect width=\"50\" height=\"100\" fill=\"black\"/></mask>"
                          "<rect width=\"100\" height=\"100\" fill=\"green\" mask=\"url(#m)\"/>");
    ASSERT_TRUE(alpha);
    auto alphaGroup = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(alpha).value(0));
    ASSERT_TRUE(alphaGroup);
    EXPECT_EQ(alphaGroup->clipKind(), int(PWClippingGroup::ClipCoverage));
    const QImage picture = rendered(alpha);
    EXPECT_TRUE(near(picture.pixel(25, 50), kGreen));
    EXPECT_TRUE(near(picture.pixel(75, 50), kWhite));
}

} // namespace
