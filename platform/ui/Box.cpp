#include "platform/ui/Box.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cell.h"

#include <QFontMetricsF>
#include <QPainter>

PF_DEFINE_CLASS_NAMED(pf::Box, pf::View, "pf::Box")
{
    b.property("title", &pf::Box::title, &pf::Box::setTitle);
    b.property("cornerRadius", &pf::Box::cornerRadius, &pf::Box::setCornerRadius);
}

namespace pf {

Box::Box(QWidget* parent)
    : Box(QRectF(0, 0, 100, 100), parent)
{
}

Box::Box(const QRectF& frame, QWidget* parent)
    : View(frame, parent)
{
    auto* content = new View(this);
    m_contentView = content;
    layoutContent();
}

void Box::setTitle(const QString& title) { m_title = title; layoutContent(); }
void Box::setTitlePosition(TitlePosition position) { m_titlePosition = position; layoutContent(); }
void Box::setBoxType(BoxType type) { m_boxType = type; layoutContent(); }
void Box::setBorderType(BorderType type) { m_borderType = type; layoutContent(); }
void Box::setContentViewMargins(QSizeF margins) { m_margins = margins; layoutContent(); }

void Box::setContentView(View* view)
{
    if (view == m_contentView)
        return;
    if (m_contentView)
        m_contentView->removeFromSuperview();
    m_contentView = view;
    if (view) {
        addSubview(view);
        view->show();
    }
    layoutContent();
}

double Box::titleHeight() const
{
    if (m_title.isEmpty() || m_titlePosition == TitlePosition::NoTitle || m_boxType == BoxType::Separator)
        return 0;
    QFont small = font();
    small.setPointSizeF(11);
    return std::ceil(QFontMetricsF(small).height());
}

double Box::borderWidth() const
{
    if (m_boxType == BoxType::Separator)
        return 0;
    switch (m_borderType) {
    case BorderType::None:
        return 0;
    case BorderType::Line:
        return 1;
    default:
        return 2;
    }
}

QRectF Box::borderRect() const
{
    QRectF rect = bounds();
    const double h = titleHeight();
    // The title above or at the top edge takes room there (the high y of this unflipped view).
    switch (m_titlePosition) {
    case TitlePosition::AboveTop:
        rect.setHeight(rect.height() - h);
        break;
    case TitlePosition::AtTop:
        rect.setHeight(rect.height() - h / 2);
        break;
    case TitlePosition::AboveBottom:
    case TitlePosition::BelowBottom:
        break;
    case TitlePosition::AtBottom:
        rect.setTop(rect.top() + h / 2);
        break;
    default:
        break;
    }
    if (m_titlePosition == TitlePosition::BelowBottom)
        rect.setTop(rect.top() + h);
    return rect;
}

QRectF Box::titleRect() const
{
    const double h = titleHeight();
    if (h == 0)
        return {};
    QFont small = font();
    small.setPointSizeF(11);
    const double w = std::ceil(QFontMetricsF(small).horizontalAdvance(m_title)) + 4;
    const QRectF b = bounds();
    const QRectF border = borderRect();
    const double x = b.x() + 8;
    switch (m_titlePosition) {
    case TitlePosition::AboveTop:
    case TitlePosition::AtTop:
        return QRectF(x, b.bottom() - h, w, h);
    case TitlePosition::BelowTop:
        return QRectF(x, border.bottom() - borderWidth() - h, w, h);
    case TitlePosition::AboveBottom:
        return QRectF(x, border.top() + borderWidth(), w, h);
    default:
        return QRectF(x, b.top(), w, h);
    }
}

QRectF Box::contentRect() const
{
    QRectF rect = borderRect();
    const double inset = borderWidth();
    rect.adjust(inset, inset, -inset, -inset);
    if (m_titlePosition == TitlePosition::BelowTop)
        rect.setHeight(rect.height() - titleHeight());
    else if (m_titlePosition == TitlePosition::AboveBottom)
        rect.setTop(rect.top() + titleHeight());
    else if (m_titlePosition == TitlePosition::AtTop)
        rect.setHeight(rect.height() - titleHeight() / 2);
    else if (m_titlePosition == TitlePosition::AtBottom)
        rect.setTop(rect.top() + titleHeight() / 2);
    rect.adjust(m_margins.width(), m_margins.height(), -m_margins.width(), -m_margins.height());
    if (rect.width() < 0)
        rect.setWidth(0);
    if (rect.height() < 0)
        rect.setHeight(0);
    return rect;
}

void Box::layoutContent()
{
    if (m_contentView)
        m_contentView->setFrame(contentRect());
    setNeedsDisplay(true);
}

void Box::setFrameSize(QSizeF size)
{
    View::setFrameSize(size);
    layoutContent();
}

void Box::drawRect(const QRectF&)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context)
        return;
    if (m_boxType == BoxType::Separator) {
        const QRectF b = bounds();
        const bool vertical = b.height() > b.width();
        Cell::drawUpright(b, [vertical](QPainter& painter, const QRectF& rect) {
            painter.setPen(QPen(SystemColor::grid().qColor(), 1));
            if (vertical)
                painter.drawLine(QPointF(rect.center().x(), rect.top()), QPointF(rect.center().x(), rect.bottom()));
            else
                painter.drawLine(QPointF(rect.left(), rect.center().y()), QPointF(rect.right(), rect.center().y()));
        });
        return;
    }
    const QRectF border = borderRect();
    const bool custom = m_boxType == BoxType::Custom;
    const Color fill = custom ? m_fillColor : (m_boxType == BoxType::Secondary ? Color() : SystemColor::control().shadowWithLevel(0.03));
    const Color line = custom && m_borderColor.isValid() ? m_borderColor : SystemColor::grid();
    const double radius = custom ? m_cornerRadius : 4;
    const BorderType borderType = m_borderType;
    const double width = borderWidth();
    Cell::drawUpright(border, [&](QPainter& painter, const QRectF& rect) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(width > 0 && borderType != BorderType::None ? QPen(line.qColor(), width) : QPen(Qt::NoPen));
        painter.setBrush(fill.isValid() ? fill.brush() : QBrush(Qt::NoBrush));
        painter.drawRoundedRect(rect.adjusted(width / 2, width / 2, -width / 2, -width / 2), radius, radius);
    });
    const QRectF titleArea = titleRect();
    if (titleArea.isEmpty())
        return;
    QFont small = font();
    small.setPointSizeF(11);
    const QString title = m_title;
    Cell::drawUpright(titleArea, [&](QPainter& painter, const QRectF& rect) {
        if (m_titlePosition == TitlePosition::AtTop || m_titlePosition == TitlePosition::AtBottom)
            painter.fillRect(rect, SystemColor::windowBackground().brush());
        painter.setFont(small);
        painter.setPen(SystemColor::controlText().qColor());
        painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, title);
    });
}

} // namespace pf
