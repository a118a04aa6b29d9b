#include "platform/ui/ButtonCell.h"

#include "platform/foundation/Variant.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QTimer>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::ButtonCell, pf::ActionCell, "pf::ButtonCell")
{
    b.property("title", &pf::ButtonCell::title, &pf::ButtonCell::setTitle);
    b.property("alternateTitle", &pf::ButtonCell::alternateTitle, &pf::ButtonCell::setAlternateTitle);
    b.property("menuDelay", &pf::ButtonCell::menuDelay, &pf::ButtonCell::setMenuDelay);
    b.property(
        "alternateImage", [](const pf::ButtonCell& cell) { return pf::toVariant(cell.alternateImage()); },
        [](pf::ButtonCell& cell, const QVariant& value) { cell.setAlternateImage(pf::objectCast<pf::Image>(value)); }, false);
}

namespace pf {

namespace {

double indicatorSize(ControlSize size)
{
    switch (size) {
    case ControlSize::Small:
        return 12;
    case ControlSize::Mini:
        return 10;
    case ControlSize::Regular:
        break;
    }
    return 14;
}

QStyle* styleFor(View* view)
{
    return view ? view->style() : QApplication::style();
}

} // namespace

ButtonCell::ButtonCell()
{
    setBordered(true);
}

ButtonCell::ButtonCell(const QString& title)
    : ButtonCell()
{
    m_title = title;
}

Ref<Cell> ButtonCell::copyCell() const
{
    auto copy = std::make_shared<ButtonCell>(*this);
    copy->setControlView(nullptr);
    return copy;
}

void ButtonCell::setButtonType(ButtonType type)
{
    m_type = type;
    switch (type) {
    case ButtonType::MomentaryLight:
        m_highlightsBy = ChangeBackgroundCellMask | ChangeGrayCellMask;
        m_showsStateBy = NoCellMask;
        break;
    case ButtonType::MomentaryPushIn:
        m_highlightsBy = PushInCellMask | ChangeGrayCellMask;
        m_showsStateBy = NoCellMask;
        break;
    case ButtonType::MomentaryChange:
        m_highlightsBy = ContentsCellMask;
        m_showsStateBy = NoCellMask;
        break;
    case ButtonType::PushOnPushOff:
        m_highlightsBy = PushInCellMask | ChangeGrayCellMask;
        m_showsStateBy = ChangeBackgroundCellMask | ChangeGrayCellMask;
        break;
    case ButtonType::OnOff:
        m_highlightsBy = ChangeBackgroundCellMask;
        m_showsStateBy = ChangeBackgroundCellMask;
        break;
    case ButtonType::Toggle:
        m_highlightsBy = PushInCellMask | ContentsCellMask;
        m_showsStateBy = ContentsCellMask;
        break;
    case ButtonType::Switch:
    case ButtonType::Radio:
        m_highlightsBy = ContentsCellMask;
        m_showsStateBy = ContentsCellMask;
        m_imagePosition = CellImagePosition::ImageLeft;
        setBordered(false);
        break;
    }
}

bool ButtonCell::changesStateOnClick() const
{
    return m_showsStateBy != NoCellMask || m_type == ButtonType::Switch || m_type == ButtonType::Radio
        || m_bezelStyle == BezelStyle::Disclosure || m_bezelStyle == BezelStyle::RoundedDisclosure;
}

void ButtonCell::setObjectValue(const QVariant& value)
{
    setState(ControlState(value.toInt()));
}

void ButtonCell::setState(ControlState state)
{
    ActionCell::setState(state);
    ActionCell::setObjectValue(int(this->state()));
}

QString ButtonCell::effectiveTitle() const
{
    const bool alternate = (isHighlighted() && (m_highlightsBy & ContentsCellMask))
        || (state() == ControlState::On && (m_showsStateBy & ContentsCellMask));
    return alternate && !m_alternateTitle.isEmpty() ? m_alternateTitle : m_title;
}

Ref<Image> ButtonCell::effectiveImage() const
{
    const bool alternate = (isHighlighted() && (m_highlightsBy & ContentsCellMask))
        || (state() == ControlState::On && (m_showsStateBy & ContentsCellMask));
    return alternate && m_alternateImage ? m_alternateImage : image();
}

TemplateState ButtonCell::templateState() const
{
    if (!isEnabled())
        return TemplateState::Disabled;
    if (isHighlighted())
        return TemplateState::Pressed;
    if (state() == ControlState::On && m_showsStateBy != NoCellMask)
        return TemplateState::On;
    return TemplateState::Normal;
}

bool ButtonCell::hasIndicator() const
{
    return m_type == ButtonType::Switch || m_type == ButtonType::Radio || m_bezelStyle == BezelStyle::Disclosure
        || m_bezelStyle == BezelStyle::RoundedDisclosure;
}

// --- Geometry

QRectF ButtonCell::drawingRectForBounds(const QRectF& bounds) const
{
    if (isBordered() && !hasIndicator())
        return bounds.adjusted(4, 2, -4, -2);
    return bounds;
}

QRectF ButtonCell::indicatorRectForBounds(const QRectF& bounds) const
{
    if (!hasIndicator())
        return {};
    const double size = std::min(indicatorSize(controlSize()), std::min(bounds.width(), bounds.height()));
    const double x = m_title.isEmpty() && !image() ? bounds.center().x() - size / 2 : bounds.x() + 2;
    return QRectF(x, bounds.center().y() - size / 2, size, size);
}

QRectF ButtonCell::imageRectForBounds(const QRectF& bounds) const
{
    QRectF area = drawingRectForBounds(bounds);
    if (hasIndicator())
        area.setLeft(indicatorRectForBounds(bounds).right() + 4);
    if (!image() || m_imagePosition == CellImagePosition::NoImage)
        return {};
    const bool flipped = controlView() && controlView()->isFlipped();
    const double side = std::min(area.height(), image()->size().height());
    const double sideW = std::min(area.width(), image()->size().width());
    switch (m_imagePosition) {
    case CellImagePosition::ImageLeft:
        return QRectF(area.x(), area.y(), std::min(area.height(), std::max(side, sideW)), area.height());
    case CellImagePosition::ImageRight:
        return QRectF(area.right() - area.height(), area.y(), area.height(), area.height());
    case CellImagePosition::ImageAbove:
    case CellImagePosition::ImageBelow: {
        // Above means nearer the top: the low y of a flipped view, the high y of an unflipped one.
        const bool atLowY = (m_imagePosition == CellImagePosition::ImageAbove) == flipped;
        const double h = area.height() * 0.6;
        return QRectF(area.x(), atLowY ? area.y() : area.bottom() - h, area.width(), h);
    }
    default:
        return area;
    }
}

QRectF ButtonCell::titleRectForBounds(const QRectF& bounds) const
{
    QRectF area = drawingRectForBounds(bounds);
    if (hasIndicator())
        area.setLeft(indicatorRectForBounds(bounds).right() + 4);
    if (!image() || m_imagePosition == CellImagePosition::NoImage || m_imagePosition == CellImagePosition::ImageOverlaps)
        return area;
    const QRectF imageArea = imageRectForBounds(bounds);
    switch (m_imagePosition) {
    case CellImagePosition::ImageOnly:
        return {};
    case CellImagePosition::ImageLeft:
        return area.adjusted(imageArea.width() + 3, 0, 0, 0);
    case CellImagePosition::ImageRight:
        return area.adjusted(0, 0, -imageArea.width() - 3, 0);
    case CellImagePosition::ImageAbove:
    case CellImagePosition::ImageBelow:
        return imageArea.y() > area.y() ? QRectF(area.x(), area.y(), area.width(), area.height() - imageArea.height())
                                        : QRectF(area.x(), imageArea.bottom(), area.width(), area.height() - imageArea.height());
    default:
        return area;
    }
}

QSizeF ButtonCell::cellSizeForBounds(const QRectF& bounds) const
{
    const QFontMetricsF metrics(font());
    double width = 0;
    double height = metrics.height();
    if (m_imagePosition != CellImagePosition::ImageOnly && !m_title.isEmpty())
        width += metrics.horizontalAdvance(m_title) + 4;
    if (image() && m_imagePosition != CellImagePosition::NoImage) {
        width += image()->size().width() + (width > 0 ? 3 : 0);
        height = std::max(height, image()->size().height());
    }
    if (hasIndicator())
        width += indicatorSize(controlSize()) + (width > 0 ? 6 : 2);
    if (isBordered() && !hasIndicator()) {
        width += 24;
        height += 8;
    }
    return QSizeF(std::ceil(width), std::ceil(height));
}

// --- Drawing

void ButtonCell::initStyleOption(QStyleOptionButton& option, const QRectF& rect, View* view) const
{
    if (view)
        option.initFrom(view);
    option.rect = rect.toAlignedRect();
    option.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
    option.state |= isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
    if (!isEnabled())
        option.state &= ~QStyle::State_Enabled;
    if (isHighlighted() && (m_highlightsBy & (PushInCellMask | ChangeGrayCellMask | ChangeBackgroundCellMask)))
        option.state |= QStyle::State_Sunken;
    switch (state()) {
    case ControlState::On:
        option.state |= QStyle::State_On;
        break;
    case ControlState::Mixed:
        option.state |= QStyle::State_NoChange;
        break;
    case ControlState::Off:
        option.state |= QStyle::State_Off;
        break;
    }
    if (!hasIndicator() && state() == ControlState::On && !(m_showsStateBy & (ChangeBackgroundCellMask | ChangeGrayCellMask)))
        option.state &= ~QStyle::State_On;
}

void ButtonCell::drawWithFrame(const QRectF& frame, View* view)
{
    if (isBordered() || hasIndicator())
        drawBezelWithFrame(frame, view);
    drawInteriorWithFrame(frame, view);
}

void ButtonCell::drawInteriorWithFrame(const QRectF& frame, View* view)
{
    const Ref<Image> shown = effectiveImage();
    if (shown && m_imagePosition != CellImagePosition::NoImage)
        drawImage(*shown, imageRectForBounds(frame), view);
    const QString text = effectiveTitle();
    if (!text.isEmpty() && m_imagePosition != CellImagePosition::ImageOnly)
        drawTitle(text, titleRectForBounds(frame), view);
}

void ButtonCell::drawBezelWithFrame(const QRectF& frame, View* view)
{
    QStyle* style = styleFor(view);
    if (hasIndicator()) {
        const QRectF indicator = indicatorRectForBounds(frame);
        const bool disclosure = m_type != ButtonType::Switch && m_type != ButtonType::Radio;
        const QStyle::PrimitiveElement element = disclosure
            ? (state() == ControlState::On ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight)
            : (m_type == ButtonType::Radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox);
        drawUpright(indicator, [&](QPainter& painter, const QRectF& rect) {
            QStyleOptionButton option;
            initStyleOption(option, rect, view);
            style->drawPrimitive(element, &option, &painter, view);
        });
        return;
    }
    const Color background = m_backgroundColor;
    drawUpright(frame, [&](QPainter& painter, const QRectF& rect) {
        QStyleOptionButton option;
        initStyleOption(option, rect, view);
        if (background.isValid()) {
            const bool shaded = (option.state & (QStyle::State_Sunken | QStyle::State_On)) != 0;
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(SystemColor::grid().qColor(), 1));
            painter.setBrush(shaded ? background.shadowWithLevel(0.2).brush() : background.brush());
            painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
            return;
        }
        style->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, view);
    });
}

void ButtonCell::drawImage(const Image& image, const QRectF& frame, View* view)
{
    const QRectF target = scaledImageRect(image.size(), frame, m_imageScaling);
    if (target.isEmpty())
        return;
    const double fraction = isEnabled() ? 1.0 : 0.5;
    if (image.isTemplate()) {
        image.tinted(SystemColor::templateTint(templateState()).qColor())->draw(target, {}, CompositingOperation::SourceOver, 1.0);
        return;
    }
    image.draw(target, {}, CompositingOperation::SourceOver, fraction);
}

void ButtonCell::drawTitle(const QString& title, const QRectF& frame, View* view)
{
    drawText(title, frame, textColourForState());
}

// --- Press and hold

bool ButtonCell::startTrackingAt(QPointF point, View* view)
{
    const int press = ++m_press;
    if (m_menuDelay > 0 && menu() && view) {
        Weak<Object> weakSelf = weak_from_this();
        QPointer<View> guardedView(view);
        QTimer::singleShot(int(m_menuDelay * 1000), view, [weakSelf, guardedView, press] {
            auto self = std::dynamic_pointer_cast<ButtonCell>(weakSelf.lock());
            if (self && guardedView)
                self->showMenuForHeldPress(guardedView, press);
        });
    }
    return true;
}

void ButtonCell::stopTracking(QPointF last, QPointF current, View* view, bool mouseIsUp)
{
    ++m_press;
}

void ButtonCell::showMenuForHeldPress(View* view, int press)
{
    if (press != m_press || !isHighlighted())
        return;
    Ref<Menu> shown = menu();
    if (!shown)
        return;
    // The press became a menu: the button's click is over without an action.
    if (auto* control = dynamic_cast<Control*>(view))
        control->cancelTracking();
    setHighlighted(false);
    view->setNeedsDisplay(true);
    const QRectF bounds = view->bounds();
    const QPointF corner = view->boundsToWidgetTransform().map(view->isFlipped() ? bounds.bottomLeft() : bounds.topLeft());
    shown->popUp(view->mapToGlobal(corner.toPoint()));
}

} // namespace pf
