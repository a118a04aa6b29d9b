#pragma once

#include "platform/ui/Cell.h"
#include "platform/ui/Pasteboard.h"
#include "widgets/ZDDistributedView.h"

#include <QList>
#include <QPointF>
#include <QString>

namespace zdtest {

struct Item {
    QString title;
    QPointF position;
};

// Items kept in a list; records what the view asks of it.
class ItemSource : public ZDDistributedViewDataSource {
public:
    QList<Item> items;
    bool setsPositions = true;
    bool writes = true;
    QList<int> renamed;
    QStringList titlesSet;
    int writeCount = 0;
    // Positions asked for items that do not exist.
    int outOfRangeRequests = 0;

    int numberOfItemsInDistributedView(ZDDistributedView&) override { return int(items.size()); }
    QPointF positionForCell(ZDDistributedView&, pf::Cell* cell, int index) override
    {
        if (index < 0 || index >= items.size()) {
            ++outOfRangeRequests;
            return {};
        }
        if (cell)
            cell->setStringValue(items[index].title);
        return items[index].position;
    }
    bool implementsSetPosition() const override { return setsPositions; }
    void setPosition(ZDDistributedView&, QPointF position, int index) override { items[index].position = position; }
    void setObjectValue(ZDDistributedView&, const QVariant& value, int index) override
    {
        renamed.append(index);
        titlesSet.append(value.toString());
        items[index].title = value.toString();
    }
    unsigned draggingSourceOperationMaskForLocal(ZDDistributedView&, bool) override
    {
        return pf::DragOperationCopy | pf::DragOperationDelete;
    }
    bool implementsWriteItemsAtIndexes() const override { return writes; }
    bool writeItemsAtIndexes(ZDDistributedView&, const pf::IndexSet& indexes, pf::Pasteboard& pasteboard) override
    {
        ++writeCount;
        QStringList titles;
        indexes.forEach([&](qint64 i) { titles.append(items[int(i)].title); });
        pasteboard.declareTypes({pf::NSPasteboardTypeString});
        return pasteboard.setString(titles.join(QLatin1Char(',')), pf::NSPasteboardTypeString);
    }
};

// Titles at positions in one row of 100-point cells.
inline QList<Item> itemsInRow(const QStringList& titles, double inset = 8)
{
    QList<Item> items;
    for (int i = 0; i < titles.size(); ++i)
        items.append({titles[i], QPointF(inset + 100 * i, inset)});
    return items;
}

} // namespace zdtest
