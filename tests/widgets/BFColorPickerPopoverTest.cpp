#include "widgets/BFColorPickerPopover.h"
#include "widgets/BFColorPickerPopoverView.h"
#include "widgets/BFColorPickerViewController.h"
#include "widgets/BFIconTabBar.h"
#include "widgets/BFPopoverColorWell.h"
#include "widgets/Color+BFPopoverColorWell.h"
#include "widgets/ColorPanel+BFPopoverColorWell.h"

#include "tests/support/NotificationRecorder.h"
#include "WidgetTestSupport.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorPanelModeItem.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

using widgettest::mouse;

class PopoverColorWell : public ::testing::Test {
protected:
    void SetUp() override
    {
        panel()->orderOut();
        popover()->setAnimates(false);
        auto* root = new pf::View(QRectF(0, 0, 300, 200));
        well = new BFPopoverColorWell(QRectF(20, 20, 44, 24));
        second = new BFPopoverColorWell(QRectF(100, 20, 44, 24));
        root->addSubview(well);
        root->addSubview(second);
        window.setContentView(root);
        window.setFrame(QRectF(200, 300, 300, 200));
        window.show();
        well->setColor(pf::Color::red());
    }
    void TearDown() override
    {
        popover()->close();
        pf::ColorWell::deactivateAll();
        panel()->orderOut();
    }
    static pf::ColorPanel* panel() { return pf::ColorPanel::shared(); }
    static BFColorPickerPopover* popover() { return BFColorPickerPopover::sharedPopover(); }
    BFColorPickerViewController* controller() const
    {
        return dynamic_cast<BFColorPickerViewController*>(popover()->contentViewController().get());
    }
    BFColorPickerPopoverView* content() const { return qobject_cast<BFColorPickerPopoverView*>(controller()->view()); }
    QPointF windowOrigin() const { return popover()->window()->frame().topLeft(); }

    pf::Window window;
    BFPopoverColorWell* well = nullptr;
    BFPopoverColorWell* second = nullptr;
};

TEST_F(PopoverColorWell, ActivatingShowsThePanelsPickersInThePopover)
{
    EXPECT_EQ(well->colorWellStyle(), BFPopoverColorWell::PopUpMenuStyle);
    EXPECT_EQ(well->preferredEdgeForPopover(), pf::MaxXEdge);
    well->activate(true);
    ASSERT_TRUE(popover()->isShown());
    EXPECT_TRUE(well->isActive());
    EXPECT_EQ(popover()->colorWell(), well);
    EXPECT_EQ(popover()->delegate(), static_cast<pf::PopoverDelegate*>(well));
    EXPECT_TRUE(pf::ColorWell::activeWells().contains(well));
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(panel()->isPickerViewLent());
    EXPECT_TRUE(popover()->observingColor());
    EXPECT_EQ(panel()->color(), pf::Color::red());
    ASSERT_TRUE(controller());
    EXPECT_EQ(controller()->tabBar()->items().size(), panel()->modeItems().size());
    EXPECT_EQ(controller()->tabBar()->frame(), QRectF(0, 400 - 34, 230, 34));

    auto recorder = std::make_shared<widgettest::ActionRecorder>();
    popover()->setTarget(recorder.get());
    popover()->setAction(QStringLiteral("record:"));
    panel()->userChoseColor(pf::Color::blue());
    EXPECT_EQ(well->color(), pf::Color::blue());
    EXPECT_EQ(popover()->color(), pf::Color::blue());
    ASSERT_EQ(recorder->count(), 1);
    EXPECT_EQ(pf::objectCast<BFColorPickerPopover>(recorder->senders[0]).get(), popover());
}

TEST_F(PopoverColorWell, TabsSwitchThePanelsPicker)
{
    well->activate(true);
    const auto modes = panel()->modeItems();
    ASSERT_GE(modes.size(), 2);
    BFIconTabBar* tabs = controller()->tabBar();
    for (int index : {1, 0}) {
        tabs->selectIndex(index);
        controller()->tabBarChangedSelection(*tabs);
        EXPECT_EQ(panel()->selectedItemIdentifier(), modes[index]->itemIdentifier());
    }
}

TEST_F(PopoverColorWell, AShortDragSnapsBackAndALongOneTearsThePickersOff)
{
    well->activate(true);
    BFColorPickerPopoverView* view = content();
    ASSERT_TRUE(view);
    const QPointF start = windowOrigin();
    view->mouseDown(mouse(pf::LeftMouseDown, QPointF(10, 10)));
    view->mouseDragged(mouse(pf::LeftMouseDragged, QPointF(10 + 49, 10)));
    view->mouseUp(mouse(pf::LeftMouseUp, QPointF(10 + 49, 10)));
    EXPECT_EQ(windowOrigin(), start);
    EXPECT_TRUE(popover()->isShown());

    view->mouseDown(mouse(pf::LeftMouseDown, QPointF(10, 10)));
    view->mouseDragged(mouse(pf::LeftMouseDragged, QPointF(10 + 50, 10)));
    EXPECT_FALSE(popover()->hidesAnchor());
    view->mouseDragged(mouse(pf::LeftMouseDragged, QPointF(10, 10)));
    EXPECT_TRUE(popover()->hidesAnchor());
    view->mouseUp(mouse(pf::LeftMouseUp, QPointF(10, 10)));
    EXPECT_FALSE(popover()->isShown());
    EXPECT_FALSE(popover()->hidesAnchor());
    EXPECT_TRUE(well->isActive());
    EXPECT_TRUE(pf::ColorWell::activeWells().contains(well));
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_FALSE(panel()->isPickerViewLent());
    panel()->userChoseColor(pf::Color::green());
    EXPECT_EQ(well->color(), pf::Color::green());
}

TEST_F(PopoverColorWell, EscapeClosesAndANonContinuousWellReportsOnAStandardClose)
{
    well->activate(true);
    popover()->cancelOperation();
    EXPECT_FALSE(popover()->isShown());
    EXPECT_FALSE(well->isActive());
    EXPECT_TRUE(pf::ColorWell::activeWells().isEmpty());
    EXPECT_FALSE(popover()->observingColor());

    auto recorder = std::make_shared<widgettest::ActionRecorder>();
    well->setContinuous(false);
    well->setTarget(recorder.get());
    well->setAction(QStringLiteral("record:"));
    well->activate(true);
    NotificationRecorder notes(popover());
    popover()->performClose();
    EXPECT_EQ(recorder->count(), 1);
    EXPECT_FALSE(well->isActive());
    // The well's deactivation asks the popover to close once, not again from inside.
    EXPECT_EQ(notes.count(pf::NSPopoverWillCloseNotification), 1);
    EXPECT_EQ(notes.count(pf::NSPopoverDidCloseNotification), 1);

    well->activate(true);
    notes.clear();
    well->deactivate();
    EXPECT_FALSE(popover()->isShown());
    EXPECT_EQ(notes.count(pf::NSPopoverWillCloseNotification), 1);
}

TEST_F(PopoverColorWell, ClickingASecondWellMovesThePopoverToIt)
{
    well->activate(true);
    second->performClick();
    EXPECT_FALSE(well->isActive());
    EXPECT_TRUE(second->isActive());
    EXPECT_TRUE(popover()->isShown());
    EXPECT_EQ(popover()->colorWell(), second);
    EXPECT_EQ(pf::ColorWell::activeWells(), QList<pf::ColorWell*>{second});
    second->performClick();
    EXPECT_FALSE(second->isActive());
    EXPECT_FALSE(popover()->isShown());
}

TEST_F(PopoverColorWell, WithThePanelOnScreenAWellEditsThereUntilDoubleClicked)
{
    panel()->orderFront();
    well->activate(true);
    EXPECT_TRUE(well->isActive());
    EXPECT_FALSE(popover()->isShown());
    panel()->userChoseColor(pf::Color::blue());
    EXPECT_EQ(well->color(), pf::Color::blue());
    well->mouseDown(mouse(pf::LeftMouseDown, well->convertPointToView(QPointF(5, 5), nullptr), 0, pf::Event::now(), 2, &window));
    EXPECT_TRUE(popover()->isShown());
    EXPECT_TRUE(well->isActive());
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(PopoverColorWell, DeactivatingEveryWellLeavesThePanelAsItWas)
{
    well->activate(true);
    auto recorder = std::make_shared<widgettest::ActionRecorder>();
    popover()->setTarget(recorder.get());
    popover()->setAction(QStringLiteral("record:"));
    panel()->setTarget(recorder.get());
    const pf::Color before = panel()->color();
    pf::ColorWell::deactivateAll();
    EXPECT_TRUE(pf::ColorWell::activeWells().isEmpty());
    EXPECT_FALSE(well->isActive());
    EXPECT_FALSE(popover()->isShown());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(panel()->target(), nullptr);
    EXPECT_EQ(panel()->color(), before);
    EXPECT_EQ(recorder->count(), 0);
}

TEST(PopoverColourHelpers, LuminanceAndThePanelsDescription)
{
    struct Case {
        pf::Color colour;
        double luminance;
    };
    for (const Case& c : {Case{pf::Color(0, 1, 0), 0.587}, Case{pf::Color::white(), 1.0}, Case{pf::Color::black(), 0.0},
                         Case{pf::Color(1, 0, 0), 0.299}, Case{pf::Color(0, 0, 1, 0.5), 0.114}})
        EXPECT_NEAR(luminance(c.colour), c.luminance, 1e-6) << c.colour.hexString().toStdString();
    pf::ColorPanel::shared()->setShowsAlpha(true);
    pf::ColorPanel::shared()->setColor(pf::Color(1, 0.5, 0, 0.2));
    EXPECT_EQ(colorPanelColorDescription(), QStringLiteral("r: 255, g: 128, b: 0, a: 51"));
    const pf::Color random = randomColor();
    EXPECT_DOUBLE_EQ(random.alphaComponent(), 1.0);
    EXPECT_LT(random.redComponent(), 1.0);
}

} // namespace
