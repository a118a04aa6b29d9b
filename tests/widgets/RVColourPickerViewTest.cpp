#include "widgets/RVColourPickerView.h"

#include "WidgetTestSupport.h"

#include "platform/graphics/ColorList.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using widgettest::mouse;

class ColourPicker : public ::testing::Test {
protected:
    void SetUp() override
    {
        picker.setTarget(recorder.get());
        picker.setAction(QStringLiteral("record:"));
        picker.setShowsInfo(false);
    }
    // A parentless flipped view: window coordinates have y up from the frame's bottom.
    pf::Event at(int type, QPointF point, unsigned flags = 0)
    {
        return mouse(type, picker.convertPointToView(point, nullptr), flags);
    }
    pf::Ref<widgettest::ActionRecorder> recorder = std::make_shared<widgettest::ActionRecorder>();
    RVColourPickerView picker{QRectF(0, 0, 225, 225)};
};

TEST_F(ColourPicker, StartsOnTheWheelWithGreyAsTheUndefinedColour)
{
    EXPECT_EQ(picker.mode(), RVColourPickerView::SpectrumMode);
    EXPECT_EQ(picker.selection(), QPointF(-1, -1));
    EXPECT_EQ(picker.colorForUndefinedSelection(), pf::Color::grey());
    EXPECT_NEAR(picker.brightness(), 0.5, 1e-4);
}

TEST_F(ColourPicker, SwatchGeometry)
{
    struct Case {
        int x, y;
        QRectF rect;
    };
    for (const Case c : {Case{0, 0, QRectF(1, 1, 13, 13)}, Case{1, 0, QRectF(15, 1, 13, 13)}, Case{2, 3, QRectF(29, 43, 13, 13)},
                         Case{15, 15, QRectF(211, 211, 13, 13)}})
        EXPECT_EQ(picker.swatchDrawingRect(c.x, c.y), c.rect) << c.x << "," << c.y;
    picker.setMode(RVColourPickerView::SwatchMode);
    EXPECT_EQ(picker.rectForSwatch(QPointF(2, 3)), QRectF(29, 43, 14, 14));
    struct Hit {
        QPointF point;
        QPointF swatch;
    };
    for (const Hit h : {Hit{{224, 224}, {15, 15}}, Hit{{0, 0}, {0, 0}}, Hit{{14.1, 28.2}, {1, 2}}, Hit{{225, 10}, {-1, -1}},
                        Hit{{10, -1}, {-1, -1}}})
        EXPECT_EQ(picker.swatchAtPoint(h.point), h.swatch) << h.point.x() << "," << h.point.y();
}

TEST_F(ColourPicker, SwatchesRepeatTheListInOrder)
{
    const pf::Ref<pf::ColorList> list = RVColourPickerView::swatchList();
    ASSERT_TRUE(list);
    const QStringList keys = list->allKeys();
    ASSERT_EQ(keys.size(), 216);
    EXPECT_EQ(picker.colorForSwatch(0, 0), list->colorWithKey(keys[0]));
    EXPECT_EQ(picker.colorForSwatch(7, 13), list->colorWithKey(keys[215]));
    EXPECT_EQ(picker.colorForSwatch(8, 13), list->colorWithKey(keys[0]));
    EXPECT_EQ(picker.colorForSwatch(15, 15), list->colorWithKey(keys[255 - 216]));
}

TEST_F(ColourPicker, WheelMapsHueToAngleAndSaturationToRadius)
{
    picker.setBrightness(1.0);
    const QPointF c = picker.wheelCentre();
    const double r = picker.wheelRadius();
    EXPECT_EQ(c, QPointF(112.5, 112.5));
    EXPECT_FLOAT_EQ(r, 108.5f);
    struct Case {
        QPointF offset;
        double hue, saturation;
    };
    // Flipped: up the screen is negative y, and hue grows anticlockwise.
    for (const Case k : {Case{{r, 0}, 0.0, 1.0}, Case{{0, -r}, 0.25, 1.0}, Case{{-r / 2, 0}, 0.5, 0.5}, Case{{0, r / 4}, 0.75, 0.25}}) {
        const pf::Color colour = picker.colorForSpectrumPoint(c + k.offset);
        const double turn = std::fabs(colour.hueComponent() - k.hue);
        EXPECT_NEAR(std::min(turn, 1.0 - turn), 0.0, 1e-3) << k.offset.x() << "," << k.offset.y();
        EXPECT_NEAR(colour.saturationComponent(), k.saturation, 1e-3);
        EXPECT_NEAR(colour.brightnessComponent(), 1.0, 1e-3);
    }
    EXPECT_TRUE(picker.pointIsInColourwheel(c + QPointF(r, 0)));
    EXPECT_FALSE(picker.pointIsInColourwheel(c + QPointF(r + 0.5, 0)));
    EXPECT_EQ(picker.colorForSpectrumPoint(c + QPointF(r + 1, 0)), picker.colorForUndefinedSelection());
}

TEST_F(ColourPicker, ColoursRoundTripThroughTheWheel)
{
    picker.setBrightness(0.8);
    for (const pf::Color& colour : {pf::Color::withHue(0.1, 0.9, 0.8), pf::Color::withHue(0.6, 0.3, 0.8),
                                    pf::Color::withHue(0.95, 1.0, 0.8), pf::Color(0.2, 0.4, 0.8)}) {
        const pf::Color back = picker.colorForSpectrumPoint(picker.pointForSpectrumColor(colour));
        EXPECT_NEAR(back.redComponent(), colour.redComponent(), 0.01) << colour.hexString().toStdString();
        EXPECT_NEAR(back.greenComponent(), colour.greenComponent(), 0.01) << colour.hexString().toStdString();
        EXPECT_NEAR(back.blueComponent(), colour.blueComponent(), 0.01) << colour.hexString().toStdString();
    }
}

TEST_F(ColourPicker, AColourWithoutComponentsStandsAsGrey)
{
    picker.setColorForUndefinedSelection(pf::Color::red());
    EXPECT_DOUBLE_EQ(picker.brightness(), 1.0);
    picker.setColorForUndefinedSelection(pf::Color());
    EXPECT_EQ(picker.colorForUndefinedSelection(), pf::Color::grey());
    QImage tile(2, 2, QImage::Format_ARGB32);
    tile.fill(Qt::red);
    picker.setColorForUndefinedSelection(pf::Color::patternWithImage(tile));
    EXPECT_EQ(picker.colorForUndefinedSelection(), pf::Color::grey());
    EXPECT_NEAR(picker.brightness(), 0.5, 1e-4);
    picker.setMode(RVColourPickerView::SwatchMode);
    EXPECT_EQ(picker.color(), pf::Color::grey());
}

TEST_F(ColourPicker, TheScrollWheelChangesTheWheelsBrightness)
{
    picker.setBrightness(1.0);
    recorder->senders.clear();
    pf::Event scroll = mouse(pf::ScrollWheel, QPointF(10, 10));
    scroll.deltaY = 15;
    picker.scrollWheel(scroll);
    EXPECT_NEAR(picker.brightness(), 0.9, 1e-6);
    EXPECT_EQ(recorder->count(), 1);
    scroll.deltaY = -300;
    picker.scrollWheel(scroll);
    EXPECT_DOUBLE_EQ(picker.brightness(), 1.0);
    picker.scrollWheel(scroll);
    EXPECT_EQ(recorder->count(), 2);
    scroll.deltaY = 1000;
    picker.scrollWheel(scroll);
    EXPECT_DOUBLE_EQ(picker.brightness(), 0.0);
    picker.setMode(RVColourPickerView::SwatchMode);
    scroll.deltaY = -15;
    picker.scrollWheel(scroll);
    EXPECT_DOUBLE_EQ(picker.brightness(), 0.0);
    EXPECT_EQ(recorder->count(), 3);
}

TEST_F(ColourPicker, OptionShowsTheOtherModeWhileHeld)
{
    picker.setMode(RVColourPickerView::SwatchMode);
    pf::Event flags = mouse(pf::FlagsChanged, QPointF());
    flags.modifierFlags = pf::AlternateKeyMask;
    picker.flagsChanged(flags);
    EXPECT_EQ(picker.mode(), RVColourPickerView::SpectrumMode);
    flags.modifierFlags = 0;
    picker.flagsChanged(flags);
    EXPECT_EQ(picker.mode(), RVColourPickerView::SwatchMode);
    picker.setMode(RVColourPickerView::SpectrumMode);
    flags.modifierFlags = pf::AlternateKeyMask;
    picker.flagsChanged(flags);
    EXPECT_EQ(picker.mode(), RVColourPickerView::SwatchMode);
}

TEST_F(ColourPicker, DraggingOverSwatchesReportsEachNewSwatch)
{
    picker.setMode(RVColourPickerView::SwatchMode);
    picker.mouseDown(at(pf::LeftMouseDown, QPointF(20, 5)));
    picker.mouseDragged(at(pf::LeftMouseDragged, QPointF(25, 8)));
    picker.mouseDragged(at(pf::LeftMouseDragged, QPointF(224, 224)));
    EXPECT_EQ(picker.selection(), QPointF(15, 15));
    EXPECT_EQ(picker.color(), picker.colorForSwatch(15, 15));
    EXPECT_EQ(recorder->count(), 2);
    picker.mouseDragged(at(pf::LeftMouseDragged, QPointF(300, 10)));
    EXPECT_EQ(picker.selection(), QPointF(-1, -1));
    EXPECT_EQ(picker.color(), picker.colorForUndefinedSelection());
    EXPECT_EQ(recorder->count(), 3);
}

TEST_F(ColourPicker, DraggingOutOfTheWheelSnapsToTheUndefinedColour)
{
    const pf::Color undefined = pf::Color::withHue(0.5, 0.5, 0.6);
    picker.setColorForUndefinedSelection(undefined);
    picker.mouseDown(at(pf::LeftMouseDown, picker.wheelCentre() + QPointF(20, 0)));
    const double hue = picker.color().hueComponent();
    EXPECT_NEAR(std::min(hue, 1.0 - hue), 0.0, 1e-3);
    picker.setBrightness(1.0);
    picker.mouseDragged(at(pf::LeftMouseDragged, QPointF(2, 2)));
    EXPECT_EQ(picker.selection(), picker.pointForSpectrumColor(undefined));
    EXPECT_NEAR(picker.brightness(), 0.6, 1e-6);
    EXPECT_NEAR(picker.color().hueComponent(), 0.5, 1e-3);
    EXPECT_NEAR(picker.color().saturationComponent(), 0.5, 1e-3);
}

} // namespace
