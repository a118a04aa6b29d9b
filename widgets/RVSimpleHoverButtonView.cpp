#include "widgets/RVSimpleHoverButtonView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/Application.h"
#include "platform/ui/Cell.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/EventQueue.h"

#include <QPainter>

PF_DEFINE_CLASS(RVSimpleHoverButtonView, pf::View) {}

namespace {

pf::Ref<pf::Gradient> greyGradient(double start, double end)
{
    return std::make_shared<pf::Gradient>(pf::Color::withWhite(start, 1.0), pf::Color::withWhite(end, 1.0));
}

pf::Font fontOrFallback(const QString& name, double size, bool bold)
{
    pf::Font font = pf::Font::fromName(name, size);
    if (font.qFont().family().isEmpty() || !font.isValid())
        font = bold ? pf::Font::boldSystemFont(size) : pf::Font::systemFont(size);
    return font;
}

} // namespace

RVSimpleHoverButtonView::RVSimpleHoverButtonView(const QRectF& frame, QWidget* parent)
    : pf::View(frame, parent),
      mNormalGradient(defaultNormalGradient()),
      mHoverGradient(defaultHoverGradient()),
      mPressedGradient(defaultPressedGradient())
{
    addTrackingArea(std::make_shared<pf::TrackingArea>(
        QRectF(), pf::TrackingArea::MouseEnteredAndExited | pf::TrackingArea::CursorUpdate | pf::TrackingArea::ActiveInKeyWindow
                      | pf::TrackingArea::InVisibleRect,
        this));
}

pf::Ref<pf::Gradient> RVSimpleHoverButtonView::defaultNormalGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.9, 0.95);
    return gradient;
}

pf::Ref<pf::Gradient> RVSimpleHoverButtonView::defaultPressedGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.7, 0.5);
    return gradient;
}

pf::Ref<pf::Gradient> RVSimpleHoverButtonView::defaultHoverGradient()
{
    static const pf::Ref<pf::Gradient> gradient = greyGradient(0.9, 0.7);
    return gradient;
}

pf::Ref<pf::Gradient> RVSimpleHoverButtonView::gradientForState(unsigned state) const
{
    switch (state) {
    case Pressed: return mPressedGradient;
    case Hover: return mHoverGradient;
    default: return mNormalGradient;
    }
}

pf::AttributedString RVSimpleHoverButtonView::attributedStringForHoverButtonWithParts(const QStringList& parts)
{
    static const auto attributes = [] {
        auto paragraph = std::make_shared<pf::ParagraphStyle>();
        paragraph->setAlignment(pf::LeftTextAlignment);
        paragraph->setLineSpacing(3.0);
        const QVariant style = pf::toVariant(paragraph);
        const QVariantMap heading{
            {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(fontOrFallback(QStringLiteral("Myriad Pro Semibold"), 18.0, true)))},
            {pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color::withWhite(0.3)))},
            {pf::kParagraphStyleAttributeName, style},
        };
        const QVariantMap body{
            {pf::kFontAttributeName, pf::toVariant(std::make_shared<pf::Font>(fontOrFallback(QStringLiteral("Myriad Pro Light"), 15.0, false)))},
            {pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(pf::Color::grey()))},
            {pf::kParagraphStyleAttributeName, style},
        };
        return std::make_pair(heading, body);
    }();
    pf::AttributedString text;
    for (qsizetype i = 0; i < parts.size(); ++i)
        text.append(pf::AttributedString(parts[i] + QLatin1Char('\n'), i == 0 ? attributes.first : attributes.second));
    return text;
}

bool RVSimpleHoverButtonView::setContentImageFile(const QUrl& url)
{
    const pf::Ref<pf::Image> image = pf::Image::fromFile(url.toLocalFile());
    if (!image)
        return false;
    setContentImage(image);
    return true;
}

void RVSimpleHoverButtonView::setState(unsigned state)
{
    if (state == mState)
        return;
    mState = state;
    setNeedsDisplay();
}

void RVSimpleHoverButtonView::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    if (const pf::Ref<pf::Gradient> gradient = gradientForState(mState))
        gradient->drawInRect(painter, b, -90.0);
    if (mContentString) {
        const QRectF area = b.adjusted(kTextInset, kTextInset, -kTextInset, -kTextInset);
        pf::Cell::drawUpright(area, [this](QPainter& upright, const QRectF& rect) {
            pf::StringDrawing::draw(upright, *mContentString, rect);
        });
    } else if (mContentImage) {
        const QSizeF size = mContentImage->size();
        const QRectF at(b.center() - QPointF(size.width() / 2, size.height() / 2), size);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        mContentImage->draw(at, {}, pf::CompositingOperation::SourceOver, 1.0);
        painter.restore();
    }
    painter.save();
    painter.setPen(QPen(pf::Color::lightGrey().qColor(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(b.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

bool RVSimpleHoverButtonView::trackMouseWithEvent(const pf::Event&)
{
    setState(Pressed);
    const pf::EventMask mask = pf::eventMaskFromType(pf::LeftMouseDown) | pf::eventMaskFromType(pf::LeftMouseDragged)
                               | pf::eventMaskFromType(pf::LeftMouseUp);
    QPointer<RVSimpleHoverButtonView> self(this);
    bool inside = true;
    while (self) {
        const auto next = pf::Application::shared()->nextEventMatchingMask(mask, pf::EventQueue::kDistantFuture,
                                                                           pf::kEventTrackingRunLoopMode, true);
        if (!next || !self)
            return false;
        inside = bounds().contains(convertPointFromView(next->locationInWindow, nullptr));
        setState(inside ? Pressed : Normal);
        if (next->type == pf::LeftMouseUp)
            break;
    }
    if (!self)
        return false;
    setState(mHoverEnabled && inside ? Hover : Normal);
    if (inside && !mAction.isEmpty())
        pf::Application::shared()->sendAction(mAction, target(), QVariant::fromValue<QWidget*>(this));
    return inside;
}

void RVSimpleHoverButtonView::mouseDown(const pf::Event& event)
{
    trackMouseWithEvent(event);
}

void RVSimpleHoverButtonView::mouseEntered(const pf::Event&)
{
    if (mHoverEnabled)
        setState(Hover);
}

void RVSimpleHoverButtonView::mouseExited(const pf::Event&)
{
    setState(Normal);
}

void RVSimpleHoverButtonView::cursorUpdate(const pf::Event&)
{
    pf::Cursor::openHand().set();
}
