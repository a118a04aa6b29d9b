#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/Animator.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

// Records the sizes its frame passes through and has a custom animatable "level".
class AnimatedView : public View {
    PF_CLASS(AnimatedView)
public:
    using View::View;
    void setFrameSize(QSizeF size) override
    {
        sizes.append(size);
        View::setFrameSize(size);
    }
    double level() const { return m_level; }
    void setLevel(double level)
    {
        m_level = level;
        levels.append(level);
    }
    std::shared_ptr<Animation> defaultAnimationForKey(const QString& key) const override
    {
        if (key == QLatin1String("level"))
            return Animation::withDuration(0.05);
        return View::defaultAnimationForKey(key);
    }
    QList<QSizeF> sizes;
    QList<double> levels;

private:
    double m_level = 0;
};

struct StopRecorder : AnimationDelegate {
    void animationDidStop(Animation&, bool finished) override { stops.append(finished); }
    QList<bool> stops;
};

bool settles(const QObject* target, const QString& key)
{
    return quillory::test::waitUntil([&] { return !Animator::isAnimating(target, key); });
}

} // namespace

PF_DEFINE_CLASS(AnimatedView, pf::View)
{
    b.property("level", &AnimatedView::level, &AnimatedView::setLevel);
}

namespace {

TEST(Animator, FrameStepsThroughSetFrameSizeToItsEndAndTellsTheDelegate)
{
    AnimatedView view(QRectF(0, 0, 100, 200));
    StopRecorder recorder;
    std::shared_ptr<Animation> animation = view.animationForKey(QStringLiteral("frameSize"));
    ASSERT_TRUE(animation);
    EXPECT_DOUBLE_EQ(animation->duration(), Animation::kDefaultDuration);
    animation->setDelegate(&recorder);
    EXPECT_EQ(view.animationForKey(QStringLiteral("frameSize")), animation); // the same one next time

    view.animator().setFrame(QRectF(0, 0, 100, 22));
    EXPECT_TRUE(Animator::isAnimating(&view, QStringLiteral("frameSize")));
    ASSERT_TRUE(quillory::test::waitUntil([&] { return !recorder.stops.isEmpty(); }));
    EXPECT_EQ(recorder.stops, QList<bool>{true});
    EXPECT_EQ(view.frame(), QRectF(0, 0, 100, 22));
    EXPECT_GE(view.sizes.size(), 3); // start, some steps, the end
    for (const QSizeF& size : view.sizes) {
        EXPECT_EQ(size.width(), 100);
        EXPECT_TRUE(size.height() >= 22 && size.height() <= 200) << size.height();
    }
}

TEST(Animator, CustomKeysAlphaAndInterruptions)
{
    AnimatedView view(QRectF(0, 0, 10, 10));
    view.animator().setValue(QStringLiteral("level"), 10.0);
    ASSERT_TRUE(settles(&view, QStringLiteral("level")));
    EXPECT_DOUBLE_EQ(view.level(), 10.0);
    EXPECT_GT(view.levels.size(), 1);
    // A key with no animation changes at once.
    QVariant set;
    view.animator().animateValue(QStringLiteral("unanimated"), 0.0, 5.0, [&](const QVariant& v) { set = v; });
    EXPECT_EQ(set, QVariant(5.0));
    EXPECT_FALSE(Animator::isAnimating(&view, QStringLiteral("unanimated")));

    view.animator().setAlphaValue(0.25);
    ASSERT_TRUE(settles(&view, QStringLiteral("alphaValue")));
    EXPECT_DOUBLE_EQ(view.alphaValue(), 0.25);

    // A second change of a running key stops the first, which hears it did not finish.
    StopRecorder recorder;
    view.animationForKey(QStringLiteral("frameSize"))->setDelegate(&recorder);
    view.animator().setFrameSize(QSizeF(200, 10));
    view.animator().setFrameSize(QSizeF(50, 10));
    EXPECT_EQ(recorder.stops, QList<bool>{false});
    ASSERT_TRUE(settles(&view, QStringLiteral("frameSize")));
    EXPECT_EQ(recorder.stops, (QList<bool>{false, true}));
    EXPECT_EQ(view.frame().size(), QSizeF(50, 10));
}

TEST(Animator, GroupsApplyTheirDurationAndCompleteOnceEverythingEnded)
{
    AnimatedView view(QRectF(0, 0, 10, 10));
    bool completed = false;
    AnimationContext::runAnimationGroup(0.0, [&] { view.animator().setFrame(QRectF(5, 5, 40, 30)); },
                                        [&] { completed = true; });
    EXPECT_TRUE(completed);
    EXPECT_EQ(view.frame(), QRectF(5, 5, 40, 30));
    EXPECT_EQ(view.sizes, QList<QSizeF>{QSizeF(40, 30)});

    completed = false;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext& context) {
            context.setDuration(0.05);
            EXPECT_EQ(AnimationContext::current(), &context);
            view.animator().setFrame(QRectF(0, 0, 80, 60));
            view.animator().setValue(QStringLiteral("level"), 4.0);
        },
        [&] { completed = true; });
    EXPECT_FALSE(completed);
    EXPECT_EQ(AnimationContext::current(), nullptr);
    ASSERT_TRUE(quillory::test::waitUntil([&] { return completed; }));
    EXPECT_EQ(view.frame(), QRectF(0, 0, 80, 60));
    EXPECT_DOUBLE_EQ(view.level(), 4.0);

    // A view destroyed mid-animation still completes its group.
    completed = false;
    auto* doomed = new AnimatedView(QRectF(0, 0, 10, 10));
    AnimationContext::runAnimationGroup(1.0, [&] { doomed->animator().setFrameSize(QSizeF(90, 90)); },
                                        [&] { completed = true; });
    delete doomed;
    EXPECT_TRUE(completed);
}

TEST(Animator, WindowSetFrameAnimatesWhenAskedAndReturnsAtTheEnd)
{
    Window window;
    window.setFrame(QRectF(100, 100, 300, 200));
    window.show();
    ASSERT_TRUE(quillory::test::waitUntil([&] { return window.isVisible(); }));
    const QRectF target(150, 120, 420, 260);
    window.setFrame(target, true, true);
    EXPECT_FALSE(Animator::isAnimating(&window, QStringLiteral("frame")));
    EXPECT_EQ(window.frame(), target);
}

} // namespace
