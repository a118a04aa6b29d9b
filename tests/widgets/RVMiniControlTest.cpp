#include "widgets/RVMiniControlCluster.h"
#include "widgets/RVMiniControlDelegate.h"
#include "widgets/RVMiniRadialControl2.h"
#include "widgets/RVMiniRadialControls.h"
#include "widgets/RVMiniSlider.h"

#include "frameworks/penwork/support/RVInfoFloater.h"
#include "platform/graphics/BezierPath.h"
#include "platform/ui/Event.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QtMath>

#include <gtest/gtest.h>

namespace {

using pf::Ref;

// Records what the controls tell their delegate.
class Recorder : public RVMiniControlDelegate {
public:
    void miniControlWillChangeValue(RVMiniControl* control, const QVariant& value) override
    {
        events << QStringLiteral("will %1").arg(value.toDouble());
        Q_UNUSED(control)
    }
    void miniControlDidChangeValue(RVMiniControl* control, const QVariant& value) override
    {
        events << QStringLiteral("did %1").arg(value.toDouble());
        lastControl = control;
    }
    void radialControlDidChangeCentre(RVMiniControl* control, QPointF centre) override
    {
        ++centreChanges;
        if (bounceCentre)
            static_cast<RVMiniRadialControl2*>(control)->setCentre(centre + QPointF(100, 100));
    }
    void radialControlDidChangeRadius(RVMiniControl*, float radius) override { radii << radius; }

    QStringList events;
    RVMiniControl* lastControl = nullptr;
    int centreChanges = 0;
    bool bounceCentre = false;
    QList<float> radii;
};

// A control that logs the mouse messages it is sent.
class Probe : public RVMiniControl {
public:
    using RVMiniControl::RVMiniControl;
    bool mouseDownAt(QPointF p, qint64 part, unsigned f) override
    {
        log << QStringLiteral("down %1").arg(part);
        return RVMiniControl::mouseDownAt(p, part, f);
    }
    bool mouseDraggedAt(QPointF p, qint64 part, unsigned f) override
    {
        log << QStringLiteral("drag %1").arg(part);
        return true;
    }
    void mouseUpAt(QPointF p, qint64 part, unsigned f) override
    {
        log << QStringLiteral("up %1").arg(part);
        RVMiniControl::mouseUpAt(p, part, f);
    }
    QStringList log;
};

TEST(RVMiniControl, ValueIsClampedAndOnlyRealChangesNotify)
{
    Recorder recorder;
    auto control = std::make_shared<RVMiniControl>(QRectF(0, 0, 10, 10));
    control->setDelegate(&recorder);
    control->setValue(2.0); // above the maximum of 1
    EXPECT_DOUBLE_EQ(control->value(), 1.0);
    control->setValue(5.0); // clamps to the value it has
    control->setValue(std::nan(""));
    EXPECT_EQ(recorder.events, (QStringList{"will 0", "did 1"}));

    recorder.events.clear();
    control->setMaxValue(0.5);
    EXPECT_DOUBLE_EQ(control->value(), 0.5);
    control->setMaxValue(3.0); // raising it leaves the value
    control->setMinValue(-1.0);
    EXPECT_EQ(recorder.events, (QStringList{"will 1", "did 0.5"}));
    control->setMinValue(0.75);
    EXPECT_DOUBLE_EQ(control->value(), 0.75);
}

TEST(RVMiniControl, ThemeColoursFadeWithTheCluster)
{
    EXPECT_NEAR(RVMiniControl::miniControlThemeColor(0, 1.0).alphaComponent(), 0.33, 0.01);
    EXPECT_NEAR(RVMiniControl::miniControlThemeColor(5, 0.5).alphaComponent(), 0.335, 0.01);
    EXPECT_FALSE(RVMiniControl::miniControlThemeColor(6, 1.0).isValid());
    auto cluster = std::make_shared<RVMiniControlCluster>();
    auto control = RVMiniControl::create<RVMiniControl>(QRectF(0, 0, 10, 10), cluster.get());
    cluster->setAlpha(0.5);
    EXPECT_NEAR(control->themeColour(1).alphaComponent(), 0.5, 0.01);
}

class Cluster : public ::testing::Test {
protected:
    void SetUp() override
    {
        cluster = std::make_shared<RVMiniControlCluster>();
        lower = RVMiniControl::create<Probe>(QRectF(0, 0, 50, 50), cluster.get());
        upper = RVMiniControl::create<Probe>(QRectF(25, 25, 50, 50), cluster.get());
    }
    Ref<RVMiniControlCluster> cluster;
    Ref<Probe> lower;
    Ref<Probe> upper;
};

TEST_F(Cluster, MembersShareTheDelegateAndBounds)
{
    Recorder recorder;
    cluster->setDelegate(&recorder);
    lower->setValue(0.5);
    EXPECT_EQ(recorder.lastControl, lower.get());
    EXPECT_EQ(cluster->bounds(), QRectF(0, 0, 75, 75));
}

TEST_F(Cluster, ThePointGoesToTheMemberAddedLast)
{
    EXPECT_TRUE(cluster->mouseDownAt(QPointF(30, 30), -1, 0));
    EXPECT_EQ(cluster->hitTarget(), upper.get());
    cluster->mouseDraggedAt(QPointF(31, 31), -1, 0);
    cluster->mouseUpAt(QPointF(31, 31), -1, 0);
    EXPECT_EQ(upper->log, (QStringList{"down -1", "drag -1", "up -1"}));
    EXPECT_TRUE(lower->log.isEmpty());
    EXPECT_EQ(cluster->hitTarget(), nullptr);
    EXPECT_FALSE(cluster->mouseDownAt(QPointF(90, 90), -1, 0));
}

TEST_F(Cluster, ALinkedPartBroadcastsPressesButDragsOnlyWithTheModifier)
{
    cluster->setLinkControlPart(-1, pf::ShiftKeyMask);
    cluster->mouseDownAt(QPointF(10, 10), -1, 0);
    cluster->mouseDraggedAt(QPointF(11, 11), -1, 0);
    cluster->mouseDraggedAt(QPointF(12, 12), -1, pf::ShiftKeyMask);
    cluster->mouseUpAt(QPointF(12, 12), -1, 0);
    EXPECT_EQ(lower->log, (QStringList{"down -1", "drag -1", "drag -1", "up -1"}));
    EXPECT_EQ(upper->log, (QStringList{"down -1", "drag -1", "up -1"}));
}

TEST_F(Cluster, LinkPartZeroNeverBroadcasts)
{
    cluster->setLinkControlPart(0, pf::ShiftKeyMask);
    EXPECT_FALSE(cluster->mouseDownAt(QPointF(200, 200), -1, 0));
    cluster->mouseDownAt(QPointF(10, 10), -1, pf::ShiftKeyMask);
    EXPECT_TRUE(upper->log.isEmpty());
}

TEST_F(Cluster, ARemovedControlLeavesNoNameOrPressBehind)
{
    upper->setIdentifier(QStringLiteral("upper"));
    EXPECT_EQ(cluster->controlForKey(QStringLiteral("upper")), upper.get());
    cluster->mouseDownAt(QPointF(60, 60), -1, 0);
    cluster->removeMiniControl(upper.get());
    EXPECT_EQ(cluster->controlForKey(QStringLiteral("upper")), nullptr);
    EXPECT_EQ(cluster->hitTarget(), nullptr);
    EXPECT_EQ(upper->cluster(), nullptr);
    cluster->mouseDraggedAt(QPointF(61, 61), -1, 0);
    EXPECT_EQ(upper->log, (QStringList{"down -1"}));
}

TEST_F(Cluster, NamesAreFoundInNestedClustersAndNoClusterHoldsItself)
{
    auto inner = RVMiniControl::create<RVMiniControlCluster>(QRectF(), cluster.get());
    auto deep = RVMiniControl::create<Probe>(QRectF(100, 100, 5, 5), inner.get());
    deep->setIdentifier(QStringLiteral("deep"));
    EXPECT_EQ(cluster->controlForKey(QStringLiteral("deep")), deep.get());

    cluster->addMiniControl(cluster);
    inner->addMiniControl(cluster);
    EXPECT_EQ(cluster->controls().size(), 3);
    EXPECT_EQ(inner->controls().size(), 1);
    EXPECT_EQ(cluster->cluster(), nullptr);

    // The inner cluster shows the outer one's state and passes presses on.
    cluster->setAlpha(0.25);
    EXPECT_DOUBLE_EQ(inner->alpha(), 0.25);
    EXPECT_TRUE(cluster->mouseDownAt(QPointF(101, 101), -1, 0));
    EXPECT_EQ(deep->log, (QStringList{"down -1"}));
}

TEST_F(Cluster, FadingOutRunsOnceAndEndsInvisible)
{
    const double start = RVMiniControlCluster::currentTime();
    cluster->setVisible(false);
    ASSERT_TRUE(cluster->isFading());
    cluster->fadeControlAlphaWithTimeInterval(10.0); // ignored while one runs
    cluster->fadeTick(start + 0.075 + (RVMiniControlCluster::currentTime() - start));
    EXPECT_NEAR(cluster->alpha(), 0.5, 0.1);
    EXPECT_TRUE(cluster->visible());
    cluster->fadeTick(RVMiniControlCluster::currentTime() + 1.0);
    EXPECT_FALSE(cluster->visible());
    EXPECT_FALSE(cluster->isFading());
    EXPECT_FALSE(cluster->mouseDownAt(QPointF(10, 10), -1, 0));
    cluster->setVisible(true);
    EXPECT_TRUE(cluster->visible());
    EXPECT_DOUBLE_EQ(cluster->alpha(), 1.0);
}

TEST_F(Cluster, ForcingVisibleStopsARunningFade)
{
    cluster->setVisible(false);
    cluster->forceVisible(true);
    EXPECT_FALSE(cluster->isFading());
    EXPECT_DOUBLE_EQ(cluster->alpha(), 1.0);
    EXPECT_TRUE(cluster->visible());
}

TEST_F(Cluster, AFadeOfNoDurationEndsAtOnce)
{
    cluster->fadeControlAlphaWithTimeInterval(0.0);
    cluster->fadeTick(RVMiniControlCluster::currentTime());
    EXPECT_FALSE(cluster->visible());
    EXPECT_DOUBLE_EQ(cluster->alpha(), 0.0);
}

TEST_F(Cluster, APressStillEndsWhenTheClusterFadedMeanwhile)
{
    upper->setInfoWindowMode(RVMiniControl::kInfoWindowNearPoint);
    cluster->mouseDownAt(QPointF(60, 60), -1, 0);
    ASSERT_TRUE(upper->infoWindow());
    EXPECT_TRUE(upper->infoWindow()->isVisible());
    cluster->fadeControlAlphaWithTimeInterval(0.0);
    cluster->fadeTick(RVMiniControlCluster::currentTime());
    EXPECT_FALSE(cluster->mouseDraggedAt(QPointF(61, 61), -1, 0));
    cluster->mouseUpAt(QPointF(61, 61), -1, 0);
    EXPECT_EQ(upper->log.last(), QStringLiteral("up -1"));
    EXPECT_FALSE(upper->infoWindow()->isVisible());
}

TEST_F(Cluster, TheFadeTimerRunsOnTheRunLoop)
{
    cluster->setVisible(false);
    QElapsedTimer waited;
    waited.start();
    while (cluster->isFading() && waited.elapsed() < 5000) {
        QThread::msleep(5);
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(cluster->visible());
    EXPECT_LE(cluster->alpha(), 0.0);
}

// --- Sliders

TEST(RVMiniSlider, KnobFollowsTheValueAlongTheTrack)
{
    auto slider = std::make_shared<RVMiniSlider>(QRectF(0, 0, 120, 20));
    const double w = slider->knobRect().width();
    struct Case {
        double value;
        double knobCentreX;
    };
    for (const Case& c : {Case{0.0, 10.0}, Case{0.5, 60.0}, Case{1.0, 110.0}}) {
        slider->setValue(c.value);
        EXPECT_DOUBLE_EQ(slider->knobRect().x() + w / 2, c.knobCentreX) << c.value;
        EXPECT_DOUBLE_EQ(slider->knobRect().center().y(), 10.0);
    }
    slider->setValue(0.5);
    EXPECT_EQ(slider->hitTestPoint(QPointF(60, 10)), RVMiniSlider::kPartKnob);
    EXPECT_EQ(slider->hitTestPoint(QPointF(100, 10)), RVMiniControl::kPartWhole);
    EXPECT_EQ(slider->hitTestPoint(QPointF(130, 10)), RVMiniControl::kPartNone);
    EXPECT_FALSE(slider->mouseDownAt(QPointF(100, 10), RVMiniControl::kPartWhole, 0));
}

TEST(RVMiniSlider, DraggingMapsThePointerAndClampsAtTheEnds)
{
    auto slider = std::make_shared<RVMiniSlider>(QRectF(100, 0, 120, 20));
    struct Case {
        double x;
        double value;
    };
    for (const Case& c : {Case{160, 0.5}, Case{135, 0.25}, Case{50, 0.0}, Case{400, 1.0}}) {
        slider->mouseDraggedAt(QPointF(c.x, 10), RVMiniControl::kPartWhole, 0);
        EXPECT_NEAR(slider->value(), c.value, 1e-6) << c.x;
    }
}

TEST(RVMiniSlider, ASliderWithNoTrackLengthIgnoresDrags)
{
    Recorder recorder;
    for (double width : {20.0, 12.0, 0.0}) {
        auto slider = std::make_shared<RVMiniSlider>(QRectF(0, 0, width, 20));
        slider->setDelegate(&recorder);
        slider->setValue(0.25);
        recorder.events.clear();
        slider->mouseDraggedAt(QPointF(5, 10), RVMiniSlider::kPartKnob, 0);
        EXPECT_DOUBLE_EQ(slider->value(), 0.25) << width;
        EXPECT_TRUE(recorder.events.isEmpty());
        EXPECT_FALSE(std::isnan(slider->knobRect().x()));
    }
}

TEST(RVMiniCircularSlider, ShiftSnapsToFifteenDegreeSteps)
{
    struct Case {
        double degrees;
        double snapped;
    };
    for (const Case& c : {Case{22, 15}, Case{23, 30}, Case{-14, 0}, Case{7, 0}, Case{8, 15}, Case{90, 90}}) {
        const float angle = RVMiniCircularSlider::snappedAngle(float(qDegreesToRadians(c.degrees)));
        EXPECT_NEAR(qRadiansToDegrees(double(angle)), c.snapped, 1e-3) << c.degrees;
    }
    EXPECT_NEAR(RVMiniCircularSlider::degreesForValue(M_PI / 2), 90.0, 1e-4);
    EXPECT_NEAR(RVMiniCircularSlider::degreesForValue(-M_PI / 2), -90.0, 1e-4);
}

TEST(RVMiniCircularSlider, DraggingAnywhereSetsTheAngleAndShiftShowsTicks)
{
    auto dial = std::make_shared<RVMiniCircularSlider>(QRectF(0, 0, 100, 100));
    EXPECT_DOUBLE_EQ(dial->minValue(), -M_PI);
    EXPECT_EQ(dial->circleBounds(), QRectF(8, 8, 84, 84));
    const QPointF knob = dial->knobRect().center();
    EXPECT_NEAR(knob.x(), 92, 1e-9);
    EXPECT_EQ(dial->hitTestPoint(knob), RVMiniSlider::kPartKnob);

    EXPECT_TRUE(dial->mouseDownAt(knob, RVMiniSlider::kPartKnob, pf::ShiftKeyMask));
    EXPECT_TRUE(dial->isHighlighted());
    EXPECT_TRUE(dial->showTickMarks());
    // 22 degrees from the centre (50, 50), with Shift: 15.
    const double a = qDegreesToRadians(22.0);
    dial->mouseDraggedAt(QPointF(50 + 30 * std::cos(a), 50 + 30 * std::sin(a)), RVMiniControl::kPartWhole,
                         pf::ShiftKeyMask);
    EXPECT_NEAR(qRadiansToDegrees(dial->value()), 15.0, 1e-3);
    EXPECT_NEAR(dial->infoWindow()->floatValue(), 15.0f, 1e-3);
    dial->flagsChanged(0);
    EXPECT_FALSE(dial->showTickMarks());
    dial->mouseDraggedAt(QPointF(50, 10), RVMiniControl::kPartWhole, 0);
    EXPECT_NEAR(qRadiansToDegrees(dial->value()), -90.0, 1e-3);
    dial->mouseUpAt(QPointF(50, 10), RVMiniControl::kPartWhole, 0);
    EXPECT_FALSE(dial->isHighlighted());
}

// --- Radial controls

TEST(RVMiniRadialControl2, TabAngleAndRadiusAreOneValue)
{
    Recorder recorder;
    auto iris = std::make_shared<RVMiniRadialControl2>(QRectF(0, 0, 300, 300));
    iris->setDelegate(&recorder);
    EXPECT_DOUBLE_EQ(iris->maxValue(), 60.0);
    EXPECT_FLOAT_EQ(iris->tabAngle(), float(-M_PI / 4));

    iris->setTabAngle(0.0f);
    EXPECT_NEAR(iris->radius(), 60 * M_PI * M_PI / 4, 1e-3);
    iris->setTabAngle(-2.0f); // below the end mark
    EXPECT_FLOAT_EQ(iris->tabAngle(), float(-M_PI / 4));
    EXPECT_FLOAT_EQ(iris->radius(), 0.0f);

    // A radius beyond the tab's travel: the tab stops at its mark, the radius stays as set
    // and the delegate hears of it once.
    recorder.radii.clear();
    iris->setRadius(1000.0f);
    EXPECT_FLOAT_EQ(iris->tabAngle(), float(M_PI / 4));
    EXPECT_FLOAT_EQ(iris->radius(), 1000.0f);
    EXPECT_EQ(recorder.radii, (QList<float>{1000.0f}));
    iris->setRadius(1000.0f);
    EXPECT_EQ(recorder.radii.size(), 1);
}

TEST(RVMiniRadialControl2, ADelegateCannotBounceTheCentreBack)
{
    Recorder recorder;
    recorder.bounceCentre = true;
    auto iris = std::make_shared<RVMiniRadialControl2>(QRectF(0, 0, 300, 300));
    iris->setDelegate(&recorder);
    iris->setCentre(QPointF(10, 20));
    iris->setCentre(QPointF(10, 20));
    EXPECT_EQ(iris->centre(), QPointF(10, 20));
    EXPECT_EQ(recorder.centreChanges, 1);
}

TEST(RVMiniRadialControl2, RingRadiusFollowsBoundsAndScale)
{
    auto iris = std::make_shared<RVMiniRadialControl2>(QRectF(0, 0, 300, 300));
    iris->setBounds(QRectF(0, 0, 120, 90));
    EXPECT_FLOAT_EQ(iris->ringRadius(), 15.0f);
    iris->setRingRadiusScale(0.8f);
    EXPECT_FLOAT_EQ(iris->ringRadius(), 12.0f);

    iris->setBounds(QRectF(0, 0, 600, 600));
    iris->setCentre(QPointF(300, 300));
    const double before = iris->irisPath()->bounds().width();
    iris->setRingRadiusScale(0.5f);
    EXPECT_LT(iris->irisPath()->bounds().width(), before * 0.75);
}

TEST(RVMiniRadialControl2, TheRingMovesAndTheTabSetsTheRadius)
{
    auto iris = std::make_shared<RVMiniRadialControl2>(QRectF(0, 0, 600, 600));
    iris->setBounds(QRectF(0, 0, 600, 600)); // ring radius 100
    iris->setCentre(QPointF(300, 300));
    const QPointF onRing(300 - 100, 300); // the left of the ring, away from the tab
    ASSERT_EQ(iris->hitTestPoint(onRing), RVMiniRadialControl2::kPartIris);
    EXPECT_TRUE(iris->mouseDownAt(onRing, RVMiniRadialControl2::kPartIris, 0));
    iris->mouseDraggedAt(onRing + QPointF(5, 7), RVMiniRadialControl2::kPartIris, 0);
    EXPECT_EQ(iris->centre(), QPointF(305, 307));
    iris->mouseUpAt(onRing, RVMiniRadialControl2::kPartIris, 0);

    const QPointF tab = iris->hitTabPath()->bounds().center();
    ASSERT_EQ(iris->hitTestPoint(tab), RVMiniRadialControl2::kPartTab);
    iris->mouseDownAt(tab, RVMiniRadialControl2::kPartTab, 0);
    iris->mouseDraggedAt(iris->centre() + QPointF(100, 0), RVMiniRadialControl2::kPartTab, 0);
    EXPECT_NEAR(iris->tabAngle(), 0.0, 1e-6);
    EXPECT_NEAR(iris->radius(), 60 * M_PI * M_PI / 4, 1e-3);
    // Outside the bounds nothing is hit, even on the tab's path.
    iris->setBounds(QRectF(0, 0, 10, 10));
    EXPECT_EQ(iris->hitTestPoint(tab), RVMiniControl::kPartNone);
}

TEST(RVMiniRadialControls, BothHandlesCanBeDragged)
{
    auto handles = std::make_shared<RVMiniRadialControls>(QRectF(0, 0, 200, 200));
    EXPECT_EQ(handles->centre(), QPointF(100, 100));
    handles->setRadius(50);
    EXPECT_EQ(handles->hitTestPoint(QPointF(105, 95)), RVMiniRadialControls::kPartTarget);
    const QPointF onCircle(150, 100);
    ASSERT_EQ(handles->hitTestPoint(onCircle), RVMiniRadialControls::kPartRadius);
    EXPECT_TRUE(handles->mouseDownAt(onCircle, RVMiniRadialControls::kPartRadius, 0));
    handles->mouseDraggedAt(QPointF(100, 170), RVMiniRadialControls::kPartRadius, 0);
    EXPECT_DOUBLE_EQ(handles->radius(), 70.0);
    handles->mouseDraggedAt(QPointF(90, 80), RVMiniRadialControls::kPartTarget, 0);
    EXPECT_EQ(handles->centre(), QPointF(90, 80));
    EXPECT_EQ(handles->hitTestPoint(QPointF(180, 180)), RVMiniControl::kPartNone);
}

} // namespace
