#include "library/PWXLibrary.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXFixedLengthLibraryCategory.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "library/PWXLibrarySmartCategory.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Workspace.h"
#include "widgets/FileManager+FindFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibrary", text); }

QString withoutLibraryExtension(const QString& path)
{
    const QString suffix = QLatin1Char('.') + PWXLibrary::libraryExtension();
    return path.endsWith(suffix) ? path.chopped(suffix.size()) : path;
}

} // namespace

QString PWXLibrary::safeFolderName(const QString& name)
{
    QString clean = name;
    for (QChar c : {QChar(u'/'), QChar(u':'), QChar(u'\\'), QChar(u'\0')})
        clean.replace(c, QLatin1Char('-'));
    clean = clean.trimmed();
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String(".."))
        clean = tr("Untitled");
    return clean;
}

PF_DEFINE_CLASS(PWXLibrary, PWXLibraryElementContainer)
{
    b.protocol(pf::kCodingProtocol);
}

PWXLibrary::~PWXLibrary()
{
    if (PWStyle::nameProvider() == static_cast<PWStyleNameProvider*>(this))
        PWStyle::setNameProvider(nullptr);
    RVLog(kLifeEvent, QStringLiteral("deallocating library: %1").arg(m_path.isEmpty() ? PWXLibraryElement::name() : m_path));
}

pf::Ref<PWXLibrary> PWXLibrary::libraryWithPath(const QString& path, bool addingStandardCategories)
{
    auto library = std::make_shared<PWXLibrary>();
    library->initWithPath(path, addingStandardCategories);
    return library;
}

void PWXLibrary::initWithPath(const QString& path, bool addingStandardCategories)
{
    m_path = path.isEmpty() ? QString() : withoutLibraryExtension(QDir::cleanPath(path));
    m_creator = registeredUserName();
    if (addingStandardCategories) {
        for (pf::Ref<PWXFixedLengthLibraryCategory>* managed : {&m_recentlyUsed, &m_recentlyAdded}) {
            const QString name =
                managed == &m_recentlyUsed ? localizedRecentlyUsedCategoryName() : localizedRecentlyAddedCategoryName();
            auto category = std::make_shared<PWXFixedLengthLibraryCategory>(name);
            addCategory(category);
            category->setDeletable(false);
            category->setAllowsNameChange(false);
            category->setReadOnly(true);
        }
        for (pf::Ref<PWXLibrarySmartCategory> smart :
             {PWXLibrarySmartCategory::allStylesSmartCategory(), PWXLibrarySmartCategory::allSymbolsSmartCategory()}) {
            addCategory(smart);
            smart->setDeletable(true);
        }
    }
    m_adHocSeedValue = unsigned(pf::UserDefaults::standard().integerForKey(adHocSeedKey()));
    m_allItems = addCategoryWithName(localizedAllItemsCategoryName());
    if (!m_allItems) {
        m_allItems = PWXLibraryCategory::categoryWithName(localizedAllItemsCategoryName(), this);
        addCategory(m_allItems);
    }
    m_allItems->setDeletable(false);
    m_allItems->setAllowsNameChange(false);
    m_allItems->setReadOnly(true);
    m_needsUpdateOnDisk = false;
    if (!m_path.isEmpty()) {
        m_noDisk = false;
        createOnDisk();
        load();
    } else {
        m_noDisk = true;
    }
    RVLog(kLifeEvent, QStringLiteral("inited library: %1").arg(name()));
}

// Names -----------------------------------------------------------------------------------------

QString PWXLibrary::path() const
{
    return m_path.isEmpty() ? QString() : m_path + QLatin1Char('.') + libraryExtension();
}

QString PWXLibrary::internalName() const { return QFileInfo(m_path).fileName(); }

QString PWXLibrary::displayName() const
{
    if (m_displayName.isEmpty())
        m_displayName = m_path.isEmpty() ? PWXLibraryElement::name() : internalName();
    return m_displayName;
}

QString PWXLibrary::name() const { return displayName(); }

void PWXLibrary::setName(const QString& proposed)
{
    if (m_noDisk) {
        PWXLibraryElement::setName(proposed);
        m_displayName.clear();
        return;
    }
    const QString name = safeFolderName(proposed);
    if (name == internalName() || isFactoryLibrary() || m_damaged)
        return;
    const QString parent = QFileInfo(m_path).path();
    const QString newFolder = QDir(parent).filePath(name + QLatin1Char('.') + libraryExtension());
    pf::FileManager& files = pf::FileManager::defaultManager();
    if (files.fileExists(newFolder)) {
        RVLog(kFileEvent, QStringLiteral("name '%1' already in use - will not be changed").arg(name));
        pf::Application::beep();
        return;
    }
    pf::Error error;
    if (!files.moveItem(path(), newFolder, &error)) {
        RVLog(kFileEvent, QStringLiteral("Library rename operation failed, error = %1").arg(error.localizedDescription()));
        return;
    }
    const QString oldName = internalName();
    m_path = QDir(parent).filePath(name);
    m_displayName.clear();
    const QString oldFile = QDir(path()).filePath(oldName + QLatin1Char('.') + categoryFileExtension());
    const QString newFile = QDir(path()).filePath(name + QLatin1Char('.') + categoryFileExtension());
    RVLog(kFileEvent, QStringLiteral("will attempt to change name of '%1' to '%2'").arg(oldFile, newFile));
    if (!files.moveItem(oldFile, newFile, &error))
        RVLog(kFileEvent, QStringLiteral("category file couldn't be renamed, error = %1").arg(error.localizedDescription()));
    if (PWXLibraryElementContainer* group = container())
        group->invalidateElementsCache();
    markDirty();
    post(kPWXLibraryDidChangeName);
}

QString PWXLibrary::identifier() const
{
    // Identifiers are split at their dots: names keep theirs out of them.
    QString group = m_group;
    QString library = displayName();
    group.remove(QLatin1Char('.'));
    library.remove(QLatin1Char('.'));
    return QStringLiteral("%1.%2").arg(group, library);
}

void PWXLibrary::setCreator(const QString& creator)
{
    m_creator = creator;
    markDirty();
}

void PWXLibrary::setUserDescription(const QString& description)
{
    m_description = description;
    markDirty();
}

bool PWXLibrary::isFactoryLibrary() const
{
    if (m_path.isEmpty())
        return false;
    // The library must be the bundle's own folder: a user's library that happens to share a
    // factory library's name is still the user's.
    const QString resource = pf::Bundle::main().pathForResource(internalName(), libraryExtension());
    return !resource.isEmpty() && QFileInfo(resource).canonicalFilePath() == QFileInfo(path()).canonicalFilePath();
}

void PWXLibrary::setHasPresenceOnDisk(bool present)
{
    m_noDisk = !present;
    if (!present)
        m_path.clear();
}

int PWXLibrary::versionNumber() const
{
    if (m_version != 0)
        return m_version;
    const QVariant info = pf::PropertyList::read(originalCategoryFilePath());
    m_version = int(info.toMap().value(kVersionKey).toLongLong());
    if (m_version == 0)
        m_version = libraryVersion();
    return m_version;
}

void PWXLibrary::post(const QString& name, const QVariantMap& userInfo)
{
    pf::NotificationCenter::defaultCenter().post(name, this, userInfo);
}

// Items -----------------------------------------------------------------------------------------

void PWXLibrary::addItem(const pf::Ref<PWXLibraryItem>& item, bool notifying)
{
    PF_ASSERT(item, "nil passed to -addItem:notifying:");
    if (!item || m_updatingManagedCategories)
        return;
    if (!m_loadingFromDisk && (!m_allowsContentChanges || m_damaged))
        return;
    const QString key = item->uniqueKey();
    PF_ASSERT(!key.isEmpty(), "a valid key is required");
    if (key.isEmpty() || m_itemsByID.contains(key))
        return;
    if (!m_loadingFromDisk && !m_noDisk && !m_keepingPackageName)
        giveItemAFreePackageName(*item);
    m_itemsByID.insert(key, item);
    item->setLibrary(this);
    indexItemName(item);
    if (m_loadingFromDisk)
        return;
    markDirty();
    m_updatingManagedCategories = true;
    if (m_recentlyAdded)
        m_recentlyAdded->addItem(item);
    if (m_allItems)
        m_allItems->addItem(item);
    m_updatingManagedCategories = false;
    refreshSmartCategories(item.get());
    item->writeToFile();
    if (notifying)
        post(kPWXLibraryDidAddItem, {{kItemUserInfoKey, pf::toVariant(item)}});
    writeCategoryFile();
}

void PWXLibrary::giveItemAFreePackageName(PWXLibraryItem& item)
{
    // Items are stored under their names: a second "Road" must not write over the first
    // one's package (nor over a package the category file has lost track of).
    const QString base = item.name();
    if (base.isEmpty())
        return;
    auto taken = [&](const QString& name) {
        const QString package =
            QDir(path()).filePath(PWXLibraryItem::cleanedName(name) + QLatin1Char('.') + PWXLibraryItem::libraryItemExtension());
        return itemWithName(name) != nullptr || QFileInfo::exists(package);
    };
    QString candidate = base;
    for (qint64 n = 1; taken(candidate); ++n)
        candidate = QStringLiteral("%1-%2").arg(base).arg(n);
    if (candidate != base)
        item.setNameKeepingObjectName(candidate);
}

void PWXLibrary::removeItem(const pf::Ref<PWXLibraryItem>& item)
{
    PF_ASSERT(item, "nil passed to -removeItem:");
    if (!item || !m_allowsContentChanges || m_damaged)
        return;
    const pf::Ref<PWXLibraryItem> keep = item;
    m_itemsByID.remove(keep->uniqueKey());
    unindexItemName(keep.get(), keep->name());
    m_updatingManagedCategories = true;
    // Every category that files it, at any depth, so that no category file names it again.
    for (const pf::Ref<PWXLibraryCategory>& category : categoriesWithItem(keep.get()))
        category->removeItem(keep);
    m_updatingManagedCategories = false;
    refreshSmartCategories(keep.get());
    keep->deleteOnDisk();
    keep->setLibrary(nullptr);
    markDirty();
    post(kPWXLibraryDidRemoveItem, {{kItemUserInfoKey, pf::toVariant(keep)}});
    post(kPWXLibraryContentDidChange);
}

QList<pf::Ref<PWXLibraryItem>> PWXLibrary::items() const { return m_itemsByID.values(); }

pf::Ref<PWXLibraryItem> PWXLibrary::itemWithUniqueID(const QString& key) const
{
    return m_itemsByID.value(key);
}

bool PWXLibrary::containsUniqueID(const QString& key) const { return !key.isEmpty() && m_itemsByID.contains(key); }

pf::Ref<PWXLibraryItem> PWXLibrary::itemWithName(const QString& name) const
{
    const QList<PWXLibraryItem*> found = m_itemsByName.value(name.toCaseFolded());
    for (PWXLibraryItem* item : found)
        if (pf::Ref<PWXLibraryItem> held = m_itemsByID.value(item->uniqueKey()); held.get() == item)
            return held;
    return nullptr;
}

void PWXLibrary::indexItemName(const pf::Ref<PWXLibraryItem>& item)
{
    const QString name = item->PWXLibraryElement::name();
    if (!name.isEmpty())
        m_itemsByName[name.toCaseFolded()].append(item.get());
}

void PWXLibrary::unindexItemName(const PWXLibraryItem* item, const QString& name)
{
    auto found = m_itemsByName.find(name.toCaseFolded());
    if (found == m_itemsByName.end())
        return;
    found->removeAll(const_cast<PWXLibraryItem*>(item));
    if (found->isEmpty())
        m_itemsByName.erase(found);
}

void PWXLibrary::itemNameDidChange(PWXLibraryItem* item, const QString& oldName)
{
    if (!item || m_itemsByID.value(item->uniqueKey()).get() != item)
        return;
    unindexItemName(item, oldName);
    indexItemName(m_itemsByID.value(item->uniqueKey()));
}

QString PWXLibrary::uniqueItemName(const QString& name) const
{
    if (!itemWithName(name))
        return name;
    for (qint64 n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1-%2").arg(name).arg(n);
        if (!itemWithName(candidate))
            return candidate;
    }
}

void PWXLibrary::useItem(const pf::Ref<PWXLibraryItem>& item)
{
    if (m_recentlyUsed)
        m_recentlyUsed->renewItem(item);
}

void PWXLibrary::addUnknownItemsFromSet(const QList<pf::Ref<pf::Object>>& objects)
{
    for (const pf::Ref<PWXLibraryItem>& item : PWXLibraryItem::libraryItemsWithUnknownObjects(objects, {})) {
        addItem(item, true);
        markDirty();
    }
    if (m_needsUpdateOnDisk)
        updateOnDisk();
}

void PWXLibrary::refreshSmartCategories(const PWXLibraryItem* item)
{
    // Smart categories at any depth: one inside a category follows that category's content.
    QList<pf::Ref<PWXLibraryCategory>> pending = categories();
    while (!pending.isEmpty()) {
        pf::Ref<PWXLibraryCategory> category = pending.takeFirst();
        if (auto smart = std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category))
            smart->itemUpdateCouldAffectCategories(item);
        else
            pending.append(category->categories());
    }
}

void PWXLibrary::itemUpdateCouldAffectCategories(const PWXLibraryItem* item)
{
    if (m_loadingFromDisk)
        return;
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        category->itemUpdateCouldAffectCategories(item);
    markDirty();
}

// Categories ------------------------------------------------------------------------------------

QList<pf::Ref<PWXLibraryCategory>> PWXLibrary::categories() const
{
    QList<pf::Ref<PWXLibraryCategory>> out;
    for (const pf::Ref<PWXLibraryElement>& member : elements())
        if (auto category = std::dynamic_pointer_cast<PWXLibraryCategory>(member))
            out.append(category);
    return out;
}

QStringList PWXLibrary::categoryNames() const
{
    QStringList names;
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        names.append(category->name());
    return names;
}

void PWXLibrary::addCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "can't add nil as a category");
    if (!category)
        return;
    if (PWXLibraryElementContainer* present = category->container())
        present->removeElement(category);
    addElement(category);
    category->setLibrary(this);
    if (auto fixed = std::dynamic_pointer_cast<PWXFixedLengthLibraryCategory>(category)) {
        if (!m_recentlyUsed && fixed->name() == localizedRecentlyUsedCategoryName())
            m_recentlyUsed = fixed;
        else if (!m_recentlyAdded && fixed->name() == localizedRecentlyAddedCategoryName())
            m_recentlyAdded = fixed;
    }
    if (!m_loadingFromDisk) {
        markDirty();
        post(kPWXLibraryDidAddCategory, {{kCategoryUserInfoKey, pf::toVariant(category)}});
    }
}

void PWXLibrary::removeCategory(const pf::Ref<PWXLibraryCategory>& category)
{
    PF_ASSERT(category, "cannot remove nil category");
    if (!category)
        return;
    category->setLibrary(nullptr);
    removeElement(category);
    if (!m_loadingFromDisk) {
        markDirty();
        post(kPWXLibraryDidRemoveCategory, {{kCategoryUserInfoKey, pf::toVariant(category)}});
    }
}

pf::Ref<PWXLibraryCategory> PWXLibrary::addCategoryWithName(const QString& name)
{
    if (pf::Ref<PWXLibraryCategory> existing = categoryWithName(name))
        return existing;
    if (!m_allowsCategoryChanges && !m_loadingFromDisk)
        return nullptr;
    pf::Ref<PWXLibraryCategory> category = PWXLibraryCategory::categoryWithName(name, this);
    addCategory(category);
    return category;
}

void PWXLibrary::removeCategoryWithName(const QString& name)
{
    pf::Ref<PWXLibraryCategory> category = categoryWithName(name);
    if (m_allowsCategoryChanges && category && category->isDeletable())
        removeCategory(category);
}

pf::Ref<PWXLibraryCategory> PWXLibrary::categoryWithName(const QString& name) const
{
    return std::dynamic_pointer_cast<PWXLibraryCategory>(subContainerWithName(name));
}

QList<pf::Ref<PWXLibraryCategory>> PWXLibrary::categoriesWithItem(const PWXLibraryItem* item) const
{
    QList<pf::Ref<PWXLibraryCategory>> out;
    for (const pf::Ref<PWXLibraryCategory>& category : categories()) {
        if (!std::dynamic_pointer_cast<PWXLibrarySmartCategory>(category) && category->hasMember(item))
            out.append(category);
        out.append(category->categoriesWithItem(item));
    }
    return out;
}

QList<pf::Ref<PWXLibraryCategory>> PWXLibrary::standardCategories() const
{
    QList<pf::Ref<PWXLibraryCategory>> out;
    if (m_allItems)
        out.append(m_allItems);
    if (m_recentlyAdded)
        out.append(m_recentlyAdded);
    if (m_recentlyUsed)
        out.append(m_recentlyUsed);
    return out;
}

pf::Ref<PWXLibraryElement> PWXLibrary::itemWithIdentifier(const QString& identifier) const
{
    const QStringList parts = identifier.split(QLatin1Char('.'));
    const QStringList own = this->identifier().split(QLatin1Char('.'));
    if (parts.size() <= 2 || own.size() != 2 || parts[0] != own[0] || parts[1] != own[1])
        return nullptr;
    pf::Ref<const PWXLibraryElementContainer> here = ref<PWXLibraryElementContainer>();
    pf::Ref<PWXLibraryElementContainer> found;
    for (qsizetype i = 2; i < parts.size(); ++i) {
        found = here->subContainerWithName(parts[i]);
        if (!found)
            return nullptr;
        here = found;
    }
    return found;
}

void PWXLibrary::categoryDidChange(PWXLibraryCategory*)
{
    if (!m_loadingFromDisk)
        markDirty();
}

// Generated style names -------------------------------------------------------------------------

QString PWXLibrary::nextAdHocStyleName() { return nextAdHocStyleNameWithCollection(true); }

QString PWXLibrary::nextAdHocStyleNameWithCollection(bool withCollection)
{
    m_adHocSeedValue = (m_adHocSeedValue + 1) % 10000;
    pf::UserDefaults::standard().setInteger(m_adHocSeedValue, adHocSeedKey());
    if (withCollection)
        return QStringLiteral("%1 %2 (%3)").arg(tr("Style")).arg(m_adHocSeedValue).arg(name());
    return QStringLiteral("%1 %2").arg(tr("Style")).arg(m_adHocSeedValue);
}

void PWXLibrary::resetAdHocStyleName()
{
    m_adHocSeedValue = 0;
    pf::UserDefaults::standard().setInteger(0, adHocSeedKey());
}

QString PWXLibrary::adHocSeedKey() const { return QStringLiteral("%1_%2").arg(kAdHocNameSeedDefault, name()); }

QString PWXLibrary::nameForCopyOfStyle(const PWStyle& style)
{
    // The counter belongs to the main thread; a copy made elsewhere keeps its original's name.
    if (!pf::RunLoop::isMainThread())
        return style.name();
    return nextAdHocStyleNameWithCollection(false);
}

// Disk ------------------------------------------------------------------------------------------

bool PWXLibrary::createOnDisk()
{
    if (m_noDisk)
        return false;
    pf::FileManager& files = pf::FileManager::defaultManager();
    if (!isFactoryLibrary()) {
        pf::Error error;
        if (!files.createDirectory(path(), true, &error)) {
            RVLog(kFileEvent, QStringLiteral("Library directory could not be created at path '%1'. Error = %2")
                                  .arg(path(), error.localizedDescription()));
            setHasPresenceOnDisk(false);
            return false;
        }
    }
    const QString file = categoryFilePath();
    if (file.isEmpty())
        return false;
    if (files.fileExists(file)) {
        pf::Error error;
        const QVariant present = pf::PropertyList::read(file, nullptr, &error);
        if (present.typeId() != QMetaType::QVariantMap) {
            // Left exactly as it is: the items it lists are still on disk.
            RVLog(kFileEvent, QStringLiteral("library '%1' refused: its category file '%2' could not be read")
                                  .arg(path(), file));
            m_damaged = true;
            return true;
        }
        const QString original = originalCategoryFilePath();
        if (original != file && present.toMap().value(kVersionKey).toLongLong() < versionNumber()) {
            RVLog(kFileEvent, QStringLiteral("categories file will be replaced (library: %1) - old version").arg(name()));
            QFile source(original);
            if (source.open(QIODevice::ReadOnly)) {
                const QVariant replacement = pf::PropertyList::value(source.readAll());
                if (replacement.typeId() == QMetaType::QVariantMap)
                    pf::PropertyList::write(replacement, file, pf::PropertyListFormat::Binary);
            }
        }
    } else {
        markDirty();
        writeCategoryFile();
    }
    return true;
}

QVariantMap PWXLibrary::categoryFileInfo() const
{
    const QString file = categoryFilePath();
    if (file.isEmpty() || !pf::FileManager::defaultManager().fileExists(file))
        return {};
    pf::Error error;
    const QVariant info = pf::PropertyList::read(file, nullptr, &error);
    if (!error.isNull() || info.typeId() != QMetaType::QVariantMap) {
        RVLog(kFileEvent, QStringLiteral("an error occurred when reading the category list file '%1': %2")
                              .arg(file, error.localizedDescription()));
        return {};
    }
    return info.toMap();
}

void PWXLibrary::load()
{
    if (m_damaged)
        return;
    const QVariantMap info = categoryFileInfo();
    if (info.isEmpty()) {
        RVLog(kFileEvent, "category index file not found - need to load items by scanning disk (not implemented)");
        return;
    }
    m_loadingFromDisk = true;
    if (info.contains(kCreatorKey))
        m_creator = info.value(kCreatorKey).toString();
    if (info.contains(kDescriptionKey))
        m_description = info.value(kDescriptionKey).toString();
    if (const QString peer = info.value(kPeerGroupKey).toString(); !peer.isEmpty()) {
        m_group = peer;
        m_hasPreferredGroup = true;
    }
    loadItems(info.value(kAllItemsKey).toList());
    for (const QVariant& entry : info.value(kCategoriesKey).toList()) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap categoryInfo = entry.toMap();
        // A name listed twice gives one category; "All Items" is always the library's own.
        const QString name = categoryInfo.value(PWXLibraryElement::kNameKey,
                                                categoryInfo.value(PWXLibraryCategory::kLegacyNameKey))
                                 .toString();
        QString clean = name;
        clean.remove(QLatin1Char('.'));
        if (categoryWithName(clean))
            continue;
        if (auto category =
                std::dynamic_pointer_cast<PWXLibraryCategory>(PWXLibraryElement::libraryElementWithInfo(categoryInfo, this)))
            addCategory(category);
    }
    m_allowsContentChanges = info.value(kContentChangesKey).toBool();
    m_allowsCategoryChanges = info.value(kCategoryChangesKey).toBool();
    m_loadingFromDisk = false;
    m_needsUpdateOnDisk = false;
}

void PWXLibrary::loadItems(const QVariantList& infos)
{
    for (const QVariant& entry : infos) {
        if (entry.typeId() != QMetaType::QVariantMap)
            continue;
        if (pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithInfo(entry.toMap(), this); item && m_allItems)
            m_allItems->addItem(item);
        else
            RVLog(kFileEvent, QStringLiteral("library '%1': item '%2' has no package and is left out")
                                  .arg(name(), entry.toMap().value(PWXLibraryElement::kNameKey).toString()));
    }
}

QVariantMap PWXLibrary::libraryInfo() const
{
    QVariantMap info;
    QVariantList all;
    for (const pf::Ref<PWXLibraryItem>& item : m_itemsByID)
        all.append(item->elementInfo());
    QVariantList categoryInfos;
    for (const pf::Ref<PWXLibraryCategory>& category : categories())
        if (category != m_allItems)
            categoryInfos.append(category->elementInfo());
    info.insert(kAllItemsKey, all);
    info.insert(kCategoriesKey, categoryInfos);
    info.insert(kChecksumKey, qulonglong(m_itemsByID.size()));
    info.insert(kLibNameKey, internalName());
    info.insert(kUpdatedKey, QDateTime::currentDateTimeUtc());
    info.insert(kContentChangesKey, m_allowsContentChanges && !isFactoryLibrary());
    info.insert(kCategoryChangesKey, m_allowsCategoryChanges);
    info.insert(kDisplayNameKey, displayName());
    info.insert(kVersionKey, versionNumber());
    if (!m_description.isEmpty())
        info.insert(kDescriptionKey, m_description);
    if (!m_creator.isEmpty())
        info.insert(kCreatorKey, m_creator);
    if (m_hasPreferredGroup && !m_group.isEmpty())
        info.insert(kPeerGroupKey, m_group);
    return info;
}

bool PWXLibrary::writeCategoryFile()
{
    if (!m_needsUpdateOnDisk || m_noDisk || m_damaged)
        return false;
    const QString file = categoryFilePath();
    if (file.isEmpty())
        return false;
    m_needsUpdateOnDisk = false;
    RVLog(kFileEvent, QStringLiteral("writing category file: %1").arg(file));
    pf::Error error;
    if (!pf::PropertyList::write(libraryInfo(), file, pf::PropertyListFormat::Binary, &error)) {
        RVLog(kFileEvent, QStringLiteral("an error occurred when serializing categories list: %1")
                              .arg(error.localizedDescription()));
        m_needsUpdateOnDisk = true;
        return false;
    }
    return true;
}

QString PWXLibrary::categoryFilePath() const
{
    if (m_noDisk)
        return {};
    const QString fileName = internalName() + QLatin1Char('.') + categoryFileExtension();
    if (!isFactoryLibrary())
        return QDir(path()).filePath(fileName);
    // A factory library is never written: the user's working copy stands in for its file.
    const QString folder = userLibraryFolder();
    const QString working = QDir(folder).filePath(fileName);
    pf::FileManager& files = pf::FileManager::defaultManager();
    if (files.fileExists(working))
        return working;
    pf::Error error;
    if (!files.createDirectory(folder, true, &error)) {
        RVLog(kFileEvent, QStringLiteral("unable to user symbol libraries folder '%1', error = %2")
                              .arg(folder, error.localizedDescription()));
        return {};
    }
    if (!files.copyItem(originalCategoryFilePath(), working, &error)) {
        RVLog(kFileEvent, QStringLiteral("unable to install category file for library '%1', error = %2")
                              .arg(name(), error.localizedDescription()));
        return originalCategoryFilePath();
    }
    return working;
}

QString PWXLibrary::originalCategoryFilePath() const
{
    if (m_path.isEmpty())
        return {};
    return QDir(path()).filePath(internalName() + QLatin1Char('.') + categoryFileExtension());
}

bool PWXLibrary::updateOnDiskUnloadingItems(bool unloading)
{
    if (m_noDisk || !createOnDisk())
        return false;
    writeCategoryFile();
    if (unloading)
        for (const pf::Ref<PWXLibraryItem>& item : m_itemsByID)
            item->unload();
    return true;
}

bool PWXLibrary::deleteOnDisk()
{
    if (isFactoryLibrary() || m_noDisk)
        return false;
    pf::Error error;
    if (!pf::FileManager::defaultManager().removeItem(path(), &error)) {
        RVLog(kFileEvent, QStringLiteral("unable to delete library %1, error = %2").arg(name(), error.localizedDescription()));
        return false;
    }
    removeLibraryFromGroup(ref<PWXLibrary>(), m_group);
    m_needsUpdateOnDisk = false;
    return true;
}

void PWXLibrary::applicationWillQuit()
{
    RVLog(kFileEvent, QStringLiteral("app terminating, updating lib %1 (will write = %2)")
                          .arg(name())
                          .arg(int(m_needsUpdateOnDisk)));
    if (m_needsUpdateOnDisk && m_allowsCategoryChanges)
        updateOnDisk();
}

QString PWXLibrary::toolTipString() const
{
    return QStringLiteral("%1: %2: %3 items\rEditable content: %4\rEditable categories: %5")
        .arg(m_group, name())
        .arg(m_itemsByID.size())
        .arg(m_allowsContentChanges ? tr("Yes") : tr("No"), m_allowsCategoryChanges ? tr("Yes") : tr("No"));
}

