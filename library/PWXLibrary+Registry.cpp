#include "library/PWXLibrary.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "library/PWXLibraryCategory.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryGroupMenuHandler.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryObjectProtocol.h"
#include "library/PWXLibraryZipArchive.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PlatformNotifications.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Workspace.h"
#include "widgets/FileManager+FindFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

// The class side of the library: the registry of every library, by group.

namespace {

QString tr(const char* text) { return QCoreApplication::translate("PWXLibrary", text); }

struct Registry {
    bool loaded = false;
    bool loading = false;
    pf::Weak<PWXLibrary> defaultUserLibrary;
    quint64 quitObservation = 0;
};

Registry& registry()
{
    static Registry state;
    return state;
}

} // namespace

// Folders and names ------------------------------------------------------------------------------------

QString PWXLibrary::userLibraryFolder()
{
    const QUrl support = thisApplicationsSupportFolderURL();
    return support.isEmpty() ? QString() : QDir(support.toLocalFile()).filePath(QStringLiteral("Symbol Libraries"));
}

QString PWXLibrary::documentLibraryFolder()
{
    const QString folder = userLibraryFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("Temporary Document Libraries"));
}

QString PWXLibrary::registeredUserName()
{
    static const QString name = pf::Workspace::fullUserName();
    return name;
}

QString PWXLibrary::localizedAllItemsCategoryName() { return tr("All Items"); }
QString PWXLibrary::localizedRecentlyUsedCategoryName() { return tr("Recently Used"); }
QString PWXLibrary::localizedRecentlyAddedCategoryName() { return tr("Recently Added"); }

bool PWXLibrary::registryIsLoaded() { return registry().loaded; }

void PWXLibrary::initializeRegistry()
{
    Registry& state = registry();
    if (state.loaded || state.loading || !pf::RunLoop::isMainThread())
        return;
    state.loading = true;
    allLibraries();
    state.loaded = true;
    state.loading = false;
    defaultUserLibrary();
    if (documentLibrariesAreTemporary())
        pf::FileManager::defaultManager().removeItem(documentLibraryFolder());
    if (state.quitObservation == 0)
        state.quitObservation = pf::NotificationCenter::defaultCenter().addObserver(
            pf::NSApplicationWillTerminateNotification, nullptr,
            [](const pf::Notification&) { applicationWillQuitAll(); });
}

void PWXLibrary::resetRegistryForTesting()
{
    Registry& state = registry();
    if (state.quitObservation != 0)
        pf::NotificationCenter::defaultCenter().removeObserver(state.quitObservation);
    if (PWStyle::nameProvider() && dynamic_cast<PWXLibrary*>(PWStyle::nameProvider()))
        PWStyle::setNameProvider(nullptr);
    state = Registry();
    PWXLibraryGroup::unregisterAllGroups();
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::librariesInGroup(const QString& groupName)
{
    PF_ASSERT(!groupName.isNull(), "group name was nil");
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(groupName);
    return group ? group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()) : QList<pf::Ref<PWXLibrary>>();
}

void PWXLibrary::addLibraryToGroup(const pf::Ref<PWXLibrary>& library, const QString& groupName, bool replaceExisting)
{
    PF_ASSERT(library, "unable to add nil library");
    PF_ASSERT(!groupName.isNull(), "no group name was specified");
    PF_ASSERT(!groupName.isEmpty(), "group name was empty");
    if (!library || groupName.isEmpty())
        return;
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(groupName);
    if (!group) {
        group = std::make_shared<PWXLibraryGroup>(groupName);
        PWXLibraryGroup::registerGroup(group);
    }
    if (replaceExisting && !library->path().isEmpty())
        if (pf::Ref<PWXLibrary> existing = group->libraryWithPath(library->path()); existing && existing != library)
            group->removeLibrary(existing);
    group->addLibrary(library);
}

void PWXLibrary::removeLibraryFromGroup(const pf::Ref<PWXLibrary>& library, const QString& groupName)
{
    PF_ASSERT(library, "cannot remove nil library");
    if (!library || groupName.isEmpty())
        return;
    if (pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(groupName))
        group->removeLibrary(library);
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::factoryLibraries()
{
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::factoryGroup();
    if (group->librariesLoaded())
        return *group->libraries();
    QList<pf::Ref<PWXLibrary>> found;
    for (const QString& folder : pf::Bundle::main().pathsForResourcesOfType(libraryExtension())) {
        pf::Ref<PWXLibrary> library = libraryWithPath(folder, false);
        if (library->isDamaged())
            continue;
        library->setAllowsContentChanges(false);
        library->setAllowsCategoryChanges(true);
        found.append(library);
    }
    group->setLibraries(found);
    return found;
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::userLibraries()
{
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::userGroup();
    if (group->librariesLoaded())
        return *group->libraries();
    for (const pf::Ref<PWXLibrary>& library : librariesAtPath(userLibraryFolder()))
        addLibraryToGroup(library, library->group().isEmpty() ? PWXLibraryGroup::kUserGroupName : library->group(), false);
    if (!group->librariesLoaded())
        group->setLibraries({});
    return *group->libraries();
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::documentsLibraries()
{
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::documentsGroup();
    if (group->librariesLoaded())
        return *group->libraries();
    const QList<pf::Ref<PWXLibrary>> found = librariesAtPath(documentLibraryFolder());
    if (!found.isEmpty())
        group->setLibraries(found);
    return found;
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::allLibraries()
{
    factoryLibraries();
    userLibraries();
    documentsLibraries();
    QList<pf::Ref<PWXLibrary>> all;
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups())
        all.append(group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()));
    return all;
}

QList<pf::Ref<PWXLibrary>> PWXLibrary::librariesAtPath(const QString& folder)
{
    QList<pf::Ref<PWXLibrary>> found;
    if (folder.isEmpty())
        return found;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(entry).suffix() != libraryExtension())
            continue;
        pf::Ref<PWXLibrary> library = libraryWithPath(dir.filePath(entry), false);
        if (library->isDamaged() || !library->hasPresenceOnDisk())
            continue;
        found.append(library);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return QString::localeAwareCompare(a->name(), b->name()) < 0;
    });
    return found;
}

pf::Ref<PWXLibrary> PWXLibrary::libraryWithName(const QString& name, const QString& groupName)
{
    initializeRegistry();
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups()) {
        if (!groupName.isEmpty() && group->name() != groupName)
            continue;
        if (pf::Ref<PWXLibrary> library = group->libraryWithName(name))
            return library;
    }
    return nullptr;
}

pf::Ref<PWXLibrary> PWXLibrary::libraryContainingItemWithUniqueID(const QString& key, const QStringList& groups)
{
    // The libraries belong to the main thread: a document read on a worker finds nothing here
    // and has its objects matched on the main thread afterwards.
    if (key.isEmpty() || !pf::RunLoop::isMainThread())
        return nullptr;
    initializeRegistry();
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups()) {
        if (!groups.isEmpty() && !groups.contains(group->name()))
            continue;
        for (const pf::Ref<PWXLibrary>& library : group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
            if (library->containsUniqueID(key))
                return library;
    }
    return nullptr;
}

pf::Ref<PWXLibrary> PWXLibrary::libraryContainingIdentifier(const QString& identifier)
{
    const QStringList parts = identifier.split(QLatin1Char('.'));
    if (parts.size() < 2)
        return nullptr;
    initializeRegistry();
    // Identifiers carry clean names: a collection named "v1.2" is "v12" in them.
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups()) {
        if (group->cleanName() != parts[0])
            continue;
        for (const pf::Ref<PWXLibrary>& library : group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
            if (library->identifier() == parts[0] + QLatin1Char('.') + parts[1])
                return library;
    }
    return nullptr;
}

pf::Ref<PWXLibrary> PWXLibrary::registeredLibraryWithName(const QString& name)
{
    for (const pf::Ref<PWXLibraryGroup>& group : PWXLibraryGroup::allGroups())
        for (const pf::Ref<PWXLibraryElement>& member : group->elements())
            if (auto library = std::dynamic_pointer_cast<PWXLibrary>(member))
                if ((library->internalName().isEmpty() ? library->PWXLibraryElement::name() : library->internalName()) == name)
                    return library;
    return nullptr;
}

QString PWXLibrary::displayNameForGroup(const QString& groupName)
{
    return QCoreApplication::translate("PWXLibraryGroup", groupName.toUtf8().constData());
}

const QList<pf::SortDescriptor>& PWXLibrary::menuSortDescriptors()
{
    static const QList<pf::SortDescriptor> descriptors{
        pf::SortDescriptor(kNameKey, true, pf::SortDescriptor::Comparison::LocalizedStandardCompare)};
    return descriptors;
}

pf::Ref<pf::Menu> PWXLibrary::renewLibrariesMenu(const pf::Ref<pf::Menu>& menu, qint32 options, pf::Reflective* target,
                                                 const QString& action)
{
    pf::Ref<pf::Menu> filled = menu ? menu : pf::Menu::make(tr("Libraries"));
    PWXLibraryGroupMenuHandler::sharedGroupMenuHandler()->renewMenu(filled, options, target, action);
    return filled;
}

pf::Ref<PWXLibrary> PWXLibrary::userLibraryWithPreferredName(const QString& preferred)
{
    initializeRegistry();
    const QString folder = userLibraryFolder();
    if (folder.isEmpty())
        return nullptr;
    // Unique among the registered user libraries and among the folders on disk: a folder
    // left there (a collection refused as damaged, say) is never taken over as the new one.
    QString name = uniqueUserLibraryName(safeFolderName(preferred));
    const QString base = name;
    for (qint64 n = 1; QFileInfo::exists(QDir(folder).filePath(name + QLatin1Char('.') + libraryExtension()))
                       || PWXLibraryGroup::userGroup()->libraryWithName(name);
         ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n);
    pf::Ref<PWXLibrary> library = libraryWithPath(QDir(folder).filePath(name + QLatin1Char('.') + libraryExtension()), true);
    if (library->isDamaged() || !library->hasPresenceOnDisk())
        return nullptr;
    addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
    return library;
}

pf::Ref<PWXLibrary> PWXLibrary::importLibraryAtPath(const QString& path)
{
    initializeRegistry();
    // A zip archive of a collection is unpacked beside nothing of the user's, then imported.
    if (QFileInfo(path).isFile() && PWXLibraryZipArchive::looksLikeZip(path)) {
        QTemporaryDir scratch;
        if (!scratch.isValid())
            return nullptr;
        QString error;
        const QString unpacked = PWXLibraryZipArchive::extractCollection(path, scratch.path(), &error);
        if (unpacked.isEmpty()) {
            RVLog(kFileEvent, QStringLiteral("'%1' is not a collection archive: %2").arg(path, error));
            return nullptr;
        }
        return importLibraryAtPath(unpacked);
    }
    if (!isValidLibraryAtPath(path))
        return nullptr;
    const QString folder = userLibraryFolder();
    if (folder.isEmpty())
        return nullptr;
    const QFileInfo source(path);
    pf::FileManager& files = pf::FileManager::defaultManager();
    if (QFileInfo(source.absolutePath()).canonicalFilePath() == QFileInfo(folder).canonicalFilePath()) {
        const QString name = source.completeBaseName();
        if (pf::Ref<PWXLibrary> existing = libraryWithName(name, PWXLibraryGroup::kUserGroupName)) {
            RVLog(kFileEvent, "library is already installed - returning existing library");
            return existing;
        }
        pf::Ref<PWXLibrary> library = libraryWithPath(source.absoluteFilePath(), false);
        if (library->isDamaged())
            return nullptr;
        addLibraryToGroup(library, library->group().isEmpty() ? PWXLibraryGroup::kUserGroupName : library->group(), false);
        return library;
    }
    pf::Error error;
    if (!QFileInfo(folder).isDir() && !files.createDirectory(folder, true, &error)) {
        RVLog(kFileEvent, QStringLiteral("attempt to create user symbol directory failed, error: %1").arg(error.localizedDescription()));
        return nullptr;
    }
    const QString fileName = uniqueFilenameForFilename(source.fileName(), folder);
    const QString destination = QDir(folder).filePath(fileName);
    if (!files.copyItem(source.absoluteFilePath(), destination, &error)) {
        RVLog(kFileEvent, QStringLiteral("import copy failed, error: %1").arg(error.localizedDescription()));
        return nullptr;
    }
    const QString oldName = source.completeBaseName();
    const QString newName = QFileInfo(destination).completeBaseName();
    if (newName != oldName) {
        const QString from = QDir(destination).filePath(oldName + QLatin1Char('.') + categoryFileExtension());
        const QString to = QDir(destination).filePath(newName + QLatin1Char('.') + categoryFileExtension());
        if (!files.moveItem(from, to, &error)) {
            RVLog(kFileEvent, QStringLiteral("unable to rename categories file, error: %1").arg(error.localizedDescription()));
            files.removeItem(destination);
            return nullptr;
        }
    }
    pf::Ref<PWXLibrary> library = libraryWithPath(destination, false);
    if (library->isDamaged() || !library->hasPresenceOnDisk())
        return nullptr;
    addLibraryToGroup(library, library->group().isEmpty() ? PWXLibraryGroup::kUserGroupName : library->group(), false);
    return library;
}

QList<pf::Ref<pf::Object>> PWXLibrary::libraryItemsMatchingItemsInSet(const QList<pf::Ref<pf::Object>>& objects)
{
    QList<pf::Ref<pf::Object>> matched;
    for (const pf::Ref<pf::Object>& object : objects) {
        const QString key = PWXLibraryObjectProtocol::uniqueKey(object);
        if (key.isEmpty())
            continue;
        pf::Ref<pf::Object> found;
        if (pf::Ref<PWXLibrary> library = libraryContainingItemWithUniqueID(key))
            if (pf::Ref<PWXLibraryItem> item = library->itemWithUniqueID(key))
                found = item->representedObject();
        if (!found)
            found = object;
        if (!matched.contains(found))
            matched.append(found);
    }
    return matched;
}

QString PWXLibrary::defaultUserLibraryName()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    const QString stored = defaults.stringForKey(kDefaultUserLibraryNameDefault);
    if (!stored.isEmpty())
        return stored;
    QString first = registeredUserName().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).value(0);
    if (!first.isEmpty())
        first = first.left(1).toUpper() + first.mid(1).toLower();
    const QString name = safeFolderName(QStringLiteral("%1%2 %3").arg(first, tr("’s"), tr("Collection")));
    defaults.setObject(name, kDefaultUserLibraryNameDefault);
    return name;
}

pf::Ref<PWXLibrary> PWXLibrary::defaultUserLibrary()
{
    if (pf::Ref<PWXLibrary> current = registry().defaultUserLibrary.lock())
        return current;
    if (!pf::RunLoop::isMainThread())
        return nullptr;
    initializeRegistry();
    if (pf::Ref<PWXLibrary> current = registry().defaultUserLibrary.lock())
        return current;
    const QString name = defaultUserLibraryName();
    pf::Ref<PWXLibrary> library = libraryWithName(name, PWXLibraryGroup::kUserGroupName);
    if (!library) {
        const QString folder = userLibraryFolder();
        if (folder.isEmpty())
            return nullptr;
        QString libraryName = name;
        // A damaged library of that name stays as it is on disk; the default gets a new name.
        if (QFileInfo::exists(QDir(folder).filePath(libraryName + QLatin1Char('.') + libraryExtension())))
            libraryName = safeFolderName(uniqueFilenameForFilename(libraryName + QLatin1Char('.') + libraryExtension(),
                                                                   folder))
                              .chopped(libraryExtension().size() + 1);
        library = libraryWithPath(QDir(folder).filePath(libraryName), true);
        if (library->isDamaged() || !library->hasPresenceOnDisk())
            return nullptr;
        addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
    }
    setDefaultUserLibrary(library);
    return library;
}

void PWXLibrary::setDefaultUserLibrary(const pf::Ref<PWXLibrary>& library)
{
    Registry& state = registry();
    if (state.defaultUserLibrary.lock() == library)
        return;
    state.defaultUserLibrary = library;
    if (library) {
        pf::UserDefaults::standard().setObject(library->name(), kDefaultUserLibraryNameDefault);
        PWStyle::setNameProvider(library.get());
    } else {
        pf::UserDefaults::standard().removeObjectForKey(kDefaultUserLibraryNameDefault);
        PWStyle::setNameProvider(nullptr);
    }
    pf::NotificationCenter::defaultCenter().post(kPWXLibraryDefaultUserLibraryDidChange, nullptr);
}

QString PWXLibrary::uniqueUserLibraryName(const QString& name)
{
    return PWXLibraryGroup::userGroup()->uniqueLibraryName(name);
}

bool PWXLibrary::isValidLibraryAtPath(const QString& path)
{
    const QFileInfo folder(path);
    if (!folder.isDir() || folder.suffix() != libraryExtension())
        return false;
    const QString file = QDir(path).filePath(folder.completeBaseName() + QLatin1Char('.') + categoryFileExtension());
    const QVariant info = pf::PropertyList::read(file);
    if (info.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap map = info.toMap();
    return map.contains(kCategoriesKey)
           && qulonglong(map.value(kAllItemsKey).toList().size()) == map.value(kChecksumKey).toULongLong();
}

pf::Ref<PWXLibrary> PWXLibrary::documentLibraryWithName(const QString& name, const QList<pf::Ref<pf::Object>>& objects,
                                                        bool createOnDisk)
{
    PF_ASSERT(!name.isNull(), "unable to make document library - name was nil");
    PF_ASSERT(!name.isEmpty(), "unable to make document library - name was empty");
    if (name.isEmpty() || !pf::RunLoop::isMainThread())
        return nullptr;
    initializeRegistry();
    QString base = name;
    if (const QString suffix = QFileInfo(name).suffix(); !suffix.isEmpty())
        base.chop(suffix.size() + 1);
    base = safeFolderName(base);
    pf::Ref<PWXLibrary> library = std::make_shared<PWXLibrary>();
    if (createOnDisk) {
        const QString folder = documentLibraryFolder();
        if (folder.isEmpty())
            return nullptr;
        QString path = QDir(folder).filePath(base + QLatin1Char('.') + libraryExtension());
        // Another open document of the same name keeps its library: this one gets a folder
        // of its own rather than taking (and deleting) that one.
        if (pf::Ref<PWXLibraryGroup> open = PWXLibraryGroup::groupWithName(PWXLibraryGroup::kDocumentsGroupName)) {
            QString candidate = base;
            for (qint64 n = 2; open->libraryWithPath(path); ++n) {
                candidate = QStringLiteral("%1 %2").arg(base).arg(n);
                path = QDir(folder).filePath(candidate + QLatin1Char('.') + libraryExtension());
            }
        }
        bool isDirectory = false;
        pf::FileManager& files = pf::FileManager::defaultManager();
        if (files.fileExists(path, &isDirectory)) {
            if (!isDirectory) {
                RVLog(kFileEvent, QStringLiteral("Failed to create library - a (bogus?) file exists at '%1'").arg(path));
                return nullptr;
            }
            pf::Error error;
            if (!files.removeItem(path, &error)) {
                RVLog(kFileEvent, QStringLiteral("Failed to remove old library '%1', error = %2")
                                      .arg(path, error.localizedDescription()));
                return nullptr;
            }
        }
        library->initWithPath(path, true);
    } else {
        library->setElementName(base);
        library->initWithPath(QString(), true);
    }
    for (const pf::Ref<PWXLibraryItem>& item : PWXLibraryItem::libraryItemsWithUnknownObjects(
             objects, {PWXLibraryGroup::kUserGroupName, PWXLibraryGroup::kFactoryGroupName}))
        library->addItem(item, false);
    library->setAllowsContentChanges(true);
    library->setAllowsCategoryChanges(false);
    addLibraryToGroup(library, PWXLibraryGroup::kDocumentsGroupName, true);
    if (createOnDisk)
        library->updateOnDisk();
    pf::NotificationCenter::defaultCenter().post(kPWXDocumentLibraryWasAddedOrRemoved, nullptr,
                                                 {{kLibraryUserInfoKey, pf::toVariant(library)}});
    return library;
}

void PWXLibrary::removeDocumentLibrary(const pf::Ref<PWXLibrary>& library)
{
    if (!library)
        return;
    pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(PWXLibraryGroup::kDocumentsGroupName);
    if (!group || !group->elements().contains(library))
        return;
    group->removeLibrary(library);
    if (documentLibrariesAreTemporary())
        library->deleteOnDisk();
    pf::NotificationCenter::defaultCenter().post(kPWXDocumentLibraryWasAddedOrRemoved, nullptr,
                                                 {{kLibraryUserInfoKey, pf::toVariant(library)}});
}

void PWXLibrary::setDocumentLibrariesAreTemporary(bool temporary)
{
    pf::UserDefaults::standard().setBool(temporary, kDocumentLibsAreTemporaryDefault);
}

bool PWXLibrary::documentLibrariesAreTemporary()
{
    return pf::UserDefaults::standard().boolForKey(kDocumentLibsAreTemporaryDefault);
}

void PWXLibrary::setFactoryLibrariesWritable(bool writable)
{
    for (const pf::Ref<PWXLibrary>& library : factoryLibraries())
        library->setAllowsContentChanges(writable);
}

void PWXLibrary::applicationWillQuitAll()
{
    RVLog(kInfoEvent, "PWXLibrary got +applicationWillQuit:");
    for (const pf::Ref<PWXLibrary>& library : allLibraries())
        library->applicationWillQuit();
    if (documentLibrariesAreTemporary()) {
        if (pf::Ref<PWXLibraryGroup> group = PWXLibraryGroup::groupWithName(PWXLibraryGroup::kDocumentsGroupName))
            for (const pf::Ref<PWXLibrary>& library : group->libraries().value_or(QList<pf::Ref<PWXLibrary>>()))
                library->deleteOnDisk();
        PWXLibraryGroup::unregisterGroup(PWXLibraryGroup::kDocumentsGroupName);
        pf::Error error;
        const QString folder = documentLibraryFolder();
        if (!folder.isEmpty() && QFileInfo::exists(folder)
            && !pf::FileManager::defaultManager().removeItem(folder, &error))
            RVLog(kFileEvent, QStringLiteral("documents folder not deleted: error = %1").arg(error.localizedDescription()));
    }
}
