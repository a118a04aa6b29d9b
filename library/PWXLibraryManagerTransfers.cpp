#include "library/PWXLibraryManagerTransfers.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/archiving/PWDrawableObjectPasteboard.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerTransferHost.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/DraggingInfo.h"
#include "platform/ui/Pasteboard.h"
#include "widgets/RVProgressController.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <typeinfo>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibraryManagerWindowController", text); }

} // namespace

PF_DEFINE_CLASS(PWXLibraryManagerTransfers, pf::Object) {}

PWXLibraryManagerTransfers::PWXLibraryManagerTransfers() = default;

PWXLibraryManagerTransfers::~PWXLibraryManagerTransfers()
{
    if (m_progress)
        m_progress->hide();
}

const QStringList& PWXLibraryManagerTransfers::acceptedPasteboardTypes()
{
    static const QStringList types = {kPWXLibraryElementPasteboardType, kPWXLibraryItemPasteboardType,
                                      kPWDrawableObjectPasteboardType, kPWXLibraryCategoryInternalPasteboardType};
    return types;
}

QString PWXLibraryManagerTransfers::firstAcceptedType(const pf::Pasteboard& pasteboard) const
{
    return pasteboard.availableTypeFromArray(acceptedPasteboardTypes());
}

PWXLibraryManagerTransfers::Target PWXLibraryManagerTransfers::targetFor(const pf::Ref<PWXLibraryElement>& element)
{
    if (auto library = std::dynamic_pointer_cast<PWXLibrary>(element))
        return {library, nullptr};
    if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(element))
        return {category->libraryRef(), category};
    return {};
}

void PWXLibraryManagerTransfers::showAlert(const QString& title, const QString& text, const QString& button,
                                           bool beeping)
{
    if (beeping)
        pf::Application::beep();
    pf::Alert alert;
    // Refusals and failures warn; anything else informs.
    alert.setAlertStyle(beeping ? pf::AlertStyle::Warning : pf::AlertStyle::Informational);
    alert.setMessageText(title);
    alert.setInformativeText(text);
    alert.addButton(button);
    alert.runModal();
}

// --- Drag and drop ------------------------------------------------------------------------------

bool PWXLibraryManagerTransfers::writeItemsToPasteboard(const QList<pf::Ref<PWXLibraryElement>>& rows,
                                                        pf::Pasteboard& pasteboard)
{
    auto category = rows.isEmpty() ? nullptr : std::dynamic_pointer_cast<PWXLibraryCategory>(rows.last());
    if (!category) {
        m_draggingCategory.reset();
        return false;
    }
    // The category itself never leaves the process: the drop asks this object for it.
    pasteboard.declareTypes({kPWXLibraryCategoryInternalPasteboardType}, this);
    m_draggingCategory = category;
    return true;
}

unsigned PWXLibraryManagerTransfers::dragOperationForDraggingInfo(const pf::DraggingInfo* info,
                                                                  const pf::Ref<PWXLibraryElement>& target)
{
    PF_ASSERT(info, "no dragging info");
    if (!info || !target || std::dynamic_pointer_cast<PWXLibraryGroup>(target))
        return pf::DragOperationNone;
    const pf::Ref<pf::Pasteboard> pasteboard = info->draggingPasteboard();
    const QString type = pasteboard ? firstAcceptedType(*pasteboard) : QString();
    if (type.isEmpty())
        return pf::DragOperationNone;
    const Target to = targetFor(target);
    const pf::Ref<PWXLibrary> sourceLibrary = m_host ? m_host->selectedLibrary() : nullptr;
    const pf::Ref<PWXLibraryCategory> sourceCategory = m_host ? m_host->lastSelectedCategory() : nullptr;

    if (type == kPWXLibraryItemPasteboardType) {
        if (!to.library)
            return pf::DragOperationNone;
        if (to.library == sourceLibrary) {
            if (!to.category || to.category == sourceCategory || to.category->isReadOnly()
                || !to.library->allowsCategoryChanges())
                return pf::DragOperationNone;
            return sourceCategory && to.category->containsElement(sourceCategory.get()) ? pf::DragOperationMove
                                                                                        : pf::DragOperationLink;
        }
        if (!to.library->allowsContentChanges() || (to.category && to.category->isReadOnly()))
            return pf::DragOperationNone;
        // Delete in the source's mask only lets items be dragged to the trash; it offers no
        // transfer, so a source offering copy besides it offers only copy (the item browser).
        if ((info->draggingSourceOperationMask() & ~unsigned(pf::DragOperationDelete)) == pf::DragOperationCopy)
            return pf::DragOperationCopy;
        return sourceLibrary && sourceLibrary->allowsContentChanges() ? pf::DragOperationMove : pf::DragOperationCopy;
    }
    if (type == kPWDrawableObjectPasteboardType) {
        if (!to.library || !to.library->allowsContentChanges())
            return pf::DragOperationNone;
        return to.category && to.category->isReadOnly() ? pf::DragOperationNone : pf::DragOperationCopy;
    }
    if (type == kPWXLibraryCategoryInternalPasteboardType) {
        const pf::Ref<PWXLibraryCategory> dragged = m_draggingCategory.lock();
        PF_ASSERT(dragged, "huh? no dragging item was set");
        if (!dragged || !to.library || target == dragged)
            return pf::DragOperationNone;
        if (to.library.get() != dragged->library())
            // A collection that takes no new content would refuse the copy anyway.
            return to.library->allowsContentChanges() ? pf::DragOperationCopy : pf::DragOperationNone;
        if (target.get() == dragged->container())
            return pf::DragOperationNone;
        if (to.category) {
            const PWXLibraryCategory& category = *to.category;
            if (typeid(category) != typeid(PWXLibraryCategory))
                return pf::DragOperationNone;
            // A category inside itself would make the tree a cycle.
            if (dragged->containsElement(to.category.get()))
                return pf::DragOperationNone;
            if (to.category->isReadOnly())
                return pf::DragOperationNone;
        }
        return to.library->allowsCategoryChanges() ? pf::DragOperationMove : pf::DragOperationNone;
    }
    return pf::DragOperationNone;
}

bool PWXLibraryManagerTransfers::acceptDrop(const pf::DraggingInfo* info, const pf::Ref<PWXLibraryElement>& target)
{
    const unsigned operation = dragOperationForDraggingInfo(info, target);
    if (operation == pf::DragOperationNone)
        return false;
    if (m_host)
        m_host->showTransferWindow();
    const pf::Ref<pf::Pasteboard> pasteboard = info->draggingPasteboard();
    const QString type = firstAcceptedType(*pasteboard);
    Target to = targetFor(target);

    if (type == kPWXLibraryItemPasteboardType)
        return pasteIntoLibrary(to.library, to.category, *pasteboard, operation == pf::DragOperationCopy);

    if (type == kPWDrawableObjectPasteboardType) {
        // Read first: a drop whose data cannot be read leaves no empty category behind.
        const QList<pf::Ref<PWDrawableObject>> drawables = PWDrawableObjectPasteboard::nativeObjectsFromPasteboard(*pasteboard);
        if (drawables.isEmpty()) {
            RVLog(kInfoEvent, QStringLiteral("no objects were available for import"));
            return false;
        }
        if (!to.category) {
            to.category = to.library->addCategoryWithName(tr("New Symbols"));
            if (!to.category)
                return false;
            if (m_host)
                m_host->reloadLibrarySelectingCategory(to.library, to.category);
        }
        RVLog(kInfoEvent, QStringLiteral("will attempt to directly import dropped graphics to lib %1, category %2")
                              .arg(to.library->name(), to.category->name()));
        QList<pf::Ref<pf::Object>> objects;
        for (const pf::Ref<PWDrawableObject>& drawable : drawables)
            objects.append(drawable);
        return importItemsAsSymbols(objects, to.library, to.category);
    }

    if (type == kPWXLibraryCategoryInternalPasteboardType) {
        const pf::Ref<PWXLibraryCategory> dragged = m_draggingCategory.lock();
        if (!dragged)
            return false;
        if (operation == pf::DragOperationCopy)
            return copyCategory(dragged, to.library);
        if (to.category)
            to.category->addCategory(dragged);
        else
            to.library->addCategory(dragged);
        if (m_host)
            m_host->reloadLibrarySelectingCategory(to.library, dragged);
        m_draggingCategory.reset();
        return true;
    }
    return false;
}

// --- Paste ----------------------------------------------------------------------------------

bool PWXLibraryManagerTransfers::canPasteIntoLibrary(const pf::Ref<PWXLibrary>& library,
                                                     const pf::Ref<PWXLibraryCategory>& category,
                                                     const pf::Pasteboard& pasteboard) const
{
    return library && !firstAcceptedType(pasteboard).isEmpty() && (!category || !category->isReadOnly());
}

bool PWXLibraryManagerTransfers::pasteIntoLibrary(const pf::Ref<PWXLibrary>& library,
                                                  const pf::Ref<PWXLibraryCategory>& category,
                                                  const pf::Pasteboard& pasteboard, bool copyItems)
{
    if (!canPasteIntoLibrary(library, category, pasteboard) || firstAcceptedType(pasteboard) != kPWXLibraryItemPasteboardType)
        return false;
    if (PWXLibraryItem::sourceLibraryOnPasteboard(&pasteboard) == library) {
        // Within one collection items are filed in another category, not transferred.
        if (!category || !library->allowsCategoryChanges())
            return false;
        const std::optional<QList<pf::Ref<PWXLibraryItem>>> items = PWXLibraryItem::libraryItemsFromPasteboard(&pasteboard);
        if (!items || items->isEmpty())
            return false;
        category->addItems(*items);
        if (m_host) {
            if (!m_host->selectCategory(category))
                m_host->reloadItemList(false);
            const QList<pf::Ref<PWXLibraryItem>> pasted = *items;
            pf::Weak<pf::Object> weakSelf = ref<pf::Object>();
            QTimer::singleShot(0, [weakSelf, pasted] {
                if (auto self = std::static_pointer_cast<PWXLibraryManagerTransfers>(weakSelf.lock()))
                    if (self->m_host)
                        self->m_host->selectItems(pasted);
            });
            // Dropped into one of the category's own sub-categories, the items move down.
            auto before = std::dynamic_pointer_cast<PWXLibraryCategory>(m_host->selectedOutlineElement());
            if (before && before != category && before->containsElement(category.get()))
                before->removeItems(*items);
            m_host->reloadElementRow(category);
        }
        return true;
    }
    if ((category && category->isReadOnly()) || !library->allowsContentChanges())
        return false;
    const std::optional<QList<pf::Ref<PWXLibraryItem>>> items = PWXLibraryItem::libraryItemsFromPasteboard(&pasteboard);
    if (!items || items->isEmpty())
        return false;
    return moveItems(*items, library, category, copyItems);
}

// --- Items and categories ---------------------------------------------------------------------

bool PWXLibraryManagerTransfers::transferItems(const QList<pf::Ref<PWXLibraryItem>>& items,
                                               const pf::Ref<PWXLibrary>& library,
                                               const pf::Ref<PWXLibraryCategory>& category, bool makingCopies,
                                               QList<pf::Ref<PWXLibraryItem>>* transferred,
                                               QHash<QString, pf::Ref<PWXLibraryItem>>* copies)
{
    for (const pf::Ref<PWXLibraryItem>& item : items) {
        if (!item)
            return false;
        if (copies) {
            if (pf::Ref<PWXLibraryItem> made = copies->value(item->uniqueKey())) {
                category->addItem(made);
                continue;
            }
        }
        pf::Ref<PWXLibraryItem> now = library->transferItem(item, category, makingCopies);
        if (!now)
            return false;
        if (copies)
            copies->insert(item->uniqueKey(), now);
        if (transferred)
            transferred->append(now);
    }
    return true;
}

bool PWXLibraryManagerTransfers::moveItems(const QList<pf::Ref<PWXLibraryItem>>& items, const pf::Ref<PWXLibrary>& library,
                                           const pf::Ref<PWXLibraryCategory>& category, bool makingCopies)
{
    PF_ASSERT(library, "no library specified");
    if (!library)
        return false;
    const pf::Ref<PWXLibraryCategory> into = category ? category : library->allItemsCategory();
    QList<pf::Ref<PWXLibraryItem>> transferred;
    if (!transferItems(items, library, into, makingCopies, &transferred, nullptr))
        return false;
    if (m_host) {
        m_host->reloadLibrarySelectingCategory(library, into);
        m_host->selectItems(transferred);
    }
    return true;
}

bool PWXLibraryManagerTransfers::copyCategoryContents(const pf::Ref<PWXLibraryCategory>& source,
                                                      const pf::Ref<PWXLibraryCategory>& target,
                                                      const pf::Ref<PWXLibrary>& library,
                                                      QHash<QString, pf::Ref<PWXLibraryItem>>& copies)
{
    for (const pf::Ref<PWXLibraryElement>& element : source->elements()) {
        if (auto item = std::dynamic_pointer_cast<PWXLibraryItem>(element)) {
            if (!transferItems({item}, library, target, true, nullptr, &copies))
                return false;
            continue;
        }
        // Sub-categories are rebuilt, never handed to the item transfer.
        if (auto smart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(element)) {
            auto rebuilt = std::make_shared<PWXLibrarySmartCategory>(smart->name());
            target->addCategory(rebuilt);
            rebuilt->setPredicate(smart->predicate());
            rebuilt->setCountLimit(smart->countLimit());
            rebuilt->setPredicateEditable(smart->predicateEditable());
            continue;
        }
        if (auto sub = std::dynamic_pointer_cast<PWXLibraryCategory>(element)) {
            pf::Ref<PWXLibraryCategory> rebuilt = target->addCategoryWithName(sub->name());
            if (!rebuilt || !copyCategoryContents(sub, rebuilt, library, copies))
                return false;
        }
    }
    return true;
}

bool PWXLibraryManagerTransfers::copyCategory(const pf::Ref<PWXLibraryCategory>& category, const pf::Ref<PWXLibrary>& library)
{
    PF_ASSERT(category, "no category was passed to -copyCategory:toLibrary:");
    PF_ASSERT(library, "no library was passed to -copyCategory:toLibrary:");
    if (!category || !library)
        return false;
    if (category->library() == library.get() || !library->allowsContentChanges() || library->isFactoryLibrary()
        || category->elements().isEmpty())
        return false;
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (!defaults.boolForKey(kConfirmCategoryCopyDefault)) {
        pf::Alert alert;
        alert.setMessageText(tr("Copy Category"));
        alert.addButton(tr("Copy"));
        alert.addButton(tr("Cancel"));
        alert.setInformativeText(tr("%1 items from the category \u201C%2\u201D will be copied to the collection \u201C%3\u201D")
                                     .arg(category->allElementsCount()) // items at every depth, each once
                                     .arg(category->name(), library->name()));
        alert.setShowsSuppressionButton(true);
        alert.suppressionButton()->setChecked(false);
        const int answer = alert.runModal();
        defaults.setBool(alert.isSuppressed(), kConfirmCategoryCopyDefault);
        if (answer != pf::kAlertFirstButtonReturn)
            return false;
    }
    QString name = category->name();
    for (long n = 1; library->categoryWithName(name); ++n)
        name = QStringLiteral("%1-%2").arg(category->name()).arg(n);
    pf::Ref<PWXLibraryCategory> made = library->addCategoryWithName(name);
    if (!made)
        return false;
    QHash<QString, pf::Ref<PWXLibraryItem>> copies;
    const bool complete = copyCategoryContents(category, made, library, copies);
    if (m_host) {
        m_host->reloadLibrarySelectingCategory(library, made);
        m_host->selectItems(made->items());
    }
    return complete;
}

bool PWXLibraryManagerTransfers::importItemsAsSymbols(const QList<pf::Ref<pf::Object>>& objects,
                                                      pf::Ref<PWXLibrary> library, pf::Ref<PWXLibraryCategory> category)
{
    const QList<pf::Ref<pf::Object>> donors = PWXSymbolMaster::validSymbolDonorObjectsFromArray(objects);
    if (donors.isEmpty())
        return false;
    PWXLibrary::initializeRegistry();
    if (!library)
        library = PWXLibrary::userLibraryForImpliedOperation();
    if (!library || !library->allowsContentChanges() || library->isDamaged())
        return false;
    if (!category)
        category = library->allItemsCategory();
    if (!category)
        return false;

    QList<pf::Ref<PWXLibraryItem>> made;
    for (const pf::Ref<pf::Object>& donor : donors) {
        auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(donor);
        if (!drawable)
            continue;
        const QString name = library->uniqueItemName(tr("untitled clip art"));
        pf::Ref<PWXSymbolMaster> master = PWXSymbolMaster::symbolMasterWithObject(drawable, name);
        PF_ASSERT(master, "unable to create master symbol '%s' with %s", qPrintable(name),
                  qPrintable(drawable->description()));
        if (!master || !master->object())
            continue;
        pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(master);
        if (!item)
            continue;
        category->addItem(item);
        // The library refuses an item it cannot hold; only what it took counts as made.
        if (library->containsUniqueID(item->uniqueKey()))
            made.append(item);
    }
    if (made.isEmpty())
        return false;

    if (m_host) {
        m_host->reloadElementRow(library);
        m_host->selectCategory(category);
        m_host->reloadItemList(false);
        m_host->selectItems(made);
    }
    // Told when the offer held objects that are no clip art (or that the library refused).
    if (donors.size() < objects.size() || made.size() < donors.size())
        showAlert(tr("Add Clip Art"),
                  tr("Some items could not be added because they are not compatible with clip art.\n\n "
                     "The remaining %1 were converted successfully and may now be reviewed as required.")
                      .arg(made.size()),
                  tr("OK"), true);
    return true;
}
