#include "library/PWXLibraryPickerPaletteController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryPickerHistoryItem.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/SegmentedControl.h"

#include <QStringList>

// The back and forward history of picks. The last back entry is the present one; the last
// forward entry is the nearest one ahead.

namespace {

constexpr quint64 kIdle = 0;
constexpr quint64 kGoingBack = 1;
constexpr quint64 kGoingForward = 2;

QString describe(const QList<pf::Ref<PWXLibraryPickerHistoryItem>>& buffer)
{
    QStringList entries;
    for (const auto& entry : buffer)
        entries.append(entry->displayString());
    return QStringLiteral("(%1)").arg(entries.join(QStringLiteral(", ")));
}

} // namespace

bool PWXLibraryPickerPaletteController::canGoBack() const { return m_backHistoryBuffer.size() >= 2; }

bool PWXLibraryPickerPaletteController::canGoForward() const { return !m_forwardHistoryBuffer.isEmpty(); }

void PWXLibraryPickerPaletteController::updateHistoryButtons()
{
    if (!m_historySegmentedControl)
        return;
    m_historySegmentedControl->setEnabled(canGoBack(), 0);
    m_historySegmentedControl->setEnabled(canGoForward(), 1);
    m_historySegmentedControl->update();
}

void PWXLibraryPickerPaletteController::updateHistoryBuffer()
{
    if (m_historyState == kGoingBack)
        return;
    if (m_historyState == kIdle)
        m_forwardHistoryBuffer.clear();
    pf::Ref<PWXLibraryItem> picked = selectedItem();
    if (picked && m_libraryCategory) {
        auto entry = PWXLibraryPickerHistoryItem::initWithCategoryIdent(m_libraryCategory->identifier(), picked->uniqueKey());
        if (m_backHistoryBuffer.isEmpty() || !m_backHistoryBuffer.last()->isEqualToPickerHistoryItem(*entry)) {
            m_backHistoryBuffer.append(entry);
            while (m_maxHistoryLength > 0 && quint64(m_backHistoryBuffer.size()) > m_maxHistoryLength)
                m_backHistoryBuffer.removeFirst();
            RVLog(kInfoEvent, QStringLiteral("history: %1").arg(describe(m_backHistoryBuffer)));
        }
    }
    updateHistoryButtons();
}

void PWXLibraryPickerPaletteController::restoreHistoryEntry(const pf::Ref<PWXLibraryPickerHistoryItem>& entry,
                                                            quint64 state)
{
    m_historyState = state;
    entry->restorePicker(*this);
    m_historyState = kIdle;
}

void PWXLibraryPickerPaletteController::goBack(const QVariant&)
{
    if (!canGoBack() || m_historyState != kIdle)
        return;
    m_forwardHistoryBuffer.append(m_backHistoryBuffer.takeLast());
    restoreHistoryEntry(m_backHistoryBuffer.last(), kGoingBack);
    updateHistoryButtons();
}

void PWXLibraryPickerPaletteController::goForward(const QVariant&)
{
    if (!canGoForward() || m_historyState != kIdle)
        return;
    pf::Ref<PWXLibraryPickerHistoryItem> entry = m_forwardHistoryBuffer.last();
    restoreHistoryEntry(entry, kGoingForward);
    m_forwardHistoryBuffer.removeOne(entry);
    updateHistoryButtons();
}

void PWXLibraryPickerPaletteController::goBackOrForward(const QVariant& sender)
{
    auto* control = dynamic_cast<pf::SegmentedControl*>(pf::objectCast<pf::Reflective>(sender).get());
    if (!control)
        control = m_historySegmentedControl;
    if (control && control->selectedSegment() == 0)
        goBack(sender);
    else
        goForward(sender);
}

void PWXLibraryPickerPaletteController::clearHistory(const QVariant&)
{
    m_backHistoryBuffer.clear();
    m_forwardHistoryBuffer.clear();
    updateHistoryBuffer();
}

void PWXLibraryPickerPaletteController::goToHistoryItem(const QVariant& sender)
{
    auto item = pf::objectCast<pf::MenuItem>(sender);
    auto entry = item ? pf::objectCast<PWXLibraryPickerHistoryItem>(item->representedObject()) : nullptr;
    if (!entry || m_historyState != kIdle)
        return;
    if (const qsizetype i = m_backHistoryBuffer.indexOf(entry); i >= 0) {
        if (i == m_backHistoryBuffer.size() - 1)
            return;
        // The newer entries go onto the forward buffer, newest first.
        while (m_backHistoryBuffer.size() > i + 1)
            m_forwardHistoryBuffer.append(m_backHistoryBuffer.takeLast());
        restoreHistoryEntry(entry, kGoingBack);
    } else if (const qsizetype j = m_forwardHistoryBuffer.indexOf(entry); j >= 0) {
        // From the chosen entry to the end, newest first onto the back buffer: the chosen
        // one ends up last, the present one.
        QList<pf::Ref<PWXLibraryPickerHistoryItem>> moving = m_forwardHistoryBuffer.mid(j);
        m_forwardHistoryBuffer.remove(j, moving.size());
        for (auto it = moving.crbegin(); it != moving.crend(); ++it)
            m_backHistoryBuffer.append(*it);
        restoreHistoryEntry(entry, kGoingForward);
    } else {
        return;
    }
    updateHistoryButtons();
}

void PWXLibraryPickerPaletteController::validateHistory()
{
    m_backHistoryBuffer.removeIf([](const auto& entry) { return !entry->isValid(); });
    m_forwardHistoryBuffer.removeIf([](const auto& entry) { return !entry->isValid(); });
    RVLog(kInfoEvent, QStringLiteral("history validated: %1").arg(describe(m_backHistoryBuffer)));
    updateHistoryButtons();
}

int PWXLibraryPickerPaletteController::numberOfItemsInMenu(pf::Menu& menu)
{
    if (&menu == m_backHistoryMenu.get())
        return int(m_backHistoryBuffer.size());
    if (&menu == m_forwardHistoryMenu.get())
        return int(m_forwardHistoryBuffer.size());
    return -1;
}

bool PWXLibraryPickerPaletteController::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    const bool back = &menu == m_backHistoryMenu.get();
    if (shouldCancel || (!back && &menu != m_forwardHistoryMenu.get()))
        return !shouldCancel;
    const QList<pf::Ref<PWXLibraryPickerHistoryItem>>& buffer = back ? m_backHistoryBuffer : m_forwardHistoryBuffer;
    const int position = int(buffer.size()) - 1 - index;
    if (position < 0 || position >= buffer.size())
        return true;
    const pf::Ref<PWXLibraryPickerHistoryItem>& entry = buffer[position];
    item.setTitle(entry->displayString());
    item.setTag(position);
    item.setRepresentedObject(pf::toVariant(entry));
    item.setAction(QStringLiteral("goToHistoryItem:"));
    item.setTarget(this);
    item.setEnabled(true);
    item.setImage(entry->menuIcon());
    item.setState(back && index == 0 ? pf::ControlState::On : pf::ControlState::Off);
    return true;
}
