#include "widgets/RVColorWell.h"
#include "widgets/RVColourCell.h"
#include "widgets/RVColourPickerView.h"
#include "widgets/RVColourPopUpMenuView.h"

#include "tests/support/NotificationRecorder.h"
#include "WidgetTestSupport.h"
#include "tests/support/TestSupport.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

using widgettest::mouse;

// The picker pops up in its own window: 225 points square, y up from its bottom edge, so a
// point (x, y) of the flipped picker is (x, 225 - y) there.
QPointF inPicker(QPointF point)
{
    return QPointF(point.x(), 225 - point.y());
}

void postToPicker(int type, QPointF pickerPoint, double timestamp, unsigned flags = 0)
{
    pf::EventQueue::shared().postEvent(mouse(type, inPicker(pickerPoint), flags, timestamp), false);
}

TEST(ColourCell, BarGeometryFollowsTheFrame)
{
    struct Case {
        QRectF frame;
        QRectF bar;
    };
    for (const Case c : {Case{{0, 0, 100, 20}, {4, 1, 32, 18}}, Case{{0, 0, 100, 30}, {4, 5, 32, 20}},
                         Case{{10, 50, 30, 24}, {14, 51, 22, 22}}, Case{{0, 0, 40, 25}, {4, 5, 32, 15}}})
        EXPECT_EQ(RVColourCell::colourRectForFrame(c.frame), c.bar) << c.frame.width() << "x" << c.frame.height();
}

TEST(ColourCell, ValuesCopiesAndTheColourShownWhileHighlighted)
{
    RVColourCell cell;
    cell.setEnabled(false);
    cell.setObjectValue(pf::toVariant(std::make_shared<pf::Color>(pf::Color::red())));
    EXPECT_TRUE(cell.isEnabled());
    EXPECT_EQ(cell.colorValue(), pf::Color::red());
    EXPECT_EQ(*pf::objectCast<pf::Color>(cell.objectValue()), pf::Color::red());
    cell.setMenuEnabled(true);
    cell.setState(pf::ControlState::On);
    // Highlighted before the picker reported anything: the cell's own colour.
    EXPECT_EQ(cell.shownColour(), pf::Color::red());
    RVColourCell::setTrackingColour(pf::Color::blue());
    EXPECT_EQ(cell.shownColour(), pf::Color::blue());
    RVColourCell::setTrackingColour(pf::Color());
    auto copy = std::dynamic_pointer_cast<RVColourCell>(cell.copyCell());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->colorValue(), pf::Color::red());
    EXPECT_TRUE(copy->menuEnabled());
    EXPECT_TRUE(copy->isColourHighlighted());
    cell.setObjectValue(QVariant());
    EXPECT_FALSE(cell.colorValue().isValid());
    EXPECT_FALSE(cell.objectValue().isValid());
}

class Refusing : public pf::TableViewDelegate, public RVColourCellDelegate {
public:
    bool colourCellShouldBeginTrackingInRow(RVColourCell&, int row) override
    {
        rows.append(row);
        return false;
    }
    QList<int> rows;
};

TEST(ColourCell, PicksFromTheSwatchesUnderTheCell)
{
    pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
    pf::View host(QRectF(0, 0, 200, 100));
    RVColourCell cell;
    cell.setColorValue(pf::Color::red());
    const QRectF frame(0, 0, 100, 20);
    const double t0 = pf::Event::now();
    const pf::Event press = mouse(pf::LeftMouseDown, QPointF(5, 5), 0, t0);

    // Refused without a menu, for a double click, or by the host's delegate.
    EXPECT_FALSE(cell.trackMouse(press, frame, &host, true));
    cell.setMenuEnabled(true);
    EXPECT_FALSE(cell.trackMouse(mouse(pf::LeftMouseDown, QPointF(5, 5), 0, t0, 2), frame, &host, true));
    pf::TableView table;
    Refusing refusing;
    table.setDelegate(&refusing);
    EXPECT_FALSE(cell.trackMouse(press, frame, &table, true));
    EXPECT_EQ(refusing.rows.size(), 1);
    EXPECT_FALSE(RVColourCell::isTrackingInProgress());

    postToPicker(pf::LeftMouseDragged, QPointF(20, 5), t0 + 0.1);
    postToPicker(pf::LeftMouseDragged, QPointF(35, 20), t0 + 0.2);
    postToPicker(pf::LeftMouseUp, QPointF(35, 20), t0 + 0.5);
    EXPECT_TRUE(cell.trackMouse(press, frame, &host, true));
    RVColourPickerView reference(QRectF(0, 0, 225, 225));
    EXPECT_EQ(cell.colorValue(), reference.colorForSwatch(2, 1));
    EXPECT_FALSE(cell.isColourHighlighted());
    EXPECT_FALSE(RVColourCell::trackingColour().isValid());
    EXPECT_FALSE(RVColourCell::isTrackingInProgress());

    // Off every swatch the picker offers the cell's own colour.
    postToPicker(pf::LeftMouseUp, QPointF(300, 300), pf::Event::now() + 0.5);
    const pf::Color before = cell.colorValue();
    EXPECT_TRUE(cell.trackMouse(mouse(pf::LeftMouseDown, inPicker(QPointF(300, 300))), frame, &host, true));
    EXPECT_EQ(cell.colorValue(), before);
}

class PopUpMenuView : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
        root = new pf::View(QRectF(0, 0, 200, 100));
        view = new RVColourPopUpMenuView(QRectF(10, 10, 40, 28));
        root->addSubview(view);
        window.setContentView(root);
        window.setFrame(QRectF(100, 100, 200, 100));
        window.show();
    }
    void TearDown() override
    {
        pf::ColorWell::deactivateAll();
        pf::EventQueue::shared().discardEvents(pf::kAnyEventMask);
    }
    pf::Event at(int type, unsigned flags = 0, double timestamp = pf::Event::now())
    {
        return mouse(type, view->convertPointToView(QPointF(20, 14), nullptr), flags, timestamp, 1, &window);
    }
    void quickClick()
    {
        view->mouseDown(at(pf::LeftMouseDown));
        view->mouseUp(at(pf::LeftMouseUp));
    }
    pf::Window window;
    pf::View* root = nullptr;
    RVColourPopUpMenuView* view = nullptr;
};

TEST_F(PopUpMenuView, AQuickClickTogglesEditingInTheColourPanel)
{
    EXPECT_EQ(view->color(), pf::Color::grey());
    quickClick();
    EXPECT_TRUE(view->selected());
    EXPECT_TRUE(view->proxyWell()->isActive());
    EXPECT_TRUE(pf::ColorWell::activeWells().contains(view->proxyWell()));
    // The menu that was due never opens once the button is up.
    EXPECT_FALSE(quillory::test::waitUntil([&] { return view->isMenuPoppedUp(); }, 400));

    auto recorder = std::make_shared<widgettest::ActionRecorder>();
    view->setTarget(recorder.get());
    view->setAction(QStringLiteral("record:"));
    pf::ColorPanel::shared()->userChoseColor(pf::Color::blue());
    EXPECT_EQ(view->color(), pf::Color::blue());
    EXPECT_EQ(recorder->count(), 1);

    quickClick();
    EXPECT_FALSE(view->selected());
    EXPECT_FALSE(view->proxyWell()->isActive());
}

TEST_F(PopUpMenuView, AnotherWellTakingThePanelDeselectsIt)
{
    NotificationRecorder notes(view->proxyWell());
    quickClick();
    RVColorWell other;
    other.activate(true);
    EXPECT_FALSE(view->selected());
    EXPECT_GE(notes.count(kRVColorWellDeactivated), 1);
    other.deactivate();
}

TEST_F(PopUpMenuView, WithoutTransparencyColoursAreOpaqueAndThePanelHidesOpacity)
{
    view->setDisallowsTransparency(true);
    view->setColor(pf::Color(1, 0, 0, 0.5));
    EXPECT_DOUBLE_EQ(view->color().alphaComponent(), 1.0);
    pf::ColorPanel::shared()->setShowsAlpha(true);
    view->setSelected(true);
    EXPECT_FALSE(pf::ColorPanel::shared()->showsAlpha());
    view->setSelected(false);
    EXPECT_TRUE(pf::ColorPanel::shared()->showsAlpha());
}

TEST_F(PopUpMenuView, DisablingOrDestroyingItLetsThePanelGo)
{
    view->setSelected(true);
    view->setEnabled(false);
    EXPECT_FALSE(view->selected());
    view->setEnabled(true);
    view->setSelected(true);
    QPointer<RVColorWell> proxy = view->proxyWell();
    delete view;
    EXPECT_TRUE(proxy.isNull());
    EXPECT_TRUE(pf::ColorWell::activeWells().isEmpty());
    EXPECT_EQ(pf::ColorPanel::shared()->colorReceiverOwner(), nullptr);
}

TEST_F(PopUpMenuView, HoldingOptionOpensThePickerOnTheWheel)
{
    view->setColor(pf::Color::red());
    const double t0 = pf::Event::now();
    // The middle of the wheel: no saturation.
    postToPicker(pf::LeftMouseDragged, QPointF(112.5, 112.5), t0 + 0.2);
    postToPicker(pf::LeftMouseUp, QPointF(112.5, 112.5), t0 + 0.5);
    view->trackMenuWithEvent(at(pf::LeftMouseDown, pf::AlternateKeyMask, t0));
    EXPECT_NEAR(view->color().saturationComponent(), 0.0, 0.01);
    EXPECT_NEAR(view->color().brightnessComponent(), 1.0, 0.01);
    EXPECT_FALSE(view->isHighlighted());
    EXPECT_FALSE(view->isMenuPoppedUp());

    view->setColor(pf::Color::red());
    postToPicker(pf::LeftMouseDragged, QPointF(112.5, 112.5), t0 + 1.2);
    postToPicker(pf::LeftMouseUp, QPointF(112.5, 112.5), t0 + 1.5);
    view->trackMenuWithEvent(at(pf::LeftMouseDown, 0, t0 + 1.0));
    RVColourPickerView reference(QRectF(0, 0, 225, 225));
    EXPECT_EQ(view->color(), reference.colorForSwatch(8, 8));
}

} // namespace
