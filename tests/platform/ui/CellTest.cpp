// Cells: values through formatters, state cycling, copying, and drawing upright whichever way
// the hosting view is flipped.
#include "platform/foundation/NumberFormatter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/ImageCell.h"
#include "platform/ui/TextFieldCell.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

TEST(CellTest, FormatterTurnsNumbersToTextAndBack)
{
    pf::Cell cell;
    auto formatter = std::make_shared<pf::NumberFormatter>();
    formatter->setMaximumFractionDigits(1);
    cell.setFormatter(formatter);
    cell.setDoubleValue(3.14159);
    EXPECT_EQ(cell.stringValue(), QStringLiteral("3.1"));
    cell.setStringValue(QStringLiteral("42"));
    EXPECT_DOUBLE_EQ(cell.doubleValue(), 42.0);
    // Text the formatter rejects leaves the value as it was.
    cell.setStringValue(QStringLiteral("forty"));
    EXPECT_DOUBLE_EQ(cell.doubleValue(), 42.0);
}

TEST(CellTest, NextStateCyclesThroughMixedOnlyWhenAllowed)
{
    using S = pf::ControlState;
    const struct {
        bool allowsMixed;
        S from;
        S to;
    } cases[] = {
        {false, S::Off, S::On}, {false, S::On, S::Off},  {true, S::On, S::Off},
        {true, S::Off, S::Mixed}, {true, S::Mixed, S::On},
    };
    for (const auto& c : cases) {
        pf::ButtonCell cell;
        cell.setAllowsMixedState(c.allowsMixed);
        cell.setState(c.from);
        cell.setNextState();
        EXPECT_EQ(cell.state(), c.to) << c.allowsMixed << int(c.from);
        EXPECT_EQ(cell.objectValue().toInt(), int(c.to));
    }
    pf::ButtonCell twoState;
    twoState.setState(S::Mixed);
    EXPECT_EQ(twoState.state(), S::On);
}

TEST(CellTest, ButtonTypesDecideWhatAClickChanges)
{
    const struct {
        pf::ButtonType type;
        bool changesState;
    } cases[] = {
        {pf::ButtonType::MomentaryPushIn, false}, {pf::ButtonType::MomentaryChange, false},
        {pf::ButtonType::PushOnPushOff, true},    {pf::ButtonType::Toggle, true},
        {pf::ButtonType::Switch, true},           {pf::ButtonType::Radio, true},
    };
    for (const auto& c : cases) {
        pf::ButtonCell cell;
        cell.setButtonType(c.type);
        EXPECT_EQ(cell.changesStateOnClick(), c.changesState) << int(c.type);
    }
}

TEST(CellTest, AlternateContentsShowWhileHighlightedForMomentaryChange)
{
    pf::ButtonCell cell;
    cell.setButtonType(pf::ButtonType::MomentaryChange);
    cell.setTitle(QStringLiteral("Show"));
    cell.setAlternateTitle(QStringLiteral("Hide"));
    auto image = pf::Image::make(QSizeF(8, 8));
    auto alternate = pf::Image::make(QSizeF(8, 8));
    cell.setImage(image);
    cell.setAlternateImage(alternate);
    EXPECT_EQ(cell.effectiveImage(), image);
    cell.setHighlighted(true);
    EXPECT_EQ(cell.effectiveImage(), alternate);
    EXPECT_EQ(cell.effectiveTitle(), QStringLiteral("Hide"));
}

TEST(CellTest, CopiesTakeEveryAttributeButAreIndependent)
{
    pf::TextFieldCell cell(QStringLiteral("abc"));
    cell.setPlaceholderString(QStringLiteral("Name"));
    cell.setEditable(true);
    cell.setTag(4);
    cell.setAction(QStringLiteral("takeValue:"));
    auto copy = std::dynamic_pointer_cast<pf::TextFieldCell>(cell.copyCell());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->stringValue(), QStringLiteral("abc"));
    EXPECT_EQ(copy->placeholderString(), QStringLiteral("Name"));
    EXPECT_TRUE(copy->isEditable());
    EXPECT_EQ(copy->tag(), 4);
    EXPECT_EQ(copy->action(), QStringLiteral("takeValue:"));
    copy->setStringValue(QStringLiteral("changed"));
    EXPECT_EQ(cell.stringValue(), QStringLiteral("abc"));
}

TEST(CellTest, ImageCellValueIsItsImage)
{
    pf::ImageCell cell;
    auto image = pf::Image::make(QSizeF(10, 10));
    cell.setObjectValue(pf::toVariant(image));
    EXPECT_EQ(cell.image(), image);
    cell.setImage(nullptr);
    EXPECT_FALSE(cell.objectValue().isValid());
}

// Local drawing starts at the visual top-left corner in flipped and unflipped contexts alike.
TEST(CellTest, DrawingIsUprightInFlippedAndUnflippedViews)
{
    for (bool flipped : {false, true}) {
        QImage canvas(20, 20, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        if (!flipped) {
            painter.translate(0, 20);
            painter.scale(1, -1);
        }
        {
            pf::GraphicsContextScope scope(painter, flipped);
            pf::Cell::drawUpright(QRectF(0, 0, 20, 20), [](QPainter& p, const QRectF& rect) {
                p.fillRect(QRectF(0, 0, rect.width(), rect.height() / 2), Qt::red);
            });
        }
        painter.end();
        EXPECT_EQ(canvas.pixelColor(10, 2), QColor(Qt::red)) << flipped;
        EXPECT_EQ(canvas.pixelColor(10, 17), QColor(Qt::white)) << flipped;
    }
}

} // namespace
