#include "widgets/BFColorPickerPopoverView.h"

#include "widgets/BFColorPickerPopover.h"

#include "platform/ui/ColorPanel.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <cmath>

PF_DEFINE_CLASS(BFColorPickerPopoverView, pf::View) {}

BFColorPickerPopoverView::~BFColorPickerPopoverView()
{
    // The pickers are the colour panel's: they go back to it rather than down with this view.
    if (mPickerView && mPickerView->parentWidget() == this && pf::ColorPanel::sharedExists())
        pf::ColorPanel::shared()->reclaimPickerView();
}

void BFColorPickerPopoverView::setPickerView(QWidget* view, double topInset)
{
    mPickerView = view;
    mPickerTopInset = topInset;
    if (!view)
        return;
    view->setParent(this);
    layoutPickerView();
    view->show();
}

void BFColorPickerPopoverView::setFrameSize(QSizeF size)
{
    pf::View::setFrameSize(size);
    layoutPickerView();
}

void BFColorPickerPopoverView::layoutPickerView()
{
    // The pickers fill the view below the tab bar and follow its size.
    if (mPickerView && mPickerView->parentWidget() == this)
        mPickerView->setGeometry(QRectF(0, mPickerTopInset, width(), std::max(0.0, height() - mPickerTopInset)).toRect());
}

void BFColorPickerPopoverView::mouseDown(const pf::Event& event)
{
    pf::Window* window = BFColorPickerPopover::sharedPopover()->window();
    if (!window)
        return;
    mOriginalWindowOrigin = window->frame().topLeft();
    mOriginalMouseOffset = event.locationInWindow;
    mDragging = true;
}

void BFColorPickerPopoverView::mouseDragged(const pf::Event& event)
{
    BFColorPickerPopover* popover = BFColorPickerPopover::sharedPopover();
    pf::Window* window = popover->window();
    if (!mDragging || !window)
        return;
    const QPointF before = window->frame().topLeft();
    const QPointF offset = event.locationInWindow - mOriginalMouseOffset;
    window->setFrameOrigin(before + offset);
    const QPointF moved = before - mOriginalWindowOrigin;
    // Far from its anchor, the popover hides its arrow.
    popover->setHidesAnchor(std::hypot(moved.x(), moved.y()) >= kTearOffDistance);
}

void BFColorPickerPopoverView::mouseUp(const pf::Event&)
{
    BFColorPickerPopover* popover = BFColorPickerPopover::sharedPopover();
    pf::Window* window = popover->window();
    if (!mDragging || !window) {
        mDragging = false;
        return;
    }
    const QPointF moved = window->frame().topLeft() - mOriginalWindowOrigin;
    if (std::hypot(moved.x(), moved.y()) >= kTearOffDistance) {
        pf::ColorPanel* panel = pf::ColorPanel::shared();
        if (mPickerView) {
            const QRectF onScreen = pf::Screen::fromQt(QRectF(QRectF(mPickerView->mapToGlobal(QPointF(0, 0)), QSizeF(mPickerView->size()))));
            panel->setFrameFromContentRect(onScreen);
        }
        popover->closeAndDeactivateColorWell(false, false, false);
        panel->orderFront();
    } else {
        QRectF frame = window->frame();
        frame.moveTopLeft(mOriginalWindowOrigin);
        window->setFrame(frame, true, true);
    }
    popover->setHidesAnchor(false);
    mDragging = false;
}
