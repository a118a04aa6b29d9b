#include "library/PWXLibrary.h"

#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibraryArchivingTask.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Items moving between libraries, to the trash and out of the library folder; whole
// collections going to the trash or into zip archives.

pf::Ref<PWXLibraryItem> PWXLibrary::transferItem(const pf::Ref<PWXLibraryItem>& item,
                                                 const pf::Ref<PWXLibraryCategory>& category, bool makingCopy)
{
    if (!item || item->library() == this || !m_allowsContentChanges || m_damaged
        || containsUniqueID(item->uniqueKey()))
        return nullptr;
    pf::Ref<PWXLibrary> source = item->libraryRef();
    bool substitution = false;
    bool copying = makingCopy;
    if (item->classCode() == PWXLibraryObjectProtocol::kStyleClassCode && source
        && source->group() == PWXLibraryGroup::kDocumentsGroupName) {
        copying = true;
        substitution = true;
    } else if (!copying && source && !source->allowsContentChanges()) {
        return nullptr;
    }
    const QString newName = uniqueItemName(item->name());
    pf::Ref<PWXLibraryItem> moving = item;
    pf::Ref<pf::Object> oldObject = item->representedObject();
    if (copying) {
        moving = item->copyItem();
        if (!moving)
            return nullptr;
    }
    // The package goes first, under the new name: when it cannot, nothing has changed.
    if (item->hasValidPath() && !m_noDisk) {
        const QString destination =
            QDir(path()).filePath(PWXLibraryItem::cleanedName(newName) + QLatin1Char('.') + PWXLibraryItem::libraryItemExtension());
        RVLog(kFileEvent, QStringLiteral("will attempt to copy file, src = '%1', dest = '%2'").arg(item->path(), destination));
        pf::Error error;
        if (!pf::FileManager::defaultManager().copyItem(item->path(), destination, &error)) {
            RVLog(kFileEvent, QStringLiteral("failed to copy item: %1, error = %2").arg(item->name(), error.localizedDescription()));
            return nullptr;
        }
    }
    if (!copying && source)
        source->removeItem(moving);
    moving->setLibrary(this);
    // The package is already in place under the new name: only the item and its object take it.
    moving->setNameKeepingObjectName(newName);
    if (pf::Ref<pf::Object> object = moving->representedObject())
        PWXLibraryObjectProtocol::setName(object, moving->name());
    m_keepingPackageName = true;
    if (category && category->library() == this)
        category->addItem(moving);
    else
        addItem(moving);
    m_keepingPackageName = false;
    itemUpdateCouldAffectCategories(moving.get());
    if (substitution)
        pf::NotificationCenter::defaultCenter().post(
            kPWXStyleSubstitutionWasPerformed, this,
            {{kOldStyleUserInfoKey, pf::toVariant(oldObject)}, {kNewStyleUserInfoKey, pf::toVariant(moving->representedObject())}});
    return containsUniqueID(moving->uniqueKey()) ? moving : nullptr;
}

bool PWXLibrary::trashItems(const QList<pf::Ref<PWXLibraryItem>>& items)
{
    if (items.isEmpty() || !m_allowsContentChanges || m_damaged || m_noDisk)
        return false;
    QList<QUrl> urls;
    for (const pf::Ref<PWXLibraryItem>& item : items)
        if (item && item->library() == this && item->hasValidPath())
            urls.append(QUrl::fromLocalFile(item->path()));
    QStringList left;
    pf::Workspace::shared().recycleURLs(urls, nullptr);
    for (const QUrl& url : urls)
        if (QFileInfo::exists(url.toLocalFile()))
            left.append(QFileInfo(url.toLocalFile()).fileName());
    if (!left.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("deletion of items {%1} failed, result = %2, path = %3")
                              .arg(left.join(QStringLiteral(", ")))
                              .arg(left.size())
                              .arg(path()));
        return false;
    }
    for (const pf::Ref<PWXLibraryItem>& item : items) {
        if (!item || item->library() != this)
            continue;
        m_itemsByID.remove(item->uniqueKey());
        unindexItemName(item.get(), item->name());
    }
    m_updatingManagedCategories = true;
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        category->removeItems(items);
    // Filed below the top level too: no category file may name them again.
    for (const pf::Ref<PWXLibraryItem>& item : items)
        if (item)
            for (const pf::Ref<PWXLibraryCategory>& category : categoriesWithItem(item.get()))
                category->removeItem(item);
    m_updatingManagedCategories = false;
    for (const pf::Ref<PWXLibraryItem>& item : items)
        if (item && item->library() == this)
            item->setLibrary(nullptr);
    markDirty();
    writeCategoryFile();
    return true;
}

std::optional<QStringList> PWXLibrary::orphanedItems() const
{
    const QDir folder(path());
    if (m_noDisk || !folder.exists()) {
        pf::log(QStringLiteral("scan for orphaned items failed: %1 cannot be listed").arg(path()));
        return std::nullopt;
    }
    // Every package is looked at: a count that happens to match says nothing about which
    // packages the category file names.
    QStringList orphans;
    const QString pattern = QStringLiteral("*.") + PWXLibraryItem::libraryItemExtension();
    for (const QString& entry : folder.entryList({pattern}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QVariant info = pf::PropertyList::read(QDir(folder.filePath(entry)).filePath(PWXLibraryItem::kInfoEntry));
        const QString key = info.toMap().value(PWXLibraryItem::kInfoIDKey).toString();
        if (!key.isEmpty() && !containsUniqueID(key))
            orphans.append(entry);
    }
    return orphans;
}

bool PWXLibrary::moveToTrash()
{
    if (isFactoryLibrary() || m_noDisk || m_damaged)
        return false;
    updateOnDisk();
    const QUrl url = QUrl::fromLocalFile(path());
    pf::Workspace::shared().recycleURLs({url}, nullptr);
    if (QFileInfo::exists(path())) {
        RVLog(kFileEvent, QStringLiteral("failed to move %1 to trash, tag = %2").arg(path()).arg(-1));
        return false;
    }
    removeLibraryFromGroup(ref<PWXLibrary>(), m_group);
    m_needsUpdateOnDisk = false;
    return true;
}

bool PWXLibrary::needsCategoryFileMerge() const
{
    if (!isFactoryLibrary() || !m_allowsCategoryChanges)
        return false;
    const QString working = categoryFilePath();
    const QString original = originalCategoryFilePath();
    if (working.isEmpty() || working == original)
        return false;
    QFile a(working), b(original);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return false;
    return a.readAll() != b.readAll();
}

bool PWXLibrary::mergeCategoryFile()
{
    if (!needsCategoryFileMerge())
        return false;
    const QString original = originalCategoryFilePath();
    pf::Error error;
    const QVariant parsed = pf::PropertyList::read(original, nullptr, &error);
    if (parsed.typeId() != QMetaType::QVariantMap) {
        RVLog(kFileEvent, QStringLiteral("an error occurred when reading the category list file '%1': %2")
                              .arg(original, error.localizedDescription()));
        return false;
    }
    const QVariantMap info = parsed.toMap();
    m_loadingFromDisk = true;
    loadItems(info.value(kAllItemsKey).toList());
    for (const QVariant& entry : info.value(kCategoriesKey).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap categoryInfo = entry.toMap();
        QString name = categoryInfo.value(PWXLibraryElement::kNameKey, categoryInfo.value(PWXLibraryCategory::kLegacyNameKey))
                           .toString();
        name.remove(QLatin1Char('.'));
        pf::Ref<PWXLibraryCategory> category = categoryWithName(name);
        if (!category)
            category = std::dynamic_pointer_cast<PWXLibraryCategory>(PWXLibraryElement::libraryElementWithInfo(categoryInfo, this));
        if (!category)
            continue;
        category->mergeIfNeededUsingInfo(categoryInfo, this);
        addCategory(category);
    }
    m_loadingFromDisk = false;
    markDirty();
    updateOnDisk();
    return true;
}

void PWXLibrary::writeZipFileAtURL(const QUrl& url, const pf::Ref<PWXLibraryArchivingDelegate>& delegate)
{
    PWXLibraryArchivingTask::newArchivingTaskWithLibrary(ref<PWXLibrary>(), delegate, url);
}
