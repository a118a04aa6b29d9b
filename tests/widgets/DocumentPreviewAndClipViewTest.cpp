#include "widgets/RVDocumentPreviewView.h"
#include "widgets/RVScrollwheelSlider.h"
#include "widgets/RVScrollwheelStep.h"
#include "widgets/RVScrollwheelStepper.h"
#include "widgets/RVShadowClipView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"
#include "platform/ui/Event.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Counts the actions sent to it.
class ActionCounter : public pf::Object {
    PF_CLASS(ActionCounter)
public:
    int count = 0;
};

} // namespace

PF_DEFINE_CLASS(ActionCounter, pf::Object)
{
    b.method(QStringLiteral("takeValue:"),
             std::function<QVariant(ActionCounter&, const QVariantList&)>([](ActionCounter& self, const QVariantList&) {
                 ++self.count;
                 return QVariant();
             }));
}

namespace {

TEST(RVDocumentPreviewViewTest, PageKeepsTheAspectInsideTheInset)
{
    RVDocumentPreviewView preview(QRectF(0, 0, 100, 100));
    EXPECT_EQ(preview.aspect(), QSizeF(100, 100));
    preview.setAspect(QSizeF(200, 100));
    EXPECT_DOUBLE_EQ(*preview.aspectRatio(), 2.0);
    EXPECT_EQ(preview.pageRect(), QRectF(10, 30, 80, 40));
    preview.setAspect(QSizeF(1, 4));
    EXPECT_EQ(preview.pageRect(), QRectF(40, 10, 20, 80));
    preview.setInset(0);
    // 37.5 to 62.5, on whole pixels.
    EXPECT_EQ(preview.pageRect(), QRectF(38, 0, 25, 100));
}

TEST(RVDocumentPreviewViewTest, PageWithoutHeightHasNoRatio)
{
    RVDocumentPreviewView preview(QRectF(0, 0, 100, 100));
    preview.setBackgroundColour(pf::Color(0, 0, 1));
    for (QSizeF aspect : {QSizeF(100, 0), QSizeF(0, 0), QSizeF(-2, 1)}) {
        preview.setAspect(aspect);
        EXPECT_FALSE(preview.aspectRatio().has_value());
        EXPECT_TRUE(preview.pageRect().isNull());
        // Only the background: no page, and nothing drawn from a NaN rectangle.
        const QImage image = preview.cacheDisplayInRect(preview.bounds());
        EXPECT_EQ(QColor(image.pixel(image.width() / 2, image.height() / 2)), QColor(0, 0, 255));
    }
}

TEST(RVDocumentPreviewViewTest, DrawsPageInItsColourAndIsOpaqueWithABackground)
{
    RVDocumentPreviewView preview(QRectF(0, 0, 100, 100));
    EXPECT_FALSE(preview.isOpaque());
    preview.setBackgroundColour(pf::Color(0, 0, 1, 0.5));
    EXPECT_FALSE(preview.isOpaque());
    preview.setBackgroundColour(pf::Color(0, 0, 1));
    EXPECT_TRUE(preview.isOpaque());
    preview.setAspect(QSizeF(2, 1));
    preview.setDocumentColour(pf::Color(1, 0, 0));
    const QImage image = preview.cacheDisplayInRect(preview.bounds());
    const double scale = image.width() / 100.0;
    EXPECT_EQ(QColor(image.pixel(int(50 * scale), int(50 * scale))), QColor(255, 0, 0));
    EXPECT_EQ(QColor(image.pixel(int(50 * scale), int(5 * scale))), QColor(0, 0, 255));
}

TEST(RVScrollwheelStepTest, StepsAHundredthOfTheRange)
{
    const struct {
        double value, delta, min, max;
        bool wraps;
        std::optional<double> expected;
    } cases[] = {
        {355, 2, 0, 360, true, 7.2},
        {3, -1, 0, 360, true, 356.4},
        {50, 1, 0, 100, false, 51},
        {99.5, 1, 0, 100, false, 100.5}, // the control's own limits hold it at its maximum
        {50, 0, 0, 100, true, std::nullopt},
        {10, -3, 10, 20, true, 20 - 0.3},
    };
    for (const auto& c : cases) {
        const auto value = RVScrollwheelStep::valueAfterScroll(c.value, c.delta, c.min, c.max, c.wraps);
        ASSERT_EQ(value.has_value(), c.expected.has_value()) << c.value << " " << c.delta;
        if (value) {
            EXPECT_NEAR(*value, *c.expected, 1e-4) << c.value << " " << c.delta;
        }
    }
}

pf::Event scroll(double deltaY)
{
    pf::Event event;
    event.type = pf::ScrollWheel;
    event.deltaY = deltaY;
    return event;
}

TEST(RVScrollwheelControlsTest, WheelSetsValueAndSendsActionOnlyWhenMoved)
{
    auto counter = std::make_shared<ActionCounter>();
    RVScrollwheelSlider slider;
    slider.setSliderType(pf::SliderType::Circular);
    slider.setMaxValue(360);
    slider.setDoubleValue(355);
    slider.setTarget(counter.get());
    slider.setAction(QStringLiteral("takeValue:"));
    slider.scrollWheel(scroll(2));
    EXPECT_NEAR(slider.doubleValue(), 7.2, 1e-4);
    EXPECT_EQ(counter->count, 1);
    slider.scrollWheel(scroll(0));
    EXPECT_EQ(counter->count, 1);
    slider.setEnabled(false);
    slider.scrollWheel(scroll(1));
    EXPECT_NEAR(slider.doubleValue(), 7.2, 1e-4);
    EXPECT_EQ(counter->count, 1);

    RVScrollwheelStepper stepper;
    stepper.setMaxValue(10);
    stepper.setValueWraps(false);
    stepper.setDoubleValue(10);
    stepper.setTarget(counter.get());
    stepper.setAction(QStringLiteral("takeValue:"));
    stepper.scrollWheel(scroll(5));
    EXPECT_DOUBLE_EQ(stepper.doubleValue(), 10);
    stepper.scrollWheel(scroll(-10));
    EXPECT_DOUBLE_EQ(stepper.doubleValue(), 9);
    EXPECT_EQ(counter->count, 3);
}

class ShadowClip : public ::testing::Test {
protected:
    void SetUp() override
    {
        clip = std::make_unique<RVShadowClipView>(QRectF(0, 0, 400, 300));
        document = new pf::View(QRectF(0, 0, 200, 100));
        clip->setDocumentView(document);
    }
    std::unique_ptr<RVShadowClipView> clip;
    pf::View* document = nullptr;
};

TEST_F(ShadowClip, Defaults)
{
    ASSERT_TRUE(clip->shadow());
    EXPECT_DOUBLE_EQ(clip->shadow()->shadowBlurRadius(), 10.0);
    EXPECT_NEAR(clip->shadow()->shadowColor().redComponent(), 0.1, 1e-4);
    EXPECT_TRUE(clip->centresDocument());
    EXPECT_TRUE(clip->borderMargins().isEmpty());
    EXPECT_NEAR(clip->borderColour().greenComponent(), 0.9, 1e-4);
}

TEST_F(ShadowClip, SmallDocumentStaysCentred)
{
    clip->centerDocument();
    EXPECT_EQ(clip->bounds().topLeft(), QPointF(-100, -100));
    EXPECT_TRUE(clip->edgeOfDocumentFrameVisible());
    EXPECT_FALSE(clip->copiesOnScroll());

    // Half of -201 rounds to a whole point.
    clip->setFrameSize(QSizeF(500, 301));
    EXPECT_EQ(clip->bounds().topLeft(), QPointF(-150, -101));
    EXPECT_EQ(clip->constrainScrollPoint(QPointF(30, 40)), QPointF(-150, -101));
}

TEST_F(ShadowClip, LargeDocumentScrollsWithinItself)
{
    document->setFrameSize(QSizeF(1000, 200));
    // Wider than the clip view: kept between 0 and 600; lower: centred (rounded).
    EXPECT_EQ(clip->constrainScrollPoint(QPointF(700, 5)), QPointF(600, -50));
    EXPECT_EQ(clip->constrainScrollPoint(QPointF(-20, 5)), QPointF(0, -50));
    EXPECT_EQ(clip->constrainScrollPoint(QPointF(123.4, 5)), QPointF(123, -50));

    document->setFrameSize(QSizeF(1000, 800));
    EXPECT_FALSE(clip->edgeOfDocumentFrameVisible());
    EXPECT_TRUE(clip->copiesOnScroll());

    // Without centring the clip view's own rule holds.
    clip->setCentresDocument(false);
    EXPECT_EQ(clip->constrainScrollPoint(QPointF(700, 5)),
              clip->pf::ClipView::constrainScrollPoint(QPointF(700, 5)));
}

TEST_F(ShadowClip, PageGrowsByTheMargins)
{
    clip->setBorderMarginTop(10, 20, 30, 40);
    EXPECT_EQ(clip->borderMargins(), (QList<double>{10, 20, 30, 40}));
    clip->centerDocument();
    const QRectF document = clip->documentRect();
    EXPECT_EQ(clip->pageRect(), QRectF(document.x() - 20, document.y() - 10, 260, 140));
    clip->setBorderMargins({1, 2});
    EXPECT_TRUE(clip->borderMargins().isEmpty());
    EXPECT_EQ(clip->pageRect(), document);
}

TEST_F(ShadowClip, InactiveWindowFramesThePageInsteadOfTheShadow)
{
    clip->centerDocument();
    const QImage image = clip->cacheDisplayInRect(clip->bounds());
    const double scale = image.width() / 400.0;
    // Not in a main window: the page is filled in the border colour, framed, with no shadow
    // outside it.
    const QRectF page = clip->documentRect().translated(-clip->bounds().topLeft());
    EXPECT_EQ(QColor(image.pixel(int((page.center().x()) * scale), int(page.center().y() * scale))).red(), 230);
    const QColor outside(image.pixel(int((page.right() + 6) * scale), int((page.bottom() + 6) * scale)));
    EXPECT_GT(outside.red(), 240);
}

} // namespace
