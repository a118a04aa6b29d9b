#include "library/PWXLibraryPickerPaletteController.h"

#include "app/RVCartavelDocument.h"
#include "drawing/PWDrawingTool+LibraryItemKind.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolTool.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryGroupMenuHandler.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "library/PWXLibraryPickerItemView.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Event.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PathControl.h"
#include "platform/ui/Responder.h"
#include "platform/ui/SearchField.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QUrl>

// Picking items, following the current tool, applying to the selection, and what the palette
// hears from the library and the tools.

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryPickerPaletteController", text); }

bool optionKeyHeld() { return (pf::Application::currentModifierFlags() & pf::AlternateKeyMask) != 0; }

template <class T>
pf::Ref<T> refOf(pf::Reflective* object)
{
    auto* made = dynamic_cast<T*>(object);
    if (!made)
        return nullptr;
    try {
        return std::static_pointer_cast<T>(made->shared_from_this());
    } catch (const std::bad_weak_ptr&) {
        return nullptr;
    }
}

RVCartavelDocument* currentDocument()
{
    pf::DocumentController* documents = pf::DocumentController::sharedIfMade();
    return documents ? dynamic_cast<RVCartavelDocument*>(documents->currentDocument()) : nullptr;
}

QImage iconImage(const pf::Ref<pf::Image>& image)
{
    return image ? image->bitmap(QSize(32, 32)) : QImage();
}

} // namespace

// --- Picking ----------------------------------------------------------------------------------

pf::Ref<PWXLibraryItem> PWXLibraryPickerPaletteController::selectedItem() const
{
    if (!m_itemViewController)
        return nullptr;
    const pf::IndexSet selected = m_itemViewController->selectedIndexes();
    if (selected.isEmpty())
        return nullptr;
    return m_itemViewController->content().value(int(selected.lastIndex()));
}

void PWXLibraryPickerPaletteController::selectItem(const pf::Ref<PWXLibraryItem>& item)
{
    if (!m_itemViewController)
        return;
    const qsizetype at = item ? m_itemViewController->content().indexOf(item) : -1;
    pf::IndexSet indexes;
    if (at >= 0)
        indexes.add(at);
    if (indexes == m_itemViewController->selectedIndexes())
        return;
    m_itemViewController->selectItemsAtIndexes(indexes);
}

QString PWXLibraryPickerPaletteController::identifierForSelectedItem() const
{
    if (!m_libraryCategory)
        return QString();
    QString identifier = m_libraryCategory->identifier();
    if (pf::Ref<PWXLibraryItem> item = selectedItem()) {
        QString name = item->name();
        identifier += QLatin1Char('.') + name.replace(QLatin1Char('.'), QStringLiteral("#$#"));
    }
    return identifier;
}

void PWXLibraryPickerPaletteController::itemSelectionChanged(const pf::IndexSet& indexes)
{
    updateSelectionLabel();
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    pf::Ref<PWXLibraryItem> picked;
    if (!indexes.isEmpty() && m_itemViewController)
        picked = m_itemViewController->content().value(int(indexes.firstIndex()));
    m_picked = picked;
    if (picked) {
        defaults.setObject(identifierForSelectedItem(), kLastSelectionDefault);
        if (m_applyToSelectionButton)
            m_applyToSelectionButton->setEnabled(true);
        updateHistoryBuffer();
    } else {
        defaults.removeObjectForKey(kLastSelectionDefault);
        if (m_applyToSelectionButton)
            m_applyToSelectionButton->setEnabled(false);
    }
    const bool auxiliary = optionKeyHeld();
    QVariantMap info{{kAuxStyleFlagKey, auxiliary}};
    if (picked)
        info.insert(kLibObjectKey, pf::toVariant(picked));
    // While this is posted the palette does not follow the tool: the tools palette sets the
    // tool's style from it, and the tool's change must not come back here as a new pick.
    m_isSendingSelectionChange = true;
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryPickerSelectedObjectDidChange, this, info);
    m_isSendingSelectionChange = false;
}

void PWXLibraryPickerPaletteController::sortDescriptorsChanged()
{
    dropCaches();
    reloadItems();
}

void PWXLibraryPickerPaletteController::editItemsAtIndexes(const pf::IndexSet& indexes)
{
    if (indexes.isEmpty() || !canApplyToSelection())
        return;
    applyToSelectionAction();
}

void PWXLibraryPickerPaletteController::tableDoubleClickAction(const QVariant&)
{
    if (m_itemViewController)
        editItemsAtIndexes(m_itemViewController->selectedIndexes());
}

// --- Following the tool -----------------------------------------------------------------------

pf::Ref<PWDrawingTool> PWXLibraryPickerPaletteController::mainDocumentTool() const
{
    pf::DocumentController* documents = pf::DocumentController::sharedIfMade();
    auto* document = documents ? dynamic_cast<PWDrawingDocument*>(documents->currentDocument()) : nullptr;
    if (document)
        return document->drawingTool();
    return PWDrawingTool::sharedCurrentTool();
}

void PWXLibraryPickerPaletteController::setUIStateForDrawingTool(const pf::Ref<PWDrawingTool>& tool)
{
    if (m_isSendingSelectionChange || !tool)
        return;
    RVLog(kReactiveEvent, QStringLiteral("setting state for tool: %1").arg(tool->registeredName()));
    const int kind = PWDrawingToolLibraryItemKind::supportedLibraryItemKind(tool->className());
    setClassCode(kind);
    QString key;
    if (kind == PWDrawingToolLibraryItemKind::kStyles) {
        if (auto creation = std::dynamic_pointer_cast<PWObjectCreationTool>(tool)) {
            if (pf::Ref<PWStyle> style = creation->style())
                key = PWXLibraryObjectProtocol::uniqueKey(style);
        } else if (tool->respondsTo(QStringLiteral("style"))) {
            if (auto style = pf::objectCast<PWStyle>(tool->valueForKey(QStringLiteral("style"))))
                key = PWXLibraryObjectProtocol::uniqueKey(style);
        }
    } else if (kind == PWDrawingToolLibraryItemKind::kSymbols) {
        if (auto stamp = std::dynamic_pointer_cast<PWXSymbolTool>(tool))
            if (pf::Ref<PWXSymbolMaster> master = stamp->symbolMaster())
                key = PWXLibraryObjectProtocol::uniqueKey(master);
    }
    selectItem(key.isEmpty() ? nullptr : filteredItemWithID(key));
}

void PWXLibraryPickerPaletteController::setClassCode(qint64 code)
{
    m_currentClassCode = code;
    if (hidesNonMatchingItems()) {
        if (code == 1 || code == 2) {
            disableItemsAtIndexes(std::nullopt);
            setFilterKind(int(code));
        } else {
            setFilterKind(0);
            disableItemsAtIndexes(std::nullopt);
        }
        return;
    }
    if (code == 0)
        disableItemsAtIndexes(pf::IndexSet()); // an empty set: every item dimmed
    else if (code == 1)
        disableItemsAtIndexes(symbolIndexes().isEmpty() ? std::nullopt : std::optional<pf::IndexSet>(symbolIndexes()));
    else if (code == 2)
        disableItemsAtIndexes(styleIndexes().isEmpty() ? std::nullopt : std::optional<pf::IndexSet>(styleIndexes()));
    else
        disableItemsAtIndexes(std::nullopt);
}

// --- Applying ----------------------------------------------------------------------------------

bool PWXLibraryPickerPaletteController::canApplyToSelection() const
{
    RVCartavelDocument* document = currentDocument();
    return selectedItem() && document && document->hasValidSelection();
}

bool PWXLibraryPickerPaletteController::canApplyAuxiliaryToSelection() const
{
    pf::Ref<PWXLibraryItem> item = selectedItem();
    if (!item || item->classCode() != PWXLibraryObjectProtocol::kStyleClassCode)
        return false;
    QWidget* key = pf::Application::shared() ? pf::Application::shared()->keyWindow() : nullptr;
    auto* responder = dynamic_cast<pf::Reflective*>(key ? pf::firstResponder(key) : nullptr);
    return responder && responder->respondsTo(QStringLiteral("setAuxiliaryStyle:"));
}

bool PWXLibraryPickerPaletteController::applyItemToSelection(const pf::Ref<PWXLibraryItem>& item, bool asAuxiliaryStyle)
{
    PF_ASSERT(item, "item was nil - can't apply to selection");
    if (!item || !canApplyToSelection())
        return false;
    RVCartavelDocument* document = currentDocument();
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(document->activeLayer());
    if (!layer)
        return false;
    QString operation;
    bool auxiliary = false;
    if (item->classCode() == PWXLibraryObjectProtocol::kStyleClassCode) {
        operation = QStringLiteral("applyStyle:");
        if (asAuxiliaryStyle && layer->respondsTo(QStringLiteral("setAuxiliaryStyle:"))) {
            operation = QStringLiteral("setAuxiliaryStyle:");
            auxiliary = true;
        }
    } else if (item->classCode() == PWXLibraryObjectProtocol::kSymbolMasterClassCode) {
        operation = QStringLiteral("applySymbol:");
    } else {
        return false;
    }
    if (!layer->respondsTo(operation))
        return false;
    const pf::Ref<pf::Object> object = item->representedObject();
    if (!object)
        return false;

    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (!defaults.boolForKey(kConfirmDirectApplyDefault)) {
        pf::Application::beep();
        pf::Alert alert;
        if (auxiliary) {
            alert.setMessageText(tr("Apply Overlay Style to selected tracks?"));
            alert.setInformativeText(tr("'%1' will be attached as an overlay style to tracks in the current selection, "
                                        "but will be undoable.")
                                         .arg(item->name()));
        } else {
            alert.setMessageText(tr("Apply Style or Symbol to selected objects?"));
            alert.setInformativeText(tr("'%1' will be applied to all objects able to accept it in the current selection, "
                                        "but will be undoable.")
                                         .arg(item->name()));
        }
        alert.addButton(tr("OK"));
        alert.addButton(tr("Cancel"));
        alert.setShowsSuppressionButton(true);
        const int answer = alert.runModal();
        defaults.setBool(alert.isSuppressed(), kConfirmDirectApplyDefault);
        if (answer != pf::kAlertFirstButtonReturn)
            return false;
    }
    layer->perform(operation, {pf::toVariant(object)});
    return true;
}

void PWXLibraryPickerPaletteController::applyToSelectionAction(const QVariant&)
{
    pf::Ref<PWXLibraryItem> item = selectedItem();
    if (!item)
        return;
    if (applyItemToSelection(item, optionKeyHeld()))
        if (PWXLibrary* library = item->library())
            library->useItem(item);
}

void PWXLibraryPickerPaletteController::applyAuxiliaryToSelectionAction(const QVariant&)
{
    pf::Ref<PWXLibraryItem> item = selectedItem();
    if (!item || !canApplyAuxiliaryToSelection())
        return;
    if (applyItemToSelection(item, true))
        if (PWXLibrary* library = item->library())
            library->useItem(item);
}

void PWXLibraryPickerPaletteController::showInLibraryManagerAction(const QVariant&)
{
    pf::Ref<PWXLibraryItem> item = selectedItem();
    PWXLibrary* library = item ? item->library() : nullptr;
    if (!item || !library || library->group() == PWXLibraryGroup::kDocumentsGroupName) {
        pf::Application::beep();
        return;
    }
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    manager->showWindow({});
    if (!manager->showItemWithUniqueID(item->uniqueKey(), true))
        pf::Application::beep();
}

// --- Commands ---------------------------------------------------------------------------------

void PWXLibraryPickerPaletteController::libraryChoiceAction(const QVariant& sender)
{
    auto item = pf::objectCast<pf::MenuItem>(sender);
    const QString identifier = item ? item->representedObject().toString() : sender.toString();
    if (identifier.isEmpty())
        return;
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingIdentifier(identifier);
    if (!library)
        return;
    auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(library->itemWithIdentifier(identifier));
    setCategory(category ? category : library->allItemsCategory());
}

void PWXLibraryPickerPaletteController::searchFieldAction(const QVariant& sender)
{
    if (auto* field = dynamic_cast<pf::SearchField*>(pf::objectCast<pf::Reflective>(sender).get()))
        setFilterString(field->stringValue());
    else if (m_filterSearchField)
        setFilterString(m_filterSearchField->stringValue());
}

void PWXLibraryPickerPaletteController::searchFieldMenuAction(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        setFilterKind(item->tag());
}

void PWXLibraryPickerPaletteController::searchFieldModeAction(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        setFilterStringMode(item->tag());
}

void PWXLibraryPickerPaletteController::filterScopeAction(const QVariant& sender)
{
    if (auto item = pf::objectCast<pf::MenuItem>(sender))
        setFilterScope(item->tag());
}

bool PWXLibraryPickerPaletteController::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    if (action == QStringLiteral("libraryChoiceAction:")) {
        const QString identifier = item.representedObject().toString();
        const QString shown = m_libraryCategory ? m_libraryCategory->identifier() : QString();
        if (!shown.isNull())
            PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()->setBoldTitlingForMenuTrail(&item, shown);
        item.setState(!identifier.isEmpty() && identifier == shown ? pf::ControlState::On : pf::ControlState::Off);
        return !identifier.isEmpty();
    }
    if (action == QStringLiteral("searchFieldMenuAction:")) {
        item.setState(item.tag() == m_filterKind ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QStringLiteral("searchFieldModeAction:")) {
        item.setState(item.tag() == m_filterStringMode ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QStringLiteral("filterScopeAction:")) {
        item.setState(item.tag() == m_filterScope ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (action == QStringLiteral("dummyTitleAction:"))
        return true;
    if (action == QStringLiteral("goBack:"))
        return canGoBack();
    if (action == QStringLiteral("goForward:"))
        return canGoForward();
    if (action == QStringLiteral("clearHistory:"))
        return canGoForward() || canGoBack();
    if (action == QStringLiteral("applyToSelectionAction:"))
        return canApplyToSelection();
    if (action == QStringLiteral("applyAuxiliaryToSelectionAction:"))
        return canApplyAuxiliaryToSelection();
    if (action == QStringLiteral("showInLibraryManagerAction:")) {
        pf::Ref<PWXLibraryItem> picked = selectedItem();
        return picked && picked->library() && picked->library()->group() != PWXLibraryGroup::kDocumentsGroupName;
    }
    return respondsTo(action);
}

// --- Path bar ---------------------------------------------------------------------------------

QString PWXLibraryPickerPaletteController::pathControlValue() const
{
    return m_currentLibPathControl ? m_currentLibPathControl->stringValue() : QString();
}

void PWXLibraryPickerPaletteController::updateSelectionLabel()
{
    if (!m_currentLibPathControl)
        return;
    const QString identifier = identifierForSelectedItem();
    if (identifier.isEmpty()) {
        m_currentLibPathControl->setURL(QUrl());
        m_currentLibPathControl->hide();
        return;
    }
    QString display = identifier;
    display.replace(QLatin1Char('/'), QLatin1Char('|'));
    display.replace(QLatin1Char('.'), QLatin1Char('/'));
    display.replace(QStringLiteral("#$#"), QStringLiteral("."));
    QUrl url;
    url.setPath(QLatin1Char('/') + display, QUrl::DecodedMode);
    m_currentLibPathControl->setURL(url);
    const QList<pf::Ref<pf::PathComponentCell>>& cells = m_currentLibPathControl->pathComponentCells();
    if (!cells.isEmpty()) {
        pf::Ref<PWXLibraryItem> picked = selectedItem();
        int index = int(cells.size()) - 1;
        if (picked) {
            cells[index]->setImage(picked->previewImage());
            --index;
        }
        // Upwards: the category, then each container above it, down to cell 1.
        const PWXLibraryElement* element = m_libraryCategory.get();
        for (; index >= 1 && element; --index) {
            if (auto* category = dynamic_cast<const PWXLibraryCategory*>(element))
                cells[index]->setImage(iconImage(category->icon()));
            else if (auto* library = dynamic_cast<const PWXLibrary*>(element))
                cells[index]->setImage(iconImage(library->icon()));
            element = element->container() ? static_cast<const PWXLibraryElement*>(element->container())
                                           : static_cast<const PWXLibraryElement*>(element->library() != element
                                                                                       ? element->library()
                                                                                       : nullptr);
        }
        PWXLibrary* library = m_libraryCategory ? m_libraryCategory->library() : nullptr;
        pf::Ref<PWXLibraryGroup> group = library ? PWXLibraryGroup::groupWithName(library->group()) : nullptr;
        cells[0]->setImage(group ? iconImage(group->icon()) : QImage());
    }
    m_currentLibPathControl->setVisible(m_statusBarVisible);
    m_currentLibPathControl->update();
}

// --- Notifications --------------------------------------------------------------------------

void PWXLibraryPickerPaletteController::toolDidChange(const pf::Notification& note)
{
    pf::Ref<PWDrawingTool> tool;
    if (auto* controller = dynamic_cast<PWToolController*>(note.object))
        tool = controller->drawingTool();
    else if (auto asTool = refOf<PWDrawingTool>(note.object))
        tool = asTool;
    else if (note.object && note.object->respondsTo(QStringLiteral("drawingTool")))
        tool = pf::objectCast<PWDrawingTool>(note.object->valueForKey(QStringLiteral("drawingTool")));
    setUIStateForDrawingTool(tool);
}

void PWXLibraryPickerPaletteController::toolStyleDidChange(const pf::Notification& note)
{
    if (auto tool = refOf<PWDrawingTool>(note.object))
        setUIStateForDrawingTool(tool);
}

void PWXLibraryPickerPaletteController::windowBecameMain(const pf::Notification& note)
{
    if (isWindowLoaded() && dynamic_cast<QWidget*>(note.object) == window())
        return;
    setUIStateForDrawingTool(mainDocumentTool());
}

void PWXLibraryPickerPaletteController::categoryContentChanged(const pf::Notification& note)
{
    if (m_isSendingSelectionChange || !m_libraryCategory
        || note.object != static_cast<pf::Reflective*>(m_libraryCategory.get()))
        return;
    if (note.name == kPWXLibraryCategoryDidChangeName) {
        updateSelectionLabel();
        updateLibraryPopUpTitle();
        return;
    }
    dropCaches();
    reloadItems();
    setClassCode(m_currentClassCode);
}

void PWXLibraryPickerPaletteController::libraryRemovedCategory(const pf::Notification& note)
{
    if (!m_libraryCategory)
        return;
    if (pf::objectCast<PWXLibraryCategory>(note.userInfo.value(PWXLibraryCategory::kCategoryUserInfoKey)) != m_libraryCategory)
        return;
    setCategory(nullptr);
    validateHistory();
}

void PWXLibraryPickerPaletteController::groupContentChanged(const pf::Notification& note)
{
    if (!m_libraryCategory)
        return;
    pf::Ref<PWXLibrary> library = pf::objectCast<PWXLibrary>(note.userInfo.value(PWXLibraryGroup::kLibraryUserInfoKey));
    if (!library || library.get() != m_libraryCategory->library())
        return;
    setCategory(nullptr);
    validateHistory();
}

void PWXLibraryPickerPaletteController::inspectorStyleChanged(const pf::Notification& note)
{
    pf::Ref<pf::Object> style;
    if (note.object && note.object->respondsTo(QStringLiteral("style")))
        style = pf::objectCast<pf::Object>(note.object->valueForKey(QStringLiteral("style")));
    const QString key = style ? PWXLibraryObjectProtocol::uniqueKey(style) : QString();
    selectItem(key.isEmpty() ? nullptr : filteredItemWithID(key));
}
