#include "widgets/RVColourCell.h"

#include "widgets/RVColourPickerView.h"
#include "widgets/RVWindowMenu.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/OutlineView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewDelegate.h"
#include "platform/ui/OutlineViewDelegate.h"

#include <QPainter>
#include <QPainterPath>

PF_DEFINE_CLASS(RVColourCell, pf::Cell)
{
    b.method("colourChangeFromPicker:", &RVColourCell::colourChangeFromPicker);
}

namespace {

struct TrackingState {
    pf::Color colour;
    bool inProgress = false;
};

TrackingState& tracking()
{
    static TrackingState state;
    return state;
}

// A small downward triangle, 4 points high, filled with `shade`.
pf::Ref<pf::Image> triangleImage(const QString& name, const QColor& shade)
{
    if (const pf::Ref<pf::Image> named = pf::Image::imageNamed(name)) {
        const QSizeF size = named->size();
        pf::Ref<pf::Image> copy = named->resized(QSizeF(size.height() > 0 ? size.width() * 4.0 / size.height() : 4.0, 4.0));
        copy->setCacheMode(pf::ImageCacheMode::Never);
        return copy;
    }
    return pf::Image::withDrawing(QSizeF(7.0, 4.0), [shade](QPainter& painter, const QSizeF& size) {
        QPainterPath path;
        path.moveTo(0, 0);
        path.lineTo(size.width(), 0);
        path.lineTo(size.width() / 2, size.height());
        path.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, shade);
    });
}

} // namespace

pf::Ref<pf::Cell> RVColourCell::copyCell() const
{
    return std::make_shared<RVColourCell>(*this);
}

void RVColourCell::setObjectValue(const QVariant& value)
{
    pf::Color colour;
    if (auto ref = pf::fromVariant<pf::Ref<pf::Color>>(value))
        colour = *ref;
    else if (value.canConvert<QColor>() && value.userType() == QMetaType::QColor)
        colour = pf::Color(value.value<QColor>());
    setColorValue(colour);
    setEnabled(true);
}

void RVColourCell::setColorValue(const pf::Color& colour)
{
    mColourRef = colour;
    pf::Cell::setObjectValue(colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant());
}

void RVColourCell::setState(pf::ControlState state)
{
    mHighlighted = state != pf::ControlState::Off;
}

pf::Color RVColourCell::trackingColour()
{
    return tracking().colour;
}

void RVColourCell::setTrackingColour(const pf::Color& colour)
{
    tracking().colour = colour;
}

bool RVColourCell::isTrackingInProgress()
{
    return tracking().inProgress;
}

pf::Ref<pf::Image> RVColourCell::menuTriangleImageDark()
{
    static const pf::Ref<pf::Image> image = triangleImage(QStringLiteral("VN_Menu_Triangle"), QColor(40, 40, 40));
    return image;
}

pf::Ref<pf::Image> RVColourCell::menuTriangleImageLight()
{
    static const pf::Ref<pf::Image> image = triangleImage(QStringLiteral("VN_Menu_Triangle_Light"), QColor(235, 235, 235));
    return image;
}

void RVColourCell::colourChangeFromPicker(const QVariant& sender)
{
    auto* picker = qobject_cast<RVColourPickerView*>(sender.value<QObject*>());
    if (!picker)
        return;
    setTrackingColour(picker->color());
    drawImmediately();
}

void RVColourCell::drawImmediately()
{
    if (mControlView)
        mControlView->setNeedsDisplayInRect(mFrame);
}

QRectF RVColourCell::colourRectForFrame(const QRectF& frame)
{
    const double dy = frame.height() > 24.0 ? 5.0 : 1.0;
    QRectF limited = frame;
    limited.setWidth(std::min(frame.width(), kMaximumWidth));
    return limited.adjusted(4.0, dy, -4.0, -dy);
}

pf::Color RVColourCell::shownColour() const
{
    // Until the picker has reported a colour, the cell shows its own.
    if (mHighlighted && tracking().colour.isValid())
        return tracking().colour;
    return mColourRef;
}

void RVColourCell::drawInteriorWithFrame(const QRectF& frame, pf::View* view)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || !mColourRef.isValid())
        return;
    QPainter& painter = context->painter();
    const QRectF inner = colourRectForFrame(frame);
    const pf::Color shown = shownColour();
    if (shown.isValid()) {
        pf::Gradient::drawShinyGradientInRect(painter, inner, shown);
        if (mMenuEnabled) {
            const pf::Ref<pf::Image> triangle = shown.luminosity() <= 0.5 ? menuTriangleImageLight() : menuTriangleImageDark();
            const QSizeF size = triangle->size();
            const double y = inner.bottom() - size.height() - 4.0;
            triangle->draw(QRectF(QPointF(inner.right() - size.width() - 3.0, y), size), {}, pf::CompositingOperation::SourceOver, 0.85);
        }
    }
    painter.save();
    painter.setPen(QPen((mMenuEnabled ? pf::Color::grey() : pf::Color::lightGrey()).qColor(), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(inner);
    painter.restore();
}

bool RVColourCell::trackMouse(const pf::Event& event, const QRectF& cellFrame, pf::View* controlView, bool)
{
    if (tracking().inProgress || event.clickCount >= 2 || !mMenuEnabled)
        return false;
    tracking().inProgress = true;
    mControlView = controlView;
    mFrame = cellFrame;
    bool shown = false;
    bool allowed = true;
    if (auto* table = dynamic_cast<pf::TableView*>(controlView)) {
        RVColourCellDelegate* delegate = nullptr;
        if (auto* outline = dynamic_cast<pf::OutlineView*>(table))
            delegate = dynamic_cast<RVColourCellDelegate*>(outline->delegate());
        if (!delegate)
            delegate = dynamic_cast<RVColourCellDelegate*>(table->delegate());
        if (delegate)
            allowed = delegate->colourCellShouldBeginTrackingInRow(*this, table->rowAtPoint(cellFrame.topLeft()));
    }
    if (allowed) {
        try {
            runTracking(event);
            shown = true;
        } catch (...) {
            tracking() = {};
            throw;
        }
    }
    tracking() = {};
    return shown;
}

void RVColourCell::runTracking(const pf::Event& event)
{
    QPointer<pf::View> view = mControlView;
    setState(pf::ControlState::On);
    drawImmediately();
    const QPointF corner(mFrame.x() + 6.0, mFrame.bottom() - 5.0);
    const QPointF anchor = view ? view->convertPointToView(corner, nullptr) : corner;
    auto* picker = new RVColourPickerView(QRectF(0, 0, kPickerSize, kPickerSize));
    picker->setMode(RVColourPickerView::SwatchMode);
    picker->setTarget(this);
    picker->setAction(QStringLiteral("colourChangeFromPicker:"));
    picker->setColorForUndefinedSelection(mColourRef);
    picker->setShowsInfo(false);
    RVWindowMenu* menu = RVWindowMenu::windowMenuWithContentView(picker);
    RVWindowMenu::popUpWindowMenu(menu, anchor, event, view);
    setState(pf::ControlState::Off);
    if (tracking().colour.isValid())
        setColorValue(tracking().colour);
    drawImmediately();
}
