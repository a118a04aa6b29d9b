#include "platform/ui/View.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Window.h"

#include "tests/support/NotificationRecorder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

using namespace pf;

namespace {

class FlippedView : public View {
public:
    using View::View;
    bool isFlipped() const override { return true; }
};

// Fills its bounds' lower quarter (in its own coordinates) and remembers what it was asked.
class PaintingView : public View {
public:
    using View::View;
    bool flipped = false;
    bool isFlipped() const override { return flipped; }
    void drawRect(const QRectF& dirty) override
    {
        lastDirty = dirty;
        GraphicsContext* context = GraphicsContext::current();
        contextFlipped = context && context->isFlipped();
        drawingToScreen = context && context->isDrawingToScreen();
        if (context)
            context->painter().fillRect(QRectF(0, 0, bounds().width(), bounds().height() / 4), Qt::red);
        ++draws;
    }
    QRectF lastDirty;
    bool contextFlipped = false;
    bool drawingToScreen = false;
    int draws = 0;
};

// Logs every call of the frame primitives.
class FrameLoggingView : public View {
public:
    using View::View;
    void setFrameOrigin(QPointF origin) override
    {
        origins.append(origin);
        View::setFrameOrigin(origin);
    }
    void setFrameSize(QSizeF size) override
    {
        sizes.append(size);
        View::setFrameSize(size);
    }
    QList<QPointF> origins;
    QList<QSizeF> sizes;
};

class RecordingView : public View {
public:
    using View::View;
    void mouseDown(const Event& e) override { log.append("down " + point(e)); }
    void mouseDragged(const Event& e) override { log.append("dragged " + point(e)); }
    void mouseUp(const Event& e) override { log.append(QString("up %1").arg(e.clickCount)); }
    void mouseEntered(const Event& e) override { log.append("entered " + e.userData.toString()); }
    void mouseExited(const Event& e) override { log.append("exited " + e.userData.toString()); }
    void resetCursorRects() override { addCursorRect(QRectF(0, 0, 10, 10), Cursor::crosshair()); }
    QString point(const Event& e) const
    {
        const QPointF p = convertPointFromView(e.locationInWindow, nullptr);
        return QString("%1,%2").arg(p.x()).arg(p.y());
    }
    QStringList log;
};

} // namespace

TEST(ViewGeometry, UnflippedSubviewSitsAboveTheBottomEdgeInQt)
{
    View root(QRectF(0, 0, 200, 100));
    auto* child = new View(QRectF(10, 20, 30, 40));
    root.addSubview(child);
    // y-up: a frame at y 20 with height 40 has its top edge 60 up, i.e. 40 down in Qt.
    EXPECT_EQ(child->geometry(), QRect(10, 40, 30, 40));
    auto* flipped = new FlippedView(QRectF(0, 0, 100, 100));
    root.addSubview(flipped);
    auto* inFlipped = new View(QRectF(10, 20, 30, 40));
    flipped->addSubview(inFlipped);
    EXPECT_EQ(inFlipped->geometry(), QRect(10, 20, 30, 40));
    EXPECT_EQ(root.subviews(), (QList<View*>{child, flipped}));

    // Growing an unflipped superview keeps the subview's distance from the bottom edge.
    root.setFrameSize(QSizeF(200, 150));
    EXPECT_EQ(child->geometry(), QRect(10, 90, 30, 40));
    EXPECT_EQ(child->frame(), QRectF(10, 20, 30, 40));
}

TEST(ViewGeometry, PointsConvertBetweenFlippedAndUnflippedViewsAndTheWindow)
{
    View root(QRectF(0, 0, 200, 100));
    auto* a = new View(QRectF(10, 20, 50, 50));
    auto* b = new FlippedView(QRectF(100, 0, 80, 60));
    root.addSubview(a);
    root.addSubview(b);
    b->setBoundsOrigin(QPointF(5, 5)); // scrolled

    struct Case {
        const View* from;
        QPointF point;
        const View* to;
        QPointF expected;
    } cases[] = {
        {a, {0, 0}, nullptr, {10, 20}},        // unflipped: origin at the bottom-left
        {b, {5, 5}, nullptr, {100, 60}},       // flipped, scrolled: bounds origin at the top-left
        {b, {5, 15}, nullptr, {100, 50}},      // y down inside b is y down in the window
        {a, {0, 50}, b, {-85, -5}},
        {nullptr, {110, 30}, a, {100, 10}},
        {b, {25, 25}, a, {110, 20}},
    };
    for (const Case& c : cases) {
        const View* base = c.from ? c.from : c.to;
        const QPointF got = c.from ? c.from->convertPointToView(c.point, c.to) : c.to->convertPointFromView(c.point, nullptr);
        EXPECT_NEAR(got.x(), c.expected.x(), 1e-9);
        EXPECT_NEAR(got.y(), c.expected.y(), 1e-9);
        (void)base;
        // Converting back gives the point again.
        if (c.from && c.to) {
            const QPointF back = c.to->convertPointToView(got, c.from);
            EXPECT_NEAR(back.x(), c.point.x(), 1e-9);
            EXPECT_NEAR(back.y(), c.point.y(), 1e-9);
        }
    }
    EXPECT_EQ(a->convertRectToView(QRectF(0, 0, 10, 5), nullptr), QRectF(10, 20, 10, 5));
    // Points reach the screen and come back.
    const QPointF screen = a->convertPointToScreen(QPointF(3, 4));
    const QPointF back = a->convertPointFromScreen(screen);
    EXPECT_NEAR(back.x(), 3, 1e-9);
    EXPECT_NEAR(back.y(), 4, 1e-9);
    EXPECT_EQ(root.hitTest(QPointF(15, 25)), a);
    EXPECT_EQ(root.hitTest(QPointF(150, 10)), b);
    EXPECT_EQ(root.hitTest(QPointF(500, 10)), nullptr);
}

TEST(ViewGeometry, ScaledBoundsAndTags)
{
    View root(QRectF(0, 0, 100, 100));
    auto* zoomed = new View(QRectF(0, 0, 100, 100));
    root.addSubview(zoomed);
    zoomed->setBoundsSize(QSizeF(50, 50)); // everything drawn twice as large
    EXPECT_EQ(zoomed->convertPointToView(QPointF(10, 10), nullptr), QPointF(20, 20));
    zoomed->setTag(7);
    EXPECT_EQ(root.viewWithTag(7), zoomed);
    EXPECT_EQ(root.viewWithTag(8), nullptr);
}

TEST(ViewDrawing, ImagesAndPdfComeFromDrawRectInTheViewsOwnOrientation)
{
    for (bool flipped : {false, true}) {
        PaintingView view(QRectF(0, 0, 40, 40));
        view.flipped = flipped;
        const QImage image = view.cacheDisplayInRect(view.bounds());
        ASSERT_EQ(image.size(), QSize(40, 40) * image.devicePixelRatio());
        EXPECT_EQ(view.contextFlipped, flipped);
        EXPECT_TRUE(view.drawingToScreen);
        // y from 0 to 10 is the bottom strip when unflipped and the top strip when flipped.
        const int topRow = 2, bottomRow = image.height() - 3;
        EXPECT_EQ(image.pixelColor(20, flipped ? topRow : bottomRow), QColor(Qt::red)) << flipped;
        EXPECT_EQ(image.pixelColor(20, flipped ? bottomRow : topRow).alpha(), 0) << flipped;
    }
    PaintingView view(QRectF(0, 0, 40, 40));
    const QByteArray pdf = view.dataWithPDFInsideRect(QRectF(0, 0, 40, 20));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_FALSE(view.drawingToScreen);
    EXPECT_NEAR(view.lastDirty.height(), 20, 1);
    EXPECT_TRUE(view.dataWithPDFInsideRect(QRectF()).isEmpty());
}

TEST(ViewDrawing, NeedsDisplayInRectRepaintsThatPart)
{
    QWidget window;
    window.resize(100, 100);
    auto* view = new PaintingView(QRectF(0, 0, 100, 100), &window);
    window.show();
    QCoreApplication::processEvents();
    const int before = view->draws;
    view->setNeedsDisplayInRect(QRectF(0, 0, 10, 10));
    EXPECT_TRUE(view->needsDisplay());
    view->displayIfNeeded();
    EXPECT_GT(view->draws, before);
    EXPECT_FALSE(view->needsDisplay());
    EXPECT_TRUE(view->lastDirty.contains(QRectF(0, 0, 10, 10)));
    EXPECT_FALSE(view->lastDirty.contains(QRectF(50, 50, 10, 10)));
}

TEST(ViewEvents, MouseEventsArriveInTheViewsCoordinates)
{
    QWidget window;
    window.resize(100, 100);
    auto* view = new RecordingView(QRectF(0, 0, 100, 100), &window);
    window.show();
    auto send = [&](QEvent::Type type, QPointF qtPoint, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, qtPoint, qtPoint, view->mapToGlobal(qtPoint), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    };
    send(QEvent::MouseButtonPress, {10, 90}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {12, 80}, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {12, 80}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(view->log, (QStringList{"down 10,10", "dragged 12,20", "up 1"}));
}

// A double click is one mouse down with a click count of 2, whether Qt sends the second press
// followed by a double-click event of the same time or the double-click event alone.
TEST(ViewEvents, ADoubleClickIsOneSecondMouseDown)
{
    for (bool pressBeforeDoubleClick : {true, false}) {
        QWidget window;
        window.resize(100, 100);
        auto* view = new RecordingView(QRectF(0, 0, 100, 100), &window);
        window.show();
        ulong time = 5000 + (pressBeforeDoubleClick ? 0 : 10000);
        QPointF at(95, 5);
        auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent e(type, at, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
            e.setTimestamp(time);
            QApplication::sendEvent(view, &e);
        };
        // A click far away first, so this round never continues an earlier test's clicks.
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        view->log.clear();
        at = QPointF(pressBeforeDoubleClick ? 10 : 60, 90);
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        time += 50;
        if (pressBeforeDoubleClick)
            send(QEvent::MouseButtonPress, Qt::LeftButton);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        const QString down = QString("down %1,10").arg(at.x());
        EXPECT_EQ(view->log, (QStringList{down, "up 1", down, "up 2"})) << pressBeforeDoubleClick;
    }
}

TEST(ViewEvents, TrackingAreasReportEntryAndExitAndCursorRectsSetTheCursor)
{
    QWidget window;
    window.resize(100, 100);
    auto* view = new RecordingView(QRectF(0, 0, 100, 100), &window);
    view->addTrackingArea(std::make_shared<TrackingArea>(QRectF(50, 50, 20, 20),
                                                         TrackingArea::MouseEnteredAndExited | TrackingArea::ActiveAlways,
                                                         nullptr, QVariant("zone")));
    window.show();
    auto move = [&](QPointF qtPoint) {
        QMouseEvent e(QEvent::MouseMove, qtPoint, qtPoint, view->mapToGlobal(qtPoint), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    };
    move({10, 10});   // (10, 90) in the view: outside
    move({55, 45});   // (55, 55): inside
    move({56, 44});   // still inside: nothing new
    move({5, 95});    // (5, 5): outside, inside the cursor rectangle
    EXPECT_EQ(view->log, (QStringList{"entered zone", "exited zone"}));
    EXPECT_EQ(view->cursor().shape(), Qt::CrossCursor);
    move({50, 50});
    EXPECT_NE(view->cursor().shape(), Qt::CrossCursor);
}

TEST(ViewEvents, UnhandledKeysGoToTheParentAndCommandsReachTheView)
{
    QWidget window;
    auto* view = new View(QRectF(0, 0, 10, 10), &window);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(view, &key);
    EXPECT_FALSE(key.isAccepted()); // no one answers moveLeft:
}

TEST(ViewToolTips, RectanglesAnswerTheirTextOrAskTheirOwner)
{
    struct Owner : ToolTipOwner {
        QString stringForToolTip(View*, int tag, QPointF point, const QVariant& data) override
        {
            return QString("%1 %2 %3").arg(data.toString()).arg(point.x()).arg(tag > 0);
        }
    } owner;
    View view(QRectF(0, 0, 100, 100));
    view.setToolTip("whole view");
    const int fixed = view.addToolTipRect(QRectF(0, 0, 10, 10), QString("corner"));
    view.addToolTipRect(QRectF(50, 50, 10, 10), &owner, QVariant("asked"));
    EXPECT_EQ(view.toolTipAt({5, 5}), "corner");
    EXPECT_EQ(view.toolTipAt({55, 52}), "asked 55 1");
    EXPECT_EQ(view.toolTipAt({30, 30}), "whole view");
    view.removeToolTip(fixed);
    EXPECT_EQ(view.toolTipAt({5, 5}), "whole view");
    view.removeAllToolTips();
    EXPECT_EQ(view.toolTipAt({55, 52}), "whole view");
}

TEST(ViewTree, RemovedViewsGoAtTheEndOfTheEventCycleUnlessKept)
{
    View root(QRectF(0, 0, 10, 10));
    QPointer<View> dropped = new View(QRectF(0, 0, 1, 1));
    QPointer<View> kept = new View(QRectF(0, 0, 1, 1));
    root.addSubview(dropped);
    root.addSubview(kept);
    kept->setKeepsAliveAfterRemoval(true);
    dropped->removeFromSuperview();
    kept->removeFromSuperview();
    EXPECT_TRUE(dropped); // still there while this event is handled
    QCoreApplication::processEvents();
    EXPECT_FALSE(dropped);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->superview(), nullptr);
    root.addSubview(kept);
    EXPECT_EQ(kept->superview(), &root);
}

TEST(ViewTree, RemovedViewAddedAgainStaysAliveAndKeepsItsHiddenState)
{
    View root(QRectF(0, 0, 100, 100));
    auto* other = new View(QRectF(0, 0, 50, 50));
    root.addSubview(other);
    QPointer<View> moved = new View(QRectF(0, 0, 10, 10));
    root.addSubview(moved);
    root.show();
    ASSERT_TRUE(moved->isVisible());
    moved->removeFromSuperview();
    other->addSubview(moved);
    QCoreApplication::processEvents();
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->superview(), other);
    EXPECT_TRUE(moved->isVisible());

    // Hidden on purpose, it stays hidden across the move; shown, it shows again.
    moved->setHidden(true);
    moved->removeFromSuperview();
    root.addSubview(moved);
    QCoreApplication::processEvents();
    ASSERT_TRUE(moved);
    EXPECT_TRUE(moved->isHidden());
}

TEST(ViewFrame, OverridesSeeCallsAutoresizingAndWindowResizesWithOneNotificationEach)
{
    View root(QRectF(0, 0, 200, 100));
    auto* logged = new FrameLoggingView(QRectF(10, 10, 50, 20));
    logged->setAutoresizingMask(ViewWidthSizable);
    root.addSubview(logged);
    NotificationRecorder recorder(logged);

    logged->setFrame(QRectF(20, 10, 60, 20));
    EXPECT_EQ(logged->origins, (QList<QPointF>{{20, 10}}));
    EXPECT_EQ(logged->sizes, (QList<QSizeF>{{60, 20}}));
    EXPECT_EQ(recorder.count(NSViewFrameDidChangeNotification), 1);

    logged->sizes.clear();
    root.setFrameSize(QSizeF(300, 100));
    EXPECT_EQ(logged->sizes, (QList<QSizeF>{{160, 20}}));
    EXPECT_EQ(logged->frame(), QRectF(20, 10, 160, 20));
    EXPECT_EQ(recorder.count(NSViewFrameDidChangeNotification), 2);

    // The content view of a window follows the window through the same primitives.
    Window window;
    auto* content = new FrameLoggingView(QRectF(0, 0, 100, 80));
    window.setContentView(content);
    window.resize(240, 160);
    window.show();
    ASSERT_TRUE(quillory::test::waitUntil([&] { return content->frame().size() == QSizeF(240, 160); }));
    EXPECT_EQ(content->sizes.last(), QSizeF(240, 160));
    content->sizes.clear();
    window.resize(300, 200);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return content->frame().size() == QSizeF(300, 200); }));
    EXPECT_EQ(content->sizes, (QList<QSizeF>{{300, 200}}));
}

TEST(ViewFrame, AutoresizingMasksShareTheChangeAmongTheFlexibleParts)
{
    struct Case {
        unsigned mask;
        QSizeF superSize;
        QRectF expected;
    } cases[] = {
        {ViewNotSizable, {300, 160}, {20, 10, 40, 30}},
        {ViewMaxXMargin | ViewMaxYMargin, {300, 160}, {20, 10, 40, 30}},
        {ViewWidthSizable, {300, 160}, {20, 10, 140, 30}},
        {ViewMinXMargin, {300, 160}, {120, 10, 40, 30}},
        {ViewMinXMargin | ViewWidthSizable, {300, 160}, {70, 10, 90, 30}},
        {ViewMinXMargin | ViewWidthSizable | ViewMaxXMargin, {350, 100}, {70, 10, 90, 30}},
        {ViewMinYMargin | ViewHeightSizable, {200, 160}, {20, 40, 40, 60}},
        {ViewMinYMargin, {200, 40}, {20, -50, 40, 30}},
        {ViewWidthSizable | ViewHeightSizable, {10, 20}, {20, 10, 0, 0}}, // lengths stop at 0
    };
    for (const Case& c : cases) {
        View root(QRectF(0, 0, 200, 100));
        auto* sub = new View(QRectF(20, 10, 40, 30));
        sub->setAutoresizingMask(c.mask);
        root.addSubview(sub);
        root.setFrameSize(c.superSize);
        EXPECT_EQ(sub->frame(), c.expected) << "mask " << c.mask;
    }
    View root(QRectF(0, 0, 200, 100));
    auto* sub = new View(QRectF(20, 10, 40, 30));
    sub->setAutoresizingMask(ViewWidthSizable);
    root.addSubview(sub);
    root.setAutoresizesSubviews(false);
    root.setFrameSize(QSizeF(300, 100));
    EXPECT_EQ(sub->frame(), QRectF(20, 10, 40, 30));
}
