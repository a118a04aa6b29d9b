#pragma once

#include "platform/ui/ColorWell.h"
#include "platform/ui/Popover.h"
#include "platform/ui/PopoverDelegate.h"

#include <QPointer>

class BFColorPickerPopover;

// A colour well that edits its colour in the shared popover of the colour panel's pickers, or
// in the colour panel itself when that is on screen, and draws itself as a pop-up menu or a
// round swatch.
class BFPopoverColorWell : public pf::ColorWell, public pf::PopoverDelegate {
    Q_OBJECT
    PF_CLASS(BFPopoverColorWell)
public:
    enum Style : int { PlatformStyle = 0, PopUpMenuStyle = 1, RoundStyle = 2 };

    explicit BFPopoverColorWell(QWidget* parent = nullptr);
    explicit BFPopoverColorWell(const QRectF& frame, QWidget* parent = nullptr);
    ~BFPopoverColorWell() override;

    bool isActive() const { return mIsActive; }
    // Edits in the colour panel when it is on screen and allowed, otherwise in the popover.
    void activate(bool exclusive) override;
    void activateWithPopover();
    void deactivate() override;

    bool useColorPanelIfAvailable() const { return mUseColorPanelIfAvailable; }
    void setUseColorPanelIfAvailable(bool use) { mUseColorPanelIfAvailable = use; }
    int colorWellStyle() const { return mColorWellStyle; }
    void setColorWellStyle(int style) { mColorWellStyle = style; setNeedsDisplay(); }
    int preferredEdgeForPopover() const { return mPreferredEdgeForPopover; }
    void setPreferredEdgeForPopover(int edge) { mPreferredEdgeForPopover = edge; }
    BFColorPickerPopover* popover() const;

    void mouseDown(const pf::Event& event) override;
    void drawRect(const QRectF& dirtyRect) override;
    void drawPopUpMenuStyleColorWell(const QRectF& dirtyRect);
    void drawRoundStyleColorWell(const QRectF& dirtyRect);

    void popoverWillClose(pf::Popover& popover, const QString& reason) override;
    pf::Window* detachableWindowForPopover(pf::Popover&) override { return nullptr; }

protected:
    // The click on a well: an active well lets go; otherwise any shown popover closes and
    // this well takes over (exclusively unless Shift was down).
    void clickCompleted() override;

private:
    bool mUseColorPanelIfAvailable = true;
    bool mIsActive = false;
    bool mDeactivating = false;
    bool mPopoverClosing = false;
    bool mShiftClick = false;
    int mColorWellStyle = PopUpMenuStyle;
    int mPreferredEdgeForPopover = pf::MaxXEdge;
    bool mHasPopover = false;
};
