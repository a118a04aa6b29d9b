#include "widgets/RVSourceListCell.h"

#include "frameworks/penwork/geometry/Geometry.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/Window.h"

#include <algorithm>

PF_DEFINE_CLASS(RVSourceListCell, RSVerticallyCenteredTextFieldCell) {}

namespace {

bool isInMainWindow(const pf::View* view)
{
    if (!view || !view->window())
        return false;
    if (auto* window = qobject_cast<pf::Window*>(view->window()))
        return window->isMainWindow();
    return view->window()->isActiveWindow();
}

pf::AttributedString badgeText(quint64 count, const pf::Color& colour)
{
    QVariantMap attributes = RVSourceListCell::badgeAttributes();
    attributes.insert(pf::kForegroundColorAttributeName, pf::toVariant(std::make_shared<pf::Color>(colour)));
    return pf::AttributedString(QString::number(qint64(count)), attributes);
}

} // namespace

RVSourceListCell::RVSourceListCell() : RVSourceListCell(QString()) {}

RVSourceListCell::RVSourceListCell(const QString& text) : RSVerticallyCenteredTextFieldCell(text) {}

pf::Ref<pf::Cell> RVSourceListCell::copyCell() const
{
    auto copy = std::make_shared<RVSourceListCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

const QVariantMap& RVSourceListCell::badgeAttributes()
{
    static const QVariantMap attributes{
        {pf::kFontAttributeName,
         pf::toVariant(std::make_shared<pf::Font>(pf::Font::fromName(QStringLiteral("Helvetica-Bold"), 11.0)))},
    };
    return attributes;
}

quint64 RVSourceListCell::shownBadgeCount() const
{
    return mBadgeCount == 0 ? kNoBadge : mBadgeCount;
}

QRectF RVSourceListCell::iconRectForFrame(const QRectF& frame) const
{
    if (!image())
        return {};
    const double side = frame.height() - 1.0;
    return QRectF(frame.x() + 2.0, frame.y(), side, side).adjusted(1, 1, -1, -1);
}

QRectF RVSourceListCell::badgeRectForFrame(const QRectF& frame) const
{
    const quint64 count = shownBadgeCount();
    if (count == kNoBadge)
        return {};
    const QSizeF text = pf::StringDrawing::size(badgeText(count, pf::Color::white()));
    const double width = std::max(kBadgeMinimumTextWidth, text.width()) + 8.0;
    const double height = std::min(frame.height() - 6.0, text.height() + 2.0);
    return QRectF(frame.right() - width - 1.0, frame.y() + (frame.height() - height) / 2, width, height);
}

QRectF RVSourceListCell::busyRectForFrame(const QRectF& frame) const
{
    if (!mBusy)
        return {};
    return QRectF(frame.right() - frame.height() - 1.0, frame.y(), frame.height(), frame.height());
}

QRectF RVSourceListCell::textRectForFrame(const QRectF& frame) const
{
    QRectF text = frame;
    if (mBusy) {
        text.setWidth(busyRectForFrame(frame).x() - frame.x() - 5.0);
    } else if (const QRectF badge = badgeRectForFrame(frame); !badge.isNull()) {
        text.setWidth(badge.x() - frame.x() - 5.0);
    }
    if (const QRectF icon = iconRectForFrame(frame); !icon.isNull()) {
        const double width = text.width() - (icon.width() + 3.0);
        text.setX(icon.right() + 3.0);
        text.setWidth(width);
    }
    return text;
}

QRectF RVSourceListCell::drawingRectForBounds(const QRectF& bounds) const
{
    QRectF rect = RSVerticallyCenteredTextFieldCell::drawingRectForBounds(bounds);
    const QRectF text = textRectForFrame(bounds);
    rect.setX(text.x());
    rect.setWidth(text.width());
    return rect;
}

RVSourceListCell::BadgeColours RVSourceListCell::badgeColoursFor(bool highlighted, bool windowIsMain) const
{
    const pf::Color inactive = pf::Color::withWhite(2.0 / 3.0);
    if (!highlighted)
        return {windowIsMain ? mBadgeColour : inactive, pf::Color::white()};
    return {pf::Color::white(), windowIsMain ? mBadgeColour : inactive};
}

void RVSourceListCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    RSVerticallyCenteredTextFieldCell::drawInteriorWithFrame(frame, view);
    drawIconForFrame(frame, view);
    if (mBusy)
        drawBusyIndicatorForFrame(frame, view);
    else
        drawBadgeForFrame(frame, view);
}

void RVSourceListCell::drawIconForFrame(const QRectF& frame, pf::View* view)
{
    Q_UNUSED(view)
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    const pf::Ref<pf::Image> icon = image();
    if (!context || !icon)
        return;
    const QRectF rect = pw::ScaledRectForSize(icon->size(), iconRectForFrame(frame));
    pf::GraphicsStateSaver saved(context);
    context->setImageInterpolation(pf::ImageInterpolation::High);
    icon->draw(*context, rect, {}, pf::CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.5, true);
}

void RVSourceListCell::drawBadgeForFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    const QRectF rect = badgeRectForFrame(frame);
    if (!context || rect.isNull())
        return;
    const BadgeColours colours = badgeColoursFor(isHighlighted(), isInMainWindow(view));
    const double radius = rect.height() / 2;
    context->setFillColour(colours.fill);
    context->fillPath(*pf::BezierPath::pathWithRoundedRect(rect, radius, radius));
    const pf::AttributedString text = badgeText(shownBadgeCount(), colours.text);
    const QSizeF size = pf::StringDrawing::size(text);
    QRectF textRect(QPointF(0, 0), size);
    textRect.moveCenter(rect.center());
    pf::Cell::drawUpright(textRect, [&text](QPainter& painter, const QRectF& local) {
        pf::StringDrawing::draw(painter, text, local);
    });
}

void RVSourceListCell::drawBusyIndicatorForFrame(const QRectF& frame, pf::View* view)
{
    Q_UNUSED(frame)
    Q_UNUSED(view)
}
