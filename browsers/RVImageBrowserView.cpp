#include "browsers/RVImageBrowserView.h"

#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <cmath>
#include <memory>

namespace {

constexpr int kSpacing = 12;
constexpr int kTextHeight = 34;

} // namespace

RVImageBrowserView::RVImageBrowserView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(20);
}

void RVImageBrowserView::setZoomValue(double zoom)
{
    m_zoom = std::clamp(std::isfinite(zoom) ? zoom : 0.4, 0.0, 1.0);
    updateScrollBars();
    viewport()->update();
}

void RVImageBrowserView::reloadData()
{
    m_count = m_dataSource ? std::max(0, m_dataSource->numberOfItemsInImageBrowser(*this)) : 0;
    pf::IndexSet kept;
    for (qint64 index : m_selection.toList())
        if (index < m_count)
            kept.add(index);
    m_selection = kept;
    updateScrollBars();
    viewport()->update();
}

QSize RVImageBrowserView::cellSize() const
{
    const int side = int(kMinimumCellSide + (kMaximumCellSide - kMinimumCellSide) * m_zoom);
    return QSize(side, side + kTextHeight);
}

int RVImageBrowserView::columns() const
{
    return std::max(1, (viewport()->width() - kSpacing) / (cellSize().width() + kSpacing));
}

QRect RVImageBrowserView::itemFrameAtIndex(int index) const
{
    if (index < 0 || index >= m_count)
        return QRect();
    const QSize cell = cellSize();
    const int column = index % columns();
    const int row = index / columns();
    return QRect(kSpacing + column * (cell.width() + kSpacing), kSpacing + row * (cell.height() + kSpacing), cell.width(),
                 cell.height());
}

QRect RVImageBrowserView::visibleRect() const
{
    return QRect(QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()), viewport()->size());
}

int RVImageBrowserView::indexAtPoint(const QPoint& point) const
{
    const QSize cell = cellSize();
    const int column = (point.x() - kSpacing) / (cell.width() + kSpacing);
    const int row = (point.y() - kSpacing) / (cell.height() + kSpacing);
    if (point.x() < kSpacing || point.y() < kSpacing || column >= columns())
        return -1;
    const int index = row * columns() + column;
    return itemFrameAtIndex(index).contains(point) ? index : -1;
}

void RVImageBrowserView::updateScrollBars()
{
    const int rows = m_count == 0 ? 0 : (m_count + columns() - 1) / columns();
    const int height = kSpacing + rows * (cellSize().height() + kSpacing);
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
    horizontalScrollBar()->setRange(0, 0);
}

void RVImageBrowserView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void RVImageBrowserView::setSelectionIndexes(const pf::IndexSet& indexes, bool extend)
{
    pf::IndexSet next = extend ? m_selection : pf::IndexSet();
    for (qint64 index : indexes.toList())
        if (index >= 0 && index < m_count)
            next.add(index);
    // The grid keeps one selected item.
    if (next.count() > 1)
        next = pf::IndexSet(next.lastIndex());
    if (next == m_selection)
        return;
    m_selection = next;
    viewport()->update();
    if (m_dataSource)
        m_dataSource->imageBrowserSelectionDidChange(*this);
}

void RVImageBrowserView::scrollIndexToVisible(int index)
{
    const QRect frame = itemFrameAtIndex(index);
    if (frame.isNull()) {
        verticalScrollBar()->setValue(0);
        return;
    }
    const QRect visible = visibleRect();
    if (frame.top() < visible.top())
        verticalScrollBar()->setValue(frame.top() - kSpacing);
    else if (frame.bottom() > visible.bottom())
        verticalScrollBar()->setValue(frame.bottom() + kSpacing - visible.height());
}

void RVImageBrowserView::redrawItemAtIndex(int index)
{
    const QRect frame = itemFrameAtIndex(index);
    if (frame.intersects(visibleRect()))
        viewport()->update(frame.translated(-visibleRect().topLeft()));
}

QImage RVImageBrowserView::thumbnailFor(RVImagePath& item)
{
    const QVariant representation = item.imageRepresentation();
    if (representation.typeId() == QMetaType::QImage)
        return representation.value<QImage>();
    const QString path = representation.toString();
    auto found = m_pathThumbnails.constFind(path);
    if (found != m_pathThumbnails.constEnd())
        return *found;
    const QImage made = RVImagePath::thumbnailForPath(path);
    ++m_thumbnailsMade;
    m_pathThumbnails.insert(path, made);
    return made;
}

void RVImageBrowserView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect visible = visibleRect();
    const QRect dirty = event->rect().translated(visible.topLeft());
    painter.translate(-visible.topLeft());
    if (!m_dataSource || m_count == 0)
        return;
    const QSize cell = cellSize();
    const int perRow = columns();
    const int firstRow = std::max(0, (dirty.top() - kSpacing) / (cell.height() + kSpacing));
    const int lastRow = (dirty.bottom() - kSpacing) / (cell.height() + kSpacing);
    const QPalette palette = this->palette();
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < perRow; ++column) {
            const int index = row * perRow + column;
            if (index >= m_count)
                return;
            const QRect frame = itemFrameAtIndex(index);
            if (!frame.intersects(dirty))
                continue;
            pf::Ref<RVImagePath> item = m_dataSource->imageBrowserItemAtIndex(*this, index);
            if (!item)
                continue;
            const QRect imageArea(frame.left(), frame.top(), frame.width(), frame.width());
            if (m_selection.contains(index)) {
                painter.setPen(QPen(palette.color(QPalette::Highlight), 1.0));
                painter.setBrush(palette.color(QPalette::Highlight).lighter(170));
                painter.drawRoundedRect(frame.adjusted(-4, -4, 4, 4), 6, 6);
            }
            const QImage thumbnail = thumbnailFor(*item);
            if (!thumbnail.isNull()) {
                QSize fitted = thumbnail.size();
                fitted.scale(imageArea.size() - QSize(8, 8), Qt::KeepAspectRatio);
                if (fitted.width() > thumbnail.width() * 2)
                    fitted = thumbnail.size() * 2;
                const QRect target(imageArea.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted);
                painter.drawImage(target, thumbnail);
                painter.setPen(QPen(palette.color(QPalette::Mid), 1.0));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(target.adjusted(0, 0, -1, -1));
            } else {
                painter.setPen(QPen(palette.color(QPalette::Mid), 1.0, Qt::DashLine));
                painter.setBrush(Qt::NoBrush);
                painter.drawRoundedRect(imageArea.adjusted(10, 10, -10, -10), 4, 4);
            }
            painter.setPen(palette.color(QPalette::Text));
            const QFontMetrics metrics(font());
            const QRect titleRect(frame.left(), imageArea.bottom() + 2, frame.width(), metrics.height());
            painter.drawText(titleRect, Qt::AlignHCenter | Qt::AlignTop,
                             metrics.elidedText(item->imageTitle(), Qt::ElideMiddle, frame.width()));
            QFont small = font();
            small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2));
            painter.setFont(small);
            painter.setPen(palette.color(QPalette::PlaceholderText));
            painter.drawText(QRect(frame.left(), titleRect.bottom() + 1, frame.width(), kTextHeight - metrics.height()),
                             Qt::AlignHCenter | Qt::AlignTop, item->imageSubtitle());
            painter.setFont(font());
        }
    }
}

void RVImageBrowserView::mousePressEvent(QMouseEvent* event)
{
    const int index = indexAtPoint(event->position().toPoint() + visibleRect().topLeft());
    m_pressPoint = event->position().toPoint();
    m_pressIndex = index;
    if (event->button() == Qt::LeftButton || index >= 0)
        setSelectionIndexes(index >= 0 ? pf::IndexSet(index) : pf::IndexSet());
}

void RVImageBrowserView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_pressIndex < 0)
        return;
    if ((event->position().toPoint() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressIndex = -1;
    startDrag();
}

void RVImageBrowserView::startDrag()
{
    if (!m_dataSource || m_selection.count() == 0)
        return;
    auto pasteboard = pf::Pasteboard::drag();
    if (m_dataSource->imageBrowserWriteItemsAtIndexes(*this, m_selection, *pasteboard) <= 0)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(pasteboard->makeMimeData());
    if (pf::Ref<RVImagePath> item = m_dataSource->imageBrowserItemAtIndex(*this, int(m_selection.lastIndex()))) {
        const QImage thumbnail = thumbnailFor(*item);
        if (!thumbnail.isNull())
            drag->setPixmap(QPixmap::fromImage(thumbnail.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    drag->exec(Qt::CopyAction);
}

void RVImageBrowserView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int index = indexAtPoint(event->position().toPoint() + visibleRect().topLeft());
    if (index >= 0 && m_dataSource)
        m_dataSource->imageBrowserCellWasDoubleClickedAtIndex(*this, index);
}

void RVImageBrowserView::keyPressEvent(QKeyEvent* event)
{
    int index = m_selection.count() ? int(m_selection.lastIndex()) : -1;
    switch (event->key()) {
    case Qt::Key_Left: index = std::max(0, index - 1); break;
    case Qt::Key_Right: index = std::min(m_count - 1, index + 1); break;
    case Qt::Key_Up: index = std::max(0, index - columns()); break;
    case Qt::Key_Down: index = std::min(m_count - 1, index < 0 ? 0 : index + columns()); break;
    case Qt::Key_Space:
        if (m_dataSource)
            m_dataSource->imageBrowserToggleQuickLook(*this);
        return;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    if (index >= 0 && index < m_count) {
        setSelectionIndexes(pf::IndexSet(index));
        scrollIndexToVisible(index);
    }
}

void RVImageBrowserView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_dataSource)
        return;
    const int index = indexAtPoint(event->pos() + visibleRect().topLeft());
    if (index >= 0)
        setSelectionIndexes(pf::IndexSet(index));
    if (QMenu* menu = m_dataSource->imageBrowserMenuForIndex(*this, index))
        menu->popup(event->globalPos());
}
