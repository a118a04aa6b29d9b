#include "SlicesTestSupport.h"

#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"

#include <gtest/gtest.h>

using slices_test::SlicesFixture;

namespace {

// Qt's Control is the platform's Command key, Qt's Meta its Control key.
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCommand = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers kControl = Qt::MetaModifier;

struct SelectFixture : SlicesFixture {
    SelectFixture() { layer->setToolMode(VNQLSlicesLayer::SelectMode); }

    // A vertical guide at x = 100 that points within 6 points snap to.
    void addGuide()
    {
        auto guides = std::make_shared<PWGuideLayer>();
        drawing->addLayer(guides);
        guides->addVerticalGuide(100);
        drawing->setSnapsToGuides(true);
        endEvent();
        undo().removeAllActions();
    }
};

} // namespace

TEST(SlicesMouse, DrawingMakesOneSelectedSliceAsOneUndoStep)
{
    SlicesFixture f;
    f.gesture({QPointF(10.7, 10.2), QPointF(50, 40), QPointF(60.9, 70.5)});
    ASSERT_EQ(f.layer->countOfSlices(), 1);
    const pf::Ref<PWXSlice> slice = f.layer->slices().first();
    // Mouse points are taken at whole points.
    EXPECT_EQ(slice->bounds(), QRectF(10, 10, 50, 60));
    EXPECT_EQ(f.layer->selectedSlices().first(), slice);
    EXPECT_EQ(f.layer->draggingSlice(), nullptr);
    EXPECT_FALSE(f.layer->mouseMoved());
    EXPECT_TRUE(f.layer->savedUndoInfo().isEmpty());

    EXPECT_EQ(f.undo().numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo().undoActionName(), "Add Slice");
    EXPECT_TRUE(f.undo().isUndoRegistrationEnabled());
    f.undo().undo();
    EXPECT_EQ(f.layer->countOfSlices(), 0);
    f.undo().redo();
    ASSERT_EQ(f.layer->countOfSlices(), 1);
    EXPECT_EQ(f.layer->slices().first()->bounds(), QRectF(10, 10, 50, 60));
}

TEST(SlicesMouse, SlicesOfFourPointsOrLessAreDroppedWithoutAStep)
{
    struct Case {
        QPointF to;
        bool kept;
    };
    const Case cases[] = {
        {QPointF(10, 10), false}, // a click
        {QPointF(14, 60), false}, // 4 x 50
        {QPointF(60, 14), false}, // 50 x 4
        {QPointF(15, 15), true},  // 5 x 5
    };
    for (const Case& c : cases) {
        SlicesFixture f;
        f.gesture({QPointF(10, 10), c.to});
        EXPECT_EQ(f.layer->countOfSlices(), c.kept ? 1 : 0) << c.to.x() << "," << c.to.y();
        EXPECT_EQ(f.undo().canUndo(), c.kept);
        EXPECT_TRUE(f.undo().isUndoRegistrationEnabled());
        if (!c.kept) {
            // Neither undo nor redo can bring back a slice the user never made.
            f.undo().undo();
            f.undo().redo();
            EXPECT_EQ(f.layer->countOfSlices(), 0);
        }
    }
}

TEST(SlicesMouse, DrawingPastTheAnchorAndSnappingToGuides)
{
    SelectFixture f;
    f.addGuide();
    f.layer->setToolMode(VNQLSlicesLayer::DrawMode);
    f.gesture({QPointF(150, 150), QPointF(120, 90), QPointF(103, 40)});
    ASSERT_EQ(f.layer->countOfSlices(), 1);
    // Normalised, with the far edge snapped onto the guide at x = 100.
    EXPECT_EQ(f.layer->slices().first()->bounds(), QRectF(100, 40, 50, 110));
}

TEST(SlicesMouse, MovingSnapsToGuidesUnlessControlIsHeldAndUndoesAsOneStep)
{
    SelectFixture f;
    f.addGuide();
    auto slice = f.addSlice(QRectF(10, 10, 50, 20));
    auto other = f.addSlice(QRectF(200, 200, 20, 20));
    f.layer->selectSlice(other, false);
    f.endEvent();
    f.undo().removeAllActions();

    // Grabbed 10 points in; moved by 37 the right edge lands at 97, 3 short of the guide.
    f.gesture({QPointF(20, 15), QPointF(40, 15), QPointF(57, 15)});
    EXPECT_EQ(slice->bounds(), QRectF(50, 10, 50, 20));
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{slice});
    EXPECT_EQ(f.undo().numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo().undoActionName(), "Move Slice");

    // Undo brings back the bounds and the selection as they were at the first drag.
    f.undo().undo();
    EXPECT_EQ(slice->bounds(), QRectF(10, 10, 50, 20));
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{slice});
    f.undo().redo();
    EXPECT_EQ(slice->bounds(), QRectF(50, 10, 50, 20));

    // Left edge to 97: snapping would pull it onto the guide; Control leaves it where it is.
    f.gesture({QPointF(60, 15), QPointF(70, 15), QPointF(107, 15)}, kControl);
    EXPECT_EQ(slice->bounds(), QRectF(97, 10, 50, 20));
    f.gesture({QPointF(107, 15), QPointF(108, 15)});
    EXPECT_EQ(slice->bounds(), QRectF(100, 10, 50, 20));
}

TEST(SlicesMouse, MovingSeveralSlicesNamesTheStepForAll)
{
    SelectFixture f;
    auto a = f.addSlice(QRectF(10, 10, 20, 20));
    auto b = f.addSlice(QRectF(50, 10, 20, 20));
    f.layer->selectSlicesInArray({a, b}, false);
    f.endEvent();
    f.gesture({QPointF(15, 15), QPointF(25, 35)});
    EXPECT_EQ(f.bounds(), (QList<QRectF>{QRectF(20, 30, 20, 20), QRectF(60, 30, 20, 20)}));
    EXPECT_EQ(f.undo().undoActionName(), "Move Slices");
    f.undo().undo();
    EXPECT_EQ(f.bounds(), (QList<QRectF>{QRectF(10, 10, 20, 20), QRectF(50, 10, 20, 20)}));
    EXPECT_EQ(f.layer->selectedSlices().size(), 2);
}

TEST(SlicesMouse, ResizingByTheHandleNormalisesPastTheOrigin)
{
    SelectFixture f;
    auto slice = f.addSlice(QRectF(10, 10, 50, 20));
    f.endEvent();
    f.undo().removeAllActions();

    f.layer->mouseDown(QPointF(58, 28), Qt::NoModifier, nullptr);
    EXPECT_EQ(f.layer->partCode(), PWXSlice::kResizePart);
    EXPECT_EQ(f.layer->dragAnchor(), QPointF(10, 10));
    f.layer->mouseDragged(QPointF(80, 50), Qt::NoModifier, nullptr);
    EXPECT_EQ(slice->bounds(), QRectF(10, 10, 70, 40));
    f.layer->mouseDragged(QPointF(0, 4), Qt::NoModifier, nullptr);
    EXPECT_EQ(slice->bounds(), QRectF(0, 4, 10, 6));
    f.layer->mouseUp(QPointF(0, 4), Qt::NoModifier, nullptr);
    f.endEvent();
    EXPECT_EQ(f.undo().undoActionName(), "Resize Slice");
    f.undo().undo();
    EXPECT_EQ(slice->bounds(), QRectF(10, 10, 50, 20));
}

TEST(SlicesMouse, ClicksWithShiftAndCommandExtendOrShrinkTheSelection)
{
    SelectFixture f;
    auto a = f.addSlice(QRectF(10, 10, 20, 20));
    auto b = f.addSlice(QRectF(50, 10, 20, 20));
    f.endEvent();
    f.undo().removeAllActions();
    const QPointF inA(15, 15), inB(55, 15), empty(300, 300);

    f.gesture({inA});
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{a});
    f.gesture({inB}, kShift);
    EXPECT_EQ(f.layer->selectedSlices(), (QList<pf::Ref<PWXSlice>>{a, b}));
    f.gesture({empty}, kShift);
    EXPECT_EQ(f.layer->selectedSlices().size(), 2);
    f.gesture({empty}, kCommand);
    EXPECT_EQ(f.layer->selectedSlices().size(), 2);
    f.gesture({inA}, kCommand);
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{b});
    f.gesture({inA});
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{a});
    f.gesture({empty});
    EXPECT_TRUE(f.layer->selectedSlices().isEmpty());
    // Selecting by clicking is no edit.
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(SlicesMouse, DragsThatMoveNothingLeaveNoStep)
{
    SelectFixture f;
    auto a = f.addSlice(QRectF(10, 10, 20, 20));
    auto b = f.addSlice(QRectF(50, 10, 20, 20));
    f.layer->selectSlicesInArray({a, b}, false);
    f.endEvent();
    f.undo().removeAllActions();

    // From empty space with Shift held: the selection stays and nothing moves.
    f.gesture({QPointF(300, 300), QPointF(320, 330)}, kShift);
    // Command-clicking a selected slice takes it out: it stays put, and so do the others.
    f.gesture({QPointF(15, 15), QPointF(35, 45), QPointF(60, 80)}, kCommand);
    EXPECT_EQ(f.bounds(), (QList<QRectF>{QRectF(10, 10, 20, 20), QRectF(50, 10, 20, 20)}));
    EXPECT_EQ(f.layer->selectedSlices(), QList<pf::Ref<PWXSlice>>{b});
    EXPECT_FALSE(f.undo().canUndo());
}

TEST(SlicesMouse, EventsWithoutAMouseDownAreIgnored)
{
    SelectFixture f;
    auto a = f.addSlice(QRectF(10, 10, 20, 20));
    f.layer->mouseDragged(QPointF(50, 50), Qt::NoModifier, nullptr);
    f.layer->mouseUp(QPointF(50, 50), Qt::NoModifier, nullptr);
    EXPECT_EQ(a->bounds(), QRectF(10, 10, 20, 20));
    EXPECT_FALSE(f.layer->mouseMoved());
}

// A gesture cut short (the tool mode changes, the layer stops being the active one, or a
// mouse up never comes) ends as its mouse up would have: registration is on again, a slice
// too small is gone, a kept one undoes.
TEST(SlicesMouse, AGestureCutShortEndsAsItsMouseUpWould)
{
    enum class Cut { ModeChange, Resigned, MissedMouseUp };
    struct Case {
        const char* name;
        QList<QPointF> drags;
        Cut cut;
        bool kept;
    };
    const Case cases[] = {
        {"a click, then the mode changes", {}, Cut::ModeChange, false},
        {"a drawn slice, then the mode changes", {QPointF(60, 70)}, Cut::ModeChange, true},
        {"a click, then another layer becomes active", {}, Cut::Resigned, false},
        {"a drawn slice, then another layer becomes active", {QPointF(60, 70)}, Cut::Resigned, true},
        {"a click whose mouse up never came", {}, Cut::MissedMouseUp, false},
        {"a drawn slice whose mouse up never came", {QPointF(60, 70)}, Cut::MissedMouseUp, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SlicesFixture f;
        auto objects = std::make_shared<PWObjectDrawingLayer>();
        f.drawing->addLayer(objects);
        f.drawing->setActiveLayer(f.layer);
        f.endEvent();
        f.undo().removeAllActions();

        f.layer->mouseDown(QPointF(10, 10), Qt::NoModifier, nullptr);
        f.endEvent();
        for (const QPointF& point : c.drags) {
            f.layer->mouseDragged(point, Qt::NoModifier, nullptr);
            f.endEvent();
        }
        switch (c.cut) {
        case Cut::ModeChange:
            f.layer->setToolMode(VNQLSlicesLayer::SelectMode);
            break;
        case Cut::Resigned:
            f.drawing->setActiveLayer(objects);
            break;
        case Cut::MissedMouseUp:
            // The next gesture starts far away and is a click: it leaves nothing of its own.
            f.layer->mouseDown(QPointF(300, 300), Qt::NoModifier, nullptr);
            break;
        }
        if (c.cut != Cut::MissedMouseUp)
            EXPECT_EQ(f.layer->draggingSlice(), nullptr);
        f.layer->mouseUp(QPointF(300, 300), Qt::NoModifier, nullptr);
        f.endEvent();

        EXPECT_TRUE(f.undo().isUndoRegistrationEnabled());
        ASSERT_EQ(f.layer->countOfSlices(), c.kept ? 1 : 0);
        EXPECT_EQ(f.undo().canUndo(), c.kept);
        if (c.kept) {
            EXPECT_EQ(f.bounds(), QList<QRectF>{QRectF(10, 10, 50, 60)});
            EXPECT_EQ(f.undo().undoActionName(), "Add Slice");
            f.undo().undo();
            EXPECT_EQ(f.layer->countOfSlices(), 0);
        }
    }
}

TEST(SlicesMouse, AMoveCutShortByTheDrawModeStaysAMove)
{
    SelectFixture f;
    auto slice = f.addSlice(QRectF(10, 10, 50, 20));
    f.endEvent();
    f.undo().removeAllActions();
    f.layer->mouseDown(QPointF(20, 15), Qt::NoModifier, nullptr);
    f.endEvent();
    f.layer->mouseDragged(QPointF(40, 25), Qt::NoModifier, nullptr);
    f.endEvent();
    f.layer->setToolMode(VNQLSlicesLayer::DrawMode);
    f.layer->mouseUp(QPointF(40, 25), Qt::NoModifier, nullptr);
    f.endEvent();
    EXPECT_EQ(slice->bounds(), QRectF(30, 20, 50, 20));
    EXPECT_EQ(f.undo().numberOfUndoActions(), 1);
    EXPECT_EQ(f.undo().undoActionName(), "Move Slice");
    f.undo().undo();
    EXPECT_EQ(f.bounds(), QList<QRectF>{QRectF(10, 10, 50, 20)}) << "undo moves it back, and only that";
}
