// The distributed view's behaviour towards the user: selection, mouse, rubber band, moving
// and dragging items, drops, keyboard and type-ahead, and editing titles in place.

#include "widgets/ZDDistributedView.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "widgets/CTBadge.h"
#include "widgets/RVLabelledIconCell.h"

#include <QDateTime>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstring>

namespace {

const char* const kEditAssertion = "item >= 0 && item < [[self dataSource] numberOfItemsInDistributedView: self]";

QRectF normalisedRect(QPointF a, QPointF b)
{
    return QRectF(a, b).normalized();
}

} // namespace

int ZDDistributedViewDelegate::itemIndexForString(ZDDistributedView& view, const QString& string, unsigned options)
{
    return view.defaultItemIndexForString(string, options);
}

// --- Selection

int ZDDistributedView::selectedItemIndex() const
{
    return m_selection.isEmpty() ? kNotFound : int(m_selection.firstIndex());
}

void ZDDistributedView::notifySelectionChanged()
{
    pf::NotificationCenter::defaultCenter().post(ZDDistributedViewSelectionDidChangeNotification, this);
}

void ZDDistributedView::tellDelegateSelection(int firstIndex)
{
    if (m_delegate && !m_delegate->didSelectItemsAtIndexes(*this, m_selection))
        m_delegate->didSelectItemIndex(*this, firstIndex);
}

void ZDDistributedView::selectItemsAtIndexes(const pf::IndexSet& proposed, bool extend)
{
    pf::IndexSet indexes = proposed;
    if (m_delegate) {
        if (std::optional<pf::IndexSet> answer = m_delegate->proposedSelectionAtIndexes(*this, proposed)) {
            if (answer->isEmpty())
                return;
            indexes = *answer;
        }
    }
    // Items that do not exist are never selected.
    indexes.removeRange(numberOfItems(), pf::kNotFound - numberOfItems());
    if (indexes == m_selection)
        return;
    const bool replace = !(allowsMultipleSelection() && extend);
    if (!allowsEmptySelection() && replace && indexes.isEmpty())
        return;
    if (replace) {
        selectionSetNeedsDisplay();
        m_selection.clear();
    }
    if (!indexes.isEmpty()) {
        if (allowsMultipleSelection()) {
            indexes.forEach([this](qint64 index) { m_selection.add(index); });
        } else {
            m_selection.add(indexes.firstIndex());
        }
        selectionSetNeedsDisplay();
        tellDelegateSelection(int(indexes.firstIndex()));
    }
    notifySelectionChanged();
}

void ZDDistributedView::selectItemsInRange(int location, int length, bool extend)
{
    selectItemsAtIndexes(pf::IndexSet::range(location, length), extend);
}

void ZDDistributedView::selectItem(int itemIndex, bool extend)
{
    selectItemsAtIndexes(itemIndex < 0 || itemIndex == kNotFound ? pf::IndexSet() : pf::IndexSet(itemIndex), extend);
}

void ZDDistributedView::deselectItem(int itemIndex)
{
    if (!m_selection.contains(itemIndex))
        return;
    m_selection.remove(itemIndex);
    tellDelegateSelection(-1);
    notifySelectionChanged();
    itemNeedsDisplay(itemIndex);
}

void ZDDistributedView::selectItemsInRect(const QRectF& rect, bool extend)
{
    if (!allowsMultipleSelection())
        return;
    if (!extend) {
        selectionSetNeedsDisplay();
        m_selection.clear();
    }
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i) {
        const QRectF box = snappedBoxForItem(i);
        if (!box.intersects(rect) || !boxHitRegionsIntersect(box, rect))
            continue;
        if (m_delegate && !m_delegate->shouldSelectItemIndex(*this, i))
            continue;
        m_selection.add(i);
        if (m_delegate)
            m_delegate->didSelectItemIndex(*this, i);
    }
    if (m_delegate)
        m_delegate->didSelectItemsAtIndexes(*this, m_selection);
    selectionSetNeedsDisplay();
    notifySelectionChanged();
}

void ZDDistributedView::selectAll(const QVariant&)
{
    const int count = numberOfItems();
    if (m_selection.count() == count)
        return;
    selectItemsAtIndexes(pf::IndexSet::range(0, count), false);
}

void ZDDistributedView::deselectAll(const QVariant&)
{
    if (!allowsEmptySelection() || m_selection.isEmpty())
        return;
    m_selection.clear();
    tellDelegateSelection(-1);
    setNeedsDisplay(true);
    notifySelectionChanged();
}

void ZDDistributedView::updateSelectionSet()
{
    const int count = numberOfItems();
    m_selection.removeRange(count, pf::kNotFound - count);
}

void ZDDistributedView::setAllowsMultipleSelection(bool on)
{
    setFlag(AllowsMultipleSelection, on);
    if (!on && m_selection.count() > 1) {
        const qint64 first = m_selection.firstIndex();
        selectionSetNeedsDisplay();
        m_selection = pf::IndexSet(first);
    }
}

void ZDDistributedView::setAllowsEmptySelection(bool on)
{
    setFlag(AllowsEmptySelection, on);
    if (!on && m_selection.isEmpty() && numberOfItems() > 0) {
        m_selection.add(0);
        itemNeedsDisplay(0);
    }
}

bool ZDDistributedView::useSelectionRect() const
{
    return hasFlag(UseSelectionRect) && hasFlag(AllowsEmptySelection) && hasFlag(AllowsMultipleSelection);
}

void ZDDistributedView::setUseSelectionRect(bool on)
{
    setFlag(UseSelectionRect, on);
    if (on) {
        setFlag(AllowsMultipleSelection, true);
        setFlag(AllowsEmptySelection, true);
    }
}

void ZDDistributedView::copy(const QVariant&)
{
    if (m_selection.isEmpty() || !m_dataSource || !m_dataSource->implementsWriteItemsAtIndexes())
        return;
    m_dataSource->writeItemsAtIndexes(*this, m_selection, *pf::Pasteboard::general());
}

int ZDDistributedView::defaultItemIndexForString(const QString& string, unsigned options)
{
    const int count = numberOfItems();
    if (count == 0 || !m_prototype)
        return -1;
    const Qt::CaseSensitivity sensitivity =
        (options & kCaseInsensitiveSearch) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < count; ++i) {
        fillPrototype(i);
        const QString title = m_prototype->stringValue();
        if (title.length() < string.length())
            continue;
        if (QString::compare(title.left(string.length()), string, sensitivity) >= 0)
            return i;
    }
    return -1;
}

void ZDDistributedView::selectAndReveal(int itemIndex)
{
    selectItem(itemIndex, false);
    scrollItemToVisible(itemIndex);
}

void ZDDistributedView::selectItemContainingString(const QString& string)
{
    const int index = m_delegate ? m_delegate->itemIndexForString(*this, string, kCaseInsensitiveSearch)
                                 : defaultItemIndexForString(string, kCaseInsensitiveSearch);
    if (index != -1)
        selectAndReveal(index);
}

// --- Mouse

void ZDDistributedView::stopAutoscroll()
{
    if (!m_autoscrollTimer)
        return;
    m_autoscrollTimer->stop();
    m_autoscrollTimer->deleteLater();
    m_autoscrollTimer = nullptr;
}

void ZDDistributedView::mouseDown(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    m_lastPos = point;
    m_mouseItem = getItemIndexAtPoint(point);
    m_mouseWasDragged = false;
    m_isTrackingMouse = true;
    m_mouseDownTime = event.timestamp;
    m_selectionRect = QRectF();
    m_lastDragEvent.reset();
    const bool extend = event.modifierFlags & pf::ShiftKeyMask;

    if (m_editedItem >= 0)
        endEditing();

    if (m_mouseItem == kNotFound) {
        if (!allowsEmptySelection())
            return;
        selectionSetNeedsDisplay();
        if (!extend)
            deselectAll();
        // One timer at a time: a timer left from an earlier band would scroll twice as fast.
        stopAutoscroll();
        m_autoscrollTimer = new QTimer(this);
        m_autoscrollTimer->setInterval(100);
        connect(m_autoscrollTimer, &QTimer::timeout, this, [this] { autoscrollCallback(); });
        m_autoscrollTimer->start();
    } else if (event.clickCount > 1) {
        const QRectF box = snappedBoxForItem(m_mouseItem);
        if (m_prototype && m_prototype->isEditable() && m_prototype->titleRectForBounds(box).contains(point)) {
            editItemIndex(m_mouseItem, &event, true);
            return;
        }
        if (m_delegate)
            m_delegate->cellDoubleClickedAtItemIndex(*this, m_mouseItem);
        return;
    } else {
        if (extend && isItemSelected(m_mouseItem)) {
            deselectItem(m_mouseItem);
            return;
        }
        if (!isItemSelected(m_mouseItem))
            selectItem(m_mouseItem, extend);
    }
    if (useSelectionRect() || m_mouseItem != kNotFound)
        initiateMove();
}

void ZDDistributedView::mouseDragged(const pf::Event& event)
{
    const bool canWrite =
        m_dataSource && (m_dataSource->implementsWriteItems() || m_dataSource->implementsWriteItemsAtIndexes());
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const bool command = event.modifierFlags & pf::CommandKeyMask;
    m_mouseWasDragged = true;

    if (m_mouseItem == kNotFound) {
        if (!useSelectionRect() || !m_isTrackingMouse)
            return;
        m_lastDragEvent = event;
        setNeedsDisplayInRect(m_selectionRect.adjusted(-1, -1, 1, 1));
        m_selectionRect = normalisedRect(m_lastPos, point);
        setNeedsDisplayInRect(m_selectionRect.adjusted(-1, -1, 1, 1));
        selectItemsInRect(m_selectionRect, event.modifierFlags & pf::ShiftKeyMask);
        return;
    }
    if (!dragMovesItems()) {
        if (canWrite)
            initiateDrag(event);
        return;
    }
    if (canWrite && (!visibleRect().contains(point) || !dragLocally())) {
        initiateDrag(event);
        return;
    }
    if (!m_dataSource)
        return;
    const bool snapping = (command && !snapToGrid()) || (!command && snapToGrid());
    setRuntimeFlag(DrawSnappedRects, snapping && !forceToGrid() && showSnapGuides());
    m_selection.forEach([&](qint64 index) {
        const int i = int(index);
        if (!isValidItem(i))
            return;
        itemNeedsDisplay(i);
        const QPointF position = m_dataSource->positionForCell(*this, nullptr, i);
        m_dataSource->setPosition(*this, position + QPointF(event.deltaX, event.deltaY), i);
        itemNeedsDisplay(i);
    });
    invalidateCursorRects();
}

void ZDDistributedView::autoscrollCallback()
{
    if (!m_lastDragEvent || !(pf::Event::pressedMouseButtons() & 1)) {
        return;
    }
    if (autoscroll(*m_lastDragEvent))
        mouseDragged(*m_lastDragEvent);
}

void ZDDistributedView::mouseUp(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    if (m_mouseItem == kNotFound || !isValidItem(m_mouseItem)) {
        setNeedsDisplayInRect(m_selectionRect.adjusted(-1, -1, 1, 1));
        m_selectionRect = QRectF();
        stopAutoscroll();
    } else {
        const bool command = event.modifierFlags & pf::CommandKeyMask;
        if (snappedBoxForItem(m_mouseItem).contains(point) && (point == m_lastPos || !dragMovesItems()))
            cellClicked();
        m_lastPos = point;
        if (dragMovesItems() && m_dataSource && !(event.deltaX == 0 && event.deltaY == 0 && !snapToGrid())) {
            setRuntimeFlag(DrawSnappedRects, false);
            const bool snap = forceToGrid() || (snapToGrid() != command);
            m_selection.forEach([&](qint64 index) {
                const int i = int(index);
                if (!isValidItem(i))
                    return;
                itemNeedsDisplay(i);
                QPointF position = m_dataSource->positionForCell(*this, nullptr, i) + QPointF(event.deltaX, event.deltaY);
                if (snap)
                    position = forceRectToGrid(QRectF(position, m_cellSize)).topLeft();
                itemNeedsDisplay(i);
                m_dataSource->setPosition(*this, position, i);
                itemNeedsDisplay(i);
            });
        }
        if (!m_mouseWasDragged && !(event.modifierFlags & pf::ShiftKeyMask))
            selectItem(m_mouseItem, false);
    }
    m_mouseWasDragged = false;
    m_mouseItem = kNotFound;
    m_isTrackingMouse = false;
    m_lastDragEvent.reset();
    contentSizeChanged();
}

void ZDDistributedView::cellClicked(const QVariant&)
{
    if (m_delegate && isValidItem(m_mouseItem))
        m_delegate->cellClickedAtItemIndex(*this, m_mouseItem);
}

void ZDDistributedView::moveItems(const QList<int>& items, QSizeF offset)
{
    if (!m_dataSource)
        return;
    for (int i : items) {
        if (!isValidItem(i))
            continue;
        itemNeedsDisplay(i);
        const QPointF position = m_dataSource->positionForCell(*this, nullptr, i);
        m_dataSource->setPosition(*this, QPointF(position.x() + offset.width(), position.y() - offset.height()), i);
        itemNeedsDisplay(i);
    }
    invalidateCursorRects();
    contentSizeChanged();
}

// --- Dragging out

void ZDDistributedView::initiateDrag(const pf::Event& event)
{
    if (dragsDisabled() || event.timestamp - m_mouseDownTime < m_dragDelayTime)
        return;
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const int item = getItemIndexAtPoint(point);
    if (item == kNotFound || !isItemSelected(item))
        return;
    const pf::IndexSet dragged = m_selection;
    pf::Ref<pf::Image> image = dragImageForVisibleItemsAtIndexes(dragged, point, &m_dragStartImagePos);
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::drag();
    pasteboard->clearContents();
    if (!image || !m_dataSource || !m_dataSource->writeItemsAtIndexes(*this, dragged, *pasteboard)) {
        initiateMove();
        return;
    }
    // The image's top-left corner relative to the pointer, in the widget's pixels.
    const QTransform toWidget = boundsToWidgetTransform();
    const QSizeF imageSize = image->size();
    const QPointF topLeft = toWidget.map(QPointF(m_dragStartImagePos.x(), m_dragStartImagePos.y() - imageSize.height()));
    const QPoint offset = (topLeft - toWidget.map(point)).toPoint();
    const QPixmap pixmap = QPixmap::fromImage(image->bitmap());
    // The drag runs its own event loop and swallows the mouse-up: tracking ends here.
    m_isTrackingMouse = false;
    m_mouseWasDragged = false;
    m_mouseItem = kNotFound;
    pf::DraggingSession::begin(this, pasteboard, this, pixmap, offset, event);
}

pf::Ref<pf::Image> ZDDistributedView::dragImageForVisibleItemsAtIndexes(const pf::IndexSet& indexes, QPointF,
                                                                        QPointF* offset)
{
    const QRectF visible = visibleRect().adjusted(0, -m_cellSize.height(), 0, m_cellSize.height());
    const QRectF area = rectEnclosingItemsAtIndexes(indexes).intersected(visible);
    if (area.isEmpty() || !m_prototype || !m_dataSource)
        return nullptr;
    auto image = pf::Image::make(area.size());
    PF_ASSERT(image, "unable to create image for drag, size = %s",
              qPrintable(QStringLiteral("{%1, %2}").arg(area.width()).arg(area.height())));
    image->lockFocusFlipped(true);
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    std::optional<double> firstDrawnY;
    if (context) {
        context->saveGraphicsState();
        context->concat(QTransform::fromTranslate(-area.x(), -area.y()));
        const int count = numberOfItems();
        for (int i = 0; i < count; ++i) {
            const QRectF box = rectForItemAtIndex(i);
            if (!indexes.contains(i) || !area.contains(box))
                continue;
            setPrototypeHighlighted(true);
            fillPrototype(i);
            m_prototype->drawWithFrame(box, this);
            if (!firstDrawnY)
                firstDrawnY = box.y();
        }
        context->restoreGraphicsState();
        // Half transparent as a whole.
        QPainter& painter = context->painter();
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(QRectF(QPointF(0, 0), area.size()), QColor(0, 0, 0, 128));
        painter.restore();
        if (allowsMultipleSelection()) {
            pf::Ref<pf::Image> badge = CTBadge::systemBadge()->smallBadgeForValue(quint64(indexes.count()));
            if (badge) {
                // Level with the top of the first item drawn, or the top of the image when
                // none was drawn whole.
                const double top = firstDrawnY ? *firstDrawnY - area.y() : 0.0;
                badge->draw(QRectF(QPointF(0, top), badge->size()), {}, pf::CompositingOperation::SourceOver, 1.0, true);
            }
        }
    }
    image->unlockFocus();
    setPrototypeHighlighted(false);
    if (offset)
        *offset = QPointF(area.x(), area.y() + area.height());
    return image;
}

pf::Ref<pf::Image> ZDDistributedView::dragImageForItems(const QList<int>& items, const pf::Event&, QPointF* offset)
{
    const QRectF around = rectAroundItems(items);
    if (around.isEmpty() || !m_prototype || !m_dataSource)
        return nullptr;
    auto image = pf::Image::make(around.size());
    image->lockFocusFlipped(true);
    if (pf::GraphicsContext* context = pf::GraphicsContext::current()) {
        setPrototypeHighlighted(false);
        for (int i : items) {
            if (!isValidItem(i))
                continue;
            const QPointF position = fillPrototype(i);
            m_prototype->drawWithFrame(QRectF(position - around.topLeft(), m_cellSize), this);
        }
        QPainter& painter = context->painter();
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(QRectF(QPointF(0, 0), around.size()), QColor(0, 0, 0, 128));
        painter.restore();
    }
    image->unlockFocus();
    if (offset)
        *offset = around.topLeft();
    return image;
}

void ZDDistributedView::addPositionsOfItems(const QList<int>& items, pf::Pasteboard& pasteboard)
{
    if (!m_dataSource)
        return;
    QVariantList entries;
    for (int i : items) {
        if (!isValidItem(i))
            continue;
        const QPointF p = m_dataSource->positionForCell(*this, nullptr, i) - m_dragStartImagePos;
        const double values[2] = {p.x(), p.y()};
        entries.append(QByteArray(reinterpret_cast<const char*>(values), sizeof values));
    }
    pasteboard.addTypes({ZDDistributedViewPositionsPboardType}, this);
    pasteboard.setPropertyList(entries, ZDDistributedViewPositionsPboardType);
}

QList<QPointF> ZDDistributedView::positionsOfItemsOnPasteboard(const pf::Pasteboard& pasteboard,
                                                               QPointF imagePosition) const
{
    QList<QPointF> positions;
    const QPointF origin = convertPointFromView(imagePosition, nullptr);
    const QVariantList entries = pasteboard.propertyListForType(ZDDistributedViewPositionsPboardType).toList();
    for (const QVariant& entry : entries) {
        const QByteArray bytes = entry.toByteArray();
        // Anything but one point of two doubles is not ours to read.
        if (entry.typeId() != QMetaType::QByteArray || bytes.size() != 2 * qsizetype(sizeof(double)))
            continue;
        double values[2];
        std::memcpy(values, bytes.constData(), sizeof values);
        QRectF box(QPointF(values[0], values[1]) + origin, m_cellSize);
        if (snapToGrid() || forceToGrid())
            box = forceRectToGrid(box);
        positions.append(box.topLeft());
    }
    return positions;
}

unsigned ZDDistributedView::draggingSourceOperationMask(pf::DraggingContext context)
{
    if (!m_dataSource)
        return pf::DragOperationNone;
    return m_dataSource->draggingSourceOperationMaskForLocal(*this, context == pf::DraggingContext::WithinApplication);
}

void ZDDistributedView::draggingSessionMovedTo(pf::DraggingSession&, QPointF screenPoint)
{
    if (m_dataSource)
        m_dataSource->draggedImageMovedTo(*this, screenPoint);
}

void ZDDistributedView::draggingSessionEnded(pf::DraggingSession&, QPointF, unsigned operation)
{
    if (m_dataSource)
        m_dataSource->dragEndedWithOperation(*this, operation);
}

// --- Dropping

unsigned ZDDistributedView::draggingEntered(const pf::DraggingInfo& info)
{
    if (QWidget* top = window())
        top->raise();
    if (m_dragDestItem != -1)
        itemNeedsDisplay(m_dragDestItem);
    const int hit = getItemIndexAtPoint(convertPointFromView(info.draggingLocation(), nullptr));
    m_dragDestItem = hit == kNotFound ? -1 : hit;
    unsigned operation = pf::DragOperationNone;
    if (m_dataSource)
        operation = m_dataSource->validateDrop(*this, info, &m_dragDestItem);
    if (operation != pf::DragOperationNone) {
        setRuntimeFlag(DrawDropHilite, true);
        setNeedsDisplay(true);
    }
    return operation;
}

unsigned ZDDistributedView::draggingUpdated(const pf::DraggingInfo& info)
{
    if (m_dragDestItem != -1)
        itemNeedsDisplay(m_dragDestItem);
    const int hit = getItemIndexAtPoint(convertPointFromView(info.draggingLocation(), nullptr));
    m_dragDestItem = hit == kNotFound ? -1 : hit;
    unsigned operation = pf::DragOperationNone;
    if (m_dataSource)
        operation = m_dataSource->validateDrop(*this, info, &m_dragDestItem);
    if (m_dragDestItem != -1)
        itemNeedsDisplay(m_dragDestItem);
    return operation;
}

void ZDDistributedView::draggingExited(const pf::DraggingInfo*)
{
    m_dragDestItem = -1;
    m_mouseItem = -1;
    setRuntimeFlag(DrawDropHilite, false);
    setNeedsDisplay(true);
}

bool ZDDistributedView::performDragOperation(const pf::DraggingInfo& info)
{
    const bool accepted = m_dataSource && m_dataSource->acceptDrop(*this, info, m_dragDestItem);
    draggingExited(&info);
    invalidateVisibleItemsCache();
    return accepted;
}

// --- Keyboard

void ZDDistributedView::keyDown(const pf::Event& event)
{
    interpretKeyEvent(event);
}

void ZDDistributedView::moveSelectionBy(double dx, double dy, bool forward)
{
    const int count = numberOfItems();
    if (count == 0)
        return;
    int start = selectedItemIndex();
    if (start == kNotFound || !isValidItem(start))
        start = forward ? 0 : count - 1;
    const QRectF probe = rectForItemAtIndex(start).translated(dx, dy).adjusted(8, 8, -8, -8);
    const int found = getUncachedItemIndexInRect(probe);
    if (found != kNotFound)
        selectAndReveal(found);
}

void ZDDistributedView::moveRight(const QVariant&)
{
    moveSelectionBy(m_cellSize.width(), 0, true);
}

void ZDDistributedView::moveLeft(const QVariant&)
{
    moveSelectionBy(-m_cellSize.width(), 0, false);
}

void ZDDistributedView::moveDown(const QVariant&)
{
    moveSelectionBy(0, m_cellSize.height(), true);
}

void ZDDistributedView::moveUp(const QVariant&)
{
    moveSelectionBy(0, -m_cellSize.height(), false);
}

void ZDDistributedView::pageDown(const QVariant&)
{
    scrollByX(0, visibleRect().height());
}

void ZDDistributedView::pageUp(const QVariant&)
{
    scrollByX(0, -visibleRect().height());
}

void ZDDistributedView::insertTab(const QVariant&)
{
    const int count = numberOfItems();
    if (m_selection.isEmpty() || count == 0)
        return;
    int next = int(m_selection.lastIndex()) + 1;
    if (next >= count)
        next = 0;
    selectAndReveal(next);
}

void ZDDistributedView::insertBacktab(const QVariant&)
{
    const int count = numberOfItems();
    if (m_selection.isEmpty() || count == 0)
        return;
    int previous = int(m_selection.firstIndex()) - 1;
    if (previous < 0)
        previous = count - 1;
    selectAndReveal(previous);
}

double ZDDistributedView::currentTime() const
{
    return pf::Date::timeIntervalSinceReferenceDate(QDateTime::currentDateTimeUtc());
}

void ZDDistributedView::insertText(const QString& text)
{
    const double now = currentTime();
    if (now - m_lastTypeAheadKeypress > kTypeAheadTimeout)
        m_typeAheadSearchStr = text;
    else
        m_typeAheadSearchStr += text;
    const unsigned options = kCaseInsensitiveSearch | kAnchoredSearch;
    const int index = m_delegate ? m_delegate->itemIndexForString(*this, m_typeAheadSearchStr, options)
                                 : defaultItemIndexForString(m_typeAheadSearchStr, options);
    if (index != kNotFound)
        selectAndReveal(index);
    m_lastTypeAheadKeypress = now;
}

// --- Editing titles in place

void ZDDistributedView::editItemIndex(int itemIndex, const pf::Event* event, bool)
{
    PF_ASSERT(isValidItem(itemIndex), "Invalid parameter not satisfying: %s", kEditAssertion);
    if (!m_prototype || !m_prototype->isEditable())
        return;
    if (m_delegate && !m_delegate->shouldEditItemAtIndex(*this, itemIndex))
        return;
    QWidget* top = window();
    if (auto* window = qobject_cast<pf::Window*>(top)) {
        if (!window->makeFirstResponder(this))
            pf::FieldEditor::endEditingInWindow(window);
    } else {
        setFocus(Qt::OtherFocusReason);
    }
    m_editedItem = itemIndex;
    fillPrototype(itemIndex);
    pf::FieldEditor* editor = m_prototype->fieldEditorForView(this);
    if (!editor)
        editor = pf::FieldEditor::forWindow(top);
    if (!editor) {
        m_editedItem = -1;
        return;
    }
    m_prototype->setUpFieldEditorAttributes(*editor);
    m_prototype->editWithFrame(snappedBoxForItem(itemIndex), this, editor, this, event);
    if (!editor->isEditing() || editor->delegate() != this) {
        m_editedItem = -1;
        return;
    }
    itemNeedsDisplay(itemIndex);
}

void ZDDistributedView::endEditing()
{
    if (m_editedItem < 0)
        return;
    pf::FieldEditor* editor = pf::FieldEditor::forWindow(window(), false);
    if (editor && editor->isEditing() && editor->delegate() == this)
        editor->endEditing();
    else
        m_editedItem = -1;
}

void ZDDistributedView::textDidEndEditing(pf::FieldEditor& editor, pf::TextMovement movement)
{
    const QString title = editor.text();
    const int item = m_editedItem;
    m_editedItem = -1;
    if (m_prototype) {
        m_prototype->endEditing(editor);
        if (auto* labelled = dynamic_cast<RVLabelledIconCell*>(m_prototype.get()))
            labelled->setIsEditing(false);
    }
    if (isValidItem(item)) {
        const QRectF titleRect = m_prototype ? m_prototype->titleRectForBounds(snappedBoxForItem(item)) : QRectF();
        setNeedsDisplayInRect(titleRect.adjusted(-3, -3, 3, 3));
        itemNeedsDisplay(item);
    }
    invalidateCursorRects();
    // Escape keeps the old title.
    if (movement != pf::TextMovement::Cancel && isValidItem(item) && m_dataSource && !title.isNull())
        m_dataSource->setObjectValue(*this, title, item);
}
