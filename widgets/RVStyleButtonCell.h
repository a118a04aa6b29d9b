#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ButtonCell.h"

namespace pf {
class Timer;
}

class RVStyleButtonCellDelegate;

// The button cell of the tool palette and other icon buttons: a rounded bezel filled with a
// gradient from a colour chosen by the state, an optional menu that pops up when the button is
// held for a second, and a hook for the control's delegate to set the colours per button.
class RVStyleButtonCell : public pf::ButtonCell {
    PF_CLASS(RVStyleButtonCell)
public:
    static constexpr double kMenuDelay = 1.0;

    RVStyleButtonCell();
    explicit RVStyleButtonCell(const QString& title);
    ~RVStyleButtonCell() override;

    pf::Ref<pf::Cell> copyCell() const override;
    // A cell from an interface file: a slightly darker background.
    void awakeFromNib();

    static const pf::Gradient& backgroundFillGradient();
    pf::Color colourForCurrentState() const;
    pf::Gradient gradientForCurrentState() const;

    double cornerRadius() const { return mCornerRadius; }
    void setCornerRadius(double radius) { mCornerRadius = radius; }
    pf::Color onStateColour() const { return mOnStateColour; }
    void setOnStateColour(const pf::Color& colour) { mOnStateColour = colour; }
    pf::Color mixedStateColour() const { return mMixedStateColour; }
    void setMixedStateColour(const pf::Color& colour) { mMixedStateColour = colour; }
    bool showsMenuAfterDelay() const { return mShowMenuAfterDelay; }
    void setShowsMenuAfterDelay(bool shows) { mShowMenuAfterDelay = shows; }
    // The delegate of the control view, when the hook is wanted (not owned).
    void setDrawingDelegate(RVStyleButtonCellDelegate* delegate) { mDrawingDelegate = delegate; }
    bool hasPendingMenuTimer() const { return mMenuTimer != nullptr; }

    void drawBezelWithFrame(const QRectF& frame, pf::View* view) override;
    void drawImage(const pf::Image& image, const QRectF& frame, pf::View* view) override;
    void drawImage(const pf::Image& image, const QRectF& rect, bool flipped, pf::ImageInterpolation quality,
                   double fraction);
    QRectF imageRectForBounds(const QRectF& bounds) const override;

    bool startTrackingAt(QPointF point, pf::View* view) override;
    void stopTracking(QPointF last, QPointF current, pf::View* view, bool mouseIsUp) override;
    void menuDelayCallback();

    // The cell's own menu, else a "Copy '<name>'" menu for a represented object with a name.
    pf::Ref<pf::Menu> menu() const override;
    void copyAction(const QVariant& sender = {});

private:
    void setDefaults(const pf::Color& background);
    void cancelMenuTimer();

    double mCornerRadius = 6.0;
    pf::Color mOnStateColour;
    pf::Color mMixedStateColour;
    bool mShowMenuAfterDelay = false;
    pf::Ref<pf::Timer> mMenuTimer;
    QPointF mMouseDownPoint;
    QPointer<pf::View> mTrackingView;
    RVStyleButtonCellDelegate* mDrawingDelegate = nullptr;
};
