#include "platform/ui/Cell.h"

#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Event.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/Menu.h"
#include "platform/ui/View.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextOption>

#include <cmath>

PF_DEFINE_CLASS_NAMED(pf::Cell, pf::Object, "pf::Cell")
{
    b.property("objectValue", &pf::Cell::objectValue, &pf::Cell::setObjectValue);
    b.property("stringValue", &pf::Cell::stringValue, &pf::Cell::setStringValue);
    b.property("intValue", &pf::Cell::intValue, &pf::Cell::setIntValue);
    b.property("integerValue", &pf::Cell::intValue, &pf::Cell::setIntValue);
    b.property("doubleValue", &pf::Cell::doubleValue, &pf::Cell::setDoubleValue);
    b.property("floatValue", &pf::Cell::doubleValue, &pf::Cell::setDoubleValue);
    b.property("title", &pf::Cell::title, &pf::Cell::setTitle);
    b.property("enabled", &pf::Cell::isEnabled, &pf::Cell::setEnabled);
    b.property("highlighted", &pf::Cell::isHighlighted, &pf::Cell::setHighlighted);
    b.property("editable", &pf::Cell::isEditable, &pf::Cell::setEditable);
    b.property("selectable", &pf::Cell::isSelectable, &pf::Cell::setSelectable);
    b.property("representedObject", &pf::Cell::representedObject, &pf::Cell::setRepresentedObject);
    b.property("toolTip", &pf::Cell::toolTip, &pf::Cell::setToolTip);
    b.property(
        "state", [](const pf::Cell& cell) { return QVariant(int(cell.state())); },
        [](pf::Cell& cell, const QVariant& value) { cell.setState(pf::ControlState(value.toInt())); }, true);
    b.property(
        "image", [](const pf::Cell& cell) { return pf::toVariant(cell.image()); },
        [](pf::Cell& cell, const QVariant& value) { cell.setImage(pf::objectCast<pf::Image>(value)); }, false);
}

namespace pf {

namespace {

double pointSizeFor(ControlSize size)
{
    switch (size) {
    case ControlSize::Small:
        return 11;
    case ControlSize::Mini:
        return 9;
    case ControlSize::Regular:
        break;
    }
    return 13;
}

Qt::TextElideMode elideMode(LineBreakMode mode)
{
    switch (mode) {
    case LineBreakByTruncatingHead:
        return Qt::ElideLeft;
    case LineBreakByTruncatingMiddle:
        return Qt::ElideMiddle;
    case LineBreakByTruncatingTail:
        return Qt::ElideRight;
    default:
        return Qt::ElideNone;
    }
}

} // namespace

Cell::Cell(const QString& text)
    : m_value(text)
{
}

Cell::~Cell() = default;

Ref<Cell> Cell::copyCell() const
{
    auto copy = std::make_shared<Cell>(*this);
    copy->m_controlView = nullptr;
    return copy;
}

// --- Value

void Cell::setObjectValue(const QVariant& value)
{
    m_value = value;
}

QString Cell::stringValue() const
{
    if (m_formatter && isNumber(m_value))
        return m_formatter->stringForObjectValue(m_value);
    if (isNumber(m_value) && m_value.typeId() != QMetaType::Bool)
        return QString::number(m_value.toDouble(), 'g', 15);
    return m_value.toString();
}

void Cell::setStringValue(const QString& text)
{
    if (!m_formatter) {
        setObjectValue(text);
        return;
    }
    QVariant parsed;
    if (m_formatter->getObjectValue(text, &parsed, nullptr))
        setObjectValue(parsed);
}

int Cell::intValue() const
{
    return int(std::lround(doubleValue()));
}

double Cell::doubleValue() const
{
    if (isNumber(m_value))
        return m_value.toDouble();
    if (m_value.typeId() == QMetaType::QString) {
        // Reads the leading number of the text, as the platform does ("12pt" is 12).
        const QString text = m_value.toString().trimmed();
        int end = 0;
        while (end < text.size() && (text[end].isDigit() || QStringLiteral("+-.eE").contains(text[end])))
            ++end;
        for (; end > 0; --end) {
            bool ok = false;
            const double value = text.left(end).toDouble(&ok);
            if (ok)
                return value;
        }
    }
    return 0.0;
}

// --- State

void Cell::setState(ControlState state)
{
    if (state == ControlState::Mixed && !m_allowsMixedState)
        state = ControlState::On;
    m_state = state;
}

ControlState Cell::nextState() const
{
    switch (m_state) {
    case ControlState::On:
        return ControlState::Off;
    case ControlState::Off:
        return m_allowsMixedState ? ControlState::Mixed : ControlState::On;
    case ControlState::Mixed:
        break;
    }
    return ControlState::On;
}

void Cell::setEditable(bool editable)
{
    m_editable = editable;
}

QFont Cell::font() const
{
    if (m_hasFont)
        return m_font;
    QFont font = QGuiApplication::font();
    font.setPointSizeF(Font::interfaceSize(pointSizeFor(m_controlSize)));
    return font;
}

// --- Geometry

QRectF Cell::drawingRectForBounds(const QRectF& bounds) const
{
    if (m_bezeled)
        return bounds.adjusted(3, 3, -3, -3);
    if (m_bordered)
        return bounds.adjusted(1, 1, -1, -1);
    return bounds;
}

QRectF Cell::titleRectForBounds(const QRectF& bounds) const
{
    return drawingRectForBounds(bounds).adjusted(2, 0, -2, 0);
}

QRectF Cell::imageRectForBounds(const QRectF& bounds) const
{
    return drawingRectForBounds(bounds);
}

QSizeF Cell::cellSizeForBounds(const QRectF& bounds) const
{
    QSizeF content;
    if (m_image && !m_value.isValid()) {
        content = m_image->size();
    } else {
        const QFontMetricsF metrics(font());
        const QString text = stringValue();
        if (wraps() && bounds.width() > 0) {
            const QRectF needed = metrics.boundingRect(QRectF(0, 0, bounds.width() - 4, 1e6), Qt::TextWordWrap, text);
            content = QSizeF(needed.width() + 4, needed.height());
        } else {
            content = QSizeF(metrics.horizontalAdvance(text) + 4, metrics.height());
        }
    }
    const double inset = m_bezeled ? 6 : m_bordered ? 2 : 0;
    return QSizeF(std::ceil(content.width() + inset), std::ceil(content.height() + inset));
}

QSizeF Cell::cellSize() const
{
    return cellSizeForBounds(QRectF(0, 0, 1e6, 1e6));
}

// --- Drawing

void Cell::drawUpright(const QRectF& frame, const std::function<void(QPainter&, const QRectF&)>& draw)
{
    GraphicsContext* context = GraphicsContext::current();
    if (!context || frame.isEmpty())
        return;
    QPainter& painter = context->painter();
    painter.save();
    if (context->isFlipped()) {
        painter.translate(frame.topLeft());
    } else {
        painter.translate(frame.x(), frame.y() + frame.height());
        painter.scale(1, -1);
    }
    draw(painter, QRectF(QPointF(0, 0), frame.size()));
    painter.restore();
}

QRectF Cell::scaledImageRect(QSizeF imageSize, const QRectF& area, ImageScaling scaling)
{
    if (imageSize.isEmpty() || area.isEmpty())
        return {};
    QSizeF size = imageSize;
    switch (scaling) {
    case ImageScaling::AxesIndependently:
        size = area.size();
        break;
    case ImageScaling::ProportionallyUpOrDown:
        size = imageSize.scaled(area.size(), Qt::KeepAspectRatio);
        break;
    case ImageScaling::ProportionallyDown:
        if (imageSize.width() > area.width() || imageSize.height() > area.height())
            size = imageSize.scaled(area.size(), Qt::KeepAspectRatio);
        break;
    case ImageScaling::None:
        break;
    }
    return QRectF(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2, size.width(), size.height());
}

void Cell::drawText(const QString& text, const QRectF& rect, const QColor& colour) const
{
    if (text.isEmpty())
        return;
    const QFont cellFont = font();
    const LineBreakMode mode = m_lineBreakMode;
    const Qt::Alignment horizontal = m_alignment & Qt::AlignHorizontal_Mask;
    const bool wrapping = wraps() && !m_truncatesLastLine;
    drawUpright(rect, [&](QPainter& painter, const QRectF& local) {
        painter.setFont(cellFont);
        painter.setPen(colour);
        const QFontMetricsF metrics(cellFont);
        if (wrapping) {
            QTextOption option(horizontal | Qt::AlignTop);
            option.setWrapMode(mode == LineBreakByCharWrapping ? QTextOption::WrapAnywhere : QTextOption::WordWrap);
            painter.drawText(local, text, option);
            return;
        }
        QString shown = text;
        if (elideMode(mode) != Qt::ElideNone || m_truncatesLastLine)
            shown = metrics.elidedText(text, m_truncatesLastLine ? Qt::ElideRight : elideMode(mode), local.width());
        painter.drawText(local, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    });
}

QColor Cell::textColourForState() const
{
    return (m_enabled ? SystemColor::controlText() : SystemColor::disabledControlText()).qColor();
}

void Cell::drawWithFrame(const QRectF& frame, View* view)
{
    if (m_bordered || m_bezeled) {
        const bool bezeled = m_bezeled;
        drawUpright(frame, [bezeled](QPainter& painter, const QRectF& rect) {
            painter.setPen(QPen(SystemColor::grid().qColor(), 1));
            painter.setBrush(bezeled ? SystemColor::controlBackground().qColor() : QColor(Qt::transparent));
            painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
        });
    }
    drawInteriorWithFrame(frame, view);
}

void Cell::drawInteriorWithFrame(const QRectF& frame, View* view)
{
    if (m_image && !m_value.isValid()) {
        const QRectF target = scaledImageRect(m_image->size(), imageRectForBounds(frame), ImageScaling::ProportionallyDown);
        m_image->draw(target, {}, CompositingOperation::SourceOver, m_enabled ? 1.0 : 0.5);
        return;
    }
    drawText(stringValue(), titleRectForBounds(frame), textColourForState());
}

// --- Tracking

unsigned Cell::hitTestForEvent(const Event& event, const QRectF& frame, View* view) const
{
    const QPointF point = view ? view->convertPointFromView(event.locationInWindow, nullptr) : event.locationInWindow;
    if (!frame.contains(point))
        return CellHitNone;
    unsigned result = CellHitContentArea;
    if (m_editable || m_selectable)
        result |= CellHitEditableTextArea;
    return result;
}

// --- Editing

void Cell::setUpFieldEditorAttributes(FieldEditor& editor) const
{
    editor.setFont(font());
    editor.setAlignment((m_alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    editor.setReadOnly(!m_editable);
}

void Cell::editWithFrame(const QRectF& frame, View* view, FieldEditor* editor, FieldEditorDelegate* delegate,
                         const Event* event)
{
    if (!view || !editor || !(m_editable || m_selectable))
        return;
    setUpFieldEditorAttributes(*editor);
    const QRect qtRect = view->boundsToWidgetTransform().mapRect(titleRectForBounds(frame)).toAlignedRect();
    if (!editor->beginEditing(view, qtRect, stringValue(), delegate))
        return;
    if (event) {
        const QPointF point = view->convertPointFromView(event->locationInWindow, nullptr);
        const QPointF local = view->boundsToWidgetTransform().map(point) - QPointF(qtRect.topLeft());
        editor->setCursorPosition(editor->cursorPositionAt(local.toPoint()));
    }
}

void Cell::selectWithFrame(const QRectF& frame, View* view, FieldEditor* editor, FieldEditorDelegate* delegate,
                           int start, int length)
{
    editWithFrame(frame, view, editor, delegate, nullptr);
    if (editor && editor->isEditing())
        editor->setSelection(start, length);
}

void Cell::endEditing(FieldEditor& editor)
{
    setStringValue(editor.text());
}

QString Cell::description() const
{
    return QStringLiteral("<%1 %2>").arg(className(), describe(m_value));
}

} // namespace pf
