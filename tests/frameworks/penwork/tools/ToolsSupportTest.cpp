#include "ToolsTestSupport.h"

#include "frameworks/penwork/support/RVInfoFloater.h"
#include "frameworks/penwork/support/RVOneShotEffectTimer.h"
#include "frameworks/penwork/tools/PWDimensionGuide.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class BoxSource : public PWDimensionGuideDataSource {
public:
    QPair<QPointF, QPointF> dimensionPointsForMode(int mode, bool isVertical, const QVariant&) const override
    {
        ++asked;
        if (mode != PWDimensionGuide::kSizeMode)
            return {QPointF(0, 0), QPointF(0, 0)};
        return isVertical ? qMakePair(box.topLeft(), box.bottomLeft()) : qMakePair(box.topLeft(), box.topRight());
    }
    QString dimensionStringForLength(double length) const override { return QString::number(length) + " pt"; }

    QRectF box{0, 0, 30, 10};
    mutable int asked = 0;
};

class RecordingDelegate : public RVOneShotDelegate {
public:
    void oneShotHasReached(double progress) override { progresses.append(progress); }
    void oneShotComplete() override { ++completions; }
    QList<double> progresses;
    int completions = 0;
};

} // namespace

TEST(ToolsDimensionGuide, BeginUpdateEnd)
{
    const bool saved = PWDimensionGuide::dimensionGuidesEnabled();
    PWDimensionGuide::setDimensionGuidesEnabled(true);
    tools_test::NotificationCounter changes(kPWDimensionGuidesDidChangeNotification);
    BoxSource source;
    auto guides = PWDimensionGuide::beginDimensionGuidesForObject(&source, PWDimensionGuide::kSizeMode);
    ASSERT_EQ(guides.size(), 2);
    EXPECT_EQ(PWDimensionGuide::shownGuides().size(), 2);
    EXPECT_EQ(guides[0]->label(), "30 pt");
    EXPECT_EQ(guides[1]->label(), "10 pt");
    EXPECT_EQ(changes.count(), 1);

    source.box = QRectF(0, 0, 50, 20);
    PWDimensionGuide::updateDimensionGuides(guides);
    EXPECT_EQ(guides[0]->label(), "50 pt");
    EXPECT_DOUBLE_EQ(guides[1]->length(), 20.0);
    EXPECT_TRUE(changes.infos.back().value("rect").toRectF().contains(QPointF(50, 0)));

    PWDimensionGuide::endDimensionGuides(guides);
    EXPECT_TRUE(PWDimensionGuide::shownGuides().isEmpty());
    // Ended guides no longer ask their source (which may be gone by then).
    const int asked = source.asked;
    PWDimensionGuide::updateDimensionGuides(guides);
    EXPECT_EQ(source.asked, asked);

    EXPECT_EQ(PWDimensionGuide::beginDimensionGuidesForObject(&source, PWDimensionGuide::kSizeMode |
                                                                          PWDimensionGuide::kPositionMode)
                  .size(),
              4);
    PWDimensionGuide::endDimensionGuides(PWDimensionGuide::shownGuides());
    PWDimensionGuide::setDimensionGuidesEnabled(false);
    EXPECT_TRUE(PWDimensionGuide::beginDimensionGuidesForObject(&source, PWDimensionGuide::kSizeMode).isEmpty());
    EXPECT_TRUE(PWDimensionGuide::beginDimensionGuidesForObject(nullptr, PWDimensionGuide::kSizeMode).isEmpty());
    PWDimensionGuide::setDimensionGuidesEnabled(saved);
}

// Zoomed out, a label covers more of the drawing than at full size: the area a change names
// for a view's scale must hold every pixel the guides drew before and after it.
TEST(ToolsDimensionGuide, ChangesNameTheAreaTheLabelsCoverAtTheViewsScale)
{
    const bool saved = PWDimensionGuide::dimensionGuidesEnabled();
    PWDimensionGuide::setDimensionGuidesEnabled(true);
    tools_test::NotificationCounter changes(kPWDimensionGuidesDidChangeNotification);
    BoxSource source;
    source.box = QRectF(100, 100, 20, 10);
    auto guides = PWDimensionGuide::beginDimensionGuidesForObject(&source, PWDimensionGuide::kSizeMode);
    ASSERT_EQ(guides.size(), 2);
    source.box = QRectF(100, 100, 24, 12);
    PWDimensionGuide::updateDimensionGuides(guides);
    for (double scale : {0.25, 1.0, 4.0}) {
        SCOPED_TRACE(scale);
        // What the guides draw at this scale, in drawing coordinates.
        QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QPointF origin(110 - 200 / scale, 105 - 200 / scale); // the guides in the middle
        {
            QPainter painter(&image);
            painter.scale(scale, scale);
            painter.translate(-origin);
            for (const auto& guide : guides)
                guide->draw(painter, scale);
        }
        QRectF drawn;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    drawn = drawn.united(QRectF(QPointF(x, y) / scale + origin, QSizeF(1, 1) / scale));
        ASSERT_FALSE(drawn.isEmpty());
        const QRectF named =
            PWDimensionGuide::displayRectOfStates(changes.infos.back().value("guides").toList(), scale);
        EXPECT_TRUE(named.contains(drawn)) << "named " << named.x() << "," << named.y() << " " << named.width() << "x"
                                           << named.height() << " drawn " << drawn.x() << "," << drawn.y() << " "
                                           << drawn.width() << "x" << drawn.height();
    }
    PWDimensionGuide::endDimensionGuides(guides);
    PWDimensionGuide::setDimensionGuidesEnabled(saved);
}

TEST(ToolsInfoFloater, FormatsValuesAndStaysInsideTheView)
{
    struct Case {
        QString format;
        double value;
        QString text;
    };
    const Case cases[] = {
        {"0.0°", 12.345, "12.3°"}, {"0.0", 3.0, "3.0"},      {"0.0%", 99.96, "100.0%"},
        {"#", 7.6, "8"},           {"x = 0.00", 1.5, "x = 1.50"}, {"", 2.5, "2.5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RVInfoFloater::formatValue(c.format, c.value), c.text) << c.format.toStdString();

    QWidget view;
    view.resize(200, 100);
    auto* floater = RVInfoFloater::infoFloater();
    floater->setFormat("0.0°");
    floater->setFloatValue(45.0f);
    EXPECT_EQ(floater->text(), "45.0°");
    floater->setStringValue("10 × 20");
    EXPECT_EQ(floater->text(), "10 × 20");
    floater->positionNearPoint({20, 20}, &view);
    EXPECT_EQ(floater->parentWidget(), &view);
    EXPECT_EQ(floater->frame().topLeft(), QPointF(32, 32));
    floater->positionNearPoint({195, 95}, &view);
    EXPECT_LE(floater->frame().right(), 200);
    EXPECT_LE(floater->frame().bottom(), 100);
    floater->show();
    RVInfoFloater::hideInfoFloater();
    EXPECT_FALSE(floater->isVisible());
}

TEST(ToolsOneShotTimer, ProgressRisesToOneThenCompletesOnce)
{
    RecordingDelegate delegate;
    auto timer = RVOneShotEffectTimer::oneShotWithTime(0.1, &delegate);
    ASSERT_TRUE(timer);
    timer.reset(); // it keeps itself alive while it runs
    ASSERT_TRUE(quillory::test::waitUntil([&] { return delegate.completions > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.completions, 1);
    ASSERT_GE(delegate.progresses.size(), 2);
    EXPECT_DOUBLE_EQ(delegate.progresses.back(), 1.0);
    for (qsizetype i = 1; i < delegate.progresses.size(); ++i)
        EXPECT_GE(delegate.progresses[i], delegate.progresses[i - 1]);
    EXPECT_GE(delegate.progresses.front(), 0.0);

    RecordingDelegate instant;
    RVOneShotEffectTimer::oneShotWithTime(-1.0, &instant);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return instant.completions > 0; }));
    EXPECT_EQ(instant.progresses, (QList<double>{1.0}));
    EXPECT_FALSE(RVOneShotEffectTimer::oneShotWithTime(1.0, nullptr));
}

TEST(ToolsOneShotTimer, CancelledOrOrphanedTimersStayQuiet)
{
    RecordingDelegate cancelled;
    auto timer = RVOneShotEffectTimer::oneShotWithTime(0.05, &cancelled);
    timer->cancel();
    EXPECT_FALSE(timer->isRunning());

    auto owner = std::make_shared<int>(0);
    auto orphan = std::make_unique<RecordingDelegate>();
    RVOneShotEffectTimer::oneShotWithTime(0.05, orphan.get(), owner);
    owner.reset(); // the delegate's owner goes away: the timer must not call it
    RecordingDelegate* dangling = orphan.release();
    delete dangling;
    quillory::test::waitUntil([] { return false; }, 150);
    EXPECT_TRUE(cancelled.progresses.isEmpty());
    EXPECT_EQ(cancelled.completions, 0);
}
