#pragma once

#include "platform/graphics/SystemColor.h"
#include "platform/ui/ActionCell.h"

#include <QStyleOption>

namespace pf {

// The platform's button kinds; each sets what highlighting and the state show.
enum class ButtonType {
    MomentaryLight = 0,
    PushOnPushOff = 1,
    Toggle = 2,
    Switch = 3,
    Radio = 4,
    MomentaryChange = 5,
    OnOff = 6,
    MomentaryPushIn = 7,
};

enum class BezelStyle {
    Rounded = 1,
    RegularSquare = 2,
    Disclosure = 5,
    ShadowlessSquare = 6,
    Circular = 7,
    TexturedSquare = 8,
    HelpButton = 9,
    SmallSquare = 10,
    TexturedRounded = 11,
    RoundRect = 12,
    Recessed = 13,
    RoundedDisclosure = 14,
    Inline = 15,
};

enum class CellImagePosition { NoImage = 0, ImageOnly = 1, ImageLeft = 2, ImageRight = 3, ImageBelow = 4, ImageAbove = 5, ImageOverlaps = 6 };

// What highlighting or the on state changes (bits).
enum CellStyleMask : unsigned {
    NoCellMask = 0,
    ContentsCellMask = 1,
    PushInCellMask = 2,
    ChangeGrayCellMask = 4,
    ChangeBackgroundCellMask = 8,
};

// The cell of buttons: a bezel, an image and a title, with alternates shown while highlighted
// or on as the type says. Subclasses replace the look through the drawing hooks
// (drawBezelWithFrame, drawImage, drawTitle) and the rectangles.
class ButtonCell : public ActionCell {
    PF_CLASS(ButtonCell)
public:
    ButtonCell();
    explicit ButtonCell(const QString& title);

    Ref<Cell> copyCell() const override;

    ButtonType buttonType() const { return m_type; }
    // Also sets the highlight and state masks (and, for switches and radios, the image
    // position and border) as the type asks.
    void setButtonType(ButtonType type);
    BezelStyle bezelStyle() const { return m_bezelStyle; }
    void setBezelStyle(BezelStyle style) { m_bezelStyle = style; }
    unsigned highlightsBy() const { return m_highlightsBy; }
    void setHighlightsBy(unsigned mask) { m_highlightsBy = mask; }
    unsigned showsStateBy() const { return m_showsStateBy; }
    void setShowsStateBy(unsigned mask) { m_showsStateBy = mask; }
    // Whether a click moves the state on (types that show their state).
    bool changesStateOnClick() const;

    QString title() const override { return m_title; }
    void setTitle(const QString& title) override { m_title = title; }
    QString alternateTitle() const { return m_alternateTitle; }
    void setAlternateTitle(const QString& title) { m_alternateTitle = title; }
    Ref<Image> alternateImage() const { return m_alternateImage; }
    void setAlternateImage(const Ref<Image>& image) { m_alternateImage = image; }
    CellImagePosition imagePosition() const { return m_imagePosition; }
    void setImagePosition(CellImagePosition position) { m_imagePosition = position; }
    ImageScaling imageScaling() const { return m_imageScaling; }
    void setImageScaling(ImageScaling scaling) { m_imageScaling = scaling; }
    // An invalid colour draws the style's own background.
    Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const Color& colour) { m_backgroundColor = colour; }
    // Seconds a press must be held before the cell's menu pops up; 0 for no such menu.
    double menuDelay() const { return m_menuDelay; }
    void setMenuDelay(double seconds) { m_menuDelay = seconds; }

    // The object value of a button is its state.
    void setObjectValue(const QVariant& value) override;
    void setState(ControlState state) override;

    // What shows now: the alternates while highlighted or on where the masks say contents.
    QString effectiveTitle() const;
    Ref<Image> effectiveImage() const;
    // The state template images are tinted for.
    TemplateState templateState() const;

    // --- Geometry
    QRectF drawingRectForBounds(const QRectF& bounds) const override;
    QRectF titleRectForBounds(const QRectF& bounds) const override;
    QRectF imageRectForBounds(const QRectF& bounds) const override;
    QSizeF cellSizeForBounds(const QRectF& bounds) const override;
    // The check box, radio button or disclosure triangle of those types.
    QRectF indicatorRectForBounds(const QRectF& bounds) const;

    // --- Drawing hooks
    void drawWithFrame(const QRectF& frame, View* view) override;
    void drawInteriorWithFrame(const QRectF& frame, View* view) override;
    // The bezel (push buttons) or the indicator (switches, radios, disclosure triangles).
    virtual void drawBezelWithFrame(const QRectF& frame, View* view);
    virtual void drawImage(const Image& image, const QRectF& frame, View* view);
    virtual void drawTitle(const QString& title, const QRectF& frame, View* view);

    bool startTrackingAt(QPointF point, View* view) override;
    void stopTracking(QPointF last, QPointF current, View* view, bool mouseIsUp) override;

protected:
    // The style option for the bezel, with the state and highlighting filled in.
    void initStyleOption(QStyleOptionButton& option, const QRectF& rect, View* view) const;
    bool hasIndicator() const;
    // Pops the menu up while the press is still held.
    void showMenuForHeldPress(View* view, int press);

private:
    ButtonType m_type = ButtonType::MomentaryPushIn;
    BezelStyle m_bezelStyle = BezelStyle::Rounded;
    unsigned m_highlightsBy = PushInCellMask | ChangeGrayCellMask;
    unsigned m_showsStateBy = NoCellMask;
    QString m_title;
    QString m_alternateTitle;
    Ref<Image> m_alternateImage;
    CellImagePosition m_imagePosition = CellImagePosition::NoImage;
    ImageScaling m_imageScaling = ImageScaling::ProportionallyDown;
    Color m_backgroundColor;
    double m_menuDelay = 0;
    // Counts presses, so that a timer of an earlier press does nothing.
    int m_press = 0;
};

} // namespace pf
