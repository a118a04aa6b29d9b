#include "widgets/RVStyleButtonCell.h"

#include "widgets/Color+RVStyleButton.h"
#include "widgets/RVStyleButtonCellDelegate.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/EventQueue.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(RVStyleButtonCell, pf::ButtonCell)
{
    b.property("cornerRadius", &RVStyleButtonCell::cornerRadius, &RVStyleButtonCell::setCornerRadius);
    b.property("showsMenuAfterDelay", &RVStyleButtonCell::showsMenuAfterDelay,
               &RVStyleButtonCell::setShowsMenuAfterDelay);
    b.method("copyAction:", &RVStyleButtonCell::copyAction);
}

RVStyleButtonCell::RVStyleButtonCell()
{
    setDefaults(pf::Color::rgbGrey(1.0));
}

RVStyleButtonCell::RVStyleButtonCell(const QString& title)
    : pf::ButtonCell(title)
{
    setDefaults(pf::Color::rgbGrey(1.0));
}

RVStyleButtonCell::~RVStyleButtonCell()
{
    cancelMenuTimer();
}

void RVStyleButtonCell::setDefaults(const pf::Color& background)
{
    setHighlightsBy(pf::ChangeBackgroundCellMask);
    setBordered(true);
    setBackgroundColor(background);
    mOnStateColour = stickyButtonColour();
    mMixedStateColour = pf::Color::blue();
    mCornerRadius = 6.0;
}

void RVStyleButtonCell::awakeFromNib()
{
    setDefaults(pf::Color::rgbGrey(0.93));
}

pf::Ref<pf::Cell> RVStyleButtonCell::copyCell() const
{
    auto copy = std::make_shared<RVStyleButtonCell>(*this);
    copy->setControlView(nullptr);
    // A copy starts without a pending press of its own.
    copy->mMenuTimer.reset();
    return copy;
}

const pf::Gradient& RVStyleButtonCell::backgroundFillGradient()
{
    static const pf::Gradient gradient(pf::Color::rgbGrey(0.9), pf::Color::rgbGrey(0.98));
    return gradient;
}

pf::Color RVStyleButtonCell::colourForCurrentState() const
{
    pf::Color colour;
    switch (state()) {
    case pf::ControlState::Mixed:
        colour = mMixedStateColour;
        break;
    case pf::ControlState::On:
        colour = mOnStateColour;
        break;
    default:
        colour = backgroundColor();
        break;
    }
    if (!colour.isValid())
        return pf::Color::clear();
    if (isHighlighted() || state() != pf::ControlState::Off)
        colour = colour.shadowWithLevel(0.1);
    return colour;
}

pf::Gradient RVStyleButtonCell::gradientForCurrentState() const
{
    const pf::Color start = colourForCurrentState();
    const bool active = isHighlighted() || state() != pf::ControlState::Off;
    return pf::Gradient(start, start.shadowWithLevel(active ? 0.1 : 0.05));
}

void RVStyleButtonCell::drawBezelWithFrame(const QRectF& frame, pf::View*)
{
    if (mDrawingDelegate)
        mDrawingDelegate->styleButtonCellWillDrawBackgroundInFrame(*this, frame);
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QPainterPath path = pf::BezierPath::pathWithRoundedRect(frame, mCornerRadius, mCornerRadius)->toQPainterPath();
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (isEnabled())
        gradientForCurrentState().drawInPath(painter, path, 90.0);
    if (isBordered() && isEnabled()) {
        const double width = state() == pf::ControlState::Off ? 0.5 : 0.75;
        painter.strokePath(path, QPen(pf::Color::darkGrey().qColor(), width));
    }
    painter.restore();
}

void RVStyleButtonCell::drawImage(const pf::Image& image, const QRectF& frame, pf::View* view)
{
    if (std::isnan(frame.width()) || std::isnan(frame.height()))
        return;
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const QRectF inset = frame.adjusted(1.5, 1.5, -1.5, -1.5);
    context->saveGraphicsState();
    context->setImageInterpolation(pf::ImageInterpolation::High);
    context->setCompositingOperation(pf::CompositingOperation::SourceOver);
    pf::ButtonCell::drawImage(image, inset, view);
    if (!isEnabled())
        context->painter().fillRect(inset, QColor::fromRgbF(1, 1, 1, 0.25));
    if (menu() && mShowMenuAfterDelay) {
        if (auto triangle = pf::Image::imageNamed(QStringLiteral("menu_triangle"))) {
            const QSizeF size = triangle->size();
            const QPointF at(std::floor(frame.right() - size.width()) + 4.0, std::floor(frame.bottom() - size.height()) + 1.0);
            context->setImageInterpolation(pf::ImageInterpolation::Low);
            triangle->draw(QRectF(at, size));
        }
    }
    context->restoreGraphicsState();
}

void RVStyleButtonCell::drawImage(const pf::Image& image, const QRectF& rect, bool flipped,
                                  pf::ImageInterpolation quality, double fraction)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    context->saveGraphicsState();
    context->setImageInterpolation(quality);
    if (flipped) {
        // About the rectangle's own middle, so the image stays where it was asked to be.
        QTransform flip;
        flip.translate(0, rect.y() * 2 + rect.height());
        flip.scale(1, -1);
        context->painter().setTransform(flip, true);
    }
    if (image.isTemplate())
    {
        pf::Shadow shadow;
        shadow.setShadowColor(pf::Color::white());
        shadow.setShadowOffset(QSizeF(1.5, -1.5));
        shadow.setShadowBlurRadius(0);
        context->setShadow(shadow);
    }
    image.draw(rect, {}, pf::CompositingOperation::SourceOver, fraction);
    context->restoreGraphicsState();
}

QRectF RVStyleButtonCell::imageRectForBounds(const QRectF& bounds) const
{
    return bounds.adjusted(1.0, 1.0, -1.0, -1.0);
}

bool RVStyleButtonCell::startTrackingAt(QPointF point, pf::View* view)
{
    if (menu() && mShowMenuAfterDelay && !mMenuTimer && view) {
        pf::Weak<pf::Object> weakSelf = weak_from_this();
        mMenuTimer = pf::Timer::scheduledTimer(
            kMenuDelay, false,
            [weakSelf](pf::Timer&) {
                if (auto self = std::dynamic_pointer_cast<RVStyleButtonCell>(weakSelf.lock()))
                    self->menuDelayCallback();
            },
            {pf::kEventTrackingRunLoopMode, pf::kDefaultRunLoopMode});
        mMouseDownPoint = view->convertPointToView(point, nullptr);
        mTrackingView = view;
    }
    return pf::ButtonCell::startTrackingAt(point, view);
}

void RVStyleButtonCell::stopTracking(QPointF last, QPointF current, pf::View* view, bool mouseIsUp)
{
    // A release before the delay is a plain click: the menu must not pop up afterwards.
    cancelMenuTimer();
    pf::ButtonCell::stopTracking(last, current, view, mouseIsUp);
}

void RVStyleButtonCell::cancelMenuTimer()
{
    if (mMenuTimer)
        mMenuTimer->invalidate();
    mMenuTimer.reset();
}

void RVStyleButtonCell::menuDelayCallback()
{
    mMenuTimer.reset();
    pf::View* view = mTrackingView;
    pf::Ref<pf::Menu> shown = menu();
    if (!isHighlighted() || !view || !shown)
        return;
    const pf::Event* current = pf::Application::shared()->currentEvent();
    pf::Menu::popUpContextMenu(*shown, current, view);
    // The menu swallowed the real release: end the button's tracking with one of our own.
    pf::Event up = pf::Event::mouseEvent(pf::LeftMouseUp, mMouseDownPoint, 0, pf::Event::now(), 0, 0, 1, 0.0);
    up.window = view->window();
    pf::EventQueue::shared().postEvent(up, true);
    if (auto* matrix = qobject_cast<pf::Matrix*>(view)) {
        for (int row = 0; row < matrix->numberOfRows(); ++row) {
            for (int column = 0; column < matrix->numberOfColumns(); ++column) {
                if (matrix->cellAtRow(row, column) == this)
                    matrix->selectCellAtRow(row, column);
            }
        }
    }
    setState(pf::ControlState::On);
}

pf::Ref<pf::Menu> RVStyleButtonCell::menu() const
{
    if (auto own = pf::ButtonCell::menu())
        return own;
    const auto object = pf::fromVariant<pf::Ref<pf::Object>>(representedObject());
    if (!object || !object->respondsTo(QStringLiteral("name")))
        return nullptr;
    const QString name = object->valueForKey(QStringLiteral("name")).toString();
    const QString format = pf::Bundle::main().localizedString(QStringLiteral("Copy '%@'"), QString());
    auto copyMenu = std::make_shared<pf::Menu>();
    QString title = format.isEmpty() ? QStringLiteral("Copy '%@'") : format;
    title.replace(QStringLiteral("%@"), name);
    auto item = copyMenu->addItem(title, QStringLiteral("copyAction:"));
    item->setTarget(const_cast<RVStyleButtonCell*>(this));
    return copyMenu;
}

void RVStyleButtonCell::copyAction(const QVariant&)
{
    const auto object = pf::fromVariant<pf::Ref<pf::Object>>(representedObject());
    if (object && object->respondsTo(QStringLiteral("copyToPasteboard:")))
        object->perform(QStringLiteral("copyToPasteboard:"), {pf::toVariant(pf::Pasteboard::general())});
}
