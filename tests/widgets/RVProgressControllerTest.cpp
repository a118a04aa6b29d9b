#include "widgets/RVProgressController.h"
#include "widgets/RVProgressDelegate.h"
#include "widgets/RVProgressViewController.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Panel.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

namespace {

using namespace quillory::test;
using pf::Ref;

class Work : public pf::Object, public RVProgressDelegate {
    PF_CLASS(Work)
public:
    double progressFractionForProgress(RVProgressViewController&, bool shouldCancel) override
    {
        ++polls;
        sawCancel = sawCancel || shouldCancel;
        return fraction;
    }
    double fraction = 0.0;
    int polls = 0;
    bool sawCancel = false;
};

class NotWork : public pf::Object {
    PF_CLASS(NotWork)
};

} // namespace

PF_DEFINE_CLASS(Work, pf::Object) {}
PF_DEFINE_CLASS(NotWork, pf::Object) {}

namespace {

TEST(ProgressTimePhrases, AsATable)
{
    const struct {
        double seconds;
        const char* phrase;
    } cases[] = {
        {-1.0, "calculating..."},
        {std::nan(""), "calculating..."},
        {std::numeric_limits<double>::infinity(), "calculating..."},
        {0.4, "about a second"},
        {2.0, "about 2 seconds"},
        {11.6, "about 12 seconds"},
        {12.0, "about 12 seconds"},
        {12.5, "about 20 seconds"},
        {25.0, "about 30 seconds"},
        {35.0, "less than a minute"},
        {55.0, "about a minute"},
        {89.0, "about a minute"},
        {90.0, "about 2 minutes"},
        {49 * 60.0, "about 49 minutes"},
        {50 * 60.0, "about an hour"},
        {60 * 60.0, "about an hour"},
        {70 * 60.0, "about 1 hours, 10 minutes"},
        {75 * 60.0, "about 1 hours, 15 minutes"},
        {100 * 60.0, "about 1 hours, 40 minutes"},
        {119.7 * 60.0, "about 2 hours, 0 minutes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RVProgressViewController::stringWithEstimatedTimeRemaining(c.seconds), QString::fromLatin1(c.phrase))
            << c.seconds;
}

class ProgressControllerTest : public ::testing::Test {
protected:
    Ref<RVProgressController> controller = std::make_shared<RVProgressController>();
};

TEST_F(ProgressControllerTest, DelegatesMustBeProgressDelegates)
{
    EXPECT_THROW(controller->progressViewForDelegate(std::make_shared<NotWork>()), pf::Exception);
}

TEST_F(ProgressControllerTest, OneViewPerDelegateEndedWhenTheWorkIsDone)
{
    auto work = std::make_shared<Work>();
    Ref<RVProgressViewController> view = controller->progressViewForDelegate(work);
    EXPECT_EQ(controller->progressViewForDelegate(work), view) << "the same delegate, the same view";
    auto other = std::make_shared<Work>();
    EXPECT_NE(controller->progressViewForDelegate(other), view);
    EXPECT_TRUE(controller->isPolling());
    ASSERT_TRUE(waitUntil([&] { return work->polls > 0; }, 2000));
    work->fraction = 1.0;
    ASSERT_TRUE(waitUntil([&] { return controller->progressViews().size() == 1; }, 2000)) << "1.0 ends the view";
    other->fraction = 1.0;
    ASSERT_TRUE(waitUntil([&] { return controller->progressViews().isEmpty(); }, 2000));
    EXPECT_FALSE(controller->isPolling()) << "the last view gone, the timer stops";
    EXPECT_FALSE(controller->isWindowVisible());
}

TEST_F(ProgressControllerTest, AFreedDelegateNeverFindsItsSuccessorsView)
{
    auto first = std::make_shared<Work>();
    const QString identifier = controller->progressViewForDelegate(first)->identifier();
    first.reset();
    auto second = std::make_shared<Work>();
    EXPECT_NE(controller->progressViewForDelegate(second)->identifier(), identifier);
}

TEST_F(ProgressControllerTest, DeferredDisplayHidesShortWork)
{
    auto work = std::make_shared<Work>();
    work->fraction = 0.5;
    controller->progressViewForDelegate(work);
    ASSERT_TRUE(waitUntil([&] { return work->polls >= 2; }, 2000));
    EXPECT_FALSE(controller->isWindowVisible()) << "within 0.5 s nothing shows";
    ASSERT_TRUE(waitUntil([&] { return controller->isWindowVisible(); }, 3000)) << "longer work shows the window";
    EXPECT_TRUE(controller->window()->isVisible());
    work->fraction = 1.0;
    ASSERT_TRUE(waitUntil([&] { return !controller->isWindowVisible(); }, 2000));
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(ProgressControllerTest, CancellingReachesTheWorkOnlyWhenCancellable)
{
    auto work = std::make_shared<Work>();
    work->fraction = 0.2;
    Ref<RVProgressViewController> view = controller->progressViewForDelegate(work);
    view->setCancellable(false);
    controller->cancelOperation();
    ASSERT_TRUE(waitUntil([&] { return work->polls >= 3; }, 2000));
    EXPECT_FALSE(work->sawCancel);
    EXPECT_FALSE(view->setProgressFraction(0.3));
    view->setCancellable(true);
    controller->cancelOperation();
    ASSERT_TRUE(waitUntil([&] { return work->sawCancel; }, 2000));
    ASSERT_TRUE(waitUntil([&] { return controller->progressViews().isEmpty(); }, 2000)) << "a cancelled view ends";
}

TEST_F(ProgressControllerTest, ViewsStackAndFollowChangesFromOtherThreads)
{
    controller->setDefersDisplay(false);
    Ref<RVProgressViewController> first = controller->progressViewWithIdentifier(QStringLiteral("a"));
    Ref<RVProgressViewController> second;
    std::thread worker([&] {
        second = controller->progressViewWithIdentifier(QStringLiteral("b"));
        second->setPromptString(QStringLiteral("From a worker"));
        second->setProgressFraction(0.5);
        second->setTimeRemainingHidden(true);
    });
    while (!second || second->promptString().isEmpty())
        QCoreApplication::processEvents();
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return second->progressBar()->value() == 500; }, 2000));
    ASSERT_TRUE(waitUntil([&] { return second->view()->height() == RVProgressViewController::kHeightWithoutTime; }, 2000));
    controller->layoutProgressViews();
    EXPECT_EQ(first->view()->geometry().bottom() + 1, controller->hostView()->height()) << "the first view at the bottom";
    EXPECT_EQ(second->view()->geometry().top(), 0);
    EXPECT_EQ(controller->window()->height(), RVProgressViewController::kHeightWithTime + RVProgressViewController::kHeightWithoutTime);
    EXPECT_TRUE(controller->isWindowVisible());

    second->setIndeterminate(true);
    EXPECT_DOUBLE_EQ(second->estimatedTimeRemaining(), -1.0);
    first->endProgress();
    first->endProgress();
    second->endProgress();
    ASSERT_TRUE(waitUntil([&] { return controller->progressViews().isEmpty(); }, 2000));
    EXPECT_FALSE(controller->isWindowVisible());
}

TEST_F(ProgressControllerTest, AViewWithoutControllerAsserts)
{
    RVProgressViewController view;
    EXPECT_THROW(view.setProgressFraction(0.5), pf::Exception);
    EXPECT_THROW(view.beginProgress(), pf::Exception) << "no identifier";
}

} // namespace

TEST_F(ProgressControllerTest, TheEstimateIsTheTimeLeftAtTheRateSoFar)
{
    // Half done after at least half a second: as long again remains (not the whole time over
    // the fraction, which would say twice that).
    const double before = RVProgressController::now();
    Ref<RVProgressViewController> view = controller->progressViewWithIdentifier(QStringLiteral("rate"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    view->setProgressFraction(0.5);
    const double estimate = view->estimatedTimeRemaining();
    const double elapsedAtMost = RVProgressController::now() - before;
    EXPECT_GE(estimate, 0.5);
    EXPECT_LE(estimate, elapsedAtMost);
    view->setProgressFraction(0.02);
    EXPECT_DOUBLE_EQ(view->estimatedTimeRemaining(), -1.0) << "too little done to tell";
    view->endProgress();
}
