#include "widgets/RVMultiSectionView.h"
#include "widgets/RVNonDeactivatingWindow.h"
#include "widgets/RVSectionView.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Window.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class MultiSection : public ::testing::Test {
protected:
    void SetUp() override
    {
        stack = new RVMultiSectionView(QRectF(0, 0, 220, 200));
        stack->setAutoresizingMask(pf::ViewWidthSizable | pf::ViewHeightSizable);
        window.setContentView(stack);
        window.setFrame(window.frameRectForContentRect(QRectF(100, 100, 220, 200)));
        stack->setFrame(QRectF(0, 0, 220, 200));
    }
    RVSectionView* section(double height)
    {
        return new RVSectionView(QRectF(0, 0, 220, height));
    }
    QRectF content() const { return window.contentRectForFrameRect(window.frame()); }
    bool contentHeightIs(double height)
    {
        return quillory::test::waitUntil([&] { return qAbs(content().height() - height) < 0.5; }, 2000);
    }
    pf::Window window;
    RVMultiSectionView* stack = nullptr;
};

TEST_F(MultiSection, StacksSectionsFromTheTopOverlappingByOnePointAndFitsTheWindow)
{
    const QRectF before = content();
    const double top = before.y() + before.height();
    stack->addSection(section(116));
    stack->addSection(section(16));
    stack->addSection(section(66));
    ASSERT_TRUE(contentHeightIs(195));
    EXPECT_DOUBLE_EQ(content().y() + content().height(), top);
    // The content shrank by 5 from the bottom; the sections hang from the top.
    QList<double> origins;
    for (RVSectionView* s : stack->sections())
        origins.append(s->frame().y() - (stack->bounds().height() - 200));
    EXPECT_EQ(origins, (QList<double>{85, 70, 5}));
}

TEST_F(MultiSection, OpeningAClosedSectionGrowsItAndTheWindowDownwards)
{
    RVSectionView* closed = section(16);
    EXPECT_FALSE(closed->isOpen());
    stack->addSection(section(116));
    stack->addSection(closed);
    ASSERT_TRUE(contentHeightIs(115 + 15));
    const double top = content().y() + content().height();
    closed->open();
    EXPECT_TRUE(closed->isOpen());
    EXPECT_DOUBLE_EQ(closed->frame().height(), 116);
    ASSERT_TRUE(contentHeightIs(230));
    EXPECT_DOUBLE_EQ(content().y() + content().height(), top);
    closed->close();
    EXPECT_DOUBLE_EQ(closed->frame().height(), 16);
    EXPECT_TRUE(contentHeightIs(130));
}

TEST_F(MultiSection, ClosingHidesTheContentAndTogglingFollowsTheSender)
{
    RVSectionView* s = section(116);
    auto* inner = new pf::View(QRectF(0, 0, 220, 100), s);
    s->setContentView(inner);
    stack->addSection(s);
    s->toggleOpenCloseAction(0);
    EXPECT_FALSE(s->isOpen());
    EXPECT_TRUE(inner->isHidden());
    s->toggleOpenCloseAction(1);
    EXPECT_TRUE(s->isOpen());
    EXPECT_FALSE(inner->isHidden());
    EXPECT_DOUBLE_EQ(s->frame().height(), 116);
}

TEST_F(MultiSection, RemovingAndInsertingRestack)
{
    RVSectionView* a = section(50);
    RVSectionView* b = section(30);
    stack->addSection(a);
    stack->insertSection(b, 0);
    EXPECT_EQ(stack->sectionAtIndex(0), b);
    EXPECT_EQ(a->hostView(), stack);
    ASSERT_TRUE(contentHeightIs(78));
    stack->removeSection(b);
    EXPECT_EQ(b->hostView(), nullptr);
    EXPECT_EQ(stack->sections(), QList<RVSectionView*>{a});
    EXPECT_TRUE(contentHeightIs(49));
}

TEST_F(MultiSection, NilSectionsFailWithTheirMessages)
{
    struct Case {
        std::function<void()> call;
        QString message;
        int line;
    };
    const QList<Case> cases{
        {[&] { stack->addSection(nullptr); }, QStringLiteral("cannot adda nil section"), 38},
        {[&] { stack->insertSection(nullptr, 0); }, QStringLiteral("cannot add a nil section"), 60},
        {[&] { stack->removeSection(nullptr); }, QStringLiteral("cannot remove a nil section"), 49},
        {[&] { stack->sectionDidOpen(nullptr); }, QStringLiteral("received sectionDidOpen with nil"), 84},
        {[&] { stack->sectionDidClose(nullptr); }, QStringLiteral("received sectionDidClose with nil"), 92},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.message.toStdString();
        } catch (const pf::Exception& e) {
            EXPECT_TRUE(e.reason().contains(c.message)) << e.reason().toStdString();
            EXPECT_EQ(e.userInfo().value(pf::kPFExceptionLineKey).toInt(), c.line);
        }
    }
}

TEST(RVSectionView, StartsDisabledAndUntitledAndEnablesAll)
{
    RVMultiSectionView stack(QRectF(0, 0, 100, 100));
    auto* s = new RVSectionView(QRectF(0, 0, 100, 40));
    EXPECT_EQ(s->title(), QStringLiteral("untitled"));
    EXPECT_FALSE(s->enabled());
    EXPECT_DOUBLE_EQ(s->maxHeight(), 100);
    EXPECT_EQ(s->titleBarRect(), QRectF(0, 24, 100, 16));
    stack.addSection(s);
    stack.setEnabled(true);
    EXPECT_TRUE(s->enabled());
    s->awakeFromNib();
    EXPECT_DOUBLE_EQ(s->maxHeight(), 24);
}

TEST(RVNonDeactivatingWindow, InactiveColoursAreTheActiveOnes)
{
    RVNonDeactivatingWindow window;
    QPalette colours = window.palette();
    colours.setColor(QPalette::Active, QPalette::Button, Qt::red);
    colours.setColor(QPalette::Inactive, QPalette::Button, Qt::blue);
    window.setPalette(colours);
    EXPECT_EQ(window.palette().color(QPalette::Inactive, QPalette::Button), QColor(Qt::red));
    EXPECT_TRUE(window.hasActiveControls());
}

} // namespace
