#include "widgets/ZDDistributedView.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Window.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/ClipView.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Window.h"
#include "widgets/RVLabelledIconCell.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>
#include <cstring>

PF_DEFINE_CLASS(ZDDistributedView, pf::View)
{
    b.method("toggleDrawsGrid:", &ZDDistributedView::toggleDrawsGrid);
    b.method("toggleSnapToGrid:", &ZDDistributedView::toggleSnapToGrid);
    b.method("positionAllItems:", &ZDDistributedView::positionAllItems);
    b.method("snapAllItemsToGrid:", &ZDDistributedView::snapAllItemsToGrid);
    b.method("rescrollItems:", &ZDDistributedView::rescrollItems);
    b.method("selectAll:", &ZDDistributedView::selectAll);
    b.method("deselectAll:", &ZDDistributedView::deselectAll);
    b.method("copy:", &ZDDistributedView::copy);
    b.method("cellClicked:", &ZDDistributedView::cellClicked);
    b.method("moveRight:", &ZDDistributedView::moveRight);
    b.method("moveLeft:", &ZDDistributedView::moveLeft);
    b.method("moveUp:", &ZDDistributedView::moveUp);
    b.method("moveDown:", &ZDDistributedView::moveDown);
    b.method("pageDown:", &ZDDistributedView::pageDown);
    b.method("pageUp:", &ZDDistributedView::pageUp);
    b.method("insertTab:", &ZDDistributedView::insertTab);
    b.method("insertBacktab:", &ZDDistributedView::insertBacktab);
}

namespace {

const QString kCellSizeKey = QStringLiteral("ZDDVcellSize");
const QString kGridSizeKey = QStringLiteral("ZDDVgridSize");
const QString kContentInsetKey = QStringLiteral("ZDDVcontentInset");
const QString kFlagsKey = QStringLiteral("ZDDVflags");
const QString kPrototypeKey = QStringLiteral("ZDDVprototype");
const QString kGridColorKey = QStringLiteral("ZDDVgridColor");

constexpr quint32 kDefaultFlags = ZDDistributedView::ShowSnapGuides | ZDDistributedView::SizeToFit |
                                  ZDDistributedView::UseSelectionRect | ZDDistributedView::AllowsEmptySelection |
                                  ZDDistributedView::AllowsMultipleSelection;

// A size of two doubles as 16 raw bytes, width first.
QByteArray sizeBytes(QSizeF size)
{
    const double values[2] = {size.width(), size.height()};
    return QByteArray(reinterpret_cast<const char*>(values), sizeof values);
}

// Only data of exactly 16 bytes is a size; anything else keeps `fallback`.
QSizeF sizeFromBytes(const QByteArray& bytes, QSizeF fallback)
{
    if (bytes.size() != 2 * qsizetype(sizeof(double)))
        return fallback;
    double values[2];
    std::memcpy(values, bytes.constData(), sizeof values);
    if (!std::isfinite(values[0]) || !std::isfinite(values[1]))
        return fallback;
    return {values[0], values[1]};
}

// Sides below 1 would divide by zero or never leave a grid loop.
QSizeF atLeastOne(QSizeF size)
{
    const auto clamp = [](double v) { return std::isfinite(v) ? std::max(1.0, v) : 1.0; };
    return {clamp(size.width()), clamp(size.height())};
}

const char* const kRectAssertion = "indx >= 0 && indx < [[self dataSource] numberOfItemsInDistributedView: self]";
const char* const kPositionAssertion =
    "itemIndex >= 0 && itemIndex < [[self dataSource] numberOfItemsInDistributedView: self]";

} // namespace

ZDDistributedView::ZDDistributedView(QWidget* parent) : pf::View(QRectF(), parent)
{
    init();
}

ZDDistributedView::ZDDistributedView(const QRectF& frame, QWidget* parent) : pf::View(frame, parent)
{
    init();
}

void ZDDistributedView::init()
{
    m_flags = kDefaultFlags;
    m_gridColor = pf::SystemColor::grid();
    m_canBecomeKey = true;
    setFocusPolicy(Qt::ClickFocus);
    // The window notifications' names are declared beside the view notifications' in a header
    // that cannot be included with the view's.
    auto& centre = pf::NotificationCenter::defaultCenter();
    const auto handler = [this](const pf::Notification& n) { windowChangedStatus(n); };
    centre.addObserver(this, handler, QStringLiteral("NSWindowDidBecomeMainNotification"), nullptr);
    centre.addObserver(this, handler, QStringLiteral("NSWindowDidResignMainNotification"), nullptr);
}

ZDDistributedView::~ZDDistributedView()
{
    stopAutoscroll();
    pf::NotificationCenter::defaultCenter().removeObserver(this);
}

// --- Archiving

void ZDDistributedView::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    const QByteArray cell = sizeBytes(m_cellSize);
    const QByteArray grid = sizeBytes(m_gridSize);
    coder.encodeBytes(cell.constData(), cell.size(), kCellSizeKey);
    coder.encodeBytes(grid.constData(), grid.size(), kGridSizeKey);
    coder.encodeFloat(m_contentInset, kContentInsetKey);
    coder.encodeInt32(qint32(m_flags), kFlagsKey);
    // Only a cell that can be archived is kept; a decoded view without one gets a plain cell.
    if (dynamic_cast<const pf::Coding*>(m_prototype.get()))
        coder.encodeObject(m_prototype, kPrototypeKey);
    coder.encodeObject(std::make_shared<pf::Color>(m_gridColor), kGridColorKey);
}

void ZDDistributedView::initWithCoder(pf::KeyedUnarchiver& coder)
{
    // A missing or short size keeps the default rather than reading past the data.
    m_cellSize = atLeastOne(sizeFromBytes(coder.decodeBytes(kCellSizeKey), QSizeF(100, 100)));
    m_gridSize = atLeastOne(sizeFromBytes(coder.decodeBytes(kGridSizeKey), QSizeF(50, 50)));
    m_contentInset = coder.decodeFloat(kContentInsetKey);
    m_flags = quint32(coder.decodeInt32(kFlagsKey));
    m_prototype = std::dynamic_pointer_cast<pf::Cell>(coder.decodeObjectForKey(kPrototypeKey));
    if (!m_prototype)
        m_prototype = std::make_shared<pf::Cell>();
    auto colour = std::dynamic_pointer_cast<pf::Color>(coder.decodeObjectForKey(kGridColorKey));
    m_gridColor = colour ? *colour : pf::SystemColor::grid();
    m_mouseItem = -1;
    m_dragDestItem = -1;
    m_editedItem = -1;
    m_lastPos = QPointF();
    m_selectionRect = QRectF();
    m_visibleItemRect = QRectF();
    m_visibleItems.clear();
    m_selection.clear();
    m_canBecomeKey = false;
}

// --- Data source and prototype

int ZDDistributedView::numberOfItems() const
{
    if (!m_dataSource)
        return 0;
    return std::max(0, m_dataSource->numberOfItemsInDistributedView(*const_cast<ZDDistributedView*>(this)));
}

void ZDDistributedView::setPrototype(const pf::Ref<pf::Cell>& cell)
{
    m_prototype = cell;
    if (auto* action = dynamic_cast<pf::ActionCell*>(cell.get())) {
        try {
            action->setTarget(this);
            action->setAction(QStringLiteral("cellClicked:"));
        } catch (const std::exception&) {
            // A cell that cannot take a target still serves as a prototype.
        }
    }
}

QPointF ZDDistributedView::fillPrototype(int itemIndex)
{
    if (!m_dataSource)
        return {};
    return m_dataSource->positionForCell(*this, m_prototype.get(), itemIndex);
}

void ZDDistributedView::setPrototypeHighlighted(bool highlighted)
{
    if (!m_prototype)
        return;
    if (auto* button = dynamic_cast<pf::ButtonCell*>(m_prototype.get()))
        button->setState(highlighted ? pf::ControlState::On : pf::ControlState::Off);
    else
        m_prototype->setHighlighted(highlighted);
}

// --- Geometry setters

void ZDDistributedView::setCellSize(QSizeF size)
{
    m_cellSize = atLeastOne(size);
    m_gridSize = atLeastOne(m_cellSize / 2);
    if (forceToGrid())
        setNeedsDisplay(true);
    endEditing();
}

void ZDDistributedView::setGridSize(QSizeF size)
{
    m_gridSize = atLeastOne(size);
    if (forceToGrid())
        setNeedsDisplay(true);
}

void ZDDistributedView::setContentInset(float inset)
{
    m_contentInset = std::isfinite(inset) ? inset : 0.0f;
    if (forceToGrid())
        setNeedsDisplay(true);
}

void ZDDistributedView::setCellInset(QSizeF inset)
{
    m_cellInset = inset;
    setNeedsDisplay(true);
}

void ZDDistributedView::setDrawsGrid(bool on)
{
    setFlag(DrawsGrid, on);
    setNeedsDisplay(true);
}

void ZDDistributedView::setDrawsBackground(bool on)
{
    setFlag(DrawsBackground, on);
    setNeedsDisplay(true);
}

void ZDDistributedView::setForceToGrid(bool on)
{
    setFlag(ForceToGrid, on);
    setNeedsDisplay(true);
}

void ZDDistributedView::setDragDelay(double seconds)
{
    m_dragDelayTime = std::isfinite(seconds) ? std::clamp(seconds, 0.0, kMaximumDragDelay) : 0.0;
}

void ZDDistributedView::setMultiPositioningMode(bool on)
{
    setRuntimeFlag(MultiPositioningMode, on);
    m_itemsBelowLastSuggested.clear();
    if (!on)
        return;
    m_lastSuggestedItemPos = QPointF(0, 0);
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i)
        m_itemsBelowLastSuggested.append(i);
}

// --- Menu actions

void ZDDistributedView::toggleDrawsGrid(const QVariant&)
{
    setDrawsGrid(!drawsGrid());
}

void ZDDistributedView::toggleSnapToGrid(const QVariant&)
{
    setSnapToGrid(!snapToGrid());
}

void ZDDistributedView::positionAllItems(const QVariant&)
{
    if (!m_dataSource || !m_dataSource->implementsSetPosition())
        return;
    const QRectF box = layoutBox();
    const int columns = int(box.width() / m_cellSize.width());
    const int count = numberOfItems();
    int column = 0;
    int row = 0;
    for (int i = 0; i < count; ++i) {
        // With no column to spare every item starts a new row, the first one too.
        if (columns < 1) {
            ++row;
            column = 0;
        }
        const QPointF position(m_contentInset + column * m_cellSize.width(), m_contentInset + row * m_cellSize.height());
        m_dataSource->setPosition(*this, position, i);
        if (columns >= 1 && ++column >= columns) {
            column = 0;
            ++row;
        }
    }
    invalidateCursorRects();
    contentSizeChanged();
    setNeedsDisplay(true);
}

void ZDDistributedView::snapAllItemsToGrid(const QVariant&)
{
    if (!m_dataSource || !m_dataSource->implementsSetPosition())
        return;
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i)
        m_dataSource->setPosition(*this, forceRectToGrid(rectForItemAtIndex(i)).topLeft(), i);
    invalidateCursorRects();
    contentSizeChanged();
    setNeedsDisplay(true);
}

void ZDDistributedView::rescrollItems(const QVariant&)
{
    if (!m_dataSource)
        return;
    const int count = numberOfItems();
    if (count == 0)
        return;
    int minX = INT32_MAX;
    int minY = INT32_MAX;
    for (int i = 0; i < count; ++i) {
        const QRectF r = rectForItemAtIndex(i);
        minX = std::min(minX, int(r.x()));
        minY = std::min(minY, int(r.y()));
    }
    const double dx = std::trunc(m_contentInset - minX);
    const double dy = std::trunc(m_contentInset - minY);
    for (int i = 0; i < count; ++i)
        m_dataSource->setPosition(*this, m_dataSource->positionForCell(*this, nullptr, i) + QPointF(dx, dy), i);
    invalidateCursorRects();
    contentSizeChanged();
    setNeedsDisplay(true);
}

bool ZDDistributedView::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    const bool setsPositions = m_dataSource && m_dataSource->implementsSetPosition();
    if (action == QLatin1String("selectAll:"))
        return allowsMultipleSelection();
    if (action == QLatin1String("deselectAll:"))
        return !m_selection.isEmpty() && allowsEmptySelection();
    if (action == QLatin1String("copy:"))
        return m_dataSource && m_dataSource->implementsWriteItemsAtIndexes() && !m_selection.isEmpty();
    if (action == QLatin1String("positionAllItems:") || action == QLatin1String("snapAllItemsToGrid:"))
        return setsPositions;
    if (action == QLatin1String("toggleDrawsGrid:")) {
        item.setState(drawsGrid() ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QLatin1String("toggleSnapToGrid:")) {
        item.setState(snapToGrid() ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QLatin1String("rescrollItems:"))
        return true;
    if (m_delegate && m_delegate->implementsAction(action))
        return m_delegate->validateMenuItem(item);
    return respondsToAction(action);
}

// --- Layout

QRectF ZDDistributedView::layoutBox() const
{
    const QSizeF size = frame().size();
    const double inset = m_contentInset;
    return QRectF(inset, inset, size.width() - 2 * inset, size.height() - 2 * inset);
}

QRectF ZDDistributedView::rectForItemAtIndex(int itemIndex) const
{
    PF_ASSERT(isValidItem(itemIndex), "Invalid parameter not satisfying: %s", kRectAssertion);
    const QPointF position = m_dataSource->positionForCell(*const_cast<ZDDistributedView*>(this), nullptr, itemIndex);
    return flipRectsYAxis(QRectF(position, m_cellSize));
}

QRectF ZDDistributedView::forceRectToGrid(const QRectF& rect) const
{
    const double inset = m_contentInset;
    double x = rect.x() - inset;
    double y = rect.y() - inset;
    double shiftX = 0;
    double shiftY = 0;
    if (x < 0) {
        shiftX = (std::trunc(-x / m_gridSize.width()) + 1) * m_gridSize.width();
        x += shiftX;
    }
    if (y < 0) {
        shiftY = (std::trunc(-y / m_gridSize.height()) + 1) * m_gridSize.height();
        y += shiftY;
    }
    // Both axes round with half the grid's width, as the layout always has.
    const double half = m_gridSize.width() / 2;
    x = double(std::trunc(float((x + half) / m_gridSize.width()))) * m_gridSize.width();
    y = double(std::trunc(float((y + half) / m_gridSize.height()))) * m_gridSize.height();
    return QRectF(x - shiftX + inset, y - shiftY + inset, rect.width(), rect.height());
}

QRectF ZDDistributedView::snapRectToGrid(const QRectF& rect) const
{
    return forceToGrid() ? forceRectToGrid(rect) : rect;
}

QRectF ZDDistributedView::snappedBoxForItem(int itemIndex) const
{
    const QPointF position = m_dataSource->positionForCell(*const_cast<ZDDistributedView*>(this), nullptr, itemIndex);
    return snapRectToGrid(QRectF(position, m_cellSize));
}

void ZDDistributedView::positionItem(int itemIndex)
{
    PF_ASSERT(isValidItem(itemIndex), "Invalid parameter not satisfying: %s", kPositionAssertion);
    const QRectF box = layoutBox();
    const int columns = int(box.width() / m_gridSize.width());
    if (columns < 1)
        return;
    int startColumn = 0;
    int row = 0;
    if (multiPositioningMode()) {
        if (m_lastSuggestedItemPos.y() >= INT32_MAX)
            return;
        startColumn = int(m_lastSuggestedItemPos.x());
        row = int(m_lastSuggestedItemPos.y());
    }
    // Every item takes a box; once the rows pass the last item's bottom a free slot is certain.
    const int count = numberOfItems();
    const int lastRow = row + count + 1 + int(bestRect().height() / m_cellSize.height());
    for (; row <= lastRow; ++row) {
        for (int column = startColumn; column < columns; ++column) {
            const QRectF candidate(m_contentInset + m_gridSize.width() * column, m_contentInset + m_cellSize.height() * row,
                                   m_cellSize.width(), m_cellSize.height());
            if (getUncachedItemIndexInRect(candidate) == kNotFound) {
                if (m_dataSource && m_dataSource->implementsSetPosition())
                    m_dataSource->setPosition(*this, candidate.topLeft(), itemIndex);
                m_lastSuggestedItemPos = QPointF(column, row);
                invalidateCursorRects();
                return;
            }
        }
        startColumn = 0;
    }
}

QPointF ZDDistributedView::suggestedPosition()
{
    const QRectF box = layoutBox();
    const int rows = int(box.height() / m_gridSize.height());
    const int columns = int(box.width() / m_gridSize.width());
    const QPointF fallback(m_contentInset, m_contentInset);
    if (rows < 1)
        return fallback;
    int startColumn = 0;
    int startRow = 0;
    if (multiPositioningMode()) {
        startColumn = int(m_lastSuggestedItemPos.x());
        startRow = int(m_lastSuggestedItemPos.y());
    }
    for (int row = startRow; row < startRow + 10 * rows; ++row) {
        for (int column = (row == startRow ? startColumn : 0); column < columns; ++column) {
            const QRectF candidate(m_contentInset + m_gridSize.width() * column, m_contentInset + m_gridSize.height() * row,
                                   m_cellSize.width(), m_cellSize.height());
            if (getItemIndexForSuggestionInRect(candidate) != kNotFound)
                continue;
            if (multiPositioningMode()) {
                if (row > int(m_lastSuggestedItemPos.y()))
                    removeAllRowsFromSuggestionCacheBelow(candidate.y());
                m_itemsBelowLastSuggested.append(numberOfItems());
            }
            m_lastSuggestedItemPos = QPointF(column, row);
            return candidate.topLeft();
        }
    }
    return fallback;
}

int ZDDistributedView::getItemIndexForSuggestionInRect(const QRectF& rect) const
{
    if (!multiPositioningMode())
        return getUncachedItemIndexInRect(rect);
    const int count = numberOfItems();
    for (int index : m_itemsBelowLastSuggested) {
        // A slot handed out for an item the data source has not added yet names no box.
        if (index < 0 || index >= count)
            continue;
        if (snappedBoxForItem(index).intersects(rect))
            return index;
    }
    return kNotFound;
}

void ZDDistributedView::removeAllRowsFromSuggestionCacheBelow(double y)
{
    const int count = numberOfItems();
    m_itemsBelowLastSuggested.removeIf([&](int index) {
        if (index < 0 || index >= count)
            return false;
        return snappedBoxForItem(index).bottom() < y;
    });
}

QPointF ZDDistributedView::itemPositionBasedOnItemIndex(int itemIndex) const
{
    const double width = frame().width() - 2 * m_contentInset;
    const int columns = std::max(1, int(width / m_cellSize.width()));
    return QPointF((itemIndex % columns) * m_cellSize.width() + m_contentInset,
                   (itemIndex / columns) * m_cellSize.height() + m_contentInset);
}

// --- Hit testing

bool ZDDistributedView::boxHitRegionsContain(const QRectF& box, QPointF point) const
{
    if (!m_prototype)
        return box.contains(point);
    return m_prototype->imageRectForBounds(box).contains(point) || m_prototype->titleRectForBounds(box).contains(point);
}

bool ZDDistributedView::boxHitRegionsIntersect(const QRectF& box, const QRectF& rect) const
{
    if (!m_prototype)
        return box.intersects(rect);
    return m_prototype->imageRectForBounds(box).intersects(rect) ||
           m_prototype->titleRectForBounds(box).intersects(rect);
}

int ZDDistributedView::getItemIndexAtPoint(QPointF point) const
{
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i) {
        if (boxHitRegionsContain(snappedBoxForItem(i), point))
            return i;
    }
    return kNotFound;
}

int ZDDistributedView::getUncachedItemIndexInRect(const QRectF& rect) const
{
    const int count = numberOfItems();
    for (int i = 0; i < count; ++i) {
        if (snappedBoxForItem(i).intersects(rect))
            return i;
    }
    return kNotFound;
}

int ZDDistributedView::getItemIndexInRect(const QRectF& rect) const
{
    const int count = numberOfItems();
    for (auto it = m_visibleItems.crbegin(); it != m_visibleItems.crend(); ++it) {
        if (*it >= count)
            continue;
        if (boxHitRegionsIntersect(flipRectsYAxis(snappedBoxForItem(*it)), rect))
            return *it;
    }
    return kNotFound;
}

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
