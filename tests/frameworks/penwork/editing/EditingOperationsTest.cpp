#include "EditingTestSupport.h"

#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/ui/Pasteboard.h"

#include <QImage>

using editing_test::EditingFixture;
using editing_test::expectRect;
using editing_test::ObjectList;

namespace {

using E = PWLayerEditing;

pf::Ref<pf::Pasteboard> freshPasteboard()
{
    static int counter = 0;
    auto pasteboard = pf::Pasteboard::withName(QStringLiteral("editing-test-%1").arg(++counter));
    pasteboard->clearContents();
    return pasteboard;
}

QList<QRectF> boundsOf(const ObjectList& objects)
{
    QList<QRectF> out;
    for (const auto& object : objects)
        out.append(object->logicalBounds());
    return out;
}

// Pasteboard ----------------------------------------------------------------------------------------

TEST(EditingPasteboard, PasteOffsetsCopiesOverTheirOriginalsSelectsThemAndUndoes)
{
    EditingFixture f;
    auto a = f.shape(QRectF(0, 0, 10, 10));
    auto b = f.shape(QRectF(50, 0, 10, 10));
    auto pasteboard = freshPasteboard();
    EXPECT_FALSE(E::canPaste(*f.layer, pasteboard.get()));
    EXPECT_FALSE(f.run([&] { return E::paste(*f.layer, {}, std::nullopt, pasteboard.get()); }));

    ASSERT_TRUE(E::copy(*f.layer, {}, pasteboard.get()));
    EXPECT_TRUE(E::canPaste(*f.layer, pasteboard.get()));
    ASSERT_TRUE(f.run([&] { return E::paste(*f.layer, {}, std::nullopt, pasteboard.get()); }));
    ASSERT_EQ(f.objects().size(), 4);
    expectRect(f.objects()[2]->logicalBounds(), QRectF(10, 10, 10, 10));
    expectRect(f.objects()[3]->logicalBounds(), QRectF(60, 10, 10, 10));
    EXPECT_EQ(f.selection(), (ObjectList{f.objects()[2], f.objects()[3]}));
    EXPECT_EQ(f.undo().undoActionName(), "Paste");

    // A second paste steps on past the first.
    ASSERT_TRUE(f.run([&] { return E::paste(*f.layer, {}, std::nullopt, pasteboard.get()); }));
    expectRect(f.objects()[4]->logicalBounds(), QRectF(20, 20, 10, 10));

    f.undo().undo();
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{a, b}));
    EXPECT_EQ(f.selection(), (ObjectList{a, b}));
    f.undo().redo();
    EXPECT_EQ(f.objects().size(), 4);
    EXPECT_EQ(f.selection().size(), 2);
    EXPECT_FALSE(f.layer->isSelectedObject(a.get()));
}

TEST(EditingPasteboard, PasteAtAPointCentresTheObjectsThere)
{
    EditingFixture f;
    f.shape(QRectF(0, 0, 10, 10));
    f.shape(QRectF(30, 0, 10, 20));
    auto pasteboard = freshPasteboard();
    ASSERT_TRUE(E::copy(*f.layer, {}, pasteboard.get()));
    ASSERT_TRUE(f.run([&] { return E::paste(*f.layer, "Paste Here", QPointF(100, 100), pasteboard.get()); }));
    QRectF pasted = f.objects()[2]->logicalBounds().united(f.objects()[3]->logicalBounds());
    expectRect(pasted, QRectF(80, 90, 40, 20));
    EXPECT_EQ(f.undo().undoActionName(), "Paste Here");
}

TEST(EditingPasteboard, CutRemovesTheSelectionAndUndoBringsItBackSelected)
{
    EditingFixture f;
    auto keep = f.shape(QRectF(0, 0, 10, 10), false);
    auto cut = f.shape(QRectF(20, 0, 10, 10));
    auto pasteboard = freshPasteboard();
    ASSERT_TRUE(f.run([&] { return E::cut(*f.layer, {}, pasteboard.get()); }));
    EXPECT_EQ(f.objects(), ObjectList{keep});
    EXPECT_TRUE(f.selection().isEmpty());
    EXPECT_EQ(f.undo().undoActionName(), "Cut");
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{keep, cut}));
    EXPECT_EQ(f.selection(), ObjectList{cut});
    // What was cut can be pasted back.
    ASSERT_TRUE(f.run([&] { return E::paste(*f.layer, {}, std::nullopt, pasteboard.get()); }));
    EXPECT_EQ(f.objects().size(), 3);
}

// Selection -----------------------------------------------------------------------------------------

TEST(EditingSelection, DuplicateDeleteAndSelectAll)
{
    EditingFixture f;
    auto a = f.shape(QRectF(0, 0, 10, 10));
    auto top = f.shape(QRectF(100, 0, 10, 10), false);
    auto hidden = f.shape(QRectF(200, 0, 10, 10), false);
    hidden->setVisible(false);

    ASSERT_TRUE(f.run([&] { return E::duplicate(*f.layer, {}); }));
    ASSERT_EQ(f.objects().size(), 4);
    // Just above the original, offset, selected.
    auto copy = f.objects()[1];
    expectRect(copy->logicalBounds(), QRectF(10, 10, 10, 10));
    EXPECT_EQ(f.selection(), ObjectList{copy});
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{a, top, hidden}));
    EXPECT_EQ(f.selection(), ObjectList{a});

    ASSERT_TRUE(f.run([&] { return E::selectAll(*f.layer, {}); }));
    EXPECT_EQ(f.selection(), (ObjectList{a, top}));
    EXPECT_FALSE(E::canSelectAll(*f.layer));
    ASSERT_TRUE(f.run([&] { return E::deleteSelection(*f.layer, {}); }));
    EXPECT_EQ(f.objects(), ObjectList{hidden});
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{a, top, hidden}));
    EXPECT_EQ(f.selection(), (ObjectList{a, top}));
    f.undo().undo();
    EXPECT_EQ(f.selection(), ObjectList{a});
}

TEST(EditingSelection, NothingSelectedRefusesEveryOperation)
{
    EditingFixture f;
    f.shape(QRectF(0, 0, 10, 10), false);
    auto locked = f.shape(QRectF(20, 0, 10, 10));
    locked->setLocked(true); // selected but not available
    const std::pair<const char*, std::function<bool()>> ops[] = {
        {"copy", [&] { return E::copy(*f.layer, {}, freshPasteboard().get()); }},
        {"duplicate", [&] { return E::duplicate(*f.layer, {}); }},
        {"delete", [&] { return E::deleteSelection(*f.layer, {}); }},
        {"group", [&] { return E::group(*f.layer, {}); }},
        {"ungroup", [&] { return E::ungroup(*f.layer, {}); }},
        {"flip", [&] { return E::flipHorizontal(*f.layer, {}); }},
        {"toPath", [&] { return E::convertToPath(*f.layer, {}); }},
        {"toShapeGroup", [&] { return E::convertToShapeGroup(*f.layer, {}); }},
        {"forward", [&] { return E::bringForward(*f.layer, {}); }},
        {"back", [&] { return E::sendToBack(*f.layer, {}); }},
        {"linear", [&] { return E::linearDuplicate(*f.layer, QSizeF(5, 5), 3, {}); }},
        {"autoPolar", [&] { return E::autoPolarDuplicate(*f.layer, QPointF(), {}); }},
        {"parallel", [&] { return E::makeParallelCopy(*f.layer, 5, 1, false, {}); }},
        {"split", [&] { return E::splitAtLength(*f.layer, 1, {}); }},
        {"join", [&] { return E::join(*f.layer, {}); }},
    };
    for (const auto& [name, op] : ops) {
        EXPECT_FALSE(f.run(op)) << name;
        EXPECT_EQ(f.objects().size(), 2) << name;
    }
    EXPECT_FALSE(E::canCopy(*f.layer));
    EXPECT_FALSE(E::canDuplicate(*f.layer));
    EXPECT_FALSE(E::canDeleteSelection(*f.layer));
}

// Grouping and flipping -----------------------------------------------------------------------------

TEST(EditingGroup, GroupKeepsPlaceAndLookAndUngroupRestoresTheMembers)
{
    EditingFixture f;
    auto a = f.shape(QRectF(0, 0, 10, 10));
    auto between = f.shape(QRectF(100, 100, 5, 5), false);
    auto b = f.shape(QRectF(20, 30, 10, 20));
    auto top = f.shape(QRectF(200, 0, 5, 5), false);
    b->rotateByAngle(0.3);
    const QRectF bBounds = b->bounds();

    ASSERT_TRUE(E::canGroup(*f.layer));
    ASSERT_TRUE(f.run([&] { return E::group(*f.layer, {}); }));
    ASSERT_EQ(f.objects().size(), 3);
    auto group = std::dynamic_pointer_cast<PWShapeGroup>(f.objects()[1]);
    ASSERT_TRUE(group);
    EXPECT_EQ(f.objects()[0], between);
    EXPECT_EQ(f.objects()[2], top);
    EXPECT_EQ(f.selection(), ObjectList{group});
    expectRect(group->bounds(), QRectF(a->bounds()).united(bBounds), 1e-3);

    ASSERT_TRUE(f.run([&] { return E::ungroup(*f.layer, {}); }));
    ASSERT_EQ(f.objects().size(), 4);
    EXPECT_EQ(f.objects()[1], a);
    EXPECT_EQ(f.objects()[2], b);
    EXPECT_EQ(f.selection(), (ObjectList{a, b}));
    expectRect(b->bounds(), bBounds, 1e-3);

    f.undo().undo(); // ungroup
    EXPECT_EQ(f.objects(), (ObjectList{between, group, top}));
    EXPECT_EQ(group->countOfMembers(), 2);
    EXPECT_EQ(f.selection(), ObjectList{group});
    f.undo().undo(); // group
    EXPECT_EQ(f.objects(), (ObjectList{a, between, b, top}));
    EXPECT_EQ(f.selection(), (ObjectList{a, b}));
    f.undo().redo();
    EXPECT_EQ(f.objects().size(), 3);
    EXPECT_EQ(f.selection().size(), 1);
    EXPECT_TRUE(f.selection().front()->isKindOf(PWShapeGroup::staticClass()));
}

TEST(EditingGroup, FlipMirrorsShapesPathsAndGroupsAboutTheSelectionCentre)
{
    EditingFixture f;
    auto left = f.shape(QRectF(0, 0, 10, 10));
    auto path = f.line(QPointF(90, 0), QPointF(100, 20));
    // The selection spans x 0..100: its centre line is x = 50.
    ASSERT_TRUE(f.run([&] { return E::flipHorizontal(*f.layer, {}); }));
    expectRect(left->logicalBounds(), QRectF(90, 0, 10, 10));
    auto points = path->path();
    EXPECT_NEAR(points->firstPoint().x(), 10.0, 1e-9);
    EXPECT_NEAR(points->currentPoint().x(), 0.0, 1e-9);
    EXPECT_NEAR(points->currentPoint().y(), 20.0, 1e-9);
    EXPECT_EQ(f.undo().undoActionName(), "Flip Horizontally");
    f.undo().undo();
    expectRect(left->logicalBounds(), QRectF(0, 0, 10, 10));
    EXPECT_NEAR(path->path()->firstPoint().x(), 90.0, 1e-9);

    // A rotated shape and a group mirror as a whole: a triangle-ish path inside a group.
    EditingFixture g;
    auto tri = g.line(QPointF(0, 0), QPointF(40, 10));
    auto box = g.shape(QRectF(0, 30, 10, 10));
    box->rotateByAngle(0.4);
    const QRectF boxBefore = box->bounds();
    ASSERT_TRUE(g.run([&] { return E::group(*g.layer, {}); }));
    auto group = g.selection().front();
    const QRectF groupBefore = group->logicalBounds();
    ASSERT_TRUE(g.run([&] { return E::flipVertical(*g.layer, {}); }));
    expectRect(group->logicalBounds(), groupBefore, 1e-6);
    ASSERT_TRUE(g.run([&] { return E::ungroup(*g.layer, {}); }));
    // Mirrored about the group's centre line y = c: the line's end goes from y 10 to 2c - 10.
    const double c = groupBefore.center().y();
    EXPECT_NEAR(tri->path()->currentPoint().y(), 2 * c - 10.0, 1e-6);
    EXPECT_NEAR(box->bounds().center().y(), 2 * c - boxBefore.center().y(), 1e-3);
    EXPECT_NEAR(box->angle(), -0.4, 1e-9);
}

// Conversion ----------------------------------------------------------------------------------------

TEST(EditingConvert, ConversionsKeepPlaceStyleAndOutline)
{
    EditingFixture f;
    auto style = PWStyle::styleWithFillColour(pf::Color(1, 0, 0), pf::Color());
    auto below = f.shape(QRectF(-50, -50, 5, 5), false);
    auto shape = PWDrawableShape::drawableShapeWithOvalInRect(QRectF(0, 0, 40, 20), style);
    f.layer->addObject(shape);
    f.layer->addObjectToSelection(shape);
    f.shape(QRectF(100, 100, 5, 5), false);
    shape->setName("oval");

    ASSERT_TRUE(E::canConvertToPath(*f.layer));
    ASSERT_TRUE(f.run([&] { return E::convertToPath(*f.layer, {}); }));
    auto path = f.objects()[1];
    EXPECT_EQ(&path->objClass(), &PWDrawablePath::staticClass());
    EXPECT_EQ(path->style(), style);
    EXPECT_EQ(path->name(), "oval");
    expectRect(path->logicalBounds(), QRectF(0, 0, 40, 20), 1e-3);
    EXPECT_EQ(f.selection(), ObjectList{path});
    EXPECT_FALSE(E::canConvertToPath(*f.layer)); // already a plain path

    ASSERT_TRUE(f.run([&] { return E::convertToShape(*f.layer, {}); }));
    EXPECT_EQ(&f.objects()[1]->objClass(), &PWDrawableShape::staticClass());
    expectRect(f.objects()[1]->logicalBounds(), QRectF(0, 0, 40, 20), 1e-3);
    EXPECT_EQ(f.objects()[0], below);

    f.undo().undo();
    f.undo().undo();
    EXPECT_EQ(f.objects()[1], shape);
    EXPECT_EQ(f.selection(), ObjectList{shape});
}

TEST(EditingConvert, SeparateRegionsBecomeAGroupOfShapesWithHolesKept)
{
    EditingFixture f;
    pf::BezierPath outline;
    outline.appendRect(QRectF(0, 0, 30, 30));
    outline.appendRect(QRectF(10, 10, 10, 10)); // a hole of the first
    outline.appendRect(QRectF(50, 0, 10, 10));
    auto path = PWDrawablePath::drawablePathWithPath(outline);
    f.layer->addObject(path);
    f.layer->addObjectToSelection(path);
    auto single = f.shape(QRectF(100, 0, 10, 10), false);

    ASSERT_TRUE(f.run([&] { return E::convertToShapeGroup(*f.layer, {}); }));
    auto group = std::dynamic_pointer_cast<PWShapeGroup>(f.objects()[0]);
    ASSERT_TRUE(group);
    ASSERT_EQ(group->countOfMembers(), 2);
    // The hole stays with its region: the region's centre is not filled.
    EXPECT_FALSE(group->members()[0]->renderingPath()->containsPoint(QPointF(15, 15)));
    EXPECT_TRUE(group->members()[0]->renderingPath()->containsPoint(QPointF(5, 5)));
    expectRect(group->logicalBounds(), QRectF(0, 0, 60, 30), 1e-3);

    // One region is not worth a group.
    f.layer->exchangeSelectionWithObjectsFromArray({single});
    EXPECT_FALSE(E::canConvertToShapeGroup(*f.layer));
}

TEST(EditingConvert, TextConvertsBetweenShapeAndPathAndToGlyphs)
{
    EditingFixture f;
    auto text = PWTextShape::textShapeWithRect(QRectF(0, 0, 120, 30), "Hello");
    f.layer->addObject(text);
    f.layer->addObjectToSelection(text);
    EXPECT_FALSE(E::canConvertToTextShape(*f.layer));
    ASSERT_TRUE(f.run([&] { return E::convertToTextPath(*f.layer, {}); }));
    auto textPath = std::dynamic_pointer_cast<PWTextPath>(f.objects()[0]);
    ASSERT_TRUE(textPath);
    EXPECT_EQ(textPath->text(), "Hello");
    EXPECT_NEAR(textPath->length(), 120.0, 1e-6);

    ASSERT_TRUE(f.run([&] { return E::convertToTextShape(*f.layer, {}); }));
    auto back = std::dynamic_pointer_cast<PWTextShape>(f.objects()[0]);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->text(), "Hello");

    ASSERT_TRUE(f.run([&] { return E::convertToShapeGroup(*f.layer, {}); }));
    auto glyphs = std::dynamic_pointer_cast<PWShapeGroup>(f.objects()[0]);
    ASSERT_TRUE(glyphs);
    EXPECT_GE(glyphs->countOfMembers(), 5); // H, e, l, l, o
}

TEST(EditingConvert, AGroupConvertsItsMembersAndKeepsTheRest)
{
    EditingFixture f;
    auto text = PWTextShape::textShapeWithRect(QRectF(0, 0, 120, 30), "Hello");
    auto box = PWDrawableShape::drawableShapeWithRect(QRectF(200, 0, 20, 20));
    auto group = PWShapeGroup::groupWithObjects({text, box});
    group->setName("Sign");
    f.layer->addObject(group);
    f.layer->addObjectToSelection(group);

    EXPECT_TRUE(E::canConvertToPath(*f.layer));
    EXPECT_TRUE(E::canConvertToTextPath(*f.layer));
    EXPECT_FALSE(E::canConvertToTextShape(*f.layer)); // no member is a text path
    EXPECT_FALSE(E::canConvertToShapeGroup(*f.layer)); // it is one already

    ASSERT_TRUE(f.run([&] { return E::convertToTextPath(*f.layer, "Convert To Text Path"); }));
    auto converted = std::dynamic_pointer_cast<PWShapeGroup>(f.objects()[0]);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->name(), "Sign");
    ASSERT_EQ(converted->countOfMembers(), 2);
    EXPECT_TRUE(std::dynamic_pointer_cast<PWTextPath>(converted->members()[0]));
    EXPECT_TRUE(std::dynamic_pointer_cast<PWDrawableShape>(converted->members()[1]));
    expectRect(converted->members()[1]->logicalBounds(), QRectF(200, 0, 20, 20), 1e-3);
    EXPECT_EQ(f.selection(), ObjectList{converted});

    f.undo().undo();
    EXPECT_EQ(f.objects(), ObjectList{group});
    EXPECT_TRUE(std::dynamic_pointer_cast<PWTextShape>(group->members()[0]));

    // A group of nothing convertible offers nothing.
    auto image = QImage(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::red);
    auto pictures = PWShapeGroup::groupWithObjects({PWImageShape::imageShapeWithImage(image)});
    f.layer->addObject(pictures);
    f.layer->exchangeSelectionWithObjectsFromArray({pictures});
    EXPECT_FALSE(E::canConvertToPath(*f.layer));
}

TEST(EditingConvert, UnconvertibleObjectsAreRefused)
{
    EditingFixture f;
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::red);
    auto picture = PWImageShape::imageShapeWithImage(image);
    f.layer->addObject(picture);
    f.layer->addObjectToSelection(picture);
    EXPECT_FALSE(E::canConvertToPath(*f.layer));
    EXPECT_FALSE(E::canConvertToShape(*f.layer));
    EXPECT_FALSE(E::canConvertToShapeGroup(*f.layer));
    EXPECT_FALSE(E::canConvertToTextPath(*f.layer));
    EXPECT_FALSE(f.run([&] { return E::convertToPath(*f.layer, {}); }));
    EXPECT_EQ(f.objects(), ObjectList{picture});
    auto empty = PWTextShape::textShapeWithRect(QRectF(0, 0, 50, 20), "  ");
    f.layer->addObject(empty);
    f.layer->exchangeSelectionWithObjectsFromArray({empty});
    EXPECT_FALSE(E::canConvertToShapeGroup(*f.layer)); // no glyphs
    EXPECT_FALSE(E::canConvertToShape(*f.layer));
}

// Stacking order ------------------------------------------------------------------------------------

TEST(EditingArrange, StackingMovesAsTheArrangePaneMovesThem)
{
    struct Case {
        const char* name;
        std::function<bool(PWObjectDrawingLayer&)> op;
        QList<int> selected; // indexes into a b c d e
        QString expected;    // the order afterwards, bottom first
        bool changes;
    };
    const Case cases[] = {
        {"forward one", [](auto& l) { return E::bringForward(l, {}); }, {1}, "acbde", true},
        {"forward block", [](auto& l) { return E::bringForward(l, {}); }, {0, 1}, "cabde", true},
        {"forward at top", [](auto& l) { return E::bringForward(l, {}); }, {3, 4}, "abcde", false},
        {"forward apart", [](auto& l) { return E::bringForward(l, {}); }, {0, 3}, "baced", true},
        {"backward block", [](auto& l) { return E::sendBackward(l, {}); }, {2, 3}, "acdbe", true},
        {"backward at bottom", [](auto& l) { return E::sendBackward(l, {}); }, {0}, "abcde", false},
        {"to back", [](auto& l) { return E::sendToBack(l, {}); }, {1, 3, 4}, "bdeac", true},
        {"to back already", [](auto& l) { return E::sendToBack(l, {}); }, {0, 1}, "abcde", false},
        {"to front", [](auto& l) { return E::bringToFront(l, {}); }, {0, 2}, "bdeac", true},
        {"to front already", [](auto& l) { return E::bringToFront(l, {}); }, {4}, "abcde", false},
    };
    for (const Case& c : cases) {
        EditingFixture f;
        QHash<const PWDrawableObject*, QChar> names;
        for (int i = 0; i < 5; ++i) {
            auto object = f.shape(QRectF(i * 20, 0, 10, 10), c.selected.contains(i));
            names.insert(object.get(), QChar('a' + i));
        }
        const auto order = [&] {
            QString s;
            for (const auto& object : f.objects())
                s += names.value(object.get());
            return s;
        };
        const ObjectList selectedBefore = f.selection();
        EXPECT_EQ(f.run([&] { return c.op(*f.layer); }), c.changes) << c.name;
        EXPECT_EQ(order(), c.expected) << c.name;
        EXPECT_EQ(f.selection(), selectedBefore) << c.name;
        if (c.changes) {
            f.undo().undo();
            EXPECT_EQ(order(), "abcde") << c.name;
            f.undo().redo();
            EXPECT_EQ(order(), c.expected) << c.name;
        }
    }
}

// Duplication ---------------------------------------------------------------------------------------

TEST(EditingDuplicate, LinearPolarAndAutoPolarCopiesGoAboveTheOriginalsSelected)
{
    EditingFixture f;
    auto original = f.shape(QRectF(0, 0, 10, 10));
    auto top = f.shape(QRectF(300, 300, 10, 10), false);
    ASSERT_TRUE(f.run([&] { return E::linearDuplicate(*f.layer, QSizeF(20, 0), 3, {}); }));
    ASSERT_EQ(f.objects().size(), 5);
    EXPECT_EQ(f.objects()[0], original);
    EXPECT_EQ(f.objects()[4], top);
    EXPECT_EQ(boundsOf(f.selection()), (QList<QRectF>{QRectF(20, 0, 10, 10), QRectF(40, 0, 10, 10), QRectF(60, 0, 10, 10)}));
    EXPECT_EQ(f.undo().undoActionName(), "Linear Duplication");
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{original, top}));
    EXPECT_EQ(f.selection(), ObjectList{original});
    EXPECT_FALSE(f.run([&] { return E::linearDuplicate(*f.layer, QSizeF(20, 0), 0, {}); }));

    ASSERT_TRUE(f.run([&] { return E::polarDuplicate(*f.layer, QPointF(5, 50), 3, 90, true, {}); }));
    EXPECT_EQ(f.selection().size(), 3);
    f.undo().undo();

    // Auto polar needs one object off the centre.
    f.layer->addObjectToSelection(top);
    EXPECT_FALSE(E::canAutoPolarDuplicate(*f.layer));
    f.layer->removeObjectFromSelection(top);
    ASSERT_TRUE(f.run([&] { return E::autoPolarDuplicate(*f.layer, QPointF(5, 100), {}); }));
    EXPECT_GT(f.selection().size(), 2);
    EXPECT_FALSE(f.layer->isSelectedObject(original.get()));
}

TEST(EditingDuplicate, ParallelCopiesStackByTheSignOfTheOffset)
{
    EditingFixture f;
    auto below = f.shape(QRectF(0, 100, 5, 5), false);
    auto path = f.line(QPointF(0, 0), QPointF(100, 0));
    auto above = f.shape(QRectF(0, 200, 5, 5), false);
    ASSERT_TRUE(f.run([&] { return E::makeParallelCopy(*f.layer, 10, 2, false, {}); }));
    ASSERT_EQ(f.objects().size(), 5);
    EXPECT_EQ(f.objects()[1], path);
    EXPECT_EQ(f.objects()[4], above);
    // The first copy nearest the original, at one offset; the second at two.
    const double first = std::abs(f.objects()[2]->logicalBounds().center().y());
    const double second = std::abs(f.objects()[3]->logicalBounds().center().y());
    EXPECT_NEAR(first, 10.0, 1e-6);
    EXPECT_NEAR(second, 20.0, 1e-6);
    EXPECT_EQ(f.selection(), (ObjectList{f.objects()[2], f.objects()[3]}));
    EXPECT_EQ(f.undo().undoActionName(), "Offset Copy");
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{below, path, above}));

    f.layer->exchangeSelectionWithObjectsFromArray({path});
    ASSERT_TRUE(f.run([&] { return E::makeParallelCopy(*f.layer, -10, 2, false, {}); }));
    // Below the original, the last copy lowest.
    EXPECT_EQ(f.objects()[0], below);
    EXPECT_EQ(f.objects()[3], path);
    EXPECT_NEAR(std::abs(f.objects()[1]->logicalBounds().center().y()), 20.0, 1e-6);
    EXPECT_NEAR(std::abs(f.objects()[2]->logicalBounds().center().y()), 10.0, 1e-6);
}

// Paths ---------------------------------------------------------------------------------------------

TEST(EditingPaths, SplitCutsThePathInTwoInItsPlace)
{
    EditingFixture f;
    f.shape(QRectF(0, 100, 5, 5), false);
    auto path = f.line(QPointF(0, 0), QPointF(100, 0));
    for (double bad : {0.0, 100.0, 150.0, -1.0, std::nan("")})
        EXPECT_FALSE(f.run([&] { return E::splitAtLength(*f.layer, bad, {}); })) << bad;
    EXPECT_NEAR(path->length(), 100.0, 1e-9);
    EXPECT_EQ(f.objects().size(), 2);

    ASSERT_TRUE(f.run([&] { return E::splitAtLength(*f.layer, 40, {}); }));
    ASSERT_EQ(f.objects().size(), 3);
    auto first = std::dynamic_pointer_cast<PWDrawablePath>(f.objects()[1]);
    auto second = std::dynamic_pointer_cast<PWDrawablePath>(f.objects()[2]);
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(first->length(), 40.0, 1e-6);
    EXPECT_NEAR(second->length(), 60.0, 1e-6);
    EXPECT_EQ(f.selection(), (ObjectList{first, second}));
    f.undo().undo();
    EXPECT_EQ(f.objects()[1], path);
    EXPECT_NEAR(path->length(), 100.0, 1e-9);
    EXPECT_EQ(f.selection(), ObjectList{path});
}

TEST(EditingPaths, JoinMeetsTheNearestEndsWithinTheTolerance)
{
    EditingFixture f;
    auto style = PWStyle::styleWithFillColour(pf::Color(), pf::Color(0, 0, 1));
    auto lower = f.line(QPointF(0, 0), QPointF(50, 0));
    lower->setStyle(style);
    // Drawn the other way: its end meets the lower path's end.
    auto upper = f.line(QPointF(100, 0), QPointF(53, 0));
    ASSERT_TRUE(E::canJoin(*f.layer));
    EXPECT_FALSE(f.run([&] { return E::join(*f.layer, {}, 2.0); }));
    EXPECT_EQ(f.objects().size(), 2);

    ASSERT_TRUE(f.run([&] { return E::join(*f.layer, {}); }));
    ASSERT_EQ(f.objects().size(), 1);
    auto joined = std::dynamic_pointer_cast<PWDrawablePath>(f.objects()[0]);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->style(), style);
    EXPECT_NEAR(joined->length(), 100.0, 1e-6);
    EXPECT_EQ(joined->path()->firstPoint(), QPointF(0, 0));
    EXPECT_EQ(joined->path()->currentPoint(), QPointF(100, 0));
    EXPECT_EQ(f.selection(), ObjectList{joined});
    f.undo().undo();
    EXPECT_EQ(f.objects(), (ObjectList{lower, upper}));
    EXPECT_EQ(f.selection(), (ObjectList{lower, upper}));

    // Closed paths and a third object are refused.
    f.shape(QRectF(0, 0, 5, 5));
    EXPECT_FALSE(E::canJoin(*f.layer));
}

} // namespace
