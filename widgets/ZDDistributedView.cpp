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
    // The field editor must not hand a title to a view that is gone.
    if (m_editedItem >= 0)
        if (pf::FieldEditor* editor = pf::FieldEditor::forWindow(window(), false);
            editor && editor->isEditing() && editor->delegate() == this)
            editor->abortEditing();
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
