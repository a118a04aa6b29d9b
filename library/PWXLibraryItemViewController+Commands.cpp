#include "library/PWXLibraryItemViewController.h"

#include "platform/ui/Pasteboard.h"

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

int senderTag(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    if (auto* control = pf::Control::fromSender(sender)) {
        if (auto* segmented = dynamic_cast<pf::SegmentedControl*>(control))
            return segmented->tagForSegment(segmented->selectedSegment());
        if (auto* popUp = dynamic_cast<pf::PopUpButton*>(control))
            return popUp->selectedItem() ? popUp->selectedItem()->tag() : 0;
        return control->intValue();
    }
    return sender.toInt();
}

} // namespace

// The browser's commands and their validation, and the delete sheet.

// --- Commands --------------------------------------------------------------------------------------

void PWXLibraryItemViewController::deleteAction(const QVariant&)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selectedUnlockedItems();
    if (!items.isEmpty())
        showDeleteSheet(items);
}

void PWXLibraryItemViewController::showDeleteSheet(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    if (m_deleteSheet)
        return;
    m_itemsToDelete = items;
    auto* sheet = new QDialog;
    sheet->setObjectName(QStringLiteral("deleteItemsSheet"));
    auto* layout = new QVBoxLayout(sheet);
    m_deleteText = new QLabel(deleteSheetText(items), sheet);
    m_deleteText->setWordWrap(true);
    m_deleteText->setMinimumWidth(380);
    layout->addWidget(m_deleteText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(tr("Cancel"), sheet);
    auto* ok = new QPushButton(tr("Delete"), sheet);
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, sheet, [this] { deleteItemsCancelAction({}); });
    QObject::connect(ok, &QPushButton::clicked, sheet, [this] { deleteItemsOKAction({}); });
    m_deleteSheet = sheet;
    pf::Weak<PWXLibraryItemViewController> weakSelf = weak<PWXLibraryItemViewController>();
    pf::Sheet::beginSheet(sheet, sheetHostWindow(), [weakSelf, sheet](int code) {
        if (auto self = weakSelf.lock())
            self->endDeleteSheet(code);
        sheet->deleteLater();
    });
}

void PWXLibraryItemViewController::endDeleteSheet(int code)
{
    const QList<pf::Ref<PWXLibraryItem>> captured = m_itemsToDelete;
    m_itemsToDelete.clear();
    QDialog* sheet = m_deleteSheet;
    m_deleteSheet = nullptr;
    if (sheet)
        sheet->hide();
    if (code != 1 || !m_delegate)
        return;
    // What is deleted is what the sheet named, found again in the content as it is now: a
    // reload while the sheet was open neither adds other items nor loses these, and an item
    // locked meanwhile is left alone.
    const QList<pf::Ref<PWXLibraryItem>> shown = content();
    pf::IndexSet indexes;
    for (const pf::Ref<PWXLibraryItem>& item : captured) {
        const qsizetype index = shown.indexOf(item);
        if (index >= 0 && !item->locked())
            indexes.add(index);
    }
    if (!indexes.isEmpty())
        m_delegate->deleteItemsAtIndexes(indexes);
}

void PWXLibraryItemViewController::deleteItemsOKAction(const QVariant&)
{
    if (m_deleteSheet)
        pf::Sheet::endSheet(m_deleteSheet, 1);
}

void PWXLibraryItemViewController::deleteItemsCancelAction(const QVariant&)
{
    if (m_deleteSheet)
        pf::Sheet::endSheet(m_deleteSheet, 0);
}

void PWXLibraryItemViewController::iconSizingAction(const QVariant& sender) { setIconSizing(senderTag(sender)); }

void PWXLibraryItemViewController::iconContinuousSizingAction(const QVariant& sender)
{
    if (m_mode != IconLayout)
        return;
    auto* control = pf::Control::fromSender(sender);
    const double side = control ? control->doubleValue() : sender.toDouble();
    if (side < 1)
        return;
    m_cellSize = QSizeF(side, side);
    if (m_iconView)
        m_iconView->setCellSize(m_cellSize);
    refreshActiveView();
    if (m_delegate)
        m_delegate->iconSizingChanged(m_cellSize);
}

void PWXLibraryItemViewController::layoutModeAction(const QVariant& sender) { setLayoutMode(senderTag(sender)); }

void PWXLibraryItemViewController::enableEditingAction(const QVariant& sender)
{
    pf::ControlState state = pf::ControlState::Off;
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        state = item->state();
    else
        state = isEditingEnabled() == 1 ? pf::ControlState::On : pf::ControlState::Off;
    // On or mixed: the items become locked; off: unlocked.
    setEditingEnabled(state == pf::ControlState::Off);
}

void PWXLibraryItemViewController::revealInFinderAction(const QVariant&)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selectedItems();
    if (items.isEmpty())
        return;
    PWXLibrary* library = items.first()->library();
    if (library && library->isFactoryLibrary())
        return;
    pf::Workspace::shared().selectFile(items.first()->path(), QString());
}

void PWXLibraryItemViewController::renameAction(const QVariant&)
{
    const pf::IndexSet selected = selectedItemIndexes();
    if (!selected.isEmpty())
        renameItemAtIndex(int(selected.firstIndex()));
}

void PWXLibraryItemViewController::toggleIconScalingAction(const QVariant&) { setIconsCanBeScaledUp(!m_allowIconUpscaling); }

void PWXLibraryItemViewController::toggleLockBadgingAction(const QVariant&) { setShowsLockBadging(!m_lockBadging); }

void PWXLibraryItemViewController::backgroundColourAction(const QVariant& sender)
{
    setIconViewBackgroundColour(senderTag(sender));
}

void PWXLibraryItemViewController::sortByAction(const QVariant& sender) { setSortedBy(senderTag(sender)); }

void PWXLibraryItemViewController::copy(const QVariant&)
{
    const QList<pf::Ref<PWXLibraryItem>> items = selectedItems();
    if (pf::Ref<pf::Pasteboard> general = pf::Pasteboard::general(); general && !items.isEmpty())
        PWXLibraryItem::writeLibraryItems(items, general.get());
}

bool PWXLibraryItemViewController::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    const auto on = [](bool flag) { return flag ? pf::ControlState::On : pf::ControlState::Off; };
    if (action == QLatin1String("delete:")) {
        const QList<pf::Ref<PWXLibraryItem>> unlocked = selectedUnlockedItems();
        PWXLibrary* library = unlocked.isEmpty() ? nullptr : unlocked.last()->library();
        return library && library->allowsContentChanges();
    }
    if (action == QLatin1String("copy:"))
        return !selectedItems().isEmpty();
    if (action == QLatin1String("enableEditingAction:")) {
        const int editing = isEditingEnabled();
        const bool any = !selectedItemIndexes().isEmpty();
        item.setState(!any ? pf::ControlState::Off
                           : (editing == 1 ? pf::ControlState::On
                                           : (editing == 0 ? pf::ControlState::Off : pf::ControlState::Mixed)));
        return any;
    }
    if (action == QLatin1String("revealInFinderAction:")) {
        const QList<pf::Ref<PWXLibraryItem>> items = selectedItems();
        PWXLibrary* library = items.size() == 1 ? items.first()->library() : nullptr;
        return library && !library->isFactoryLibrary() && library->hasPresenceOnDisk();
    }
    if (action == QLatin1String("renameAction:")) {
        const QList<pf::Ref<PWXLibraryItem>> items = selectedItems();
        PWXLibrary* library = items.isEmpty() ? nullptr : items.first()->library();
        return library && !items.first()->locked() && library->allowsContentChanges();
    }
    if (action == QLatin1String("toggleIconScalingAction:")) {
        item.setState(on(!m_allowIconUpscaling));
        return m_mode == IconLayout;
    }
    if (action == QLatin1String("toggleLockBadgingAction:")) {
        item.setState(on(m_lockBadging));
        return m_mode == IconLayout;
    }
    if (action == QLatin1String("backgroundColourAction:")) {
        item.setState(on(item.tag() == m_backgroundCode));
        return m_mode == IconLayout;
    }
    if (action == QLatin1String("sortByAction:")) {
        if (m_delegate && !m_delegate->libraryItemViewControllerAllowsResorting(*this)) {
            item.setState(pf::ControlState::Off);
            return false;
        }
        item.setState(on(item.tag() == sortedBy()));
        return true;
    }
    return pf::Responder::validateMenuItem(item);
}
