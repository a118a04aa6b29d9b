#include "drawing/PWXSymbolManager.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "frameworks/penwork/support/RVLog.h"
#include "widgets/FileManager+FindFolder.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QPixmap>

#include <algorithm>

namespace {

constexpr unsigned kMenuOptions = 23; // root item, category submenus, recent items, sort by name
const QString kImagesManagerKey = QStringLiteral("PWXSymbolManager_imagesManager");

struct SharedRegistry {
    QMutex mutex;
    pf::Ref<PWStyleRegistry> registry;
};

SharedRegistry& sharedRegistryStore()
{
    static SharedRegistry store;
    return store;
}

QString tr(const char* text) { return QCoreApplication::translate("PWXSymbolManager", text); }

PWCategoryManager* categoryManagerOf(const pf::Ref<PWStyleRegistry>& registry)
{
    return dynamic_cast<PWCategoryManager*>(registry.get());
}

QStringList sortedNames(QStringList names, bool sorting)
{
    if (!sorting)
        return names;
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return PWCategoryManager::compareNames(a, b) < 0; });
    return names;
}

} // namespace

PF_DEFINE_CLASS(PWXSymbolManager, PWCategoryManager)
{
    b.protocol(pf::kCodingProtocol);
}

PWXSymbolManager::PWXSymbolManager() : m_symbolImagesManager(std::make_shared<PWImageDataManager>())
{
    addCategory(kPWXAutomaticKeyItemsCategory);
    m_changeObserver = pf::NotificationCenter::defaultCenter().addObserver(
        kPWXSymbolMasterDidChange, nullptr, [this](const pf::Notification& note) { masterDidChange(note.object); });
}

PWXSymbolManager::~PWXSymbolManager() { pf::NotificationCenter::defaultCenter().removeObserver(m_changeObserver); }

// The shared registry ---------------------------------------------------------------------------

pf::Ref<PWStyleRegistry> PWXSymbolManager::sharedSymbolManager()
{
    SharedRegistry& store = sharedRegistryStore();
    QMutexLocker lock(&store.mutex);
    if (!store.registry) {
        pf::Application* application = pf::Application::shared();
        if (auto* provider = application ? dynamic_cast<PWRegistryProvider*>(application->delegate()) : nullptr)
            store.registry = provider->applicationWillReturnSymbolManager();
        if (!store.registry)
            store.registry = std::make_shared<PWXSymbolManager>();
    }
    return store.registry;
}

void PWXSymbolManager::resetSharedSymbolManager()
{
    SharedRegistry& store = sharedRegistryStore();
    QMutexLocker lock(&store.mutex);
    store.registry.reset();
}

pf::Ref<PWXSymbolMaster> PWXSymbolManager::registeredSymbolForKey(const QString& key)
{
    pf::Ref<PWStyleRegistry> registry = sharedSymbolManager();
    return registry ? std::dynamic_pointer_cast<PWXSymbolMaster>(registry->symbolForKey(key)) : nullptr;
}

pf::Ref<PWXSymbolMaster> PWXSymbolManager::symbolForKeyAddingToRecentlyUsed(const QString& key)
{
    pf::Ref<PWStyleRegistry> registry = sharedSymbolManager();
    pf::Ref<PWXSymbolMaster> master = registeredSymbolForKey(key);
    if (master)
        if (PWCategoryManager* manager = categoryManagerOf(registry))
            manager->addKeyToRecentList(key, 1);
    return master;
}

void PWXSymbolManager::registerSymbol(const pf::Ref<PWXSymbolMaster>& master)
{
    registerSymbol(master, {kPWXAllUserSymbolsCategory});
}

void PWXSymbolManager::registerSymbol(const pf::Ref<PWXSymbolMaster>& master, const QStringList& categories)
{
    PF_ASSERT(master, "attempt to register a nil symbol");
    pf::Ref<PWStyleRegistry> registry = sharedSymbolManager();
    PF_ASSERT(registry, "cannot continue - registry could not be initialised");
    if (registry->symbolForKey(master->uniqueKey()))
        return;
    const QString name = master->name().isEmpty() ? tr("untitled symbol") : master->name();
    master->setName(registry->uniqueNameForName(name));
    registry->addObject(master, master->uniqueKey(), categories, true);
    RVLog(kStateEvent, QStringLiteral("registered new symbol %1; key = %2 '%3'")
                           .arg(master->description(), master->uniqueKey(), master->name()));
    pf::NotificationCenter::defaultCenter().post(kPWXSymbolWasRegisteredNotification,
                                                 dynamic_cast<pf::Reflective*>(registry.get()));
}

void PWXSymbolManager::unregisterSymbol(const pf::Ref<PWXSymbolMaster>& master)
{
    if (!master)
        return;
    if (PWCategoryManager* manager = categoryManagerOf(sharedSymbolManager()))
        manager->removeObjectForKey(master->uniqueKey());
}

QStringList PWXSymbolManager::registeredSymbolKeys()
{
    PWCategoryManager* manager = categoryManagerOf(sharedSymbolManager());
    return manager ? manager->allKeysInCategory(kPWDefaultCategoryName) : QStringList();
}

QByteArray PWXSymbolManager::registeredSymbolsData()
{
    PWCategoryManager* manager = categoryManagerOf(sharedSymbolManager());
    return manager ? manager->data() : QByteArray();
}

void PWXSymbolManager::saveDefaults()
{
    const QByteArray data = registeredSymbolsData();
    if (!data.isEmpty())
        pf::UserDefaults::standard().setObject(data, kPWXSymbolManagerDefaultsKey);
}

void PWXSymbolManager::loadDefaults()
{
    const QByteArray data = pf::UserDefaults::standard().dataForKey(kPWXSymbolManagerDefaultsKey);
    if (!data.isEmpty())
        if (PWCategoryManager* manager = categoryManagerOf(sharedSymbolManager()))
            manager->appendContentsWithData(data);
    availableSymbolLibrariesOnDisk();
}

void PWXSymbolManager::resetRegistry()
{
    if (auto manager = std::dynamic_pointer_cast<PWXSymbolManager>(sharedSymbolManager()))
        manager->removeAllSymbols();
}

QStringList PWXSymbolManager::availableSymbolLibrariesOnDisk(bool* ok)
{
    const QUrl support = thisApplicationsSupportFolderURL();
    const QString folder = support.isEmpty() ? QString() : QDir(support.toLocalFile()).filePath("Symbol Libraries");
    if (folder.isEmpty() || !createDirectoryIfNeeded(QUrl::fromLocalFile(folder))) {
        RVLog(kInfoEvent, QStringLiteral("symbol libraries: (null)"));
        if (ok)
            *ok = false;
        return {};
    }
    QStringList paths;
    const QDir dir(folder);
    for (const QString& file : dir.entryList({"*.sslib", "*.ssf"}, QDir::Files | QDir::Hidden, QDir::Name))
        paths.append(dir.filePath(file));
    RVLog(kInfoEvent, QStringLiteral("symbol libraries: %1").arg(paths.join(QStringLiteral(", "))));
    if (ok)
        *ok = true;
    return paths;
}

pf::Ref<pf::Menu> PWXSymbolManager::managedSymbolsMenuWithItemTarget(pf::Reflective* target, const QString& action)
{
    auto manager = std::dynamic_pointer_cast<PWXSymbolManager>(sharedSymbolManager());
    pf::Ref<pf::Menu> menu = manager ? manager->managedSymbolsMenu(target, action) : pf::Menu::make();
    menu->addItem(pf::MenuItem::separator());
    // No target: the action travels the responder chain to the application delegate.
    menu->addItem(pf::MenuItem::make(tr("Manage Symbols..."), QStringLiteral("manageSymbolsAction:")));
    return menu;
}

// Instance operations ----------------------------------------------------------------------------

pf::Ref<pf::Object> PWXSymbolManager::symbolForKey(const QString& key) const { return objectForKey(key); }

QString PWXSymbolManager::symbolNameForKey(const QString& key) const
{
    auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(objectForKey(key));
    return master ? master->name() : QString();
}

QString PWXSymbolManager::uniqueNameForName(const QString& name) const
{
    const QStringList names = symbolNames(false);
    if (!names.contains(name))
        return name;
    for (int i = 1;; ++i) {
        const QString candidate = QStringLiteral("%1 %2").arg(name).arg(i);
        if (!names.contains(candidate))
            return candidate;
    }
}

QList<pf::Ref<PWXSymbolMaster>> PWXSymbolManager::symbolsInCategories(const QStringList& categories) const
{
    QList<pf::Ref<PWXSymbolMaster>> out;
    for (const auto& object : objectsInCategories(categories))
        if (auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(object))
            out.append(master);
    return out;
}

QStringList PWXSymbolManager::symbolNames(bool sorting) const
{
    return symbolNamesInCategory(kPWDefaultCategoryName, sorting);
}

QStringList PWXSymbolManager::symbolNamesInCategory(const QString& category, bool sorting) const
{
    QStringList names;
    for (const QString& key : allKeysInCategory(category))
        names.append(symbolNameForKey(key));
    return sortedNames(names, sorting);
}

pf::Ref<pf::Object> PWXSymbolManager::symbolWithName(const QString& name) const
{
    for (const QString& key : allKeysInCategory(kPWDefaultCategoryName))
        if (symbolNameForKey(key) == name)
            return objectForKey(key);
    return nullptr;
}

void PWXSymbolManager::removeAllSymbols()
{
    removeAllCategories();
    addDefaultCategories();
}

void PWXSymbolManager::addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                                 bool createCategories)
{
    PWCategoryManager::addObject(object, key, categories, createCategories);
}

pf::Ref<pf::Menu> PWXSymbolManager::managedSymbolsMenu(pf::Reflective* target, const QString& action) const
{
    return createMenuWithItemDelegate(const_cast<PWXSymbolManager*>(this), target, action, kMenuOptions);
}

void PWXSymbolManager::menuItemWasAddedForObject(pf::MenuItem& item, const pf::Ref<pf::Object>& object,
                                                 const QString& category)
{
    Q_UNUSED(category);
    if (object.get() == this) {
        item.setTitle(tr("Symbol"));
        return;
    }
    auto master = std::dynamic_pointer_cast<PWXSymbolMaster>(object);
    if (!master)
        return;
    item.setImage(QIcon(QPixmap::fromImage(master->imageToFitSize(QSizeF(36, 24)))));
    if (!master->name().isEmpty())
        item.setTitle(master->name());
    if (!master->userDescription().isEmpty())
        item.setToolTip(master->userDescription());
}

QStringList PWXSymbolManager::defaultCategories() const
{
    return PWCategoryManager::defaultCategories()
           + QStringList{kPWXAllUserSymbolsCategory, kPWXAllUserStylesCategory, kPWXAutomaticKeyItemsCategory};
}

void PWXSymbolManager::masterDidChange(pf::Reflective* changed)
{
    auto* master = dynamic_cast<PWXSymbolMaster*>(changed);
    if (!master || objectForKey(master->uniqueKey()).get() != master)
        return;
    pf::NotificationCenter::defaultCenter().post(kPWXRegisteredSymbolDidChangeNotification, this,
                                                 {{QStringLiteral("Symbol"), pf::toVariant(master->ref<pf::Object>())}});
}

// Coding -----------------------------------------------------------------------------------------

void PWXSymbolManager::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeObject(imageManager(), kImagesManagerKey);
    PWCategoryManager::encodeWithCoder(coder);
}

void PWXSymbolManager::initWithCoder(pf::KeyedUnarchiver& coder)
{
    auto images = coder.decodeObjectOfClass<PWImageDataManager>(kImagesManagerKey);
    if (!images)
        images = std::make_shared<PWImageDataManager>();
    if (pf::Ref<PWStyleRegistry> shared = sharedSymbolManager(); shared && shared.get() != this)
        shared->setImageManager(images);
    PWCategoryManager::initWithCoder(coder);
    addCategory(kPWXAutomaticKeyItemsCategory);
    m_symbolImagesManager = images;
}
