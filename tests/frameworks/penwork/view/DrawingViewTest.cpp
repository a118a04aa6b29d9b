#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "frameworks/penwork/view/PWRulerView.h"
#include "frameworks/penwork/view/PWViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Event.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/Pasteboard.h"

#include "tests/support/NotificationRecorder.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using Recorder = NotificationRecorder;

// A view that keeps the rectangles it was asked to redraw and counts its beeps.
class RecordingView : public PWDrawingView {
public:
    using PWDrawingView::PWDrawingView;
    void drawRect(const QRectF& dirty) override
    {
        dirtyRects.append(dirty);
        PWDrawingView::drawRect(dirty);
    }
    QList<QRectF> dirtyRects;
    int beeps = 0;

protected:
    void refuseWithBeep() override { ++beeps; }
};

class DrawingViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PWDrawingView::setShouldCreateAutomaticDrawing(false);
        drawing = PWDrawing::defaultDrawing();
        drawing->setDrawingSize(QSizeF(600, 400));
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        ASSERT_TRUE(layer);
        near = PWDrawableShape::drawableShapeWithRect(QRectF(20, 20, 40, 30));
        far = PWDrawableShape::drawableShapeWithRect(QRectF(500, 300, 40, 30));
        layer->addObject(near);
        layer->addObject(far);
        view = std::make_unique<RecordingView>();
        view->setDrawing(drawing);
        settle();
    }
    void TearDown() override
    {
        view.reset();
        PWDrawingView::setShouldCreateAutomaticDrawing(true);
        PWDrawingView::setScrollwheelZoomEnabled(true);
        PWDrawingView::setScrollwheelInverted(false);
    }
    // Closes the undo group the event loop opened for the set-up edits.
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    // Hands the view back from a scroll view to the fixture.
    void detach(PWDrawingScrollArea& area, RecordingView* raw)
    {
        raw->setKeepsAliveAfterRemoval(true);
        area.setDocumentView(nullptr);
        view.reset(raw);
    }
    // A window point for a drawing point of the view.
    QPointF windowPoint(QPointF drawingPoint) const { return view->convertPointToView(drawingPoint, nullptr); }

    pf::Ref<PWDrawing> drawing;
    pf::Ref<PWObjectDrawingLayer> layer;
    pf::Ref<PWDrawableObject> near;
    pf::Ref<PWDrawableObject> far;
    std::unique_ptr<RecordingView> view;
};

// Scale and zoom ---------------------------------------------------------------------------------

TEST_F(DrawingViewTest, ScaleChangesResizeTheViewAndAnnounceThemselvesOnce)
{
    Recorder recorder(view.get());
    EXPECT_EQ(view->size(), QSize(600, 400));
    view->setScale(2.0);
    EXPECT_EQ(recorder.count(kPWDrawingViewDidChangeScale), 1);
    EXPECT_EQ(view->size(), QSize(1200, 800));
    EXPECT_EQ(view->bounds().size(), QSizeF(600, 400));
    // The same scale, or nonsense, changes nothing.
    view->setScale(2.0);
    view->setScale(-1);
    view->setScale(std::nan(""));
    EXPECT_EQ(recorder.count(kPWDrawingViewDidChangeScale), 1);
    EXPECT_DOUBLE_EQ(view->scale(), 2.0);
    // Drawing and view coordinates agree at the new scale, y down.
    EXPECT_EQ(view->convertFromDrawing(QPointF(10, 30)), QPointF(20, 60));
    EXPECT_EQ(view->convertToDrawing(QPointF(20, 60)), QPointF(10, 30));
    view->setScale(1e9);
    EXPECT_DOUBLE_EQ(view->scale(), RVZoomView::kMaximumScale);
    view->zoomToActualSize();
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
    view->zoomIn();
    EXPECT_GT(view->scale(), 1.0);
    view->zoomOut();
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
}

TEST_F(DrawingViewTest, ZoomToRectAndFitUseTheScrollAreaViewport)
{
    RecordingView* raw = view.release();
    PWDrawingScrollArea area(raw);
    raw->setRulersVisible(false);
    area.resize(404, 304);
    area.setAutohidesScrollers(false);
    area.show();
    QCoreApplication::processEvents();
    const QSizeF viewport = area.contentSize();

    const QRectF target(100, 100, 50, 20);
    raw->zoomViewToRect(target);
    EXPECT_NEAR(raw->scale(), std::min(viewport.width() / 50, viewport.height() / 20), 1e-9);
    const QRectF visible = raw->visibleDrawingRect();
    EXPECT_TRUE(visible.adjusted(-1, -1, 1, 1).contains(target)) << visible.x() << "," << visible.y();
    EXPECT_NEAR(visible.center().x(), target.center().x(), 1.0);

    raw->zoomFitInWindow();
    EXPECT_NEAR(raw->scale(), std::min(viewport.width() / 600, viewport.height() / 400), 1e-9);
    EXPECT_TRUE(raw->visibleDrawingRect().adjusted(-1, -1, 1, 1).contains(QRectF(0, 0, 600, 400)));

    // An empty rectangle is no zoom.
    const double before = raw->scale();
    raw->zoomViewToRect(QRectF(10, 10, 0, 0));
    EXPECT_DOUBLE_EQ(raw->scale(), before);
    detach(area, raw);
}

TEST_F(DrawingViewTest, ScrollsAndZoomsAroundAPointThroughTheScrollView)
{
    RecordingView* raw = view.release();
    PWDrawingScrollArea area(raw);
    raw->setRulersVisible(false);
    area.resize(300, 200);
    area.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(raw->enclosingScrollView(), &area);
    ASSERT_FALSE(area.verticalScroller()->isHidden()); // 600 x 400 does not fit
    const QSizeF visibleSize = area.contentSize();
    EXPECT_EQ(raw->visibleDrawingRect(), QRectF(QPointF(0, 0), visibleSize));
    area.verticalScroller()->setValue(100);
    EXPECT_EQ(raw->visibleDrawingRect().top(), 100);
    raw->scrollToDrawingRect(QRectF(500, 300, 40, 30));
    EXPECT_TRUE(raw->visibleDrawingRect().contains(QRectF(500, 300, 40, 30)));

    // Zooming around a point keeps that point where it shows.
    const QPointF point(520, 320);
    const QPointF before = raw->convertPointToView(point, area.contentView());
    const QPointF beforeOffset = before - area.contentView()->bounds().topLeft();
    raw->setScaleAroundPoint(2.0, point);
    const QPointF after = raw->convertPointToView(point, area.contentView()) - area.contentView()->bounds().topLeft();
    EXPECT_NEAR(after.x(), beforeOffset.x(), 1.0);
    EXPECT_NEAR(after.y(), beforeOffset.y(), 1.0);
    EXPECT_EQ(raw->frame().size(), QSizeF(1200, 800));

    // Rulers shown take their slots beside the clip view.
    raw->setRulersVisible(true);
    EXPECT_EQ(area.contentView()->frame().topLeft(),
              QPointF(PWDrawingScrollArea::kRulerThickness, PWDrawingScrollArea::kRulerThickness));
    detach(area, raw);
}

TEST_F(DrawingViewTest, ClipViewSubclassCentresTheSmallPage)
{
    // A clip view that centres a drawing smaller than itself.
    class CentringClipView : public pf::ClipView {
    public:
        QPointF constrainScrollPoint(QPointF proposed) const override
        {
            QPointF point = pf::ClipView::constrainScrollPoint(proposed);
            const QSizeF document = documentRect().size(), visible = bounds().size();
            if (document.width() < visible.width())
                point.setX(std::round((document.width() - visible.width()) / 2));
            if (document.height() < visible.height())
                point.setY(std::round((document.height() - visible.height()) / 2));
            return point;
        }
    };
    RecordingView* raw = view.release();
    PWDrawingScrollArea area(raw);
    raw->setRulersVisible(false);
    area.resize(800, 600);
    area.setContentView(new CentringClipView);
    area.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(area.documentView(), raw);
    // 600 x 400 in 800 x 600: 100 points round it.
    EXPECT_EQ(raw->geometry().topLeft(), QPoint(100, 100));
    raw->setScale(0.5);
    EXPECT_EQ(raw->geometry(), QRect(250, 200, 300, 200));
    raw->setScale(2.0);
    EXPECT_EQ(raw->frame().size(), QSizeF(1200, 800));
    EXPECT_TRUE(area.contentView()->bounds().x() >= 0);
    detach(area, raw);
}

TEST_F(DrawingViewTest, DraggingOutOfTheHorizontalRulerAddsAGuideAsOneStep)
{
    ASSERT_TRUE(drawing->guideLayer());
    RecordingView* raw = view.release();
    PWDrawingScrollArea area(raw);
    raw->setRulersVisible(true);
    area.resize(500, 400);
    area.show();
    QCoreApplication::processEvents();
    PWRulerView* ruler = area.horizontalRuler();
    ASSERT_TRUE(ruler && ruler->isVisible());

    const QPointF inRuler(100, 5);
    const auto rulerPointFor = [&](QPointF drawingPoint) {
        return QPointF(ruler->mapFromGlobal(raw->mapToGlobal(raw->convertFromDrawing(drawingPoint))));
    };
    const auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, ruler->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(ruler, &event);
    };
    send(QEvent::MouseButtonPress, inRuler, Qt::LeftButton);
    send(QEvent::MouseMove, rulerPointFor(QPointF(100, 150)), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, rulerPointFor(QPointF(100, 150)), Qt::NoButton);
    settle();

    const QList<double> guides = drawing->guideLayer()->horizontalGuides();
    ASSERT_EQ(guides.size(), 1);
    EXPECT_NEAR(guides.first(), 150, 10.0); // the grid may pull it a little
    EXPECT_TRUE(drawing->guideLayer()->verticalGuides().isEmpty());
    drawing->undoManager()->undo();
    EXPECT_FALSE(drawing->guideLayer()->hasGuides());
    detach(area, raw);
}

TEST_F(DrawingViewTest, ControlScrollWheelZoomsFollowingTheSettings)
{
    auto wheel = [&](double deltaY, unsigned flags) {
        pf::Event event = pf::Event::otherEvent(pf::ScrollWheel, windowPoint(QPointF(100, 100)), flags, 0, 0, 0);
        event.deltaY = deltaY;
        view->scrollWheel(event);
    };
    wheel(1, pf::CommandKeyMask); // Qt's Control
    EXPECT_GT(view->scale(), 1.0);
    view->setScale(1.0);
    wheel(1, 0); // no modifier: scrolling, not zooming
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
    PWDrawingView::setScrollwheelInverted(true);
    wheel(1, pf::CommandKeyMask);
    EXPECT_LT(view->scale(), 1.0);
    PWDrawingView::setScrollwheelZoomEnabled(false);
    EXPECT_TRUE(pf::UserDefaults::standard().boolForKey(kPWDrawingDisableScrollwheelZoomPrefsKey));
    view->setScale(1.0);
    wheel(1, pf::CommandKeyMask);
    EXPECT_DOUBLE_EQ(view->scale(), 1.0);
}

// Controller and redisplay -----------------------------------------------------------------------

TEST_F(DrawingViewTest, RegistersAControllerThatAnswersTheView)
{
    const QList<PWDrawingViewTarget*> controllers = drawing->controllers();
    ASSERT_EQ(controllers.size(), 1);
    EXPECT_EQ(controllers.first()->view(), view.get());
    const QVariantList objects = drawing->controllerViews();
    ASSERT_EQ(objects.size(), 1);
    auto controller = pf::objectFromVariant(objects.first());
    EXPECT_EQ(controller->valueForKey(QStringLiteral("view")).value<QWidget*>(), view.get());

    // A new drawing moves the registration; a destroyed view leaves none behind.
    auto other = PWDrawing::defaultDrawing();
    view->setDrawing(other);
    EXPECT_TRUE(drawing->controllers().isEmpty());
    EXPECT_EQ(other->controllers().size(), 1);
    view.reset();
    EXPECT_TRUE(other->controllers().isEmpty());
}

TEST_F(DrawingViewTest, RedrawsOnlyTheChangedObject)
{
    QWidget window;
    window.resize(600, 400);
    view->setParent(&window);
    view->move(0, 0);
    window.show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(view->dirtyRects.isEmpty()); // the first full paint
    view->dirtyRects.clear();
    const QRectF oldBounds = near->bounds();
    near->moveBy(10, 5);
    view->displayIfNeeded();
    ASSERT_FALSE(view->dirtyRects.isEmpty());
    QRectF painted;
    for (const QRectF& r : view->dirtyRects)
        painted = painted.united(r);
    EXPECT_TRUE(painted.contains(oldBounds));
    EXPECT_TRUE(painted.contains(near->bounds()));
    EXPECT_FALSE(painted.intersects(far->bounds()));
    EXPECT_LT(painted.width() * painted.height(), 600 * 400 / 10);

    // A whole-drawing request (a page change) redraws everything and follows the new size.
    view->dirtyRects.clear();
    drawing->setDrawingSize(QSizeF(300, 200));
    view->displayIfNeeded();
    EXPECT_EQ(view->size(), QSize(300, 200));
    ASSERT_FALSE(view->dirtyRects.isEmpty());
    EXPECT_TRUE(view->dirtyRects.last().contains(QRectF(0, 0, 300, 200)));
    view->setParent(nullptr);
}

// A document window's view shows room round the page: what lies past the paper's edge is
// drawn there and clicks there reach the tools.
TEST_F(DrawingViewTest, ThePasteboardRoundThePageDrawsAndTakesClicks)
{
    view->setShowsPasteboard(true);
    EXPECT_EQ(view->size(), QSize(600 + 600, 400 + 600)); // half the longer side all round
    EXPECT_EQ(view->convertFromDrawing(QPointF(0, 0)), QPointF(300, 300));
    EXPECT_EQ(view->convertToDrawing(QPointF(0, 0)), QPointF(-300, -300));

    near->moveBy(-150, -120); // wholly off the paper, above and left of it
    settle();
    ASSERT_LT(near->bounds().right(), 0.0);
    const QImage shown = view->grab().toImage();
    const QPoint centre = view->convertFromDrawing(near->bounds().center()).toPoint();
    const QPoint bare = view->convertFromDrawing(QPointF(-250, 200)).toPoint();
    EXPECT_EQ(shown.pixelColor(bare), QColor(230, 230, 230)) << "the pasteboard";
    EXPECT_NE(shown.pixelColor(centre), shown.pixelColor(bare)) << "the object past the edge is drawn";

    auto click = [&](QPointF drawingPoint) {
        const QPointF at = windowPoint(drawingPoint);
        view->mouseDown(pf::Event::mouseEvent(pf::LeftMouseDown, at, 0, 0, 0, 0, 1, 1));
        view->mouseUp(pf::Event::mouseEvent(pf::LeftMouseUp, at, 0, 0, 0, 0, 1, 0));
        settle();
    };
    layer->exchangeSelectionWithObjectsFromArray({far});
    click(near->bounds().center());
    EXPECT_EQ(layer->selection(), QList<pf::Ref<PWDrawableObject>>{near});
    click(QPointF(-250, 200));
    EXPECT_TRUE(layer->selection().isEmpty()) << "a click on the empty pasteboard deselects";

    view->setShowsPasteboard(false);
    EXPECT_EQ(view->size(), QSize(600, 400));
    EXPECT_EQ(view->convertFromDrawing(QPointF(0, 0)), QPointF(0, 0));
}

// Dragging a selected object leaves nothing behind: where its rotation knob and the dimension
// guides' labels were is redrawn as they move on.
TEST_F(DrawingViewTest, DraggingRedrawsWhereTheFeedbackWas)
{
    QWidget window;
    window.resize(600, 400);
    view->setParent(&window);
    view->move(0, 0);
    window.show();
    QCoreApplication::processEvents();
    layer->exchangeSelectionWithObjectsFromArray({near});
    settle();
    view->displayIfNeeded();
    const QPointF knob = near->knobPoint(PWDrawableShape::kRotationHandle);
    view->dirtyRects.clear();
    const QPointF start = windowPoint(near->bounds().center());
    view->mouseDown(pf::Event::mouseEvent(pf::LeftMouseDown, start, 0, 0, 0, 0, 1, 1));
    for (int step = 1; step <= 4; ++step) {
        // Window points run y-up: this moves the object right and down the page.
        view->mouseDragged(pf::Event::mouseEvent(pf::LeftMouseDragged, start + QPointF(30 * step, -20 * step), 0, 0, 0, 0, 1, 1));
        view->displayIfNeeded();
    }
    view->mouseUp(pf::Event::mouseEvent(pf::LeftMouseUp, start + QPointF(120, -80), 0, 0, 0, 0, 1, 0));
    settle();
    view->displayIfNeeded();
    ASSERT_GT(near->bounds().left(), 100.0);
    ASSERT_GT(near->bounds().top(), 60.0);
    QRegion painted;
    for (const QRectF& r : view->dirtyRects)
        painted += r.toAlignedRect();
    EXPECT_TRUE(painted.contains(knob.toPoint())) << "the old rotation knob";

    // Deselecting (grouping, deleting) takes the handles away, the rotation knob with them;
    // zoomed in, it stands well beyond what the object draws.
    const QPointF lastKnob = near->knobPoint(PWDrawableShape::kRotationHandle);
    view->setScale(2.0);
    view->displayIfNeeded();
    view->dirtyRects.clear();
    layer->deselectAll();
    view->displayIfNeeded();
    painted = QRegion();
    for (const QRectF& r : view->dirtyRects)
        painted += r.toAlignedRect();
    EXPECT_TRUE(painted.contains(lastKnob.toPoint())) << "the deselected object's rotation knob";
    view->setScale(1.0);
    view->displayIfNeeded();

    // The dimension guides' changes reach a view that was given its drawing after it was made.
    view->dirtyRects.clear();
    pf::NotificationCenter::defaultCenter().post(kPWDimensionGuidesDidChangeNotification, nullptr,
                                                 {{QStringLiteral("rect"), QRectF(300, 200, 40, 10)}});
    view->displayIfNeeded();
    painted = QRegion();
    for (const QRectF& r : view->dirtyRects)
        painted += r.toAlignedRect();
    EXPECT_TRUE(painted.contains(QPoint(320, 205))) << "a dimension guide's place";
    view->setParent(nullptr);
}

TEST_F(DrawingViewTest, MouseMovesReportTheLocationInDrawingUnits)
{
    Recorder recorder(view.get());
    view->mouseMoved(pf::Event::mouseEvent(pf::MouseMoved, windowPoint(QPointF(56.7, 28.35)), 0, 0, 0, 0, 0, 0));
    ASSERT_EQ(recorder.count(kPWDrawingMouseMovedLocation), 1);
    const QVariantMap info = recorder.infos.at(recorder.names.indexOf(kPWDrawingMouseMovedLocation));
    const QPointF units = info.value(kPWDrawingMouseLocationInDrawingUnits).toPointF();
    EXPECT_NEAR(units.x(), drawing->convertLength(56.7), 1e-6);
    EXPECT_NEAR(units.y(), drawing->convertLength(28.35), 1e-6);
    EXPECT_EQ(info.value(kPWDrawingMouseLocationAbbreviatedUnits).toString(), drawing->abbreviatedDrawingUnits());
}

// Edit actions -----------------------------------------------------------------------------------

TEST_F(DrawingViewTest, EditActionsWorkOnTheActiveLayerWithTheSendersTitle)
{
    layer->replaceSelectionWithObject(near);
    settle();
    auto sender = pf::MenuItem::make(QStringLiteral("Duplicate Once"), QStringLiteral("duplicate:"));
    EXPECT_TRUE(view->validateMenuItem(*sender));
    view->perform(QStringLiteral("duplicate:"), {sender->senderValue()});
    EXPECT_EQ(layer->countOfObjects(), 3);
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Duplicate Once"));
    settle();
    drawing->undoManager()->undo();
    EXPECT_EQ(layer->countOfObjects(), 2);

    // Delete, and its validation once nothing is selected.
    layer->replaceSelectionWithObject(far);
    settle();
    view->deleteSelection(QStringLiteral("Delete Far"));
    EXPECT_EQ(layer->countOfObjects(), 1);
    EXPECT_EQ(drawing->undoManager()->undoActionName(), QStringLiteral("Delete Far"));
    auto deleteItem = pf::MenuItem::make(QStringLiteral("Delete"), QStringLiteral("delete:"));
    auto duplicateItem = pf::MenuItem::make(QStringLiteral("Duplicate"), QStringLiteral("duplicate:"));
    EXPECT_FALSE(view->validateMenuItem(*deleteItem));
    EXPECT_FALSE(view->validateMenuItem(*duplicateItem));
    settle();
    drawing->undoManager()->undo();
    EXPECT_EQ(layer->countOfObjects(), 2);
}

TEST_F(DrawingViewTest, TitleOfSenderReadsItemsObjectsAndStrings)
{
    EXPECT_EQ(PWDrawingView::titleOfSender(QStringLiteral("Flip")), QStringLiteral("Flip"));
    EXPECT_EQ(PWDrawingView::titleOfSender(pf::MenuItem::make(QStringLiteral("Group"))->senderValue()), QStringLiteral("Group"));
    EXPECT_TRUE(PWDrawingView::titleOfSender(QVariant()).isEmpty());
    EXPECT_TRUE(PWDrawingView::titleOfSender(pf::toVariant(near)).isEmpty());
}

// Drops --------------------------------------------------------------------------------------------

class DrawingViewDropTest : public DrawingViewTest {
protected:
    bool drop(const pf::Ref<pf::Pasteboard>& pasteboard, QPointF at)
    {
        const pf::DraggingInfo info(pasteboard, nullptr, pf::DragOperationCopy, windowPoint(at), nullptr, 1);
        return view->draggingEntered(info) != pf::DragOperationNone && view->performDragOperation(info);
    }
    pf::Ref<pf::Pasteboard> pasteboardWithFile(const QString& path)
    {
        auto pasteboard = std::make_shared<pf::Pasteboard>(QStringLiteral("view-test-drop"));
        pasteboard->clearContents();
        pasteboard->writeURLs({QUrl::fromLocalFile(path)});
        return pasteboard;
    }
    QTemporaryDir dir;
};

TEST_F(DrawingViewDropTest, ReadableImageFileBecomesAnImageShape)
{
    const QString path = dir.filePath(QStringLiteral("dot.png"));
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path));
    EXPECT_TRUE(drop(pasteboardWithFile(path), QPointF(300, 200)));
    ASSERT_EQ(layer->countOfObjects(), 3);
    auto shape = std::dynamic_pointer_cast<PWImageShape>(layer->objectInObjectsAtIndex(2));
    ASSERT_TRUE(shape);
    EXPECT_NEAR(shape->location().x(), 300, 1e-6);
    EXPECT_EQ(view->beeps, 0);
}

TEST_F(DrawingViewDropTest, DamagedFileIsRefusedWithABeep)
{
    const QString path = dir.filePath(QStringLiteral("broken.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG this is not an image");
    file.close();
    EXPECT_FALSE(drop(pasteboardWithFile(path), QPointF(300, 200)));
    EXPECT_EQ(layer->countOfObjects(), 2);
    EXPECT_EQ(view->beeps, 1);
}

TEST_F(DrawingViewDropTest, ColourFillsOnlyTheObjectUnderThePoint)
{
    auto shared = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::white)), pf::Color(QColor(Qt::black)));
    near->setStyle(shared);
    far->setStyle(shared);
    settle();
    auto pasteboard = std::make_shared<pf::Pasteboard>(QStringLiteral("view-test-colour"));
    pasteboard->clearContents();
    pasteboard->setColor(QColor(Qt::green));
    EXPECT_TRUE(drop(pasteboard, QPointF(40, 35)));
    EXPECT_NE(near->style(), far->style());
    EXPECT_EQ(far->style(), shared);
    auto expected = PWStyle::styleWithFillColour(pf::Color(QColor(Qt::green)), pf::Color(QColor(Qt::black)));
    EXPECT_TRUE(near->style()->isEqualToStyle(expected.get()));
    EXPECT_FALSE(shared->isEqualToStyle(expected.get()));
    // Nothing under the point: refused.
    EXPECT_FALSE(drop(pasteboard, QPointF(300, 200)));
    settle();
    drawing->undoManager()->undo();
    EXPECT_EQ(near->style(), shared);
}

// Text editing ----------------------------------------------------------------------------------

class DrawingViewTextTest : public DrawingViewTest {
protected:
    void SetUp() override
    {
        DrawingViewTest::SetUp();
        text = PWTextShape::textShapeWithRect(QRectF(100, 100, 200, 50), QStringLiteral("Hello"));
        layer->addObject(text);
        settle();
    }
    pf::Ref<PWTextShape> text;
};

TEST_F(DrawingViewTextTest, EditingPostsItsNotificationsAndCommitsOneUndoStep)
{
    Recorder recorder(view.get());
    ASSERT_TRUE(view->beginTextEditing(text.get()));
    EXPECT_EQ(recorder.names, (QStringList{kPWDrawingViewWillBeginTextEditing, kPWDrawingViewDidBeginTextEditing}));
    ASSERT_TRUE(view->isEditingText());
    EXPECT_EQ(view->editedTextObject(), text.get());
    EXPECT_EQ(view->textEditor()->toPlainText(), QStringLiteral("Hello"));
    // The editor sits over the text box.
    EXPECT_TRUE(QRectF(view->textEditor()->geometry()).intersects(view->convertRectFromDrawing(text->bounds())));

    view->textEditor()->setPlainText(QStringLiteral("Goodbye"));
    view->endTextEditing();
    EXPECT_FALSE(view->isEditingText());
    EXPECT_EQ(recorder.count(kPWDrawingViewDidEndTextEditing), 1);
    EXPECT_EQ(text->text(), QStringLiteral("Goodbye"));
    settle();
    drawing->undoManager()->undo();
    EXPECT_EQ(text->text(), QStringLiteral("Hello"));
}

TEST_F(DrawingViewTextTest, RefusesWhatItCannotEditAndSurvivesALostObject)
{
    Recorder recorder(view.get());
    EXPECT_FALSE(view->beginTextEditing(near.get()));
    EXPECT_FALSE(view->beginTextEditing(nullptr));
    text->setLocked(true);
    EXPECT_FALSE(view->beginTextEditing(text.get()));
    EXPECT_TRUE(recorder.names.isEmpty());
    text->setLocked(false);

    ASSERT_TRUE(view->beginTextEditing(text.get()));
    view->textEditor()->setPlainText(QStringLiteral("lost"));
    layer->removeObject(text);
    view->endTextEditing();
    EXPECT_EQ(text->text(), QStringLiteral("Hello"));
    EXPECT_EQ(recorder.count(kPWDrawingViewDidEndTextEditing), 1);
}

TEST_F(DrawingViewTextTest, DoubleClickOpensTheEditorAndEscapeCommits)
{
    const QPointF inside = windowPoint(QPointF(150, 120));
    view->mouseDown(pf::Event::mouseEvent(pf::LeftMouseDown, inside, 0, 0, 0, 0, 2, 1));
    ASSERT_TRUE(view->isEditingText());
    view->textEditor()->setPlainText(QStringLiteral("Typed"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view->textEditor(), &escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->isEditingText());
    EXPECT_EQ(text->text(), QStringLiteral("Typed"));
}

// Printing ---------------------------------------------------------------------------------------

TEST_F(DrawingViewTest, CropMarksDrawOutsideThePageContent)
{
    auto darkPixels = [&](int kind) {
        view->setPrintCropMarkKind(kind);
        QImage paper(400, 300, QImage::Format_ARGB32);
        paper.fill(Qt::white);
        {
            QPainter painter(&paper);
            painter.setRenderHint(QPainter::Antialiasing, false);
            pf::GraphicsContextScope scope(painter, true, false);
            view->beginPageInRect(QRectF(0, 0, 200, 100), QPointF(100, 100));
            view->drawPageBorderWithSize(QSizeF(400, 300));
        }
        int dark = 0, inside = 0;
        for (int y = 0; y < paper.height(); ++y)
            for (int x = 0; x < paper.width(); ++x)
                if (qGray(paper.pixel(x, y)) < 200) {
                    ++dark;
                    if (QRect(100, 100, 200, 100).contains(x, y))
                        ++inside;
                }
        return std::pair{dark, inside};
    };
    EXPECT_EQ(darkPixels(0).first, 0);
    const auto corners = darkPixels(1);
    EXPECT_GT(corners.first, 0);
    EXPECT_EQ(corners.second, 0);
    const auto edges = darkPixels(2);
    EXPECT_GT(edges.first, 0);
    EXPECT_EQ(edges.second, 0);
    view->setPrintCropMarkKind(7);
    EXPECT_EQ(view->printCropMarkKind(), 0);
}

} // namespace
