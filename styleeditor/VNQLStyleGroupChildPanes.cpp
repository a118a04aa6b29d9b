#include "styleeditor/VNQLStyleGroupChildPanes.h"

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditorController.h"

#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/UndoManager.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/UserInterfaceItem.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleGroupChildPanes", text);
}

pf::Ref<PWRasterizer> pasteboardRenderer(const pf::Pasteboard* pasteboard)
{
    return pasteboard ? PWRasterizerPasteboard::rasterizerFromPasteboard(*pasteboard) : nullptr;
}
} // namespace

void VNQLStyleGroupChildPanes::append(VNQLStyleComponentController* pane)
{
    if (pane)
        m_panes.append(std::static_pointer_cast<VNQLStyleComponentController>(pane->shared_from_this()));
}

QList<VNQLStyleComponentController*> VNQLStyleGroupChildPanes::panes() const
{
    QList<VNQLStyleComponentController*> live;
    for (const auto& weak : m_panes)
        if (auto pane = weak.lock())
            live.append(pane.get());
    return live;
}

void VNQLStyleGroupChildPanes::passStatesForLock(bool locked, bool enabled) const
{
    for (VNQLStyleComponentController* pane : panes())
        pane->setStatesForLock(locked, enabled);
}

void VNQLStyleGroupChildPanes::renderListChanged(VNQLStyleComponentController& groupPane)
{
    if (groupPane.isStartingObservation())
        return;
    if (VNQLStyleEditorController* editor = groupPane.styleEditorController())
        editor->rebuildUI();
}

bool VNQLStyleGroupChildPanes::canPasteComponentFrom(const pf::Pasteboard* pasteboard, QString* name)
{
    pf::Ref<PWRasterizer> renderer = pasteboardRenderer(pasteboard);
    if (name)
        *name = renderer ? renderer->displayName() : QString();
    return renderer && !dynamic_cast<PWRastGroup*>(renderer.get());
}

bool VNQLStyleGroupChildPanes::pasteIntoGroup(VNQLStyleComponentController& groupPane)
{
    pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general();
    pf::Ref<PWRasterizer> renderer = pasteboardRenderer(board.get());
    auto* group = dynamic_cast<PWRastGroup*>(groupPane.representedComponent().get());
    VNQLStyleEditorController* editor = groupPane.styleEditorController();
    pf::Ref<PWStyle> style = editor ? editor->style() : nullptr;
    // Groups never go into groups: the menu offers only what may be pasted.
    if (!renderer || dynamic_cast<PWRastGroup*>(renderer.get()) || !group || !style || style->locked()
        || editor->styleInLockedLibrary())
        return false;
    group->addRenderer(renderer);
    editor->rebuildUI();
    if (pf::UndoManager* undo = groupPane.dataSourceUndoManager())
        undo->setActionName(QStringLiteral("%1 %2").arg(tr("Paste"), renderer->displayName()));
    return true;
}

bool VNQLStyleGroupChildPanes::validatePasteItem(VNQLStyleComponentController& groupPane, pf::UserInterfaceItem& item)
{
    QString name;
    pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general();
    const bool canPaste = canPasteComponentFrom(board.get(), &name);
    item.setTitle(canPaste ? QStringLiteral("%1 (%2)").arg(tr("Paste Component"), name) : tr("Paste Component"));
    VNQLStyleEditorController* editor = groupPane.styleEditorController();
    return canPaste && editor && editor->style() && !editor->styleIsLocked() && !editor->styleInLockedLibrary();
}

void VNQLStyleGroupChildPanes::addPasteItem(VNQLStyleComponentController& groupPane, pf::Menu& menu)
{
    pf::Ref<pf::MenuItem> item = pf::MenuItem::make(tr("Paste Component"), kPasteAction);
    item->setTarget(&groupPane);
    menu.addItem(item);
}

void VNQLStyleGroupChildPanes::showDisplayName(VNQLStyleComponentController& groupPane, const QVariant& name)
{
    if (RVCollapsibleContainerView* container = groupPane.hostingView(); container && name.canConvert<QString>())
        container->setTitle(name.toString());
}
