#include "widgets/BFPopoverColorWell.h"

#include "widgets/BFColorPickerPopover.h"
#include "widgets/ChequeredPattern.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/Gradient+VNQLApplicationColors.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ColorPanel.h"

#include <QPainter>
#include <QPainterPath>

PF_DEFINE_CLASS(BFPopoverColorWell, pf::ColorWell) {}

namespace {

pf::Ref<pf::Image> upDownArrows()
{
    static const pf::Ref<pf::Image> image = [] {
        if (pf::Ref<pf::Image> named = pf::Image::imageNamed(QStringLiteral("VN_Updown_Menu_Arrows")))
            return named;
        return pf::Image::withDrawing(QSizeF(7, 11), [](QPainter& painter, const QSizeF&) {
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath up;
            up.moveTo(0.5, 4.5);
            up.lineTo(3.5, 0.5);
            up.lineTo(6.5, 4.5);
            up.closeSubpath();
            QPainterPath down;
            down.moveTo(0.5, 6.5);
            down.lineTo(3.5, 10.5);
            down.lineTo(6.5, 6.5);
            down.closeSubpath();
            painter.fillPath(up, Qt::black);
            painter.fillPath(down, Qt::black);
        });
    }();
    return image;
}

} // namespace

BFPopoverColorWell::BFPopoverColorWell(QWidget* parent)
    : pf::ColorWell(parent)
{
}

BFPopoverColorWell::BFPopoverColorWell(const QRectF& frame, QWidget* parent)
    : pf::ColorWell(parent)
{
    setFrame(frame);
}

BFPopoverColorWell::~BFPopoverColorWell()
{
    if (mIsActive)
        deactivate();
    BFColorPickerPopover* shared = BFColorPickerPopover::sharedPopover();
    if (shared->delegate() == this)
        shared->setDelegate(nullptr);
}

BFColorPickerPopover* BFPopoverColorWell::popover() const
{
    return mHasPopover ? BFColorPickerPopover::sharedPopover() : nullptr;
}

void BFPopoverColorWell::activate(bool exclusive)
{
    if (mIsActive)
        return;
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    panel->setTarget(nullptr);
    if (mUseColorPanelIfAvailable && panel->isVisible()) {
        pf::ColorWell::activate(exclusive);
        mIsActive = true;
        return;
    }
    activateWithPopover();
}

void BFPopoverColorWell::activateWithPopover()
{
    if (mIsActive)
        return;
    BFColorPickerPopover* shared = BFColorPickerPopover::sharedPopover();
    mHasPopover = true;
    shared->setColor(color());
    shared->setColorWell(this);
    shared->setDelegate(this);
    shared->showRelativeToRect(bounds(), this, mPreferredEdgeForPopover);
    // The well takes the panel without the panel coming on screen.
    pf::ColorPanel::disablePanel();
    pf::ColorWell::activate(true);
    pf::ColorPanel::enablePanel();
    mIsActive = true;
}

void BFPopoverColorWell::deactivate()
{
    // Closing the popover reports back here; the first call does the work.
    if (!mIsActive || mDeactivating)
        return;
    mDeactivating = true;
    mIsActive = false;
    pf::ColorWell::deactivate();
    if (mHasPopover) {
        BFColorPickerPopover* shared = BFColorPickerPopover::sharedPopover();
        if (shared->colorWell() == this) {
            shared->setColorWell(nullptr);
            // A popover already closing is not asked again.
            if (!mPopoverClosing)
                shared->performClose();
        }
        mHasPopover = false;
    }
    mDeactivating = false;
}

void BFPopoverColorWell::clickCompleted()
{
    if (mIsActive) {
        deactivate();
        return;
    }
    BFColorPickerPopover* shared = BFColorPickerPopover::sharedPopover();
    if (shared->isShown()) {
        const bool animated = shared->animates();
        shared->setAnimates(false);
        shared->close();
        shared->setAnimates(animated);
    }
    shared->removeTargetAndAction();
    activate(!mShiftClick);
}

void BFPopoverColorWell::mouseDown(const pf::Event& event)
{
    mShiftClick = event.modifierFlags & pf::ShiftKeyMask;
    if (event.clickCount == 2 && pf::ColorPanel::sharedExists() && pf::ColorPanel::shared()->isVisible()) {
        // Editing moves from the panel into the popover.
        deactivate();
        activateWithPopover();
        return;
    }
    pf::ColorWell::mouseDown(event);
}

void BFPopoverColorWell::popoverWillClose(pf::Popover&, const QString& reason)
{
    if (reason != pf::NSPopoverCloseReasonStandard)
        return;
    QPointer<BFPopoverColorWell> self(this);
    if (!isContinuous())
        sendAction();
    if (!self)
        return;
    mPopoverClosing = true;
    deactivate();
    mPopoverClosing = false;
}

// --- Drawing

void BFPopoverColorWell::drawRect(const QRectF& dirtyRect)
{
    switch (mColorWellStyle) {
    case PopUpMenuStyle: drawPopUpMenuStyleColorWell(dirtyRect); break;
    case RoundStyle: drawRoundStyleColorWell(dirtyRect); break;
    default: pf::ColorWell::drawRect(dirtyRect); break;
    }
}

void BFPopoverColorWell::drawPopUpMenuStyleColorWell(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    const bool enabled = isEnabled();
    const QRectF r0 = centerScanRect(b.adjusted(3.0, 3.0, -3.0, -3.0));
    QPainterPath rounded;
    rounded.addRoundedRect(r0, 4.0, 4.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(rounded, Qt::IntersectClip);
    if (mIsActive)
        painter.fillRect(dirtyRect, pf::Color::lightGrey().qColor());
    else
        VNQLSelectedControlGradient()->drawInRect(painter, r0, 90.0);
    const QRectF r1 = centerScanRect(r0.adjusted(0, 0, -13.0, 0));
    if (color().alphaComponent() < 1.0)
        painter.fillRect(r1, chequeredPatternColour().brush());
    painter.fillRect(r1, color().brush());
    const QColor frame = enabled ? VNQLControlFrameColour().qColor() : pf::Color::lightGrey().qColor();
    const double separator = b.right() - 14.0 + 0.5;
    painter.setPen(QPen(frame, 0.8));
    painter.drawLine(QPointF(separator, b.top()), QPointF(separator, b.bottom()));
    painter.setClipping(false);
    painter.setPen(QPen(frame, 1.0));
    painter.drawPath(rounded);
    painter.setPen(QPen(enabled ? pf::Color::lightGrey().qColor() : pf::Color::withWhite(0.85).qColor(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r1);
    painter.restore();
    if (enabled) {
        const pf::Ref<pf::Image> arrows = upDownArrows();
        const QRectF box = centerScanRect(QRectF(b.right() - 14.0, b.top() + 4.0, 14.0, std::max(0.0, b.height() - 8.0)));
        const QRectF fitted = pf::Cell::scaledImageRect(arrows->size(), box, pf::ImageScaling::ProportionallyUpOrDown);
        arrows->draw(fitted, {}, pf::CompositingOperation::SourceOver, 0.7);
    }
}

void BFPopoverColorWell::drawRoundStyleColorWell(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const bool enabled = isEnabled();
    const QRectF r0 = centerScanRect(bounds().adjusted(1.0, 1.0, -1.0, -1.0));
    QPainterPath outer;
    outer.addEllipse(r0);
    const QColor frame = enabled ? VNQLControlFrameColour().qColor() : pf::Color::lightGrey().qColor();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(outer, Qt::IntersectClip);
    if (mIsActive)
        painter.fillRect(dirtyRect, pf::Color::lightGrey().qColor());
    else
        VNQLSelectedControlGradient()->drawInRect(painter, r0, 90.0);
    QPainterPath inner;
    inner.addEllipse(r0.adjusted(3.0, 3.0, -3.0, -3.0));
    if (color().alphaComponent() < 1.0)
        painter.fillPath(inner, chequeredPatternColour().brush());
    painter.fillPath(inner, color().brush());
    painter.strokePath(inner, QPen(frame, 0.33));
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(outer, QPen(frame, 0.33));
    painter.restore();
}
