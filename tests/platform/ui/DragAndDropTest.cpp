#include "platform/ui/DraggingSession.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>

using namespace pf;

namespace {

class Source : public DraggingSource {
public:
    unsigned inside = DragOperationPrivate;
    unsigned outside = DragOperationNone;
    unsigned draggingSourceOperationMask(DraggingContext context) override
    {
        return context == DraggingContext::WithinApplication ? inside : outside;
    }
    void draggingSessionEnded(DraggingSession&, QPointF, unsigned operation) override { ended = int(operation); }
    int ended = -1;
};

class Target : public View {
public:
    using View::View;
    unsigned answer = DragOperationPrivate;
    bool accept = true;
    QStringList log;
    DraggingSource* seenSource = nullptr;
    unsigned seenMask = 0;
    QPointF seenLocation;
    unsigned draggingEntered(const DraggingInfo& info) override
    {
        log << "entered";
        seenSource = info.draggingSource();
        seenMask = info.draggingSourceOperationMask();
        seenLocation = info.draggingLocation();
        return answer;
    }
    void draggingExited(const DraggingInfo*) override { log << "exited"; }
    bool performDragOperation(const DraggingInfo& info) override
    {
        log << "perform " + info.draggingPasteboard()->stringForType("kVNQLDrawableRowPasteboardType");
        return accept;
    }
    void concludeDragOperation(const DraggingInfo&) override { log << "conclude"; }
};

// Plays a drag over `target` at Qt point `at`, dropping when `drop` is set.
DraggingSession::ExecHook playOver(QWidget* target, QPoint at, bool drop)
{
    return [=](QDrag& drag, Qt::DropActions supported) {
        QDragEnterEvent enter(at, supported, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return Qt::IgnoreAction;
        QDragMoveEvent move(at, supported, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        if (!drop || !move.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(target, &leave);
            return Qt::IgnoreAction;
        }
        QDropEvent dropEvent(QPointF(at), supported, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropEvent);
        return dropEvent.isAccepted() ? dropEvent.dropAction() : Qt::IgnoreAction;
    };
}

struct HookReset {
    ~HookReset() { DraggingSession::setExecHookForTesting({}); }
};

} // namespace

class DragAndDrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(100, 100);
        sourceView = new View(QRectF(0, 0, 50, 100), &window);
        target = new Target(QRectF(50, 0, 50, 100), &window);
        target->registerForDraggedTypes({"kVNQLDrawableRowPasteboardType"});
        pasteboard = Pasteboard::withName("drag test");
        pasteboard->declareTypes({"kVNQLDrawableRowPasteboardType"});
        pasteboard->setString("row 3", "kVNQLDrawableRowPasteboardType");
    }
    QWidget window;
    View* sourceView = nullptr;
    Target* target = nullptr;
    Ref<Pasteboard> pasteboard;
    Source source;
    HookReset reset;
};

TEST_F(DragAndDrop, InProcessDropSeesTheSourceAndEndsWithTheDestinationsOperation)
{
    DraggingSession::setExecHookForTesting(playOver(target, {10, 80}, true));
    const unsigned result = DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event());
    EXPECT_EQ(result, unsigned(DragOperationPrivate));
    EXPECT_EQ(source.ended, int(DragOperationPrivate));
    EXPECT_EQ(target->seenSource, &source);
    EXPECT_EQ(target->seenMask, unsigned(DragOperationPrivate));
    EXPECT_EQ(target->seenLocation, QPointF(60, 20)); // window coordinates, y up
    EXPECT_EQ(target->log, (QStringList{"entered", "perform row 3", "conclude"}));
    EXPECT_EQ(DraggingSession::current(), nullptr);
}

TEST_F(DragAndDrop, RefusedOrUnregisteredDropsEndWithNone)
{
    target->accept = false;
    DraggingSession::setExecHookForTesting(playOver(target, {10, 10}, true));
    EXPECT_EQ(DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event()), unsigned(DragOperationNone));
    EXPECT_EQ(source.ended, int(DragOperationNone));

    target->log.clear();
    pasteboard->declareTypes({"other"});
    EXPECT_EQ(DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event()), unsigned(DragOperationNone));
    EXPECT_TRUE(target->log.isEmpty()); // never asked: the drag carries none of its types

    // A source that offers nothing never starts.
    source.inside = DragOperationNone;
    source.ended = -1;
    EXPECT_EQ(DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event()), unsigned(DragOperationNone));
    EXPECT_EQ(source.ended, -1);
}

TEST_F(DragAndDrop, LeavingWithoutDropTellsTheDestinationAndDeleteNeedsAnOutsideDrop)
{
    DraggingSession::setExecHookForTesting(playOver(target, {10, 10}, false));
    source.outside = DragOperationCopy | DragOperationDelete;
    window.hide(); // the pointer is over no window of the application
    EXPECT_EQ(DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event()), unsigned(DragOperationDelete));
    EXPECT_EQ(target->log, (QStringList{"entered", "exited"}));
    source.outside = DragOperationCopy;
    EXPECT_EQ(DraggingSession::begin(sourceView, pasteboard, &source, {}, {}, Event()), unsigned(DragOperationNone));
}

TEST(DragOperations, PlatformOperationsMapToQtActions)
{
    EXPECT_EQ(DraggingSession::qtActionForOperation(DragOperationPrivate), Qt::MoveAction);
    EXPECT_EQ(DraggingSession::qtActionForOperation(DragOperationGeneric), Qt::MoveAction);
    EXPECT_EQ(DraggingSession::qtActionForOperation(DragOperationCopy), Qt::CopyAction);
    EXPECT_EQ(DraggingSession::qtActionForOperation(DragOperationNone), Qt::IgnoreAction);
    EXPECT_EQ(DraggingSession::qtActionsForMask(DragOperationCopy | DragOperationDelete), Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(DraggingSession::maskForQtActions(Qt::CopyAction | Qt::LinkAction), unsigned(DragOperationCopy | DragOperationLink));
}
