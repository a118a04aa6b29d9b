#include "widgets/BFIconTabBar.h"

#include "widgets/BFIconTabBarDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Application.h"

#include <QPainter>

#include <cmath>

PF_DEFINE_CLASS(BFIconTabBar, pf::Control) {}

BFIconTabBar::BFIconTabBar(QWidget* parent)
    : pf::Control(parent)
{
}

BFIconTabBar::BFIconTabBar(const QRectF& frame, QWidget* parent)
    : pf::Control(parent)
{
    setFrame(frame);
}

void BFIconTabBar::setItems(const QList<pf::Ref<BFIconTabBarItem>>& items)
{
    if (items == mItems)
        return;
    mItems = items;
    for (const auto& item : std::as_const(mItems)) {
        if (item)
            item->setTabBar(this);
    }
    pruneSelection();
    if (mSelectedIndexes.isEmpty() && !mItems.isEmpty())
        mSelectedIndexes.add(0);
    setNeedsDisplay();
}

void BFIconTabBar::pruneSelection()
{
    const qint64 count = mItems.size();
    if (!mSelectedIndexes.isEmpty() && mSelectedIndexes.lastIndex() >= count)
        mSelectedIndexes.removeRange(count, mSelectedIndexes.lastIndex() - count + 1);
}

int BFIconTabBar::indexAtX(double x) const
{
    if (!(mItemWidth > 0))
        return -1;
    const double index = std::floor((x - kStartX) / mItemWidth);
    if (!(index >= 0) || index >= double(mItems.size()))
        return -1;
    return int(index);
}

pf::Ref<BFIconTabBarItem> BFIconTabBar::itemAtX(double x) const
{
    const int index = indexAtX(x);
    return index < 0 ? nullptr : mItems[index];
}

int BFIconTabBar::indexOfItem(const pf::Ref<BFIconTabBarItem>& item) const
{
    return item ? int(mItems.indexOf(item)) : -1;
}

int BFIconTabBar::selectedIndex() const
{
    return mSelectedIndexes.isEmpty() ? -1 : int(mSelectedIndexes.firstIndex());
}

pf::Ref<BFIconTabBarItem> BFIconTabBar::selectedItem() const
{
    const int index = selectedIndex();
    return index < 0 || index >= mItems.size() ? nullptr : mItems[index];
}

QList<pf::Ref<BFIconTabBarItem>> BFIconTabBar::selectedItems() const
{
    QList<pf::Ref<BFIconTabBarItem>> selected;
    mSelectedIndexes.forEach([&](qint64 index) {
        if (index < mItems.size())
            selected.append(mItems[index]);
    });
    return selected;
}

void BFIconTabBar::setMultipleSelection(bool multiple)
{
    if (multiple == mMultipleSelection)
        return;
    mMultipleSelection = multiple;
    if (!multiple && mSelectedIndexes.count() > 1) {
        const qint64 first = mSelectedIndexes.firstIndex();
        mSelectedIndexes.clear();
        mSelectedIndexes.add(first);
    }
    setNeedsDisplay();
}

void BFIconTabBar::setItemWidth(double width)
{
    mItemWidth = width;
    setNeedsDisplay();
}

void BFIconTabBar::selectIndexes(const pf::IndexSet& given, bool extendSelection)
{
    // Only tabs that exist can be selected.
    pf::IndexSet indexes = given;
    if (!indexes.isEmpty() && indexes.lastIndex() >= mItems.size())
        indexes.removeRange(mItems.size(), indexes.lastIndex() - mItems.size() + 1);
    if (indexes.isEmpty()) {
        pf::log(QStringLiteral("Selection indexset empty."));
        return;
    }
    if (!extendSelection || !mMultipleSelection)
        mSelectedIndexes.clear();
    if (mMultipleSelection) {
        for (const auto& range : indexes.ranges())
            mSelectedIndexes.addRange(range.location, range.length);
    } else {
        mSelectedIndexes.add(indexes.firstIndex());
    }
    setNeedsDisplay();
}

void BFIconTabBar::selectIndex(int index)
{
    if (index < 0) {
        pf::log(QStringLiteral("Selection indexset empty."));
        return;
    }
    selectIndexes(pf::IndexSet(index), true);
}

void BFIconTabBar::selectItem(const pf::Ref<BFIconTabBarItem>& item)
{
    const int index = indexOfItem(item);
    if (index >= 0)
        selectIndex(index);
}

void BFIconTabBar::selectAll()
{
    if (mItems.isEmpty())
        return;
    if (mMultipleSelection) {
        mSelectedIndexes.addRange(0, mItems.size());
    } else if (mSelectedIndexes.isEmpty()) {
        // One tab at most: the one selected stays, or the first.
        mSelectedIndexes.add(0);
    }
    setNeedsDisplay();
}

void BFIconTabBar::deselectIndexes(const pf::IndexSet& indexes)
{
    if (indexes.isEmpty()) {
        pf::log(QStringLiteral("Deselection indexset empty."));
        return;
    }
    for (const auto& range : indexes.ranges())
        mSelectedIndexes.removeRange(range.location, range.length);
    setNeedsDisplay();
}

void BFIconTabBar::deselectIndex(int index)
{
    if (index < 0) {
        pf::log(QStringLiteral("Deselection indexset empty."));
        return;
    }
    deselectIndexes(pf::IndexSet(index));
}

void BFIconTabBar::deselectItem(const pf::Ref<BFIconTabBarItem>& item)
{
    const int index = indexOfItem(item);
    if (index >= 0)
        deselectIndex(index);
}

void BFIconTabBar::deselectAll()
{
    mSelectedIndexes.clear();
    setNeedsDisplay();
}

void BFIconTabBar::notify()
{
    pf::Application::shared()->sendAction(action(), target(), senderValue());
    if (mDelegate)
        mDelegate->tabBarChangedSelection(*this);
}

// --- Mouse

void BFIconTabBar::mouseDown(const pf::Event& event)
{
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const pf::Ref<BFIconTabBarItem> item = itemAtX(point.x());
    if (!item) {
        pf::View::mouseDown(event);
        return;
    }
    mDragging = true;
    mPressedItem = item;
    if (!mMultipleSelection) {
        selectItem(item);
    } else {
        mFirstItemWasSelected = !mSelectedIndexes.contains(indexOfItem(item));
        if (mFirstItemWasSelected)
            selectItem(item);
        else
            deselectItem(item);
    }
    notify();
    setNeedsDisplay();
}

void BFIconTabBar::mouseDragged(const pf::Event& event)
{
    if (!mDragging) {
        pf::View::mouseDragged(event);
        return;
    }
    const QPointF point = convertPointFromView(event.locationInWindow, nullptr);
    const pf::Ref<BFIconTabBarItem> item = itemAtX(point.x());
    if (item == mPressedItem)
        return;
    mPressedItem = item;
    if (!mMultipleSelection || mFirstItemWasSelected)
        selectItem(item);
    else
        deselectItem(item);
    notify();
    setNeedsDisplay();
}

void BFIconTabBar::mouseUp(const pf::Event& event)
{
    if (!mDragging) {
        pf::View::mouseUp(event);
        return;
    }
    mPressedItem = nullptr;
    mDragging = false;
    setNeedsDisplay();
}

QString BFIconTabBar::stringForToolTip(pf::View*, int, QPointF, const QVariant& userData)
{
    const int index = userData.toInt();
    return index >= 0 && index < mItems.size() && mItems[index] ? mItems[index]->tooltip() : QString();
}

// --- Drawing

void BFIconTabBar::drawRect(const QRectF&)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    QPainter& painter = context->painter();
    const QRectF b = bounds();
    const double W = b.width();
    const double H = b.height();
    const bool key = isActiveWindow();
    const auto white = [](double level) { return pf::Color::withWhite(level, 1.0); };
    const pf::Gradient g1({{white(0.99), 0.0}, {white(key ? 0.8 : 0.79), 0.5}, {white(0.99), 1.0}});
    const pf::Gradient g2 = key ? pf::Gradient({{white(0.9), 0.0}, {white(0.6), 0.5}, {white(0.8), 1.0}})
                                : pf::Gradient({{white(0.83), 0.0}, {white(0.43), 0.5}, {white(0.71), 1.0}});
    const pf::Gradient g3({{white(0.99), 0.0}, {white(key ? 0.7 : 0.71), 0.5}, {white(0.99), 1.0}});

    removeAllToolTips();
    for (int i = 0; i < mItems.size(); ++i) {
        const double x = kStartX + i * mItemWidth;
        const double x0 = std::floor(x + 0.5);
        addToolTipRect(QRectF(x0, 1.0, mItemWidth, H - 2.0), this, i);
        if (mSelectedIndexes.contains(i)) {
            const auto column = [&](double at) { return QRectF(at, 1.0, 1.0, H - 2.0); };
            g1.drawInRect(painter, QRectF(x0, 1.0, mItemWidth, H - 2.0), -90.0);
            g2.drawInRect(painter, column(x0), -90.0);
            g3.drawInRect(painter, column(std::floor(x + 1.5)), -90.0);
            g2.drawInRect(painter, column(std::floor(x + mItemWidth + 0.5)), -90.0);
            g3.drawInRect(painter, column(std::floor(x + mItemWidth - 0.5)), -90.0);
        }
        if (const auto& item = mItems[i]; item && item->icon()) {
            const QSizeF size = item->icon()->size();
            const QPointF origin(std::round(x + mItemWidth / 2 - size.width() / 2), std::round(H / 2 - size.height() / 2));
            item->icon()->drawAtPoint(origin, {}, pf::CompositingOperation::SourceOver, 1.0);
        }
    }
    painter.save();
    painter.setPen(QPen(white(0.7).qColor(), 1.0));
    painter.drawLine(QPointF(0, 0.5), QPointF(W, 0.5));
    painter.restore();
}
