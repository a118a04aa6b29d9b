#pragma once

#include "platform/ui/ButtonCell.h"
#include "platform/ui/Control.h"

namespace pf {

// A button of any of the platform's kinds: push, toggle, switch (check box, optionally with
// a mixed state), radio, disclosure triangle, borderless image-only. It draws through its
// ButtonCell, which a custom cell may replace. A cell menu with a delay pops up when the
// press is held that long.
class Button : public Control {
    Q_OBJECT
    PF_CLASS(Button)
public:
    explicit Button(QWidget* parent = nullptr);
    Button(const QRectF& frame, QWidget* parent = nullptr);
    // A button with a custom cell.
    Button(const Ref<ButtonCell>& cell, QWidget* parent = nullptr);

    // Convenience makers with the platform's set-ups.
    static Button* pushButton(const QString& title, QWidget* parent = nullptr);
    static Button* checkBox(const QString& title, QWidget* parent = nullptr);
    static Button* radioButton(const QString& title, QWidget* parent = nullptr);
    static Button* disclosureButton(QWidget* parent = nullptr);
    // Borderless, momentary-change, image only, scaled down proportionally.
    static Button* imageButton(const Ref<Image>& image, QWidget* parent = nullptr);

    ButtonCell* buttonCell() const;
    void setCell(const Ref<Cell>& cell) override;

    void setButtonType(ButtonType type);
    ButtonType buttonType() const { return buttonCell()->buttonType(); }
    BezelStyle bezelStyle() const { return buttonCell()->bezelStyle(); }
    void setBezelStyle(BezelStyle style);
    bool isBordered() const { return buttonCell()->isBordered(); }
    void setBordered(bool bordered);

    QString title() const { return buttonCell()->title(); }
    void setTitle(const QString& title);
    QString alternateTitle() const { return buttonCell()->alternateTitle(); }
    void setAlternateTitle(const QString& title);
    Ref<Image> image() const { return buttonCell()->image(); }
    void setImage(const Ref<Image>& image);
    Ref<Image> alternateImage() const { return buttonCell()->alternateImage(); }
    void setAlternateImage(const Ref<Image>& image);
    CellImagePosition imagePosition() const { return buttonCell()->imagePosition(); }
    void setImagePosition(CellImagePosition position);
    ImageScaling imageScaling() const { return buttonCell()->imageScaling(); }
    void setImageScaling(ImageScaling scaling);

    ControlState state() const { return buttonCell()->state(); }
    void setState(ControlState state);
    bool allowsMixedState() const { return buttonCell()->allowsMixedState(); }
    void setAllowsMixedState(bool allows) { buttonCell()->setAllowsMixedState(allows); }

    // The menu that a press held for `menuDelay` seconds pops up.
    Ref<Menu> menu() const { return buttonCell()->menu(); }
    void setMenu(const Ref<Menu>& menu) { buttonCell()->setMenu(menu); }
    double menuDelay() const { return buttonCell()->menuDelay(); }
    void setMenuDelay(double seconds) { buttonCell()->setMenuDelay(seconds); }
};

} // namespace pf
