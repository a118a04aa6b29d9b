// Clip paths, masks, markers, patterns, paint order and the other constructs the importer
// turns into framework objects: checked by the objects made, by how they draw where geometry
// is the point, and by a save and reopen of the drawing.
#include <QFontMetricsF>

#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWObjectPatternFill.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

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
        // ... measured in the element's user space, under the element's own transforms.
        {"<clipPath id=\"c\" clipPathUnits=\"objectBoundingBox\"><rect width=\"0.5\" height=\"1\"/></clipPath>"
         "<g transform=\"translate(20 0)\"><rect x=\"20\" y=\"40\" width=\"60\" height=\"60\" fill=\"green\" "
         "clip-path=\"url(#c)\"/></g>",
         {55, 70}, {85, 70}},
        // The clip path's transform moves its outline.
        {"<clipPath id=\"c\" transform=\"translate(50 0)\"><rect width=\"50\" height=\"100\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {75, 50}, {25, 50}},
        // clip-rule evenodd leaves the inner square out.
        {"<clipPath id=\"c\"><path clip-rule=\"evenodd\" d=\"M0 0H100V100H0Z M30 30H70V70H30Z\"/></clipPath>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\"/>",
         {10, 10}, {50, 50}},
        // clip-rule inherits from where the clip path stands, not from where it is used.
        {"<g clip-rule=\"evenodd\"><clipPath id=\"c\"><path d=\"M0 0H100V100H0Z M30 30H70V70H30Z\"/></clipPath></g>"
         "<rect width=\"100\" height=\"100\" fill=\"green\" clip-path=\"url(#c)\" clip-rule=\"nonzero\"/>",
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

    // By default the region is the box with a tenth more each side: what the element draws
    // beyond it (here its wide stroke) is cut.
    auto region = imported("<mask id=\"m\"><rect x=\"-50\" y=\"-50\" width=\"200\" height=\"200\" "
                           "fill=\"white\"/></mask>"
                           "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"none\" stroke=\"green\" "
                           "stroke-width=\"40\" mask=\"url(#m)\"/>");
    ASSERT_TRUE(region);
    const QImage regionPicture = rendered(region);
    EXPECT_TRUE(near(regionPicture.pixel(20, 50), kGreen));
    EXPECT_TRUE(near(regionPicture.pixel(5, 50), kWhite)); // the region begins at 14

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

// ---- Markers and paint order ----------------------------------------------------------------

TEST(SVGImportMarkers, MarkersArePlacedAtTheVerticesAsObjects)
{
    // An arrow-like marker 10 x 4 whose reference point is its left middle.
    auto drawing = imported("<marker id=\"m\" markerWidth=\"10\" markerHeight=\"4\" refX=\"0\" refY=\"2\" "
                            "orient=\"auto\" markerUnits=\"userSpaceOnUse\">"
                            "<rect width=\"10\" height=\"4\" fill=\"green\"/></marker>"
                            "<path d=\"M10 10 L50 10 L50 50\" fill=\"none\" stroke=\"black\" "
                            "marker-start=\"url(#m)\" marker-mid=\"url(#m)\" marker-end=\"url(#m)\"/>");
    ASSERT_TRUE(drawing);
    auto group = std::dynamic_pointer_cast<PWShapeGroup>(objectsOf(drawing).value(0));
    ASSERT_TRUE(group);
    // The path, then a marker at each of its three vertices.
    ASSERT_EQ(group->countOfMembers(), 4);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawablePath>(group->members()[0]));
    auto boundsOf = [&](int i) { return group->members()[i]->bounds(); };
    // Start: heading right, the marker runs right from (10, 10).
    EXPECT_NEAR(boundsOf(1).left(), 10.0, 0.6);
    EXPECT_NEAR(boundsOf(1).center().y(), 10.0, 0.6);
    EXPECT_NEAR(boundsOf(1).width(), 10.0, 0.6);
    // Middle: the bisector of right and down, 45 degrees.
    EXPECT_NEAR(boundsOf(2).width(), boundsOf(2).height(), 0.6);
    EXPECT_GT(boundsOf(2).width(), 8.0);
    // End: heading down, the marker runs down from (50, 50).
    EXPECT_NEAR(boundsOf(3).top(), 50.0, 0.6);
    EXPECT_NEAR(boundsOf(3).center().x(), 50.0, 0.6);
    EXPECT_NEAR(boundsOf(3).height(), 10.0, 0.6);

    const QImage picture = rendered(savedAndReopened(drawing));
    EXPECT_TRUE(near(picture.pixel(15, 10), kGreen));
    EXPECT_TRUE(near(picture.pixel(50, 55), kGreen));
}

TEST(SVGImportMarkers, SizeOrientAndOverflow)
{
    struct Case {
        const char* marker;
        QRectF expected; // the marker's bounds for the vertex at (50, 50), stroke width 2
    };
    const Case cases[] = {
        // markerUnits strokeWidth (the default) scales by the stroke width.
        {"<marker id=\"m\" markerWidth=\"5\" markerHeight=\"5\" orient=\"0\"><rect width=\"5\" height=\"5\"/></marker>",
         QRectF(50, 50, 10, 10)},
        // A fixed angle, in degrees without a unit or in turns.
        {"<marker id=\"m\" markerWidth=\"10\" markerHeight=\"4\" markerUnits=\"userSpaceOnUse\" orient=\"90\">"
         "<rect width=\"10\" height=\"4\"/></marker>",
         QRectF(46, 50, 4, 10)},
        {"<marker id=\"m\" markerWidth=\"10\" markerHeight=\"4\" markerUnits=\"userSpaceOnUse\" orient=\"0.5turn\">"
         "<rect width=\"10\" height=\"4\"/></marker>",
         QRectF(40, 46, 10, 4)},
        // The start marker turned round to point back along the path.
        {"<marker id=\"m\" markerWidth=\"10\" markerHeight=\"4\" markerUnits=\"userSpaceOnUse\" "
         "orient=\"auto-start-reverse\"><rect width=\"10\" height=\"4\"/></marker>",
         QRectF(40, 46, 10, 4)},
        // The viewBox maps onto the marker's size; what overflows it is clipped.
        {"<marker id=\"m\" markerWidth=\"10\" markerHeight=\"10\" markerUnits=\"userSpaceOnUse\" "
         "viewBox=\"0 0 100 100\"><rect width=\"200\" height=\"50\"/></marker>",
         QRectF(50, 50, 10, 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.marker);
        auto drawing = imported(QString::fromLatin1(c.marker)
                                + "<polyline points=\"50 50 90 50\" stroke=\"black\" stroke-width=\"2\" "
                                  "marker-start=\"url(#m)\"/>");
        ASSERT_TRUE(drawing);
        auto group = std::dynamic_pointer_cast<PWShapeGroup>(objectsOf(drawing).value(0));
        ASSERT_TRUE(group);
        ASSERT_EQ(group->countOfMembers(), 2);
        const QRectF bounds = group->members()[1]->bounds();
        EXPECT_NEAR(bounds.left(), c.expected.left(), 0.6);
        EXPECT_NEAR(bounds.top(), c.expected.top(), 0.6);
        EXPECT_NEAR(bounds.width(), c.expected.width(), 0.6);
        EXPECT_NEAR(bounds.height(), c.expected.height(), 0.6);
    }
}

TEST(SVGImportMarkers, PaintOrderOrdersRenderersAndMarkers)
{
    auto drawing = imported("<marker id=\"m\"><rect width=\"3\" height=\"3\"/></marker>"
                            "<polyline points=\"10 10 90 10\" fill=\"none\" stroke=\"blue\" paint-order=\"stroke\"/>"
                            "<rect width=\"10\" height=\"10\" fill=\"green\" stroke=\"blue\" "
                            "paint-order=\"stroke fill\"/>"
                            "<rect width=\"10\" height=\"10\" fill=\"green\" stroke=\"blue\" paint-order=\"bogus\"/>"
                            "<path d=\"M10 50 H90\" fill=\"red\" stroke=\"blue\" marker-end=\"url(#m)\" "
                            "paint-order=\"fill markers\"/>");
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 4);
    auto firstIsStroke = [](const pf::Ref<PWDrawableObject>& object) {
        const auto renderers = object->style()->renderList();
        return !renderers.isEmpty() && bool(std::dynamic_pointer_cast<PWStroke>(renderers.first()));
    };
    EXPECT_TRUE(firstIsStroke(objects[1]));
    EXPECT_FALSE(firstIsStroke(objects[2]));
    // Fill, then the markers, then the stroke: the path is split in two around the marker.
    auto split = std::dynamic_pointer_cast<PWShapeGroup>(objects[3]);
    ASSERT_TRUE(split);
    ASSERT_EQ(split->countOfMembers(), 3);
    EXPECT_FALSE(firstIsStroke(split->members()[0]));
    EXPECT_EQ(split->members()[0]->style()->renderList().size(), 1);
    EXPECT_TRUE(firstIsStroke(split->members()[2]));
}

TEST(SVGImportMarkers, ContextPaintsComeFromTheMarkedElementOrTheUse)
{
    auto fillColour = [](const pf::Ref<PWDrawableObject>& object) {
        auto fills = object->style()->renderersOfClass<PWFill>();
        return fills.isEmpty() ? QColor() : fills.first()->colour().qColor();
    };
    auto drawing = imported("<marker id=\"m\" markerUnits=\"userSpaceOnUse\" overflow=\"visible\">"
                            "<rect width=\"3\" height=\"3\" fill=\"context-stroke\" stroke=\"context-fill\"/></marker>"
                            "<path d=\"M10 10 H90\" fill=\"blue\" stroke=\"green\" stroke-opacity=\"0.5\" "
                            "marker-start=\"url(#m)\"/>"
                            "<defs><rect id=\"r\" width=\"5\" height=\"5\" fill=\"context-fill\"/></defs>"
                            "<use href=\"#r\" fill=\"red\"/>"
                            "<rect width=\"5\" height=\"5\" fill=\"context-fill\"/>");
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 3);
    auto marked = std::dynamic_pointer_cast<PWShapeGroup>(objects[0]);
    ASSERT_TRUE(marked);
    ASSERT_EQ(marked->countOfMembers(), 2);
    const auto marker = marked->members()[1];
    EXPECT_EQ(fillColour(marker).green(), 128);
    EXPECT_NEAR(fillColour(marker).alphaF(), 0.5, 0.01);
    auto strokes = marker->style()->renderersOfClass<PWStroke>();
    ASSERT_EQ(strokes.size(), 1);
    EXPECT_EQ(strokes.first()->colour().qColor(), QColor(Qt::blue));
    EXPECT_EQ(fillColour(objects[1]), QColor(Qt::red));
    // A use of a use: each is the context of what it instances, in turn.
    auto chain = imported("<defs><rect id=\"r\" width=\"50\" height=\"50\" fill=\"context-stroke\" "
                          "stroke=\"context-fill\"/></defs><use id=\"u\" href=\"#r\" fill=\"context-fill\" "
                          "stroke=\"context-stroke\"/><use href=\"#u\" fill=\"blue\" stroke=\"green\"/>");
    ASSERT_TRUE(chain);
    const auto chained = objectsOf(chain);
    ASSERT_EQ(chained.size(), 2);
    EXPECT_EQ(fillColour(chained[1]), QColor(0, 128, 0));
    // Without a context element there is nothing to paint with.
    EXPECT_TRUE(objects[2]->style()->renderersOfClass<PWFill>().isEmpty());
}

TEST(SVGImportMarkers, GradientAndPatternStrokesShowThroughTheStrokesOutline)
{
    auto drawing = imported("<linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"green\"/>"
                            "<stop offset=\"1\" stop-color=\"blue\"/></linearGradient>"
                            "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"yellow\" stroke=\"url(#g)\" "
                            "stroke-width=\"10\"/>"
                            "<line x1=\"50\" y1=\"0\" x2=\"50\" y2=\"10\" stroke=\"url(#g) red\" stroke-width=\"4\"/>");
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 2);
    // The filled rect, then its stroke: the gradient's rect seen through the stroke's outline.
    auto pair = std::dynamic_pointer_cast<PWShapeGroup>(objects[0]);
    ASSERT_TRUE(pair);
    ASSERT_EQ(pair->countOfMembers(), 2);
    auto stroke = std::dynamic_pointer_cast<PWClippingGroup>(pair->members()[1]);
    ASSERT_TRUE(stroke);
    ASSERT_TRUE(stroke->clip());
    EXPECT_EQ(stroke->clip()->style()->renderersOfClass<PWStroke>().size(), 1);
    for (const auto& picture : {rendered(drawing), rendered(savedAndReopened(drawing))}) {
        const QRgb left = picture.pixel(20, 50);
        const QRgb right = picture.pixel(80, 50);
        EXPECT_GT(qGreen(left), qBlue(left));
        EXPECT_GT(qBlue(right), qGreen(right));
        EXPECT_TRUE(near(picture.pixel(50, 50), QColor(Qt::yellow)));
        EXPECT_TRUE(near(picture.pixel(10, 50), kWhite));
    }
    // A line has no box for an objectBoundingBox gradient: the fallback colour strokes it.
    EXPECT_EQ(objects[1]->style()->renderersOfClass<PWStroke>().value(0)->colour().qColor(), QColor(Qt::red));

    // Text painted with a gradient: the text shape is the clip of the gradient's rect.
    auto text = imported("<linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"green\"/>"
                         "<stop offset=\"1\" stop-color=\"blue\"/></linearGradient>"
                         "<text x=\"10\" y=\"60\" font-size=\"40\" fill=\"url(#g)\">Wow</text>");
    ASSERT_TRUE(text);
    auto painted = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(text).value(0));
    ASSERT_TRUE(painted);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWTextShape>(painted->clip()));
    EXPECT_FALSE(savedAndReopened(text) == nullptr);
}

// ---- Group opacity and blend modes ----------------------------------------------------------

TEST(SVGImportCompositing, GroupOpacityIsOnePictureAndBlendModesMixWithWhatIsUnder)
{
    // Two overlapping opaque squares at half group opacity: where they overlap, the upper one
    // alone shows at half strength, not the lower one through it.
    auto drawing = imported("<g opacity=\"0.5\"><rect width=\"60\" height=\"60\" fill=\"red\"/>"
                            "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"blue\"/></g>");
    ASSERT_TRUE(drawing);
    auto group = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(drawing).value(0));
    ASSERT_TRUE(group);
    EXPECT_FALSE(group->clip());
    EXPECT_DOUBLE_EQ(group->groupOpacity(), 0.5);
    for (const auto& picture : {rendered(drawing), rendered(savedAndReopened(drawing))})
        EXPECT_TRUE(near(picture.pixel(40, 40), QColor(128, 128, 255), 8));

    // Hue: the backdrop's saturation and luminosity with the source's hue. A grey backdrop has
    // no saturation, so a red square over it leaves the grey as it is; over white nothing shows
    // through either.
    auto hue = imported("<rect width=\"50\" height=\"100\" fill=\"rgb(0,128,0)\"/>"
                        "<rect width=\"100\" height=\"100\" fill=\"blue\" style=\"mix-blend-mode: hue\"/>");
    ASSERT_TRUE(hue);
    auto blended = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(hue).value(1));
    ASSERT_TRUE(blended);
    EXPECT_EQ(blended->blendMode(), int(pw::renderers::CompositeHue));
    const QImage picture = rendered(savedAndReopened(hue));
    // Green's luminosity and saturation with blue's hue: a dark blue.
    const QRgb left = picture.pixel(25, 50);
    EXPECT_GT(qBlue(left), qGreen(left) + 40);
    EXPECT_LT(qBlue(left), 200);
    EXPECT_TRUE(near(picture.pixel(75, 50), kWhite, 8));

    auto multiply = imported("<style>.m { mix-blend-mode: multiply }</style>"
                             "<rect width=\"100\" height=\"100\" fill=\"yellow\"/>"
                             "<rect width=\"100\" height=\"50\" fill=\"cyan\" class=\"m\"/>"
                             "<rect y=\"50\" width=\"100\" height=\"50\" fill=\"cyan\" mix-blend-mode=\"multiply\"/>");
    ASSERT_TRUE(multiply);
    EXPECT_TRUE(near(rendered(multiply).pixel(50, 25), QColor(0, 255, 0), 8));
    // Only style sheets and style attributes set it: as an attribute it is no property.
    EXPECT_TRUE(near(rendered(multiply).pixel(50, 75), QColor(0, 255, 255), 8));
}

TEST(SVGImportCompositing, NonSeparableBlendFormulas)
{
    struct Case {
        int mode;
        QColor backdrop, source, expected;
    };
    using namespace pw::renderers;
    const Case cases[] = {
        // Luminosity: the backdrop's hue and saturation with the source's luminosity.
        {CompositeLuminosity, QColor(128, 128, 128), QColor(255, 255, 255), QColor(255, 255, 255)},
        {CompositeLuminosity, QColor(255, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)},
        // Colour: the source's hue and saturation with the backdrop's luminosity.
        {CompositeColour, QColor(255, 255, 255), QColor(255, 0, 0), QColor(255, 255, 255)},
        {CompositeColour, QColor(0, 0, 0), QColor(0, 255, 0), QColor(0, 0, 0)},
        // Saturation of grey is none: the backdrop's grey stays.
        {CompositeSaturation, QColor(255, 0, 0), QColor(128, 128, 128), QColor(77, 77, 77)},
        // Hue over grey: no saturation to carry the hue.
        {CompositeHue, QColor(128, 128, 128), QColor(255, 0, 0), QColor(128, 128, 128)},
    };
    for (const Case& c : cases) {
        QImage backdrop(1, 1, QImage::Format_ARGB32_Premultiplied);
        backdrop.setPixel(0, 0, c.backdrop.rgba());
        QImage source(1, 1, QImage::Format_ARGB32_Premultiplied);
        source.setPixel(0, 0, c.source.rgba());
        blendNonSeparable(backdrop, source, c.mode);
        EXPECT_TRUE(near(backdrop.pixel(0, 0), c.expected, 3)) << c.mode << " " << std::hex << backdrop.pixel(0, 0);
    }
}

// ---- Patterns -------------------------------------------------------------------------------

TEST(SVGImportPatterns, PatternFillRepeatsItsObjects)
{
    // A 20-unit tile from (5, 0): a green square in its top left quarter.
    auto drawing = imported("<pattern id=\"p\" patternUnits=\"userSpaceOnUse\" x=\"5\" width=\"20\" height=\"20\">"
                            "<rect width=\"10\" height=\"10\" fill=\"green\"/></pattern>"
                            "<rect width=\"100\" height=\"100\" fill=\"url(#p)\"/>");
    ASSERT_TRUE(drawing);
    const auto objects = objectsOf(drawing);
    ASSERT_EQ(objects.size(), 1);
    auto fills = objects.first()->style()->renderersOfClass<PWObjectPatternFill>();
    ASSERT_EQ(fills.size(), 1);
    EXPECT_EQ(fills.first()->tile(), QRectF(5, 0, 20, 20));
    ASSERT_EQ(fills.first()->objects().size(), 1);
    EXPECT_EQ(fills.first()->objects().first()->bounds().toRect(), QRect(5, 0, 10, 10));

    auto reopened = savedAndReopened(drawing);
    ASSERT_TRUE(reopened);
    ASSERT_EQ(objectsOf(reopened).first()->style()->renderersOfClass<PWObjectPatternFill>().size(), 1);
    for (const auto& picture : {rendered(drawing), rendered(reopened)}) {
        EXPECT_TRUE(near(picture.pixel(10, 5), kGreen));
        EXPECT_TRUE(near(picture.pixel(50, 45), kGreen)); // the tile two along, two down
        EXPECT_TRUE(near(picture.pixel(2, 5), kWhite));   // left of the first tile: the one before's gap
        EXPECT_TRUE(near(picture.pixel(20, 5), kWhite));
        EXPECT_TRUE(near(picture.pixel(10, 15), kWhite));
    }
}

TEST(SVGImportPatterns, UnitsTransformAndReferences)
{
    struct Case {
        const char* body;
        QPoint green;
        QPoint white;
    };
    const Case cases[] = {
        // objectBoundingBox tile: halves of the 40-unit box at (20, 20), content in user space
        // from the tile's corner.
        {"<pattern id=\"p\" width=\"0.5\" height=\"0.5\"><rect width=\"10\" height=\"10\" fill=\"green\"/></pattern>"
         "<rect x=\"20\" y=\"20\" width=\"40\" height=\"40\" fill=\"url(#p)\"/>",
         {45, 45}, {55, 55}},
        // The tile starts a quarter into the box: its first square covers 30..40.
        {"<pattern id=\"p\" x=\"0.25\" width=\"0.5\" height=\"1\"><rect width=\"10\" height=\"40\" "
         "fill=\"green\"/></pattern><rect x=\"20\" y=\"20\" width=\"40\" height=\"40\" fill=\"url(#p)\"/>",
         {35, 40}, {45, 40}},
        // patternContentUnits objectBoundingBox: the content's unit square is the box.
        {"<pattern id=\"p\" width=\"1\" height=\"1\" patternContentUnits=\"objectBoundingBox\">"
         "<rect width=\"0.25\" height=\"1\" fill=\"green\"/></pattern>"
         "<rect x=\"20\" y=\"20\" width=\"40\" height=\"40\" fill=\"url(#p)\"/>",
         {25, 50}, {40, 50}},
        // patternTransform moves the tiles.
        {"<pattern id=\"p\" patternUnits=\"userSpaceOnUse\" width=\"50\" height=\"50\" "
         "patternTransform=\"translate(25 0)\"><rect width=\"25\" height=\"50\" fill=\"green\"/></pattern>"
         "<rect width=\"100\" height=\"100\" fill=\"url(#p)\"/>",
         {30, 10}, {10, 10}},
        // Attributes and content come through href from another pattern.
        {"<pattern id=\"base\" patternUnits=\"userSpaceOnUse\" width=\"50\" height=\"50\">"
         "<rect width=\"25\" height=\"50\" fill=\"green\"/></pattern>"
         "<pattern id=\"p\" href=\"#base\" x=\"25\"/>"
         "<rect width=\"100\" height=\"100\" fill=\"url(#p)\"/>",
         {30, 10}, {10, 10}},
        // A pattern without a size paints nothing, not even its fallback colour.
        {"<pattern id=\"p\"><rect width=\"10\" height=\"10\" fill=\"red\"/></pattern>"
         "<rect width=\"50\" height=\"100\" fill=\"green\"/>"
         "<rect width=\"100\" height=\"100\" fill=\"url(#p) red\"/>",
         {10, 10}, {60, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        auto drawing = imported(c.body);
        ASSERT_TRUE(drawing);
        const QImage picture = rendered(drawing);
        EXPECT_TRUE(near(picture.pixel(c.green), kGreen));
        EXPECT_TRUE(near(picture.pixel(c.white), kWhite));
    }
}

TEST(SVGImportPatterns, PatternFillArchivesUnderItsKeys)
{
    auto drawing = imported("<pattern id=\"p\" patternUnits=\"userSpaceOnUse\" width=\"20\" height=\"20\">"
                            "<rect width=\"10\" height=\"10\"/></pattern>"
                            "<rect width=\"100\" height=\"100\" fill=\"url(#p)\"/>");
    ASSERT_TRUE(drawing);
    const QByteArray data = PWDrawingArchiving::dataWithDrawing(drawing, pf::PropertyListFormat::XML);
    for (const char* key : {"pw_objectPatternFill_objects", "pw_objectPatternFill_tile",
                            "pw_objectPatternFill_transform", "pw_objectPatternFill_opacity"})
        EXPECT_TRUE(data.contains(key)) << key;
}

// ---- Structure: conditions, style sheets, transforms -----------------------------------------

// Each body draws a green square over (20, 20)-(80, 80) when the rule holds, red or nothing
// when it does not.
TEST(SVGImportStructure, RulesThatDecideWhatDrawsAndWhere)
{
    const char* bodies[] = {
        // switch: the first child whose conditions hold.
        "<switch><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\" requiredExtensions=\"x\"/>"
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"green\"/>"
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\"/></switch>",
        "<switch><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\" systemLanguage=\"zz\"/>"
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"green\"/></switch>",
        // Outside a switch a failing condition hides the element.
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"green\"/>"
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\" systemLanguage=\"zz-ZZ\"/>",
        // Selectors: attributes, child and descendant combinators, siblings, first-child.
        "<style>[x] { fill: green }</style><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\"/>",
        "<style>svg > rect { fill: green }</style><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\"/>",
        "<style>g rect[fill^=r] { fill: green } svg > rect { fill: red }</style>"
        "<g><g><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\"/></g></g>",
        "<style>circle + rect { fill: green } rect:first-child { fill: red }</style>"
        "<g><circle r=\"1\" fill=\"none\"/><rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"red\"/></g>",
        // Comments in a style attribute.
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" style=\"/* a */fill:green/* b */\"/>",
        // A transform from a style sheet wins over the attribute.
        "<style>#r { transform: scale(2) }</style>"
        "<rect id=\"r\" x=\"10\" y=\"10\" width=\"30\" height=\"30\" fill=\"green\" transform=\"scale(5)\"/>",
        // transform-origin: the rotation turns the square about its own centre.
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"green\" transform=\"rotate(90)\" "
        "transform-origin=\"50 50\"/>",
        "<rect x=\"20\" y=\"20\" width=\"60\" height=\"60\" fill=\"green\" transform=\"rotate(180)\" "
        "transform-origin=\"center\"/>",
        // A nested svg: percentages of its own viewport, and what overflows it is cut off.
        "<svg x=\"20\" y=\"20\" width=\"60\" height=\"60\"><rect width=\"100%\" height=\"100%\" fill=\"green\"/>"
        "<rect x=\"60\" width=\"40\" height=\"100\" fill=\"red\"/><rect x=\"-20\" y=\"-20\" width=\"10\" "
        "height=\"10\" fill=\"red\"/></svg>",
        // A use of an svg element gives it its size; its viewBox maps onto that.
        "<defs><svg id=\"s\" x=\"20\" y=\"20\" width=\"10\" height=\"10\" viewBox=\"0 0 10 10\">"
        "<rect width=\"10\" height=\"10\" fill=\"green\"/><rect x=\"10\" width=\"10\" height=\"10\" "
        "fill=\"red\"/></svg></defs><use href=\"#s\" width=\"60\" height=\"60\"/>",
        // A symbol is cut off at the size the use gives it.
        "<symbol id=\"y\"><rect width=\"100\" height=\"100\" fill=\"green\"/></symbol>"
        "<use href=\"#y\" x=\"20\" y=\"20\" width=\"60\" height=\"60\"/>",
    };
    for (const char* body : bodies) {
        SCOPED_TRACE(body);
        auto drawing = imported(QString::fromLatin1(body));
        ASSERT_TRUE(drawing);
        const QImage picture = rendered(drawing);
        EXPECT_TRUE(near(picture.pixel(25, 25), kGreen));
        EXPECT_TRUE(near(picture.pixel(75, 75), kGreen));
        EXPECT_TRUE(near(picture.pixel(85, 85), kWhite));
        EXPECT_TRUE(near(picture.pixel(15, 15), kWhite));
    }
}

// ---- Images ---------------------------------------------------------------------------------

QByteArray greenPNG(QSize size = QSize(10, 10))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(0, 128, 0));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

TEST(SVGImportImages, LinkedPicturesAreReadOnlyWithinTheFilesFolderTree)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString folder = root.filePath(QStringLiteral("drawing"));
    ASSERT_TRUE(writeFile(folder + QStringLiteral("/pictures/green.png"), greenPNG()));
    ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("outside.png")), greenPNG()));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("outside.png")), folder + QStringLiteral("/link.png")));
    struct Case {
        const char* href;
        bool drawn;
    };
    const Case cases[] = {
        {"pictures/green.png", true},
        {"./pictures/../pictures/green%2Epng", true},
        {"../outside.png", false},           // out of the tree
        {"link.png", false},                 // a link leading out of it
        {"missing.png", false},
        {"file:pictures/green.png", false},  // no schemes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.href);
        const QString path = folder + QStringLiteral("/picture.svg");
        ASSERT_TRUE(writeFile(path, svg(QStringLiteral("<image href=\"%1\" x=\"20\" y=\"20\" width=\"60\" "
                                                       "height=\"60\"/>")
                                            .arg(QString::fromLatin1(c.href)))));
        pf::Error error;
        auto drawing = PWSVGImporter::drawingWithContentsOfSVGFile(path, &error);
        ASSERT_TRUE(drawing) << error.description().toStdString();
        const auto objects = objectsOf(drawing);
        ASSERT_EQ(objects.size(), c.drawn ? 1 : 0);
        if (c.drawn) {
            EXPECT_TRUE(std::dynamic_pointer_cast<PWImageShape>(objects.first()));
            EXPECT_TRUE(near(rendered(drawing).pixel(50, 50), kGreen));
        }
        // The same data with no file to start from reads nothing.
        auto data = PWSVGImporter::drawingWithSVGData(svg(QStringLiteral("<image href=\"%1\" width=\"60\" "
                                                                         "height=\"60\"/>")
                                                              .arg(QString::fromLatin1(c.href))));
        ASSERT_TRUE(data);
        EXPECT_TRUE(objectsOf(data).isEmpty());
        // Given the folder, data reads as the file does.
        auto withFolder = PWSVGImporter::drawingWithSVGData(
            svg(QStringLiteral("<image href=\"%1\" width=\"60\" height=\"60\"/>").arg(QString::fromLatin1(c.href))),
            folder);
        ASSERT_TRUE(withFolder);
        EXPECT_EQ(objectsOf(withFolder).size(), c.drawn ? 1 : 0);
    }
}

TEST(SVGImportImages, SlicedPicturesAreCutOffAndSVGPicturesBecomeObjects)
{
    // A 20 x 10 picture sliced into a 60 x 60 square: scaled to 120 x 60 and cut at the square.
    const QString png = QString::fromLatin1(greenPNG(QSize(20, 10)).toBase64());
    auto sliced = imported(QStringLiteral("<image href=\"data:image/png;base64,%1\" x=\"20\" y=\"20\" width=\"60\" "
                                          "height=\"60\" preserveAspectRatio=\"xMidYMid slice\"/>")
                               .arg(png));
    ASSERT_TRUE(sliced);
    auto group = std::dynamic_pointer_cast<PWClippingGroup>(objectsOf(sliced).value(0));
    ASSERT_TRUE(group);
    EXPECT_NEAR(group->members().first()->bounds().width(), 120.0, 0.5);
    EXPECT_NEAR(group->bounds().width(), 60.0, 0.5);
    const QImage picture = rendered(sliced);
    EXPECT_TRUE(near(picture.pixel(25, 50), kGreen));
    EXPECT_TRUE(near(picture.pixel(10, 50), kWhite));

    // An SVG picture: its own drawing, placed and scaled into the image's viewport.
    const QString inner = QString::fromLatin1(
        QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                   "<rect width=\"10\" height=\"10\" fill=\"green\"/></svg>")
            .toBase64());
    auto nested = imported(QStringLiteral("<image href=\"data:image/svg+xml;base64,%1\" x=\"20\" y=\"20\" "
                                          "width=\"60\" height=\"60\"/>")
                               .arg(inner));
    ASSERT_TRUE(nested);
    const auto objects = objectsOf(nested);
    ASSERT_EQ(objects.size(), 1);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawableShape>(objects.first()));
    EXPECT_EQ(objects.first()->bounds().toRect(), QRect(20, 20, 60, 60));
}

} // namespace
