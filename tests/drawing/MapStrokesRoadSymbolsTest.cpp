// The tunnel, bridge and cutting/embankment renderers and their style factories.
#include <gtest/gtest.h>

#include "MapStrokesTestSupport.h"

#include "drawing/PWStyle+Bridges.h"
#include "drawing/PWStyle+CuttingsAndEmbankments.h"
#include "drawing/PWStyle+Tunnels.h"
#include "drawing/PWXBridgeRasterizer.h"
#include "drawing/PWXCuttingAndEmbankmentRasterizer.h"
#include "drawing/PWXEasing.h"
#include "drawing/PWXTunnelRasterizer.h"

#include "frameworks/penwork/geometry/BezierPath+Length.h"

#include <cmath>
#include <functional>

namespace {

using namespace mapstrokes_test;

// A drawable that says how wide its widest stroke is.
class WideObject : public pf::Object, public Shape {
    PF_CLASS(WideObject)
public:
    WideObject() : Shape(straightLine()) {}
    WideObject(pf::Ref<pf::BezierPath> path, double widest) : Shape(std::move(path)), m_widest(widest) {}
    double clientWidestStrokeWidthInRange() const { return m_widest; }

private:
    double m_widest = 10.0;
};

// A cutting as documents of earlier versions wrote it: everything but a colour.
class ColourlessCutting : public PWXCuttingAndEmbankmentRasterizer {
    PF_CLASS(ColourlessCutting)
public:
    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        PWPathDecorator::encodeWithCoder(coder);
        coder.encodeInt32(kind(), QStringLiteral("PWXCuttingEmbankment_kind"));
        coder.encodeDouble(spacingProportion(), QStringLiteral("PWXCuttingEmbankment_relSpacing"));
    }
};

} // namespace

PF_DEFINE_CLASS(WideObject, pf::Object)
{
    b.method("clientWidestStrokeWidthInRange", &WideObject::clientWidestStrokeWidthInRange);
}

PF_DEFINE_CLASS(ColourlessCutting, PWXCuttingAndEmbankmentRasterizer) {}

namespace {

TEST(MapStrokesRoadSymbols, EveryRendererDrawsAlongLineArcAndSWithinItsBounds)
{
    const std::vector<std::pair<const char*, std::function<pf::Ref<PWRasterizer>()>>> renderers = {
        {"tunnel", [] { return std::make_shared<PWXTunnelRasterizer>(); }},
        {"bridge", [] { return std::make_shared<PWXBridgeRasterizer>(); }},
        {"cutting", [] { return std::make_shared<PWXCuttingAndEmbankmentRasterizer>(); }},
        {"embankment",
         [] {
             auto r = std::make_shared<PWXCuttingAndEmbankmentRasterizer>();
             r->setKind(PWXCuttingAndEmbankmentRasterizer::Embankment);
             return r;
         }},
    };
    const Shape shapes[] = {Shape(straightLine()), Shape(arcPath()), Shape(sCurve())};
    for (const auto& [name, make] : renderers) {
        for (const Shape& shape : shapes) {
            SCOPED_TRACE(name);
            const pf::Ref<PWRasterizer> renderer = make();
            const QImage image = draw(*renderer, shape);
            const QRectF bounds = renderer->boundsNeededForObject(shape);
            EXPECT_TRUE(inkInside(image, bounds));
            EXPECT_GT(inkCount(image), 100);
            // Something is drawn at or around the middle of the path, across its width.
            const auto& path = *shape.renderingPath();
            EXPECT_TRUE(inkNear(image, pw::pointOnPathAtLength(path, pw::length(path) / 2.0), 10));
            // The cached redraw draws the same.
            EXPECT_EQ(draw(*renderer, shape), image);
        }
    }
}

TEST(MapStrokesTunnel, PortalsCasingAndTrimFollowTheWidth)
{
    PWXTunnelRasterizer tunnel;
    EXPECT_EQ(tunnel.width(), 6.0);
    EXPECT_NEAR(tunnel.portalLineWidth(), 1.2, 1e-12);
    const QRectF portal = tunnel.portalPathAtPoint(QPointF(0, 0), 0.0)->controlPointBounds();
    EXPECT_NEAR(portal.height(), 10.2, 1e-9); // across the road
    EXPECT_NEAR(portal.width(), 3.6, 1e-9);   // along it
    // Every curved kind trims the casing less than the angular one, so casing meets portal.
    struct Case {
        int kind;
        double trim;
    };
    for (const Case& c : {Case{0, 0.099 * 6.0}, Case{1, 0.3 * 6.0}, Case{2, 0.099 * 6.0}, Case{-3, 0.099 * 6.0}}) {
        tunnel.setPortalKind(c.kind);
        EXPECT_NEAR(tunnel.casingTrimLength(), c.trim, 1e-12) << c.kind;
    }
    tunnel.setPortalKind(0);

    // At the start the closed side points into the tunnel (+x), the open ends back (-x).
    const auto start = tunnel.portalPathAtPoint(QPointF(20, 100), 0.0);
    EXPECT_LT(start->firstPoint().x(), 20.0);
    const auto end = tunnel.portalPathAtPoint(QPointF(180, 100), M_PI);
    EXPECT_GT(end->firstPoint().x(), 180.0);

    tunnel.setColour(pf::Color::red());
    const QImage image = draw(tunnel, Shape(straightLine()));
    EXPECT_TRUE(inkNear(image, QPointF(18.2, 95.0), 1));  // the start portal's open end, outside the casing
    EXPECT_TRUE(inkNear(image, QPointF(181.8, 105.0), 1)); // the end portal's, turned round
    EXPECT_TRUE(isWhite(image, 100, 100));  // the road between the casings is empty
    int casing = 0;
    for (int x = 30; x < 170; ++x)
        casing += inkNear(image, QPointF(x, 97), 0) || inkNear(image, QPointF(x, 96), 0);
    EXPECT_GT(casing, 20);  // the casing 3 off the centre, dashed
    EXPECT_LT(casing, 120);

    // An empty path still claims a unit square about the origin.
    EXPECT_EQ(tunnel.boundsNeededForObject(Shape(pf::BezierPath::path())), QRectF(-0.5, -0.5, 1.0, 1.0));
}

TEST(MapStrokesTunnel, ArchiveCopyActionNamesAndStyle)
{
    PWXTunnelRasterizer tunnel;
    tunnel.setPortalWidth(0.75); // exact as a float, as archived
    tunnel.setPortalHeight(2.5);
    tunnel.setPortalCapStyle(pf::BezierPath::LineCap::Square);
    tunnel.setPortalKind(1);
    const auto read = unarchive<PWXTunnelRasterizer>(archive(tunnel.copy()));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEqual(&tunnel));
    EXPECT_TRUE(tunnel.copy()->isEqual(&tunnel));
    EXPECT_EQ(tunnel.actionNameForKeyPath("portalCapStyle"), QStringLiteral("Tunnel Symbol Portal Cap Style"));

    const auto style = PWStyleTunnels::tunnelStyleForRoadWidth(10.0, pf::Color::blue());
    EXPECT_EQ(style->name(), QStringLiteral("Tunnel"));
    ASSERT_EQ(style->countOfRenderList(), 2);
    const auto first = std::dynamic_pointer_cast<PWXTunnelRasterizer>(style->renderList()[0]);
    ASSERT_TRUE(first);
    EXPECT_DOUBLE_EQ(first->width(), 13.0);
    EXPECT_EQ(first->colour(), pf::Color::blue());
    const auto second = std::dynamic_pointer_cast<PWStroke>(style->renderList()[1]);
    EXPECT_DOUBLE_EQ(second->width(), 6.7);
    EXPECT_EQ(second->colour().alphaComponent(), 0.0);
}

// How many of the casing's points stand `distance` off the horizontal line y = 100.
int pointsAtDistance(const pf::BezierPath& path, double distance)
{
    int count = 0;
    for (const auto& element : path.elements())
        if (element.type != pf::BezierPath::ElementType::ClosePath &&
            std::abs(std::abs(element.points[element.pointCount() - 1].y() - 100.0) - distance) < 1e-6)
            ++count;
    return count;
}

TEST(MapStrokesBridge, SpansPiersAndSizes)
{
    PWXBridgeRasterizer bridge; // width 16, piers 4
    const auto line = linePath(QPointF(0, 100), QPointF(100, 100));
    // Spacing 30 on a length of 100: 3 spans. Each side flares out at its start and bends out
    // to a point at the end of every span: 4 tips a side.
    bridge.setPierSpacing(30.0);
    EXPECT_EQ(pointsAtDistance(*bridge.bridgePathFromPath(*line), 12.0), 8);
    bridge.setPierSpacing(120.0);
    EXPECT_EQ(pointsAtDistance(*bridge.bridgePathFromPath(*line), 12.0), 4);
    // A span shorter than two piers keeps its plain side line.
    const auto shortPiece = linePath(QPointF(0, 100), QPointF(6, 100));
    const auto element = bridge.bridgeElementFromPath(*shortPiece, 8.0);
    ASSERT_FALSE(element->isEmpty());
    EXPECT_NEAR(pw::length(*element), 6.0, 1e-9);

    struct Case {
        double width, spacing;
        double readWidth, readSpacing;
    };
    for (const Case& c : {Case{0.5, 0.0, 1.0, 1.0}, Case{20.0, 40.0, 20.0, 40.0}}) {
        bridge.setBridgeWidth(c.width);
        bridge.setPierSpacing(c.spacing);
        EXPECT_EQ(bridge.bridgeWidth(), c.readWidth);
        EXPECT_EQ(bridge.pierSpacing(), c.readSpacing);
    }

    // Automatic sizing follows the object drawn; one that does not say counts as 10 wide.
    bridge.setSizesAutomatically(true);
    const WideObject wide(straightLine(), 10.0);
    draw(bridge, wide);
    EXPECT_NEAR(bridge.bridgeWidth(), 14.142135623730951, 1e-12);
    EXPECT_NEAR(bridge.pierSize(), 3.5355339, 1e-6);
    EXPECT_NEAR(bridge.pierSpacing(), 28.284271, 1e-6);
    EXPECT_NEAR(bridge.width(), 1.7677670, 1e-6);
    const WideObject narrow(linePath(QPointF(20, 30), QPointF(180, 30)), 2.0);
    const Shape plain(linePath(QPointF(20, 170), QPointF(180, 170)));
    EXPECT_EQ(PWXBridgeRasterizer::clientWidestStrokeWidth(plain), 10.0);
    // Bounds are those of each object's own sizes, whichever object was drawn last.
    draw(bridge, narrow);
    const QRectF plainBounds = bridge.boundsNeededForObject(plain);
    EXPECT_NEAR(plainBounds.height(), bridge.boundsNeededForObject(wide).height(), 1e-9);
    EXPECT_LT(bridge.boundsNeededForObject(narrow).height(), plainBounds.height() / 2.0);
    EXPECT_TRUE(inkInside(draw(bridge, plain), plainBounds));

    // The deck is white over whatever lies beneath, the casings in the renderer's colour.
    PWXBridgeRasterizer coloured;
    coloured.setColour(pf::Color::red());
    const QImage image = draw(coloured, Shape(straightLine()));
    EXPECT_EQ(image.pixelColor(100, 92), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(100, 108), QColor(Qt::red));
    EXPECT_TRUE(isWhite(image, 100, 100));
}

TEST(MapStrokesBridge, ArchiveKeepsTheUsersOwnSizes)
{
    PWXBridgeRasterizer bridge;
    bridge.setBridgeWidth(20.0);
    bridge.setPierSize(5.0);
    bridge.setPierSpacing(50.0);
    bridge.setSizesAutomatically(true); // before any draw: derived sizes would all be 0
    const auto read = unarchive<PWXBridgeRasterizer>(archive(bridge.copy()));
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->sizesAutomatically());
    EXPECT_EQ(read->storedBridgeWidth(), 20.0);
    EXPECT_EQ(read->storedPierSize(), 5.0);
    EXPECT_EQ(read->storedPierSpacing(), 50.0);
    read->setSizesAutomatically(false);
    EXPECT_EQ(read->bridgeWidth(), 20.0);
    EXPECT_TRUE(bridge.copy()->isEqual(&bridge));
    EXPECT_EQ(bridge.actionNameForKeyPath("sizesAutomatically"), QStringLiteral("Bridge Symbol Auto Pier Sizing"));

    const auto style = PWStyleBridges::bridgeStyleWithWidth(12.0, 24.0);
    EXPECT_EQ(style->name(), QStringLiteral("Bridge (12.0x24.0)"));
    const auto inStyle = std::dynamic_pointer_cast<PWXBridgeRasterizer>(style->renderList().value(0));
    ASSERT_TRUE(inStyle);
    EXPECT_EQ(inStyle->pierSize(), 3.0);
    EXPECT_EQ(inStyle->colour(), pf::Color::black());
    EXPECT_EQ(PWStyleBridges::bridgeStyle()->name(), style->name());
    const auto automatic = PWStyleBridges::bridgeStyleWithAutoWidth();
    EXPECT_EQ(automatic->name(), QStringLiteral("Bridge"));
    EXPECT_TRUE(std::dynamic_pointer_cast<PWXBridgeRasterizer>(automatic->renderList().value(0))->sizesAutomatically());
}

TEST(MapStrokesCutting, DefaultsKindsAndSpacing)
{
    PWXCuttingAndEmbankmentRasterizer cutting;
    EXPECT_EQ(cutting.scale(), 4.0);
    EXPECT_DOUBLE_EQ(cutting.interval(), 4.5);
    EXPECT_EQ(cutting.leadInAndOutLengthProportion(), 0.15);
    EXPECT_DOUBLE_EQ(cutting.rampFunction(0.3), pwx::EaseInOutCosine(0.3));
    EXPECT_FALSE(cutting.image().isNull());
    EXPECT_EQ(cutting.image().deviceIndependentSize(), QSizeF(1.0, 4.0));

    cutting.setKind(2);
    EXPECT_TRUE(cutting.image().isNull());
    EXPECT_EQ(inkCount(draw(cutting, Shape(straightLine()))), 0);
    cutting.setKind(PWXCuttingAndEmbankmentRasterizer::Embankment);
    EXPECT_EQ(cutting.image().deviceIndependentSize(), QSizeF(1.0, 6.0));
    const QImage black = cutting.image();
    cutting.setColour(pf::Color::red());
    EXPECT_NE(cutting.image(), black);

    // A spacing of 0 reads and archives as 0.05, and the drawing still ends.
    cutting.setSpacingProportion(0.0);
    EXPECT_EQ(cutting.spacingProportion(), 0.05);
    cutting.setScale(8.0);
    EXPECT_DOUBLE_EQ(cutting.interval(), std::max(8.0 * 1.125 * 0.05, PWPathDecorator::kMinInterval));
    const auto read = unarchive<PWXCuttingAndEmbankmentRasterizer>(archive(cutting.copy()));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->spacingProportion(), 0.05);
    EXPECT_EQ(read->kind(), 1);
    EXPECT_EQ(read->colour(), pf::Color::red());
    EXPECT_GT(inkCount(draw(cutting, Shape(sCurve()))), 0);
    EXPECT_EQ(cutting.actionNameForKeyPath("kind"), QStringLiteral("Cutting/Embankment Type"));
}

TEST(MapStrokesCutting, AnArchiveWithoutAColourStillDrawsItsMotifs)
{
    auto old = std::make_shared<ColourlessCutting>();
    const auto read = unarchive<PWXCuttingAndEmbankmentRasterizer>(
        archive(old, PWXCuttingAndEmbankmentRasterizer::staticClass().name()));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->colour(), pf::Color::black());
    EXPECT_GT(inkCount(draw(*read, Shape(straightLine()))), 0);
}

TEST(MapStrokesCutting, MotifsStandAcrossThePathAndGrowInFromTheEnds)
{
    PWXCuttingAndEmbankmentRasterizer cutting;
    cutting.setColour(pf::Color::blue());
    const auto motifs = cutting.motifsPathForPath(*straightLine());
    // Full size in the middle: 16 across the road, 4 along it.
    const QRectF all = motifs->bounds();
    EXPECT_NEAR(all.top(), 92.0, 0.5);
    EXPECT_NEAR(all.bottom(), 108.0, 0.5);
    const QImage image = draw(cutting, Shape(straightLine()));
    EXPECT_TRUE(inkNear(image, QPointF(100, 93), 3));
    EXPECT_TRUE(inkNear(image, QPointF(100, 107), 3));
    // Near the ends the motifs are small.
    EXPECT_FALSE(inkNear(image, QPointF(22, 94), 1));

    const auto style = PWStyleCuttingsAndEmbankments::embankmentStyleForRoadWidth(10.0, pf::Color::green());
    EXPECT_EQ(style->name(), QStringLiteral("Embankment"));
    const auto decorator =
        std::dynamic_pointer_cast<PWXCuttingAndEmbankmentRasterizer>(style->renderList().value(0));
    ASSERT_TRUE(decorator);
    EXPECT_EQ(decorator->kind(), 1);
    EXPECT_EQ(decorator->colour(), pf::Color::green());
    EXPECT_DOUBLE_EQ(decorator->scale(), 8.0);
    EXPECT_DOUBLE_EQ(decorator->interval(), 10.0);
    EXPECT_DOUBLE_EQ(decorator->leadInAndOutLengthProportion(), 0.2);
    EXPECT_EQ(PWStyleCuttingsAndEmbankments::cuttingStyleForRoadWidth(10.0)->name(), QStringLiteral("Cutting"));
}

} // namespace
