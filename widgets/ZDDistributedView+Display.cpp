// The distributed view's sizing, scrolling, refreshing and drawing.

#include "widgets/ZDDistributedView.h"

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/FieldEditor.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "widgets/RVLabelledIconCell.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

// --- Bounding rectangles and sizing

QRectF ZDDistributedView::rectAroundItems(const QList<int>& items) const
{
    QRectF around;
    for (int index : items) {
        if (!isValidItem(index))
            continue;
        around = around.isNull() ? rectForItemAtIndex(index) : around.united(rectForItemAtIndex(index));
    }
    return QRectF(float(around.x()), float(around.y()), float(around.width()), float(around.height()));
}

QRectF ZDDistributedView::rectEnclosingItemsAtIndexes(const pf::IndexSet& indexes) const
{
    QRectF enclosing;
    const int count = numberOfItems();
    indexes.forEach([&](qint64 index) {
        if (index < 0 || index >= count)
            return;
        const QRectF r = rectForItemAtIndex(int(index));
        enclosing = enclosing.isNull() ? r : enclosing.united(r);
    });
    return enclosing;
}

QRectF ZDDistributedView::rectEnclosingItemsInRange(int location, int length) const
{
    return rectEnclosingItemsAtIndexes(pf::IndexSet::range(location, length));
}

QRectF ZDDistributedView::bestRect() const
{
    double right = 0;
    double bottom = 0;
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i) {
        const QRectF box = snappedBoxForItem(i);
        right = std::max(right, box.right());
        bottom = std::max(bottom, box.bottom());
    }
    return QRectF(frame().topLeft(), QSizeF(right + m_contentInset, bottom + m_contentInset));
}

QSizeF ZDDistributedView::bestSize() const
{
    const int count = numberOfItems();
    if (count == 0)
        return QSizeF(2 * m_contentInset, 2 * m_contentInset);
    double left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
    for (int i = 0; i < count; ++i) {
        const QRectF box = snappedBoxForItem(i);
        left = std::min(left, box.left());
        top = std::min(top, box.top());
        right = std::max(right, box.right());
        bottom = std::max(bottom, box.bottom());
    }
    return QSizeF(right - left + 2 * m_contentInset, bottom - top + 2 * m_contentInset);
}

QSizeF ZDDistributedView::windowFrameSizeForBestSize() const
{
    auto* window = qobject_cast<pf::Window*>(this->window());
    pf::ScrollView* scroll = enclosingScrollView();
    if (!window || !scroll)
        return bestSize();
    const QRectF content = window->contentRectForFrameRect(window->frame());
    const QSizeF spent = content.size() - scroll->bounds().size();
    QSizeF best = bestSize();
    if (best.width() == 0)
        best.setWidth(100);
    if (best.height() == 0)
        best.setHeight(100);
    const QSizeF newContent(spent.width() + best.width() + 17, spent.height() + best.height() + 17);
    return window->frameRectForContentRect(QRectF(content.topLeft(), newContent)).size();
}

QRectF ZDDistributedView::windowFrameForBestSize() const
{
    auto* window = qobject_cast<pf::Window*>(this->window());
    if (!window)
        return QRectF(QPointF(), windowFrameSizeForBestSize());
    const QRectF old = window->frame();
    const QSizeF size = windowFrameSizeForBestSize();
    return QRectF(QPointF(old.x(), old.y() + old.height() - size.height()), size);
}

QRectF ZDDistributedView::computeFrame() const
{
    QRectF rect = bestRect();
    if (pf::ScrollView* scroll = enclosingScrollView()) {
        const QSizeF content = scroll->contentSize();
        rect.setWidth(std::max(rect.width(), content.width()));
        rect.setHeight(std::max(rect.height(), content.height()));
    }
    return rect;
}

void ZDDistributedView::contentSizeChanged()
{
    if (sizeToFit()) {
        const QRectF wanted = computeFrame();
        if (wanted != frame()) {
            setFrame(wanted);
            if (pf::ScrollView* scroll = enclosingScrollView())
                scroll->setNeedsDisplay(true);
            resetToolTips();
        }
    }
    invalidateCursorRects();
}

void ZDDistributedView::viewDidMoveToSuperview()
{
    if (sizeToFit() && superview())
        setFrame(computeFrame());
}

void ZDDistributedView::viewDidMoveToWindow()
{
    invalidateCursorRects();
}

void ZDDistributedView::resizeWithOldSuperviewSize(QSizeF oldSize)
{
    pf::View::resizeWithOldSuperviewSize(oldSize);
    contentSizeChanged();
}

void ZDDistributedView::setFrameSize(QSizeF size)
{
    pf::View::setFrameSize(size);
    invalidateVisibleItemsCache();
}

// --- Scrolling

void ZDDistributedView::scrollToPoint(QPointF point)
{
    pf::ScrollView* scroll = enclosingScrollView();
    pf::ClipView* clip = scroll ? scroll->contentView() : nullptr;
    if (!clip)
        return;
    clip->scrollToPoint(clip->constrainScrollPoint(point));
    scroll->reflectScrolledClipView(clip);
    setNeedsDisplay(true);
    invalidateCursorRects();
}

void ZDDistributedView::scrollByX(double dx, double dy)
{
    pf::ScrollView* scroll = enclosingScrollView();
    if (!scroll)
        return;
    scrollToPoint(scroll->documentVisibleRect().topLeft() + QPointF(dx, dy));
}

void ZDDistributedView::scrollItemToVisible(int itemIndex)
{
    if (!isValidItem(itemIndex))
        return;
    pf::ScrollView* scroll = enclosingScrollView();
    if (!scroll)
        return;
    const QRectF visible = scroll->documentVisibleRect();
    const QRectF shrunk(visible.topLeft(), visible.size() - m_cellSize);
    const QRectF item = rectForItemAtIndex(itemIndex);
    if (shrunk.contains(item))
        return;
    const double x = visible.x() > item.x() ? item.x() : item.x() - (shrunk.width() - item.width());
    const double y = visible.y() > item.y() ? item.y() : item.y() - (shrunk.height() - item.height());
    scrollToPoint(QPointF(x, y));
}

// --- Refresh

void ZDDistributedView::reloadData()
{
    // The edited item's index may name another item after the reload.
    if (m_editedItem >= 0) {
        if (pf::FieldEditor* editor = pf::FieldEditor::forWindow(window(), false);
            editor && editor->isEditing() && editor->delegate() == this)
            editor->abortEditing();
        if (m_prototype)
            if (auto* labelled = dynamic_cast<RVLabelledIconCell*>(m_prototype.get()))
                labelled->setIsEditing(false);
        m_editedItem = -1;
    }
    invalidateVisibleItemsCache();
    updateSelectionSet();
    invalidateCursorRects();
    contentSizeChanged();
    setNeedsDisplay(true);
    m_oldItemCount = numberOfItems();
    resetToolTips();
}

void ZDDistributedView::noteNumberOfItemsChanged()
{
    const int count = numberOfItems();
    if (count > m_oldItemCount) {
        extendCacheByVisibleItemIndexesInRect(m_visibleItemRect, m_oldItemCount);
        contentSizeChanged();
        setNeedsDisplay(true);
    } else {
        reloadData();
    }
    updateSelectionSet();
    m_oldItemCount = count;
}

void ZDDistributedView::itemNeedsDisplay(int itemIndex)
{
    if (!isValidItem(itemIndex))
        return;
    const QRectF box = rectForItemAtIndex(itemIndex);
    if (!forceToGrid())
        setNeedsDisplayInRect(box);
    if (forceToGrid() || (m_runtimeFlags & DrawSnappedRects))
        setNeedsDisplayInRect(flipRectsYAxis(forceRectToGrid(box)));
}

void ZDDistributedView::itemsNeedDisplayAtIndexes(const pf::IndexSet& indexes)
{
    indexes.forEach([this](qint64 index) { itemNeedsDisplay(int(index)); });
}

void ZDDistributedView::selectionSetNeedsDisplay()
{
    itemsNeedDisplayAtIndexes(m_selection);
}

bool ZDDistributedView::itemIsVisible(int itemIndex) const
{
    return isValidItem(itemIndex) && rectForItemAtIndex(itemIndex).intersects(visibleRect());
}

bool ZDDistributedView::itemIsVisibleAtPosition(QPointF position) const
{
    return snapRectToGrid(QRectF(position, m_cellSize)).intersects(visibleRect());
}

void ZDDistributedView::invalidateVisibleItemsCache()
{
    m_visibleItems.clear();
    m_visibleItemRect = QRectF();
}

void ZDDistributedView::extendCacheByVisibleItemIndexesInRect(const QRectF& rect, int startIndex)
{
    if (m_delegate)
        m_delegate->distributedViewDidStartCachingItems(*this);
    const bool tips = m_dataSource && m_dataSource->implementsToolTips();
    const int count = numberOfItems();
    for (int i = std::max(0, startIndex); i < count; ++i) {
        const QRectF box = rectForItemAtIndex(i);
        if (!box.intersects(rect))
            continue;
        m_visibleItems.append(i);
        if (tips)
            addToolTipRect(flipRectsYAxis(box), this, i);
    }
    m_visibleItemRect = rect;
    if (m_delegate)
        m_delegate->distributedViewWillEndCachingItems(*this);
}

void ZDDistributedView::resetToolTips()
{
    if (!m_dataSource || !m_dataSource->implementsToolTips())
        return;
    removeAllToolTips();
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i)
        addToolTipRect(rectForItemAtIndex(i), this, i);
}

QString ZDDistributedView::stringForToolTip(pf::View*, int, QPointF, const QVariant& userData)
{
    const int index = userData.toInt();
    if (!m_dataSource || !isValidItem(index))
        return QString();
    return m_dataSource->toolTipForItemAtIndex(*this, index);
}

void ZDDistributedView::windowChangedStatus(const pf::Notification& notification)
{
    if (notification.object && notification.object == dynamic_cast<pf::Reflective*>(window()))
        setNeedsDisplay(true);
}

void ZDDistributedView::resetCursorRects()
{
    addCursorRect(bounds(), pf::Cursor::arrow());
}

// --- Drawing

bool ZDDistributedView::drawingToScreen() const
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    return !context || context->isDrawingToScreen();
}

void ZDDistributedView::drawRect(const QRectF& dirtyRect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (!m_dataSource) {
        QPainter& painter = context->painter();
        painter.save();
        const QRectF r = bounds().adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        painter.drawRect(r);
        painter.setPen(QPen(QColor(255, 255, 255), 1));
        painter.drawRect(r.adjusted(1, 1, -1, -1));
        painter.restore();
        pf::Cell::drawUpright(QRectF(8, 20 - 14, 200, 20), [](QPainter& p, const QRectF& local) {
            p.setPen(Qt::black);
            p.drawText(local, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("ZDDistributedView"));
        });
        return;
    }
    if (drawsBackground())
        drawBackgroundInRect(dirtyRect);
    if (drawsGrid())
        drawGridForDrawRect(dirtyRect);
    if (m_runtimeFlags & DrawDropHilite)
        drawDropHiliteForDrawRect(dirtyRect);
    drawCellsForDrawRect(dirtyRect);
    if (useSelectionRect() && m_selectionRect.width() > 0 && m_selectionRect.height() > 0)
        drawSelectionRectForDrawRect(dirtyRect);
}

void ZDDistributedView::drawBackgroundInRect(const QRectF&)
{
    // A hook for subclasses: only the colour is chosen here.
    if (pf::GraphicsContext* context = pf::GraphicsContext::current())
        context->setColour(pf::Color::white());
}

void ZDDistributedView::drawGridForDrawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    pf::GraphicsStateSaver saver;
    const QRectF box = layoutBox().translated(0.5, -0.5);
    context->setStrokeColour(m_gridColor);
    auto outline = pf::BezierPath::pathWithRect(box);
    outline->setLineWidth(1.0);
    context->strokePath(*outline);
    context->addClip(*pf::BezierPath::pathWithRect(box));
    const int columns = int(box.width() / m_gridSize.width() + 1);
    const int rows = int(box.height() / m_gridSize.height() + 1);
    auto grid = pf::BezierPath::path();
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            grid->appendRect(QRectF(m_contentInset + column * m_gridSize.width() + 0.5,
                                    m_contentInset + row * m_gridSize.height() + 0.5, m_gridSize.width(),
                                    m_gridSize.height()));
    grid->setLineWidth(1.0);
    context->strokePath(*grid);
}

void ZDDistributedView::drawDropHiliteForDrawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto path = pf::BezierPath::pathWithRect(visibleRect().adjusted(1.5, 1.5, -1.5, -1.5));
    path->setLineWidth(3.0);
    context->setStrokeColour(pf::SystemColor::selectedControl().colorWithAlphaComponent(0.5));
    context->strokePath(*path);
}

void ZDDistributedView::drawCellsForDrawRect(const QRectF&)
{
    if (!m_dataSource || !m_prototype)
        return;
    const bool screen = drawingToScreen();
    auto* labelled = dynamic_cast<RVLabelledIconCell*>(m_prototype.get());
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i) {
        const QRectF box = snappedBoxForItem(i);
        const QRectF cellRect =
            box.adjusted(m_cellInset.width(), m_cellInset.height(), -m_cellInset.width(), -m_cellInset.height());
        if (!needsToDrawRect(cellRect))
            continue;
        const bool highlighted = (m_selection.contains(i) || i == m_dragDestItem) && screen;
        if (highlighted && forceToGrid())
            drawSnapGuideInRect(forceRectToGrid(cellRect));
        fillPrototype(i);
        setPrototypeHighlighted(highlighted);
        if (labelled)
            labelled->setIsEditing(i == m_editedItem);
        m_prototype->setControlView(this);
        m_prototype->drawWithFrame(cellRect, this);
    }
    if (labelled)
        labelled->setIsEditing(false);
}

void ZDDistributedView::drawSelectionRectForDrawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const QRectF band = QRectF(m_selectionRect.toAlignedRect()).translated(0.5, 0.5);
    auto path = pf::BezierPath::pathWithRect(band);
    context->setFillColour(pf::SystemColor::selectedTextBackground().colorWithAlphaComponent(0.25));
    context->fillPath(*path);
    path->setLineWidth(1.0);
    context->setStrokeColour(pf::Color::withWhite(0.8, 0.5));
    context->strokePath(*path);
}

void ZDDistributedView::drawSnapGuideInRect(const QRectF& rect)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto path = pf::BezierPath::pathWithRect(rect.adjusted(2, 2, -2, -2).translated(0.5, 0.5));
    path->setLineWidth(2.0);
    context->setFillColour(pf::Color::withWhite(1.0, 0.5));
    context->fillPath(*path);
    context->setStrokeColour(pf::SystemColor::knob());
    context->strokePath(*path);
}
