#include "widgets/RVCollapsibleContainerView.h"
#include "widgets/RVCollapsibleContainerViewDelegate.h"

#include "platform/foundation/PropertyList.h"
#include "platform/graphics/BezierPath.h"
#include "platform/ui/Animator.h"
#include "platform/ui/Button.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Container = RVCollapsibleContainerView;

Container* container(double height, double width = 240)
{
    return new Container(QRectF(0, 0, width, height));
}

pf::View* plainView(double height)
{
    return new pf::View(QRectF(0, 0, 50, height));
}

bool animationsEnd(Container* c)
{
    return quillory::test::waitUntil([c] { return !pf::Animator::isAnimating(c, QStringLiteral("frameSize")); }, 3000);
}

TEST(RVCollapsibleContainerView, EmptyContainerIsItsTitleBarAndInset)
{
    struct Case {
        int style;
        double inset;
        double height;
    };
    for (const Case c : {Case{1, 0, 22}, Case{1, 3, 25}, Case{0, 3, 3}, Case{2, 0, 22}}) {
        std::unique_ptr<Container> top(container(100));
        top->setTitleBarStyle(c.style);
        top->setContentInset(c.inset);
        top->arrangeSubviews();
        EXPECT_DOUBLE_EQ(top->frame().height(), c.height) << c.style << " " << c.inset;
        EXPECT_DOUBLE_EQ(top->height(), c.height);
    }
}

TEST(RVCollapsibleContainerView, StacksViewsWithTheInsetAndFitsItsHeight)
{
    std::unique_ptr<Container> top(container(100));
    top->setContentInset(2);
    pf::View* a = plainView(10.4);
    pf::View* b = plainView(20);
    pf::View* c = plainView(5);
    top->addViewToContent(a);
    top->addViewToContent(b);
    top->addViewToContent(c);
    EXPECT_EQ(top->hostedViews(), (QList<pf::View*>{a, b, c}));
    EXPECT_DOUBLE_EQ(a->frame().y(), 0);
    EXPECT_DOUBLE_EQ(b->frame().y(), 12);
    EXPECT_DOUBLE_EQ(c->frame().y(), 34);
    EXPECT_DOUBLE_EQ(top->frame().height(), 65);
    EXPECT_DOUBLE_EQ(b->frame().width(), 236);
    // Adding a hosted view again changes nothing; removing one closes the gap.
    top->addViewToContent(b);
    EXPECT_EQ(top->hostedViews().size(), 3);
    top->removeViewFromContent(b);
    EXPECT_DOUBLE_EQ(c->frame().y(), 12);
    EXPECT_DOUBLE_EQ(top->frame().height(), 22 + 19 + 2);
}

TEST(RVCollapsibleContainerView, SubcontainersAreIndentedAndReflowTheirParents)
{
    std::unique_ptr<Container> top(container(100));
    Container* level1 = container(50);
    top->addViewToContent(level1);
    EXPECT_EQ(level1->parentContainerView(), top.get());
    EXPECT_EQ(level1->indentationLevel(), 1);
    EXPECT_DOUBLE_EQ(level1->frame().x(), 0);
    Container* level2 = container(40);
    level1->addViewToContent(level2);
    EXPECT_EQ(level2->indentationLevel(), 2);
    EXPECT_DOUBLE_EQ(level2->frame().x(), 6);
    EXPECT_DOUBLE_EQ(level2->frame().width(), level1->contentView()->bounds().width() - 6);
    EXPECT_TRUE(top->registeredDraggedTypes().contains(kRVCollapsibleContainerViewInternalDragType));
    // Each empty subcontainer is its title bar; heights flow up the tree.
    EXPECT_DOUBLE_EQ(level2->frame().height(), 22);
    EXPECT_DOUBLE_EQ(level1->frame().height(), 44);
    EXPECT_DOUBLE_EQ(top->frame().height(), 66);
    level2->setFrameSize(QSizeF(level2->frame().width(), 60));
    EXPECT_DOUBLE_EQ(top->frame().height(), 104);
    EXPECT_TRUE(level2->isLastInStack());
}

TEST(RVCollapsibleContainerView, CollapsesToItsTitleBarAndExpandsBack)
{
    std::unique_ptr<Container> top(container(100));
    Container* pane = container(200);
    pane->setTitleBarStyle(1);
    top->addViewToContent(pane);
    pane->setFrameSize(QSizeF(pane->frame().width(), 200));
    ASSERT_DOUBLE_EQ(top->frame().height(), 222);
    pane->setCollapsed(true);
    EXPECT_TRUE(pane->contentView()->isHidden());
    EXPECT_EQ(pane->collapseButton()->state(), pf::ControlState::Off);
    ASSERT_TRUE(animationsEnd(pane));
    EXPECT_DOUBLE_EQ(pane->frame().height(), 22);
    EXPECT_DOUBLE_EQ(top->frame().height(), 44);
    pane->setCollapsed(false);
    ASSERT_TRUE(animationsEnd(pane));
    EXPECT_DOUBLE_EQ(pane->frame().height(), 200);
    EXPECT_DOUBLE_EQ(top->frame().height(), 222);

    Container* bare = container(80);
    bare->setTitleBarStyle(0);
    bare->addViewToContent(plainView(30));
    top->addViewToContent(bare);
    ASSERT_DOUBLE_EQ(bare->frame().height(), 30);
    bare->setCollapsed(true);
    ASSERT_TRUE(animationsEnd(bare));
    EXPECT_DOUBLE_EQ(bare->frame().height(), 0);
}

TEST(RVCollapsibleContainerView, CollapsingMidExpansionKeepsTheArrangedHeight)
{
    std::unique_ptr<Container> pane(container(200));
    pane->setCollapsed(true);
    ASSERT_TRUE(animationsEnd(pane.get()));
    pane->setCollapsed(false);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return pane->frame().height() > 60; }, 2000));
    pane->setCollapsed(true);
    ASSERT_TRUE(animationsEnd(pane.get()));
    pane->setCollapsed(false);
    ASSERT_TRUE(animationsEnd(pane.get()));
    EXPECT_DOUBLE_EQ(pane->frame().height(), 200);
}

class CollapseRecorder : public RVCollapsibleContainerViewDelegate {
public:
    void containerViewDidCollapse(RVCollapsibleContainerView&) override { events << QStringLiteral("collapse"); }
    void containerViewDidUncollapse(RVCollapsibleContainerView&) override { events << QStringLiteral("expand"); }
    void containerViewConfigurationDidChange(RVCollapsibleContainerView&) override { ++configurationChanges; }
    QStringList events;
    int configurationChanges = 0;
};

TEST(RVCollapsibleContainerView, DelegateHearsTheEndOfAnimationsAndOneConfigurationChangePerBurst)
{
    std::unique_ptr<Container> pane(container(120));
    CollapseRecorder recorder;
    pane->setDelegate(&recorder);
    pane->setCollapsed(true);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return !recorder.events.isEmpty(); }, 3000));
    EXPECT_EQ(recorder.events, QStringList{QStringLiteral("collapse")});
    ASSERT_TRUE(quillory::test::waitUntil([&] { return recorder.configurationChanges > 0; }, 3000));
    EXPECT_EQ(recorder.configurationChanges, 1);
    pane->setDelegate(nullptr);
}

TEST(RVCollapsibleContainerView, CollapseAllAndExpandAllTouchEveryHostedContainer)
{
    std::unique_ptr<Container> top(container(100));
    Container* a = container(60);
    Container* b = container(60);
    top->addViewToContent(a);
    top->addViewToContent(b);
    top->collapseAll();
    EXPECT_TRUE(a->collapsed());
    EXPECT_TRUE(b->collapsed());
    top->expandAll();
    EXPECT_FALSE(a->collapsed());
    EXPECT_FALSE(b->collapsed());
    // The collapse button's new state decides.
    a->collapseButton()->setState(pf::ControlState::Off);
    a->collapseAction(QVariant::fromValue(static_cast<QObject*>(a->collapseButton())));
    EXPECT_TRUE(a->collapsed());
    EXPECT_FALSE(b->collapsed());
}

TEST(RVCollapsibleContainerView, OptionClickCollapsesOrExpandsAllSiblings)
{
    std::unique_ptr<Container> top(container(100));
    Container* a = container(60);
    Container* b = container(60);
    top->addViewToContent(a);
    top->addViewToContent(b);
    pf::Event optionClick = pf::Event::mouseEvent(pf::LeftMouseUp, QPointF(), pf::AlternateKeyMask, 0, 0, 0, 1, 1);
    pf::Event::setCurrent(optionClick);
    a->collapseButton()->setState(pf::ControlState::Off);
    a->collapseAction(QVariant::fromValue(static_cast<QObject*>(a->collapseButton())));
    EXPECT_TRUE(a->collapsed());
    EXPECT_TRUE(b->collapsed());
    a->collapseAction(QVariant::fromValue(static_cast<QObject*>(a->collapseButton())));
    pf::Event::setCurrent(std::nullopt);
    EXPECT_FALSE(a->collapsed());
    EXPECT_FALSE(b->collapsed());
}

TEST(RVCollapsibleContainerView, StyleChangesNeverShowTheHelpButton)
{
    std::unique_ptr<Container> top(container(100));
    EXPECT_TRUE(top->helpButtonView()->isHidden());
    top->setHelpButtonVisible(true);
    top->setTitleBarStyle(0);
    EXPECT_TRUE(top->helpButtonView()->isHidden());
    EXPECT_TRUE(top->collapseButton()->isHidden());
    EXPECT_DOUBLE_EQ(top->contentView()->frame().y(), 0);
    top->setTitleBarStyle(1);
    EXPECT_TRUE(top->helpButtonView()->isHidden());
    EXPECT_FALSE(top->collapseButton()->isHidden());
    EXPECT_EQ(top->titleCheckbox(), nullptr);
    top->setTitleBarStyle(2);
    ASSERT_NE(top->titleCheckbox(), nullptr);
    EXPECT_EQ(top->titleCheckbox()->frame(), QRectF(16, 4, 24, 14));
}

TEST(RVCollapsibleContainerView, CloseButtonRemovesTheContainerFromItsParent)
{
    std::unique_ptr<Container> top(container(100));
    Container* pane = container(50);
    top->addViewToContent(pane);
    auto* close = Container::closeButton();
    pane->setCloseButton(close);
    EXPECT_EQ(pane->closingButton(), close);
    EXPECT_DOUBLE_EQ(close->frame().x(), 240 - 15.4 - 3.0);
    pane->closeAction();
    EXPECT_TRUE(top->hostedViews().isEmpty());
    EXPECT_EQ(pane->parentContainerView(), nullptr);
    EXPECT_DOUBLE_EQ(top->frame().height(), 22);
}

TEST(RVCollapsibleContainerView, FromAnInterfaceFileItHasNoTitleBarAndReorders)
{
    std::unique_ptr<Container> top(container(100));
    EXPECT_FALSE(top->allowsReordering());
    top->setCloseButton(Container::closeButton());
    top->awakeFromNib();
    EXPECT_EQ(top->titleBarStyle(), 0);
    EXPECT_TRUE(top->allowsReordering());
    EXPECT_TRUE(top->closingButton()->isHidden());
    EXPECT_DOUBLE_EQ(top->collapseButton()->frame().x(), 5.0);
    EXPECT_DOUBLE_EQ(top->collapseButton()->frame().center().y(), -1.5);
    EXPECT_DOUBLE_EQ(top->contentView()->frame().y(), 0);
}

TEST(RVCollapsibleContainerView, DoubleClickInTheTitleBarToggles)
{
    std::unique_ptr<Container> top(container(100));
    pf::Event click = pf::Event::mouseEvent(pf::LeftMouseDown, top->convertPointToView(QPointF(50, 10), nullptr), 0, 0,
                                            0, 0, 2, 1);
    top->mouseDown(click);
    EXPECT_TRUE(top->collapsed());
    click.clickCount = 1;
    top->mouseDown(click);
    EXPECT_TRUE(top->collapsed());
    click.clickCount = 2;
    click.locationInWindow = top->convertPointToView(QPointF(50, 60), nullptr);
    top->mouseDown(click);
    EXPECT_TRUE(top->collapsed());
}

TEST(RVCollapsibleContainerView, ZigZagHasAnEvenNumberOfTeeth)
{
    struct Case {
        double height;
        int teeth;
    };
    for (const Case c : {Case{35, 4}, Case{40, 4}, Case{50, 6}, Case{9, 0}}) {
        const auto path = Container::zigZagEdgeInRect(QRectF(0, 0, 6, c.height));
        // Move, the teeth, two closing lines and the close.
        EXPECT_EQ(path->elementCount(), 1 + c.teeth + 2 + 1) << c.height;
    }
}

TEST(RVCollapsibleContainerView, TopCornerRadiusIsLimitedByTheBounds)
{
    std::unique_ptr<Container> top(container(12, 100));
    top->setCornerRadius(10);
    EXPECT_DOUBLE_EQ(top->bodyCornerRadius(), 6);
    top->setCornerRadius(-3);
    EXPECT_DOUBLE_EQ(top->bodyCornerRadius(), 0);
}

TEST(RVCollapsibleContainerView, ConfigurationRoundTripRebuildsNestedContainers)
{
    std::unique_ptr<Container> original(container(100));
    Container* fill = container(60);
    fill->setTitle(QStringLiteral("Fill"));
    Container* stroke = container(60);
    stroke->setTitle(QStringLiteral("Stroke"));
    Container* inner = container(30);
    original->addViewToContent(fill);
    original->addViewToContent(plainView(15));
    original->addViewToContent(stroke);
    stroke->addViewToContent(inner);
    stroke->setCollapsed(true);
    ASSERT_TRUE(animationsEnd(stroke));
    const QByteArray data = original->configurationData();
    const QVariantMap map = pf::PropertyList::value(data).toMap();
    EXPECT_EQ(map.value(QStringLiteral("cv_ident")).toString(), original->cvident());
    EXPECT_FALSE(map.contains(QStringLiteral("cv_title")));
    EXPECT_EQ(map.value(QStringLiteral("cv_subviews")).toList().size(), 2);

    std::unique_ptr<Container> restored(container(100));
    restored->addViewToContent(plainView(10));
    restored->restoreFromConfigurationData(data);
    EXPECT_EQ(restored->cvident(), original->cvident());
    ASSERT_EQ(restored->hostedViews().size(), 2);
    auto* restoredStroke = restored->subcontainerWithCVIdentifier(stroke->cvident());
    ASSERT_NE(restoredStroke, nullptr);
    EXPECT_EQ(restoredStroke->title(), QStringLiteral("Stroke"));
    EXPECT_TRUE(restoredStroke->collapsed());
    EXPECT_NE(restored->subcontainerWithCVIdentifier(inner->cvident()), nullptr);
    EXPECT_EQ(restored->subcontainerWithCVIdentifier(fill->cvident())->title(), QStringLiteral("Fill"));
    EXPECT_EQ(restored->subcontainerWithCVIdentifier(QStringLiteral("nope")), nullptr);
}

TEST(RVCollapsibleContainerView, DamagedOrIdentlessConfigurationsLoseNothing)
{
    std::unique_ptr<Container> top(container(100));
    pf::View* kept = plainView(10);
    top->addViewToContent(kept);
    const QString identifier = top->cvident();
    top->restoreFromConfigurationData(QByteArrayLiteral("not a property list"));
    EXPECT_EQ(top->hostedViews(), QList<pf::View*>{kept});
    EXPECT_EQ(top->cvident(), identifier);

    const QByteArray identless = pf::PropertyList::data(
        QVariantMap{{QStringLiteral("cv_title"), QStringLiteral("Old")}, {QStringLiteral("cv_collapsed"), false}},
        pf::PropertyListFormat::XML);
    top->restoreFromConfigurationData(identless);
    EXPECT_EQ(top->cvident(), identifier);
    EXPECT_EQ(top->title(), QStringLiteral("Old"));
    top->setCvident(QString());
    top->restoreFromConfigurationData(identless);
    EXPECT_FALSE(top->cvident().isEmpty());
    EXPECT_FALSE(pf::PropertyList::value(top->configurationData()).toMap().value(QStringLiteral("cv_ident")).toString().isEmpty());
}

TEST(RVCollapsibleContainerView, IdentifiersAreFreshUuids)
{
    const QString a = Container::uniqueCVIdentifier();
    EXPECT_EQ(a.size(), 36);
    EXPECT_NE(a, Container::uniqueCVIdentifier());
}

} // namespace
