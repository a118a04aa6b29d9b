#include "library/PWXLibraryItemViewController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ButtonCell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/SystemColor.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/TableColumn.h"
#include "platform/ui/Workspace.h"
#include "widgets/RVIconTextFieldCell.h"
#include "widgets/RVLabelledIconCell.h"
#include "widgets/RVPrintableZDDistributedView.h"
#include "widgets/RVStyleButtonCell.h"

#include <QCoreApplication>
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryItemViewController", text); }

const QString kNameColumn = QStringLiteral("name");
const QString kKindColumn = QStringLiteral("kind");
const QString kLockedColumn = QStringLiteral("locked");
constexpr double kPrintCell = 52.0;

} // namespace

// The icon view's data source and delegate.

// --- The icons --------------------------------------------------------------------------------------

QPointF PWXLibraryItemViewController::positionForCell(ZDDistributedView& view, pf::Cell* cell, int itemIndex)
{
    if (cell) {
        const QList<pf::Ref<PWXLibraryItem>> items = content();
        if (itemIndex >= 0 && itemIndex < items.size()) {
            PWXLibraryItem& item = *items[itemIndex];
            pf::GraphicsContext* context = pf::GraphicsContext::current();
            const bool toScreen = !context || context->isDrawingToScreen();
            auto* labelled = dynamic_cast<RVLabelledIconCell*>(cell);
            if (labelled)
                labelled->setImageScaling(m_allowIconUpscaling ? pf::ImageScaling::ProportionallyUpOrDown
                                                               : pf::ImageScaling::ProportionallyDown);
            if (toScreen) {
                cell->setImage(previewForItem(item));
            } else {
                // Printing waits for each preview rather than leaving holes in the page.
                const QImage preview = item.previewImageLoadingAsynchronously(false);
                cell->setImage(preview.isNull() ? nullptr : pf::Image::fromQImage(preview));
            }
            if (!dynamic_cast<RVStyleButtonCell*>(cell))
                cell->setStringValue(item.name());
            if (labelled)
                labelled->setBadgeImage(toScreen && m_lockBadging && item.locked() ? lockBadgeImage() : nullptr);
            cell->setEnabled(!isItemDisabled(itemIndex));
        }
    }
    // Icons are always placed by their position in the list.
    return view.itemPositionBasedOnItemIndex(itemIndex);
}

void PWXLibraryItemViewController::setPosition(ZDDistributedView&, QPointF position, int itemIndex)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (itemIndex >= 0 && itemIndex < items.size())
        items[itemIndex]->setIconPosition(position);
}

QString PWXLibraryItemViewController::toolTipForItemAtIndex(ZDDistributedView&, int itemIndex)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    if (itemIndex < 0 || itemIndex >= items.size())
        return {};
    return tr("%1 \u201C%2\u201D").arg(PWXLibraryItem::localisedKindStringForClassCode(items[itemIndex]->classCode()),
                                       items[itemIndex]->name());
}

void PWXLibraryItemViewController::setObjectValue(ZDDistributedView&, const QVariant& value, int itemIndex)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    const QString name = value.toString().trimmed();
    if (itemIndex < 0 || itemIndex >= items.size() || name.isEmpty() || items[itemIndex]->locked())
        return;
    pf::Ref<PWXLibraryItem> item = items[itemIndex];
    item->setName(name);
    selectItems({item});
}

bool PWXLibraryItemViewController::writeItemsAtIndexes(ZDDistributedView&, const pf::IndexSet& indexes,
                                                       pf::Pasteboard& pasteboard)
{
    const QList<pf::Ref<PWXLibraryItem>> items = content();
    QList<pf::Ref<PWXLibraryItem>> dragged;
    for (qint64 index : indexes.toList())
        if (index >= 0 && index < items.size())
            dragged.append(items[index]);
    return !dragged.isEmpty() && PWXLibraryItem::writeLibraryItems(dragged, &pasteboard);
}

unsigned PWXLibraryItemViewController::draggingSourceOperationMaskForLocal(ZDDistributedView&, bool)
{
    return pf::DragOperationCopy | pf::DragOperationDelete;
}

void PWXLibraryItemViewController::draggedImageMovedTo(ZDDistributedView&, QPointF screenPoint)
{
    bool outside = true;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->frameGeometry().contains(screenPoint.toPoint())) {
            outside = false;
            break;
        }
    if (outside && !m_flagDragDelete && m_delegate && m_delegate->canRemoveItemsAtIndexes(selectedItemIndexes())) {
        m_flagDragDelete = true;
        pf::Cursor::disappearingItem().set();
    } else if (!outside && m_flagDragDelete) {
        m_flagDragDelete = false;
        pf::Cursor::arrow().set();
    }
}

void PWXLibraryItemViewController::dragEndedWithOperation(ZDDistributedView&, unsigned operation)
{
    if ((operation == pf::DragOperationDelete || m_flagDragDelete) && m_delegate)
        m_delegate->removeItemsAtIndexes(selectedItemIndexes());
    m_flagDragDelete = false;
}

std::optional<pf::IndexSet> PWXLibraryItemViewController::proposedSelectionAtIndexes(ZDDistributedView&,
                                                                                    const pf::IndexSet& proposed)
{
    if (!m_disabledItems || proposed.isEmpty())
        return std::nullopt;
    pf::IndexSet allowed;
    if (!m_disabledItems->isEmpty())
        for (qint64 index : proposed.toList())
            if (!m_disabledItems->contains(index))
                allowed.add(index);
    return allowed;
}

bool PWXLibraryItemViewController::didSelectItemsAtIndexes(ZDDistributedView&, const pf::IndexSet&)
{
    // The owner hears of every change, deselections too, from the view's notification.
    return true;
}

void PWXLibraryItemViewController::cellDoubleClickedAtItemIndex(ZDDistributedView&, int itemIndex)
{
    if (m_delegate)
        m_delegate->editItemsAtIndexes(pf::IndexSet(itemIndex));
}

bool PWXLibraryItemViewController::shouldEditItemAtIndex(ZDDistributedView&, int itemIndex)
{
    return shouldEditItemAtIndex(itemIndex);
}
