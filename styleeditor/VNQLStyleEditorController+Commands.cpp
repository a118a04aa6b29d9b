// The Style tab's commands: components added, pasted, deleted and reordered, the style reset,
// cloned, locked, renamed and put in the library, and the validation of the tab's menus.
#include "styleeditor/VNQLStyleEditorController.h"

#include "styleeditor/VNQLStyleComponentController.h"

#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryRegistryShim.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/TextField.h"
#include "platform/ui/UserInterfaceItem.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>

#include <limits>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditorController", text);
}

struct ComponentTag {
    qint64 tag;
    const char* className;
};

// The component menus' tags and the renderer each adds, in their stored order.
constexpr ComponentTag kComponentTags[] = {
    {0, "PWStroke"},          {1, "PWFill"},
    {2, "PWRastGroup"},       {3, "PWImageAdornment"},
    {4, "PWCIFilterRastGroup"}, {5, "PWTextAdornment"},
    {6, "PWHatching"},        {7, "PWArrowStroke"},
    {8, "PWPathDecorator"},   {9, "PWFillPattern"},
    {10, "PWBlendGroup"},     {11, "PWZigZagStroke"},
    {12, "PWZigZagFill"},     {13, "PWRoughStroke"},
    {14, "PWXBridgeRasterizer"}, {15, "PWXTunnelRasterizer"},
    {16, "PWGradientFill"},   {17, "PWXTaggedStroke"},
    {18, "PWXTaperedStroke"}, {19, "PWXCuttingAndEmbankmentRasterizer"},
    {20, "PWRepeatTransformGroup"}, {21, "PWCIFilterTypeBlurGroup"},
    {26, "PWGloomGroup"},     {27, "PWGloomGroup"},
    {22, "PWTilingFill"},     {-1, ""},
};

// The tag a sender carries: a menu item's, or the selected item's of a pop-up, or a control's.
qint64 tagOfSender(const QVariant& sender, bool selectedItem)
{
    if (pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    if (auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender)); popUp && selectedItem)
        return popUp->selectedItem() ? popUp->selectedItem()->tag() : -1;
    if (pf::Control* control = pf::Control::fromSender(sender))
        return control->tag();
    return pf::isNumber(sender) ? sender.toLongLong() : -1;
}

} // namespace

const pf::Class* VNQLStyleEditorController::componentClassForStyleComponentTag(qint64 tag)
{
    // Tag 0 is the first row; every other tag is searched after it, first match winning.
    const ComponentTag* found = nullptr;
    if (tag == 0) {
        found = &kComponentTags[0];
    } else {
        for (size_t row = 1; row < std::size(kComponentTags) && !found; ++row)
            if (kComponentTags[row].tag == tag)
                found = &kComponentTags[row];
    }
    if (!found || !*found->className)
        return nullptr;
    const pf::Class* cls = pf::Class::named(QString::fromLatin1(found->className));
    return cls && cls->isSubclassOf(PWRasterizer::staticClass()) ? cls : nullptr;
}

void VNQLStyleEditorController::nameUndo(const QString& name)
{
    if (pf::UndoManager* manager = undoManager())
        manager->setActionName(name);
}

// --- Adding and pasting ----------------------------------------------------------------------

void VNQLStyleEditorController::addComponentAction(const QVariant& sender)
{
    addComponentForTag(tagOfSender(sender, true));
}

void VNQLStyleEditorController::addComponentWithTagOfSenderAction(const QVariant& sender)
{
    addComponentForTag(tagOfSender(sender, false));
}

bool VNQLStyleEditorController::addComponentForTag(qint64 tag)
{
    const pf::Class* cls = componentClassForStyleComponentTag(tag);
    pf::Ref<PWStyle> shown = style();
    if (cls && shown && !shown->locked() && !styleInLockedLibrary()) {
        if (auto renderer = std::dynamic_pointer_cast<PWRasterizer>(cls->create())) {
            shown->addRenderer(renderer);
            buildUIForStyle(shown);
            nameUndo(QStringLiteral("%1 %2").arg(tr("Add"), renderer->displayName()));
            return true;
        }
    }
    pf::Application::beep();
    RVLog(kInfoEvent, QStringLiteral("a component (tag=%1) could not be added because its class wasn't recognised, or "
                                     "because the style is locked or missing")
                          .arg(tag));
    return false;
}

void VNQLStyleEditorController::pasteComponentAction(const QVariant&)
{
    pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general();
    pf::Ref<PWRasterizer> renderer = board ? PWRasterizerPasteboard::rasterizerFromPasteboard(*board) : nullptr;
    RVLog(kInfoEvent, QStringLiteral("pasting rasterizer: %1").arg(renderer ? renderer->description() : QStringLiteral("(nil)")));
    pf::Ref<PWStyle> shown = style();
    if (!renderer || !shown || shown->locked() || styleInLockedLibrary())
        return;
    shown->addRenderer(renderer);
    buildUIForStyle(shown);
    nameUndo(QStringLiteral("%1 %2").arg(tr("Paste"), renderer->displayName()));
}

bool VNQLStyleEditorController::canPasteComponentFrom(const pf::Pasteboard* pasteboard, QString* name) const
{
    pf::Ref<PWRasterizer> renderer = pasteboard ? PWRasterizerPasteboard::rasterizerFromPasteboard(*pasteboard) : nullptr;
    if (renderer && name)
        *name = renderer->displayName();
    return renderer != nullptr;
}

// --- Whole-style commands ----------------------------------------------------------------------

pf::Ref<PWStyle> VNQLStyleEditorController::applyStyleToSelection(const pf::Ref<PWStyle>& style)
{
    PF_ASSERT(style, "style cannot be nil here");
    pf::Ref<PWStyle> result;
    for (const pf::Ref<PWDrawableObject>& object : std::as_const(mSelectionCache)) {
        object->setStyle(style);
        if (pf::Ref<PWStyle> back = object->style())
            result = back;
    }
    if (!result)
        result = style;
    setContent({result});
    pf::NotificationCenter::defaultCenter().post(kPWStyleInspectorDidCreateNewStyle, this,
                                                 {{QStringLiteral("style"), pf::toVariant(result)}});
    return result;
}

void VNQLStyleEditorController::resetStyleAction(const QVariant&)
{
    // A copy: the default style itself must never become the style of objects, or every
    // reset object and every new object would share (and edit) one style.
    pf::Ref<PWStyle> fresh = std::dynamic_pointer_cast<PWStyle>(PWStyle::defaultStyle()->mutableCopy());
    if (!fresh)
        return;
    applyStyleToSelection(fresh);
    nameUndo(tr("Reset Style"));
}

void VNQLStyleEditorController::cloneStyleAction(const QVariant&)
{
    pf::Ref<PWStyle> shown = style();
    if (!shown)
        return;
    pf::Ref<PWStyle> copy;
    PWStyle::disableNameProvider();
    try {
        copy = std::dynamic_pointer_cast<PWStyle>(shown->mutableCopy());
    } catch (...) {
        // The provider is switched on again whatever the copy did.
        PWStyle::enableNameProvider();
        throw;
    }
    PWStyle::enableNameProvider();
    if (!copy)
        return;
    applyStyleToSelection(copy);
    nameUndo(tr("Clone Style"));
}

void VNQLStyleEditorController::editableAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    setCommonValue(on ? 0 : 1, QStringLiteral("locked"));
    pf::Ref<PWStyle> shown = style();
    nameUndo(shown && shown->locked() ? tr("Disable Editing") : tr("Allow Editing"));
}

void VNQLStyleEditorController::sharedAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    setCommonValue(control ? control->objectValue() : sender, QStringLiteral("styleSharable"));
}

void VNQLStyleEditorController::masterOpacityAction(const QVariant& sender)
{
    pf::Control* control = pf::Control::fromSender(sender);
    const QVariant value = control ? QVariant(control->doubleValue()) : sender;
    if (!pf::isNumber(value))
        return;
    setCommonValue(value, QStringLiteral("opacity"));
}

void VNQLStyleEditorController::renameAction(const QVariant&)
{
    // The same rule as the menu's: no renaming of a locked style or one in a locked library.
    pf::Ref<PWStyle> shown = style();
    if (shown && !shown->locked() && !styleInLockedLibrary())
        setRenamingMode(true);
}

void VNQLStyleEditorController::nameFieldAction(const QVariant& sender)
{
    auto* field = qobject_cast<pf::TextField*>(pf::Control::fromSender(sender));
    const QString name = field ? field->stringValue() : sender.toString();
    pf::Ref<PWStyle> shown = style();
    if (m_renamingModeActive && shown && !name.isEmpty() && !shown->locked() && !styleInLockedLibrary())
        shown->setName(name);
    setRenamingMode(false);
    if (shown)
        setName(shown->name());
}

// --- Library ---------------------------------------------------------------------------------------

void VNQLStyleEditorController::addToLibraryAction(const QVariant&)
{
    pf::Ref<PWStyle> shown = style();
    if (!shown)
        return;
    pf::Ref<PWXLibraryItem> item = PWXLibraryRegistryShim::registerStyleInLibraries(shown);
    if (!item)
        return;
    if (auto registered = std::dynamic_pointer_cast<PWStyle>(item->style()))
        applyStyleToSelection(registered);
}

void VNQLStyleEditorController::revealInLibraryAction(const QVariant&)
{
    pf::Ref<PWStyle> shown = style();
    if (!shown)
        return;
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    if (manager && manager->showItemWithUniqueID(shown->uniqueKey(), true))
        manager->showWindow();
}

void VNQLStyleEditorController::resetStyleNumberingAction(const QVariant&)
{
    if (pf::Ref<PWXLibrary> library = PWXLibrary::defaultUserLibrary())
        library->resetAdHocStyleName();
}

void VNQLStyleEditorController::defaultLibrarySelectAction(const QVariant& sender)
{
    pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender);
    if (auto library = item ? pf::objectCast<PWXLibrary>(item->representedObject()) : nullptr)
        PWXLibrary::setDefaultUserLibrary(library);
}

void VNQLStyleEditorController::collapseAllAction(const QVariant&)
{
    if (mStyleComponentStackView)
        mStyleComponentStackView->collapseAll();
}

void VNQLStyleEditorController::expandAllAction(const QVariant&)
{
    if (mStyleComponentStackView)
        mStyleComponentStackView->expandAll();
}

void VNQLStyleEditorController::toggleDrawingUnitsDisplayAction(const QVariant&)
{
    setShowsDrawingUnits(!m_displaysDrawingUnits);
}

void VNQLStyleEditorController::styleEditorHelpAction(const QVariant&)
{
    pf::Application* application = pf::Application::shared();
    pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
    if (delegate && delegate->respondsTo(QStringLiteral("showHelpItemNamed:")))
        delegate->perform(QStringLiteral("showHelpItemNamed:"), {QStringLiteral("the-styles-tab")});
}

// --- Deleting and reordering through the stack ---------------------------------------------------

void VNQLStyleEditorController::containerViewDidRemoveSubview(RVCollapsibleContainerView&, pf::View* view)
{
    auto* removed = qobject_cast<RVCollapsibleContainerView*>(view);
    const QList<pf::View*> hosted = removed ? removed->hostedViews() : QList<pf::View*>();
    VNQLStyleComponentController* pane = hosted.isEmpty() ? nullptr : subcontrollerForView(hosted.first());
    if (!pane)
        return;
    auto renderer = std::dynamic_pointer_cast<PWRasterizer>(pane->representedComponent());
    const QString name = renderer ? renderer->displayName() : QString();
    if (renderer)
        renderer->removeFromContainer();
    detachPane(pane);
    for (qsizetype i = 0; i < mSubControllers.size(); ++i)
        if (mSubControllers[i].get() == pane) {
            // Kept to the end of the turn: the pane's own action may be what closed it.
            pf::Ref<VNQLStyleComponentController> keep = mSubControllers.takeAt(i);
            pf::RunLoop::main().perform([keep] {}, 0);
            break;
        }
    nameUndo(QStringLiteral("%1 %2").arg(tr("Delete"), name));
}

int VNQLStyleEditorController::renderIndexForViewPosition(qint64 count, qint64 position)
{
    if (count <= 0 || position == qint64(RVCollapsibleContainerView::kNotFound))
        return 0;
    return int(count - 1 - position);
}

int VNQLStyleEditorController::renderIndexForDropPosition(qint64 count, qint64 position)
{
    // The dropped pane stands at `position` among count + 1 panes once it is in.
    if (count <= 0 || position < 0 || position == qint64(RVCollapsibleContainerView::kNotFound))
        return 0;
    return int(std::clamp<qint64>(count - position, 0, count));
}

void VNQLStyleEditorController::containerViewDidMoveSubview(RVCollapsibleContainerView&, pf::View* view, int index)
{
    RVLog(kReactiveEvent, QStringLiteral("containerView:didMoveSubview:toIndex: with sub=%1, index=%2")
                              .arg(view ? view->objectName() : QString())
                              .arg(index));
    VNQLStyleComponentController* pane = subcontrollerForHostingView(qobject_cast<RVCollapsibleContainerView*>(view));
    if (!pane)
        return;
    auto renderer = std::dynamic_pointer_cast<PWRasterizer>(pane->representedComponent());
    PWRastGroup* group = renderer ? renderer->container() : nullptr;
    PF_ASSERT(group, "expected parent of rasterizer to be a rast group");
    const int current = group->indexOfRenderer(renderer.get());
    PF_ASSERT(current >= 0, "inconsistent state: parent does not contain child");
    const int wanted = renderIndexForViewPosition(group->countOfRenderList(), index);
    PF_ASSERT(wanted >= 0 && wanted < group->countOfRenderList(), "bad index %d", wanted);
    if (wanted != current) {
        group->moveRendererAtIndex(current, wanted);
        nameUndo(tr("Change Style Component Order"));
    }
}

namespace {
bool groupHolds(const PWRastGroup* group, const PWRasterizer* renderer)
{
    for (const pf::Ref<PWRasterizer>& child : group->renderList()) {
        if (child.get() == renderer)
            return true;
        if (auto* sub = dynamic_cast<const PWRastGroup*>(child.get()); sub && groupHolds(sub, renderer))
            return true;
    }
    return false;
}
} // namespace

bool VNQLStyleEditorController::containerViewWillAcceptDroppedView(RVCollapsibleContainerView& destination, pf::View* view,
                                                                   int index)
{
    VNQLStyleComponentController* moving = subcontrollerForHostingView(qobject_cast<RVCollapsibleContainerView*>(view));
    if (!moving)
        return false;
    auto renderer = std::dynamic_pointer_cast<PWRasterizer>(moving->representedComponent());
    PWRastGroup* group = nullptr;
    if (&destination == mStyleComponentStackView.data())
        group = style().get();
    else if (VNQLStyleComponentController* host = subcontrollerForHostingView(&destination))
        group = dynamic_cast<PWRastGroup*>(host->representedComponent().get());
    PF_ASSERT(group, "expected destination to be a group");
    if (!renderer)
        return false;
    // A group never goes into itself or into a group inside it.
    if (auto* movingGroup = dynamic_cast<PWRastGroup*>(renderer.get());
        movingGroup && (movingGroup == group || groupHolds(movingGroup, group)))
        return false;
    if (group->locked())
        return false;
    const int target = renderIndexForDropPosition(group->countOfRenderList(), index);
    PF_ASSERT(group->indexOfRenderer(renderer.get()) < 0,
              "unexpected inconsistency: rasterizer is already contained by this group");
    pf::Ref<PWRasterizer> keep = renderer;
    keep->removeFromContainer();
    group->insertObjectInRenderListAtIndex(keep, std::min(target, group->countOfRenderList()));
    detachPane(moving);
    for (qsizetype i = 0; i < mSubControllers.size(); ++i)
        if (mSubControllers[i].get() == moving) {
            pf::Ref<VNQLStyleComponentController> kept = mSubControllers.takeAt(i);
            pf::RunLoop::main().perform([kept] {}, 0);
            break;
        }
    rebuildUI();
    nameUndo(tr("Change Style Component Order"));
    return false;
}

// --- Menu validation ---------------------------------------------------------------------------------

bool VNQLStyleEditorController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    pf::Ref<PWStyle> shown = style();
    const bool changeable = shown && !shown->locked() && !styleInLockedLibrary();
    if (action == QLatin1String("addComponentWithTagOfSenderAction:") || action == QLatin1String("addComponentAction:"))
        return changeable && componentClassForStyleComponentTag(item.tag()) != nullptr;
    if (action == QLatin1String("toggleDrawingUnitsDisplayAction:")) {
        item.setState(m_displaysDrawingUnits ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QLatin1String("revealInLibraryAction:"))
        return styleLibrary() != nullptr;
    if (action == QLatin1String("renameAction:") || action == QLatin1String("deleteComponentAction:"))
        return changeable;
    if (action == QLatin1String("pasteComponentAction:")) {
        QString name;
        pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general();
        const bool canPaste = canPasteComponentFrom(board.get(), &name);
        item.setTitle(canPaste ? QStringLiteral("%1 (%2)").arg(tr("Paste Component"), name) : tr("Paste Component"));
        return canPaste && changeable;
    }
    if (action == QLatin1String("addToLibraryAction:"))
        return shown && styleLibrary() == nullptr;
    if (action == QLatin1String("defaultLibrarySelectAction:")) {
        pf::Ref<PWXLibrary> library = pf::objectCast<PWXLibrary>(item.representedObject());
        item.setState(library && library == PWXLibrary::defaultUserLibrary() ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QLatin1String("resetStyleAction:"))
        return !mSelectionCache.isEmpty() && !mStyleList.isEmpty();
    if (action == QLatin1String("cloneStyleAction:"))
        return shown != nullptr;
    if (action == QLatin1String("styleEditorHelpAction:")) {
        pf::Application* application = pf::Application::shared();
        pf::ApplicationDelegate* delegate = application ? application->delegate() : nullptr;
        return delegate && delegate->respondsTo(QStringLiteral("showHelpItemNamed:"));
    }
    return true;
}
