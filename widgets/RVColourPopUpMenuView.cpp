#include "widgets/RVColourPopUpMenuView.h"

#include "widgets/ChequeredPattern.h"
#include "widgets/RVColorWell.h"
#include "widgets/RVColourPickerView.h"
#include "widgets/RVWindowMenu.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Application.h"
#include "platform/ui/ColorPanel.h"

#include <QPainter>
#include <QPainterPath>

PF_DEFINE_CLASS(RVColourPopUpMenuView, pf::Control)
{
    b.method("colourChangeFromPicker:", &RVColourPopUpMenuView::colourChangeFromPicker);
    b.method("proxyWellColorChange:", &RVColourPopUpMenuView::proxyWellColorChange);
    b.method("proxyWellDeactivated:", &RVColourPopUpMenuView::proxyWellDeactivated);
}

namespace {

// A turn-down arrow 24 points high: the application's image when it has one.
pf::Ref<pf::Image> arrowImage(const QString& name, const QColor& shade)
{
    if (const pf::Ref<pf::Image> named = pf::Image::imageNamed(name)) {
        const QSizeF size = named->size();
        pf::Ref<pf::Image> copy = named->resized(QSizeF(size.height() > 0 ? size.width() * 24.0 / size.height() : 24.0, 24.0));
        copy->setCacheMode(pf::ImageCacheMode::Never);
        return copy;
    }
    return pf::Image::withDrawing(QSizeF(24.0, 24.0), [shade](QPainter& painter, const QSizeF&) {
        QPainterPath path;
        path.moveTo(8, 9);
        path.lineTo(16, 9);
        path.lineTo(12, 14);
        path.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, shade);
    });
}

} // namespace

RVColourPopUpMenuView::RVColourPopUpMenuView(const QRectF& frame, QWidget* parent)
    : pf::Control(parent)
{
    setFrame(frame);
    pf::Control::setEnabled(true);
    setColor(pf::Color::grey());
    // The proxy links the control to the colour panel; it is never shown.
    mProxyWell = new RVColorWell;
    mProxyWell->resize(frame.size().toSize());
    mProxyWell->setTarget(this);
    mProxyWell->setAction(QStringLiteral("proxyWellColorChange:"));
    mProxyWell->setColor(mColour);
    pf::NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("proxyWellDeactivated:"), kRVColorWellDeactivated,
                                                        mProxyWell);
}

RVColourPopUpMenuView::~RVColourPopUpMenuView()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    pf::RunLoop::main().cancel(mPendingMenu);
    // The colour panel must never serve a control that is gone.
    mProxyWell->deactivate();
    if (mSelected && mNoTransparency && pf::ColorPanel::sharedExists())
        pf::ColorPanel::shared()->setShowsAlpha(true);
    delete mProxyWell;
}

pf::Ref<pf::Image> RVColourPopUpMenuView::popUpMenuTriangleImage()
{
    static const pf::Ref<pf::Image> image = arrowImage(QStringLiteral("VN_Colour_Well_Turn_Down_Arrow_Dark"), QColor(30, 30, 30));
    return image;
}

pf::Ref<pf::Image> RVColourPopUpMenuView::invertedPopUpMenuTriangleImage()
{
    static const pf::Ref<pf::Image> image = arrowImage(QStringLiteral("VN_Colour_Well_Turn_Down_Arrow_Light"), QColor(240, 240, 240));
    return image;
}

void RVColourPopUpMenuView::setColor(const pf::Color& colour)
{
    pf::Color stored = colour;
    if (mNoTransparency && stored.isValid())
        stored = stored.colorWithAlphaComponent(1.0);
    mColour = stored;
    setNeedsDisplay();
    if (stored.isValid() && mProxyWell)
        mProxyWell->setColor(stored);
}

void RVColourPopUpMenuView::setHighlighted(bool highlighted)
{
    if (highlighted == mHighlighted)
        return;
    mHighlighted = highlighted;
    setNeedsDisplay();
}

void RVColourPopUpMenuView::setSelected(bool selected)
{
    if (selected == mSelected)
        return;
    mSelected = selected;
    setNeedsDisplay();
    if (selected) {
        mProxyWell->activate(true);
        if (mNoTransparency)
            pf::ColorPanel::shared()->setShowsAlpha(false);
    } else {
        mProxyWell->deactivate();
        if (mNoTransparency && pf::ColorPanel::sharedExists())
            pf::ColorPanel::shared()->setShowsAlpha(true);
    }
}

void RVColourPopUpMenuView::setEnabled(bool enabled)
{
    if (enabled == isEnabled())
        return;
    pf::Control::setEnabled(enabled);
    setNeedsDisplay();
    if (!enabled)
        mProxyWell->deactivate();
}

void RVColourPopUpMenuView::takeColour(const pf::Color& colour)
{
    setColor(colour);
    if (!action().isEmpty())
        pf::Application::shared()->sendAction(action(), target(), senderValue());
}

void RVColourPopUpMenuView::colourChangeFromPicker(const QVariant& sender)
{
    if (auto* picker = qobject_cast<RVColourPickerView*>(sender.value<QObject*>()))
        takeColour(picker->color());
}

void RVColourPopUpMenuView::proxyWellColorChange(const QVariant&)
{
    if (isEnabled())
        takeColour(mProxyWell->color());
}

void RVColourPopUpMenuView::proxyWellDeactivated(const QVariant& notification)
{
    const auto note = notification.value<pf::Notification>();
    if (note.object == mProxyWell)
        setSelected(false);
}

// --- Mouse

void RVColourPopUpMenuView::mouseDown(const pf::Event& event)
{
    if (!isEnabled())
        return;
    if (menuDelay() > 0) {
        QPointer<RVColourPopUpMenuView> self(this);
        pf::RunLoop::main().cancel(mPendingMenu);
        mPendingMenu = pf::RunLoop::main().perform([self, event] {
            if (self) {
                self->mPendingMenu = 0;
                self->trackMenuWithEvent(event);
            }
        }, menuDelay());
    } else {
        trackMenuWithEvent(event);
    }
}

void RVColourPopUpMenuView::mouseUp(const pf::Event& event)
{
    pf::RunLoop::main().cancel(mPendingMenu);
    mPendingMenu = 0;
    if (isEnabled() && bounds().contains(convertPointFromView(event.locationInWindow, nullptr)))
        setSelected(!mSelected);
}

void RVColourPopUpMenuView::trackMenuWithEvent(const pf::Event& event)
{
    QPointer<RVColourPopUpMenuView> self(this);
    setHighlighted(true);
    mMenuIsPoppedUp = true;
    const QRectF b = bounds();
    const QPointF anchor = convertPointToView(QPointF(b.x(), b.bottom()), nullptr);
    auto* picker = new RVColourPickerView(QRectF(0, 0, 225, 225));
    picker->setMode((event.modifierFlags & pf::AlternateKeyMask) ? RVColourPickerView::SpectrumMode : RVColourPickerView::SwatchMode);
    picker->setTarget(this);
    picker->setAction(QStringLiteral("colourChangeFromPicker:"));
    picker->setColorForUndefinedSelection(mColour);
    picker->setShowsInfo(false);
    picker->setBrightness(mColour.isValid() && !mColour.isPattern() ? mColour.brightnessComponent() : 0.5);
    RVWindowMenu* menu = RVWindowMenu::windowMenuWithContentView(picker);
    RVWindowMenu::popUpWindowMenu(menu, anchor, event, this);
    if (!self)
        return;
    setHighlighted(false);
    mMenuIsPoppedUp = false;
}

// --- Drawing

void RVColourPopUpMenuView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    const bool enabled = isEnabled();
    pf::Color background = pf::Color::white();
    if (!enabled)
        background = pf::SystemColor::windowBackground();
    else if (mHighlighted)
        background = pf::Color::grey();
    else if (mSelected)
        background = pf::SystemColor::currentControlTint();
    painter.fillRect(b, background.brush());
    const QRectF inner = b.adjusted(4.0, 4.0, -4.0, -4.0);
    if (mColour.isValid()) {
        if (mColour.alphaComponent() < 1.0)
            painter.fillRect(inner, chequeredPatternColour().brush());
        painter.fillRect(inner, mColour.brush());
    }
    const QColor frame = (enabled ? pf::Color::darkGrey() : pf::Color::lightGrey()).qColor();
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(frame, 0.5));
    painter.drawRect(b);
    painter.setPen(QPen(frame, 0.25));
    painter.drawRect(inner);
    painter.restore();
    if (enabled) {
        const pf::Ref<pf::Image> arrow = mColour.luminosity() > 0.5 ? popUpMenuTriangleImage() : invertedPopUpMenuTriangleImage();
        arrow->draw(QRectF(QPointF(b.right() - 23.0, b.bottom() - 21.0), arrow->size()), {}, pf::CompositingOperation::SourceOver, 0.9);
    }
}
