#include "LayersTestSupport.h"

#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"

#include <gtest/gtest.h>

#include <functional>

using layers_test::makeDrawing;
using layers_test::step;

namespace {

using ObjectList = PWObjectOwnerLayer::ObjectList;

struct ArrangeFixture {
    ArrangeFixture()
    {
        drawing->addLayer(layer);
        QCoreApplication::processEvents();
    }
    pf::Ref<PWDrawableShape> add(const QRectF& rect, const pf::Ref<PWStyle>& style = nullptr)
    {
        auto shape = PWDrawableShape::drawableShapeWithRect(rect, style);
        layer->addObject(shape);
        layer->addObjectToSelection(shape);
        return shape;
    }
    // Runs `op` as the user's edit, after the set-up has become a step of its own.
    bool run(const std::function<bool()>& op)
    {
        QCoreApplication::processEvents();
        const bool changed = op();
        QCoreApplication::processEvents();
        return changed;
    }
    QList<QRectF> bounds() const
    {
        QList<QRectF> out;
        for (const auto& object : layer->objects())
            out.append(object->logicalBounds());
        return out;
    }
    pf::Ref<PWDrawing> drawing = makeDrawing();
    pf::Ref<PWObjectDrawingLayer> layer = std::make_shared<PWObjectDrawingLayer>();
};

void expectNear(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.left(), expected.left(), 1e-6);
    EXPECT_NEAR(actual.top(), expected.top(), 1e-6);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-6);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-6);
}

TEST(LayersArrange, AlignmentLinesUpTheSelectionOnOneEdgeAsOneUndoStep)
{
    using Op = bool (PWObjectDrawingLayer::*)(const QString&);
    struct Case {
        Op op;
        // The expected origins of the three shapes below.
        QList<QPointF> origins;
    };
    // Shapes: (0,0 10x10), (20,30 20x20), (50,5 4x40). Selection bounds: x 0..54, y 0..50.
    const Case cases[] = {
        {&PWObjectDrawingLayer::alignTopEdges, {{0, 0}, {20, 0}, {50, 0}}},
        {&PWObjectDrawingLayer::alignBottomEdges, {{0, 40}, {20, 30}, {50, 10}}},
        {&PWObjectDrawingLayer::alignVerticalCentres, {{0, 20}, {20, 15}, {50, 5}}},
        {&PWObjectDrawingLayer::alignLeftEdges, {{0, 0}, {0, 30}, {0, 5}}},
        {&PWObjectDrawingLayer::alignRightEdges, {{44, 0}, {34, 30}, {50, 5}}},
        {&PWObjectDrawingLayer::alignHorizontalCentres, {{22, 0}, {17, 30}, {25, 5}}},
    };
    for (const Case& c : cases) {
        ArrangeFixture f;
        f.add({0, 0, 10, 10});
        f.add({20, 30, 20, 20});
        f.add({50, 5, 4, 40});
        const QList<QRectF> before = f.bounds();
        ASSERT_TRUE(f.run([&] { return ((*f.layer).*c.op)(QStringLiteral("Align")); }));
        const QList<QRectF> after = f.bounds();
        for (int i = 0; i < 3; ++i)
            expectNear(after[i], QRectF(c.origins[i], before[i].size()));
        EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Align");
        f.drawing->undoManager()->undo();
        EXPECT_EQ(f.bounds(), before);
    }
}

TEST(LayersArrange, DistributionSpacesTheInnerObjectsByCentresOrByEqualGaps)
{
    ArrangeFixture f;
    f.add({0, 0, 10, 10});
    f.add({12, 0, 30, 10});
    f.add({90, 0, 10, 10});
    ASSERT_TRUE(f.run([&] { return f.layer->distributeHorizontalCentres(QString()); }));
    // Outer centres 5 and 95: the middle centre goes to 50.
    expectNear(f.bounds()[1], {35, 0, 30, 10});

    // Gaps: the span 0..100 less 50 of widths leaves 50, two gaps of 25.
    f.layer->objects()[1]->moveBy(-30, 0);
    ASSERT_TRUE(f.run([&] { return f.layer->distributeHorizontalSpace(QString()); }));
    expectNear(f.bounds()[1], {35, 0, 30, 10});

    // Vertical space: already even, nothing moves and no step is left.
    ArrangeFixture g;
    g.add({0, 0, 10, 10});
    g.add({0, 20, 10, 10});
    g.add({0, 40, 10, 10});
    EXPECT_FALSE(g.run([&] { return g.layer->distributeVerticalSpace(QString()); }));
    EXPECT_FALSE(g.run([&] { return g.layer->distributeVerticalCentres(QString()); }));

    // Two objects cannot be distributed; one cannot be aligned.
    ArrangeFixture h;
    h.add({0, 0, 10, 10});
    EXPECT_FALSE(h.layer->alignLeftEdges(QString()));
    h.add({30, 30, 10, 10});
    EXPECT_FALSE(h.layer->distributeVerticalCentres(QString()));
}

TEST(LayersArrange, LockedAndHiddenObjectsStayWhereTheyAre)
{
    ArrangeFixture f;
    f.add({0, 0, 10, 10});
    f.add({20, 20, 10, 10});
    auto locked = f.add({40, 40, 10, 10});
    locked->setLocked(true);
    auto hidden = f.add({60, 60, 10, 10});
    hidden->setVisible(false);
    ASSERT_TRUE(f.run([&] { return f.layer->alignTopEdges(QString()); }));
    const QList<QRectF> b = f.bounds();
    EXPECT_DOUBLE_EQ(b[1].top(), 0.0);
    EXPECT_DOUBLE_EQ(b[2].top(), 40.0);
    EXPECT_DOUBLE_EQ(b[3].top(), 60.0);
}

TEST(LayersArrange, ActionsByPerformTakeTheSendersTitleOrANameAsTheUndoName)
{
    ArrangeFixture f;
    f.add({0, 0, 10, 10});
    f.add({20, 20, 10, 10});
    f.run([&] {
        f.layer->perform("alignLeftEdges:", {QStringLiteral("Align Left Edges")});
        return true;
    });
    EXPECT_DOUBLE_EQ(f.bounds()[1].left(), 0.0);
    EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Align Left Edges");
}

struct BooleanCase {
    const char* name;
    bool (PWObjectDrawingLayer::*op)(const QString&);
    // The results' bounds and whether each has the top (true) or bottom style.
    QList<QRectF> bounds;
    QList<bool> topStyle;
};

TEST(LayersArrange, BooleanOperationsReplaceTheSelectionByTheirResults)
{
    // Bottom square x 0..10, top square x 5..15, both y 0..10.
    const BooleanCase cases[] = {
        {"union", &PWObjectDrawingLayer::unionSelectedObjects, {{0, 0, 15, 10}}, {true}},
        {"diff", &PWObjectDrawingLayer::diffSelectedObjects, {{0, 0, 5, 10}}, {false}},
        {"intersection", &PWObjectDrawingLayer::intersectionSelectedObjects, {{5, 0, 5, 10}}, {true}},
        {"combine", &PWObjectDrawingLayer::combineSelectedObjects, {{0, 0, 15, 10}}, {true}},
        {"divide",
         &PWObjectDrawingLayer::cookieCutterSelectedObjects,
         {{0, 0, 5, 10}, {5, 0, 5, 10}, {10, 0, 5, 10}},
         {false, true, true}},
    };
    for (const BooleanCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArrangeFixture f;
        auto below = std::make_shared<PWDrawableShape>();
        f.layer->addObject(below); // unselected, stays at the bottom
        auto bottomStyle = PWStyle::styleWithFillColour(pf::Color(1, 0, 0), pf::Color(0, 0, 0));
        auto topStyle = PWStyle::styleWithFillColour(pf::Color(0, 0, 1), pf::Color(0, 0, 0));
        auto bottom = f.add({0, 0, 10, 10}, bottomStyle);
        auto top = f.add({5, 0, 10, 10}, topStyle);
        ASSERT_TRUE(f.run([&] { return ((*f.layer).*c.op)(QStringLiteral("Op")); }));

        ASSERT_EQ(f.layer->countOfObjects(), 1 + c.bounds.size());
        EXPECT_EQ(f.layer->objects()[0], below);
        std::vector<pf::Ref<PWDrawableObject>> results(f.layer->objects().begin() + 1, f.layer->objects().end());
        QList<QRectF> got;
        for (const auto& result : results) {
            EXPECT_TRUE(result->isKindOf(PWDrawablePath::staticClass()));
            got.append(result->logicalBounds());
        }
        std::sort(got.begin(), got.end(), [](const QRectF& a, const QRectF& b) { return a.left() < b.left(); });
        std::sort(results.begin(), results.end(),
                  [](const auto& a, const auto& b) { return a->logicalBounds().left() < b->logicalBounds().left(); });
        for (int i = 0; i < c.bounds.size(); ++i) {
            expectNear(got[i], c.bounds[i]);
            EXPECT_EQ(results[i]->style(), c.topStyle[i] ? topStyle : bottomStyle);
        }
        EXPECT_EQ(f.layer->countOfSelection(), c.bounds.size());
        EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Op");

        f.drawing->undoManager()->undo();
        ASSERT_EQ(f.layer->countOfObjects(), 3);
        EXPECT_EQ(f.layer->objects()[1], bottom);
        EXPECT_EQ(f.layer->objects()[2], top);
        EXPECT_EQ(f.layer->countOfSelection(), 2);
        f.drawing->undoManager()->redo();
        EXPECT_EQ(f.layer->countOfObjects(), 1 + c.bounds.size());
        EXPECT_EQ(f.layer->countOfSelection(), c.bounds.size());
    }
}

TEST(LayersArrange, BooleanOperationsWithAnEmptyResultOrOneOperandChangeNothing)
{
    ArrangeFixture f;
    f.add({0, 0, 10, 10});
    f.add({50, 0, 10, 10});
    EXPECT_FALSE(f.run([&] { return f.layer->intersectionSelectedObjects(QString()); }));
    EXPECT_EQ(f.layer->countOfObjects(), 2);
    EXPECT_FALSE(f.drawing->undoManager()->canUndo() && f.drawing->undoManager()->undoActionName() == "Op");

    f.layer->objects()[1]->setLocked(true);
    EXPECT_FALSE(f.run([&] { return f.layer->unionSelectedObjects(QStringLiteral("Op")); }));
    EXPECT_EQ(f.layer->countOfObjects(), 2);
}

TEST(LayersArrange, ApplyStyleGivesTheStyleToTheAvailableSelectionUndoably)
{
    ArrangeFixture f;
    auto a = f.add({0, 0, 10, 10});
    auto locked = f.add({20, 0, 10, 10});
    locked->setLocked(true);
    auto unselected = PWDrawableShape::drawableShapeWithRect({40, 0, 10, 10});
    f.layer->addObject(unselected);
    const auto before = a->style();
    auto style = PWStyle::styleWithFillColour(pf::Color(0, 1, 0), pf::Color(0, 0, 0));
    int taken = 0;
    f.run([&] { return (taken = f.layer->applyStyle(style)) > 0; });
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(a->style(), style);
    EXPECT_NE(locked->style(), style);
    EXPECT_NE(unselected->style(), style);
    EXPECT_EQ(f.drawing->undoManager()->undoActionName(), "Apply Style");
    f.drawing->undoManager()->undo();
    EXPECT_EQ(a->style(), before);
    EXPECT_EQ(f.layer->applyStyle(nullptr), 0);
}

} // namespace
