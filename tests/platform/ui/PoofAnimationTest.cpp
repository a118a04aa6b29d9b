#include "platform/ui/PoofAnimation.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

TEST(PoofAnimation, PlaysItsFramesAtThePointAndGoes)
{
    QPointer<pf::PoofAnimation> poof = pf::PoofAnimation::show(QPointF(300, 200));
    ASSERT_TRUE(poof);
    EXPECT_EQ(QRectF(poof->geometry()).center(), QPointF(300, 200));
    EXPECT_TRUE(poof->isVisible());
    EXPECT_EQ(poof->frame(), 0);
    int lastFrame = 0;
    QElapsedTimer clock;
    clock.start();
    while (poof && clock.elapsed() < 5000) {
        lastFrame = std::max(lastFrame, poof->frame());
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    EXPECT_FALSE(poof) << "the window stays after its last frame";
    EXPECT_EQ(lastFrame, pf::PoofAnimation::kFrameCount - 1);
}

TEST(PoofAnimation, FramesThinOutAsTheyGo)
{
    auto coverage = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += qAlpha(image.pixel(x, y));
        return sum;
    };
    const QImage first = pf::PoofAnimation::frameImage(0);
    const QImage last = pf::PoofAnimation::frameImage(pf::PoofAnimation::kFrameCount - 1);
    EXPECT_GT(coverage(first), 0);
    EXPECT_EQ(qAlpha(last.pixel(0, 0)), 0);
    // The last frame reaches further out than the first but is fainter at the centre.
    EXPECT_GT(qAlpha(first.pixel(32, 32 - 6)), qAlpha(last.pixel(32, 32 - 6)));
    EXPECT_EQ(qAlpha(first.pixel(2, 32)), 0);
    EXPECT_GT(qAlpha(last.pixel(10, 32)), 0);
}
