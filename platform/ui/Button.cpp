#include "platform/ui/Button.h"

#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"

PF_DEFINE_CLASS_NAMED(pf::Button, pf::Control, "pf::Button")
{
    b.property("title", &pf::Button::title, &pf::Button::setTitle);
    b.property("alternateTitle", &pf::Button::alternateTitle, &pf::Button::setAlternateTitle);
    b.property(
        "state", [](const pf::Button& button) { return QVariant(int(button.state())); },
        [](pf::Button& button, const QVariant& value) { button.setState(pf::ControlState(value.toInt())); }, true);
    b.property(
        "image", [](const pf::Button& button) { return pf::toVariant(button.image()); },
        [](pf::Button& button, const QVariant& value) { button.setImage(pf::objectCast<pf::Image>(value)); }, false);
}

namespace pf {

Button::Button(QWidget* parent)
    : Button(std::make_shared<ButtonCell>(), parent)
{
}

Button::Button(const QRectF& frame, QWidget* parent)
    : Button(parent)
{
    setFrame(frame);
}

Button::Button(const Ref<ButtonCell>& cell, QWidget* parent)
    : Control(cell ? Ref<Cell>(cell) : Ref<Cell>(std::make_shared<ButtonCell>()), parent)
{
}

Button* Button::pushButton(const QString& title, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setTitle(title);
    button->setButtonType(ButtonType::MomentaryPushIn);
    button->setBezelStyle(BezelStyle::Rounded);
    button->sizeToFit();
    return button;
}

Button* Button::checkBox(const QString& title, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setTitle(title);
    button->setButtonType(ButtonType::Switch);
    button->sizeToFit();
    return button;
}

Button* Button::radioButton(const QString& title, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setTitle(title);
    button->setButtonType(ButtonType::Radio);
    button->sizeToFit();
    return button;
}

Button* Button::disclosureButton(QWidget* parent)
{
    auto* button = new Button(parent);
    button->setButtonType(ButtonType::PushOnPushOff);
    button->setBezelStyle(BezelStyle::Disclosure);
    button->setBordered(true);
    button->setFrameSize(QSizeF(13, 13));
    return button;
}

Button* Button::imageButton(const Ref<Image>& image, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setButtonType(ButtonType::MomentaryChange);
    button->setBordered(false);
    button->setImage(image);
    button->setImagePosition(CellImagePosition::ImageOnly);
    button->setImageScaling(ImageScaling::ProportionallyDown);
    if (image)
        button->setFrameSize(image->size());
    return button;
}

ButtonCell* Button::buttonCell() const
{
    return static_cast<ButtonCell*>(cell());
}

void Button::setCell(const Ref<Cell>& cell)
{
    // A button's cell is always a button cell.
    if (std::dynamic_pointer_cast<ButtonCell>(cell))
        Control::setCell(cell);
}

void Button::setButtonType(ButtonType type)
{
    buttonCell()->setButtonType(type);
    setNeedsDisplay(true);
}

void Button::setBezelStyle(BezelStyle style)
{
    buttonCell()->setBezelStyle(style);
    setNeedsDisplay(true);
}

void Button::setBordered(bool bordered)
{
    buttonCell()->setBordered(bordered);
    setNeedsDisplay(true);
}

void Button::setTitle(const QString& title)
{
    buttonCell()->setTitle(title);
    setNeedsDisplay(true);
}

void Button::setAlternateTitle(const QString& title)
{
    buttonCell()->setAlternateTitle(title);
    setNeedsDisplay(true);
}

void Button::setImage(const Ref<Image>& image)
{
    buttonCell()->setImage(image);
    if (image && buttonCell()->imagePosition() == CellImagePosition::NoImage)
        buttonCell()->setImagePosition(title().isEmpty() ? CellImagePosition::ImageOnly : CellImagePosition::ImageLeft);
    setNeedsDisplay(true);
}

void Button::setAlternateImage(const Ref<Image>& image)
{
    buttonCell()->setAlternateImage(image);
    setNeedsDisplay(true);
}

void Button::setImagePosition(CellImagePosition position)
{
    buttonCell()->setImagePosition(position);
    setNeedsDisplay(true);
}

void Button::setImageScaling(ImageScaling scaling)
{
    buttonCell()->setImageScaling(scaling);
    setNeedsDisplay(true);
}

void Button::setState(ControlState state)
{
    buttonCell()->setState(state);
    setNeedsDisplay(true);
}

} // namespace pf
