#include "widgets/RVAugmentationSliderController.h"
#include "widgets/RVAugmentedTextField.h"
#include "widgets/RVAugmentedTextFieldCell.h"
#include "widgets/RVAugmentedTextFieldEditor.h"

#include "WidgetTestSupport.h"

#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<pf::NumberFormatter> formatter(pf::NumberFormatter::Style style, std::optional<double> minimum = {},
                                               std::optional<double> maximum = {})
{
    auto number = std::make_shared<pf::NumberFormatter>();
    number->setStyle(style);
    number->setMinimum(minimum);
    number->setMaximum(maximum);
    return number;
}

class AugmentedTextField : public ::testing::Test {
protected:
    void SetUp() override
    {
        RVAugmentedTextField::setAugmentedTextFieldPopoversEnabled(false);
        root = new pf::View(QRectF(0, 0, 300, 200));
        field = new RVAugmentedTextField(QRectF(20, 20, 60, 22));
        other = new RVAugmentedTextField(QRectF(120, 20, 60, 22));
        root->addSubview(field);
        root->addSubview(other);
        window.setContentView(root);
        window.setFrame(QRectF(200, 300, 300, 200));
        window.show();
        field->setTarget(recorder.get());
        field->setAction(QStringLiteral("record:"));
    }
    void TearDown() override
    {
        for (RVAugmentedTextField* f : {field, other}) {
            if (f->sliderPopover())
                f->sliderPopover()->close();
        }
        pf::UserDefaults::standard().removeObjectForKey(RVAugmentedTextField::kPopoversEnabledKey);
    }
    pf::Event wheel(double deltaY)
    {
        pf::Event event = widgettest::mouse(pf::ScrollWheel, field->convertPointToView(QPointF(5, 5), nullptr));
        event.deltaY = deltaY;
        return event;
    }
    pf::Window window;
    pf::View* root = nullptr;
    RVAugmentedTextField* field = nullptr;
    RVAugmentedTextField* other = nullptr;
    pf::Ref<widgettest::ActionRecorder> recorder = std::make_shared<widgettest::ActionRecorder>();
};

TEST_F(AugmentedTextField, TakesItsSliderRangeFromTheFormatter)
{
    using Style = pf::NumberFormatter::Style;
    struct Case {
        std::shared_ptr<pf::NumberFormatter> number;
        double minimum, maximum;
    };
    for (const Case& c : {Case{formatter(Style::Decimal), 0, 1000}, Case{formatter(Style::Percent), 0, 1},
                          Case{formatter(Style::Decimal, -5.0, 0.0), -5, 100}, Case{formatter(Style::Decimal, 2.0, 40.0), 2, 40},
                          Case{formatter(Style::None, {}, 7.0), 0, 7}}) {
        field->setFormatter(c.number);
        field->awakeFromNib(nullptr, RVAugmentedTextField::kStepperOption);
        EXPECT_DOUBLE_EQ(field->sliderMinimumValue(), c.minimum);
        EXPECT_DOUBLE_EQ(field->sliderMaximumValue(), c.maximum);
        pf::Stepper* stepper = field->sliderController()->stepperControl();
        ASSERT_TRUE(stepper);
        EXPECT_DOUBLE_EQ(stepper->maxValue(), c.maximum);
        EXPECT_DOUBLE_EQ(stepper->increment(), c.maximum == 1.0 ? 0.01 : 1.0);
    }
    EXPECT_EQ(field->preferredEdge(), pf::MinYEdge);
    EXPECT_TRUE(field->ownsPopover());
}

TEST_F(AugmentedTextField, AConnectedPopoverKeepsItsOwnRangeWithoutLimits)
{
    RVAugmentedTextField donor(QRectF(0, 0, 60, 22));
    donor.setSliderMinimumValue(10);
    donor.setSliderMaximumValue(90);
    const pf::Ref<pf::Popover> connected = donor.sliderPopover()->ref<pf::Popover>();
    field->awakeFromNib(connected);
    EXPECT_FALSE(field->ownsPopover());
    EXPECT_EQ(connected->delegate(), static_cast<pf::PopoverDelegate*>(field));
    field->setFormatter(formatter(pf::NumberFormatter::Style::Decimal));
    field->setLimitsFromFormatter(*field->formatter());
    EXPECT_DOUBLE_EQ(field->sliderMinimumValue(), 10);
    EXPECT_DOUBLE_EQ(field->sliderMaximumValue(), 90);
}

TEST_F(AugmentedTextField, TheWheelStepsByTheFormattersUnitEvenWithoutPopovers)
{
    auto percent = formatter(pf::NumberFormatter::Style::Percent);
    field->setFormatter(percent);
    field->awakeFromNib();
    field->setDoubleValue(0.5);
    field->scrollWheel(wheel(3));
    EXPECT_NEAR(field->doubleValue(), 0.53, 1e-9);
    EXPECT_EQ(recorder->count(), 1);
    EXPECT_FALSE(field->sliderPopover()->isShown());
    EXPECT_NEAR(field->sliderController()->sliderValue(), 0.53, 1e-9);
    field->scrollWheel(wheel(100));
    EXPECT_DOUBLE_EQ(field->doubleValue(), 1.0);
    field->scrollWheel(wheel(-500));
    EXPECT_DOUBLE_EQ(field->doubleValue(), 0.0);
    EXPECT_EQ(recorder->count(), 3);

    field->setEditable(false);
    field->scrollWheel(wheel(10));
    EXPECT_DOUBLE_EQ(field->doubleValue(), 0.0);
    EXPECT_EQ(recorder->count(), 3);
}

TEST_F(AugmentedTextField, TheSliderHandsTheFieldWholeNumbersUnlessTheFormatterAllowsFractions)
{
    field->awakeFromNib(nullptr, RVAugmentedTextField::kStepperOption);
    field->setSliderMaximumValue(10);
    RVAugmentationSliderController* controller = field->sliderController();
    pf::Slider* slider = controller->sliderControl();
    slider->setDoubleValue(3.4);
    controller->sliderAction(slider->senderValue());
    EXPECT_EQ(field->objectValue(), QVariant(3));
    EXPECT_DOUBLE_EQ(controller->stepperControl()->doubleValue(), 3.4);
    EXPECT_EQ(recorder->count(), 1);

    auto decimal = formatter(pf::NumberFormatter::Style::Decimal);
    field->setFormatter(decimal);
    slider->setDoubleValue(6.25);
    controller->sliderAction(slider->senderValue());
    EXPECT_DOUBLE_EQ(field->doubleValue(), 6.25);
    decimal->setAllowsFloats(false);
    slider->setDoubleValue(7.75);
    controller->sliderAction(slider->senderValue());
    EXPECT_DOUBLE_EQ(field->doubleValue(), 8);
    // The field's own value changes follow into the slider.
    field->setDoubleValue(2);
    EXPECT_DOUBLE_EQ(slider->doubleValue(), 2);
}

TEST_F(AugmentedTextField, TypedTextMovesTheSliderOnlyWhenItParses)
{
    field->setFormatter(formatter(pf::NumberFormatter::Style::Decimal));
    field->awakeFromNib();
    field->setDoubleValue(100);
    ASSERT_TRUE(window.makeFirstResponder(field));
    pf::FieldEditor* editor = field->currentEditor();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(qobject_cast<RVAugmentedTextFieldEditor*>(editor));
    editor->setText(QStringLiteral("250"));
    field->textDidChange(*editor);
    EXPECT_DOUBLE_EQ(field->sliderController()->sliderValue(), 250);
    editor->setText(QStringLiteral("abc"));
    field->textDidChange(*editor);
    EXPECT_DOUBLE_EQ(field->sliderController()->sliderValue(), 250);
}

TEST_F(AugmentedTextField, ClicksShowThePopoverWhenEnabledAndTabClosesIt)
{
    field->performClick();
    EXPECT_FALSE(field->sliderPopover()->isShown());
    window.makeFirstResponder(&window);

    RVAugmentedTextField::setAugmentedTextFieldPopoversEnabled(true);
    field->sliderPopover()->setAnimates(false);
    field->setDoubleValue(0.25);
    field->performClick();
    ASSERT_TRUE(field->sliderPopover()->isShown());
    EXPECT_EQ(RVAugmentedTextField::currentAugmentedPopover(), field->sliderPopover());
    EXPECT_DOUBLE_EQ(field->sliderController()->sliderValue(), 0.25);
    pf::FieldEditor* editor = field->currentEditor();
    ASSERT_TRUE(editor);
    editor->endEditing(pf::TextMovement::Return);
    EXPECT_TRUE(field->sliderPopover()->isShown());
    field->selectText();
    ASSERT_TRUE(field->currentEditor());
    field->currentEditor()->endEditing(pf::TextMovement::Tab);
    EXPECT_FALSE(field->sliderPopover()->isShown());
    EXPECT_EQ(RVAugmentedTextField::currentAugmentedPopover(), nullptr);
}

TEST_F(AugmentedTextField, ClosingOnePopoverLeavesAnothersAsCurrent)
{
    RVAugmentedTextField::setAugmentedTextFieldPopoversEnabled(true);
    field->sliderPopover()->setAnimates(false);
    other->sliderPopover()->setAnimates(false);
    field->showPopoverAndFocus(false);
    other->showPopoverAndFocus(false);
    EXPECT_EQ(RVAugmentedTextField::currentAugmentedPopover(), other->sliderPopover());
    field->sliderPopover()->close();
    EXPECT_EQ(RVAugmentedTextField::currentAugmentedPopover(), other->sliderPopover());
    other->sliderPopover()->close();
    EXPECT_EQ(RVAugmentedTextField::currentAugmentedPopover(), nullptr);
}

TEST_F(AugmentedTextField, EachWindowHasItsOwnFieldEditor)
{
    pf::Window second;
    auto* secondRoot = new pf::View(QRectF(0, 0, 100, 50));
    auto* elsewhere = new RVAugmentedTextField(QRectF(5, 5, 60, 22));
    secondRoot->addSubview(elsewhere);
    second.setContentView(secondRoot);
    second.show();
    ASSERT_TRUE(field->augmentedFieldEditor());
    EXPECT_EQ(field->augmentedFieldEditor(), other->augmentedFieldEditor());
    EXPECT_NE(field->augmentedFieldEditor(), elsewhere->augmentedFieldEditor());
    EXPECT_EQ(field->cell()->fieldEditorForView(field), field->augmentedFieldEditor());
}

TEST(AugmentedTextFieldCell, CopiesWhatAFieldCellCarries)
{
    pf::TextFieldCell plain(QStringLiteral("12"));
    plain.setEditable(true);
    plain.setBezeled(true);
    plain.setPlaceholderString(QStringLiteral("size"));
    plain.setAlignment(Qt::AlignRight);
    plain.setTag(7);
    plain.setAction(QStringLiteral("changeSize:"));
    plain.setFormatter(formatter(pf::NumberFormatter::Style::Decimal));
    const auto cell = RVAugmentedTextFieldCell::fromTextFieldCell(plain);
    EXPECT_TRUE(cell->isEditable());
    EXPECT_TRUE(cell->isBezeled());
    EXPECT_EQ(cell->placeholderString(), QStringLiteral("size"));
    EXPECT_EQ(cell->alignment(), Qt::AlignRight);
    EXPECT_EQ(cell->tag(), 7);
    EXPECT_EQ(cell->action(), QStringLiteral("changeSize:"));
    EXPECT_EQ(cell->formatter(), plain.formatter());
    EXPECT_EQ(cell->objectValue(), plain.objectValue());
}

} // namespace
