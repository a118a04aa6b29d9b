#include "frameworks/penwork/registries/PWCategoryManager.h"

#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/SortDescriptor.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QMutexLocker>

#include <algorithm>

namespace {

const QString kObjectsKey = QStringLiteral("pw_categoryManager_objects");
const QString kCategoriesKey = QStringLiteral("pw_categoryManager_categories");
const QString kRecentListsKey = QStringLiteral("pw_categoryManager_recentLists");
const QString kRecentListLengthKey = QStringLiteral("pw_categoryManager_recentListLength");
const QString kImageManagerKey = QStringLiteral("pw_categoryManager_imageManager");
const QString kCategoryNameKey = QStringLiteral("name");
const QString kCategoryKeysKey = QStringLiteral("keys");

// What data() writes at the top of its archive, so that a stray archive is told apart.
const QString kContentsMarkKey = QStringLiteral("pw_categoryManager_contents");

// The recent list the menu shows.
constexpr int kMenuRecentList = 1;

bool isStringList(const QVariant& value, QStringList& out)
{
    if (value.typeId() != QMetaType::QVariantList && value.typeId() != QMetaType::QStringList)
        return false;
    out.clear();
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString)
            return false;
        out.append(item.toString());
    }
    return true;
}


} // namespace

QStringList PWCategoryManager::filingOrder(const Contents& contents)
{
    QStringList order;
    QSet<QString> listed;
    for (const Category& category : contents.categories) {
        if (category.name != kPWDefaultCategoryName)
            continue;
        for (const QString& key : category.keys) {
            if (contents.objects.contains(key)) {
                order.append(key);
                listed.insert(key);
            }
        }
    }
    // Objects the default category does not list follow in key order, so the outcome never
    // depends on hashing.
    QStringList rest;
    for (auto it = contents.objects.cbegin(); it != contents.objects.cend(); ++it)
        if (!listed.contains(it.key()))
            rest.append(it.key());
    rest.sort();
    return order + rest;
}

PF_DEFINE_CLASS(PWCategoryManager, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("categories", &PWCategoryManager::categories);
    b.property("count", &PWCategoryManager::count);
    b.property("imageManager", &PWCategoryManager::imageManager, &PWCategoryManager::setImageManager);
    b.method("allKeysInCategory:", &PWCategoryManager::allKeysInCategory);
    b.method("objectForKey:", &PWCategoryManager::objectForKey);
    b.method("removeObjectForKey:", &PWCategoryManager::removeObjectForKey);
    b.method("addKey:toRecentList:", &PWCategoryManager::addKeyToRecentList);
    b.method("addCategory:", &PWCategoryManager::addCategory);
    b.method("removeCategory:", &PWCategoryManager::removeCategory);
    b.method("removeAllCategories", &PWCategoryManager::removeAllCategories);
    b.method("addObject:forKey:toCategories:createCategories:", [](PWCategoryManager& self, const QVariantList& args) {
        return QVariant(self.addObject(pf::objectFromVariant(args.value(0)), args.value(1).toString(),
                                       args.value(2).toStringList(), args.value(3).toBool()));
    });
}

PWCategoryManager::PWCategoryManager() = default;
PWCategoryManager::~PWCategoryManager() = default;

QString PWCategoryManager::categoryManagerKeyForObject(const pf::Ref<pf::Object>& object) const
{
    if (!object || !object->respondsTo(QStringLiteral("uniqueKey")))
        return {};
    try {
        return object->valueForKey(QStringLiteral("uniqueKey")).toString();
    } catch (const pf::Exception&) {
        return {};
    }
}

QStringList PWCategoryManager::defaultCategories() const
{
    return {kPWDefaultCategoryName};
}

QString PWCategoryManager::nameOfObject(const pf::Ref<pf::Object>& object)
{
    if (!object || !object->respondsTo(QStringLiteral("name")))
        return {};
    try {
        const QVariant name = object->valueForKey(QStringLiteral("name"));
        return name.typeId() == QMetaType::QString ? name.toString() : QString();
    } catch (const pf::Exception&) {
        return {};
    }
}

// Tables ------------------------------------------------------------------------------------

void PWCategoryManager::prepare() const
{
    QMutexLocker lock(&m_mutex);
    if (m_prepared)
        return;
    m_prepared = true;
    const QStringList defaults = defaultCategories();
    for (const QString& name : defaults) {
        if (name.isEmpty() || categoryNamed(name))
            continue;
        m_contents.categories.append(Category{name, {}, {}});
    }
    if (!categoryNamed(kPWDefaultCategoryName))
        m_contents.categories.prepend(Category{kPWDefaultCategoryName, {}, {}});
}

PWCategoryManager::Category* PWCategoryManager::categoryNamed(const QString& name)
{
    for (Category& category : m_contents.categories)
        if (category.name == name)
            return &category;
    return nullptr;
}

const PWCategoryManager::Category* PWCategoryManager::categoryNamed(const QString& name) const
{
    for (const Category& category : m_contents.categories)
        if (category.name == name)
            return &category;
    return nullptr;
}

void PWCategoryManager::fileKey(const QString& key, const QString& name)
{
    Category* category = categoryNamed(name);
    if (!category) {
        // Only the default category is made here (it may have gone with removeAllCategories);
        // callers decide on the others.
        if (name != kPWDefaultCategoryName)
            return;
        m_contents.categories.prepend(Category{kPWDefaultCategoryName, {}, {}});
        category = &m_contents.categories.first();
    }
    if (!category->members.contains(key)) {
        category->members.insert(key);
        category->keys.append(key);
    }
}

void PWCategoryManager::post(const QString& kind)
{
    pf::NotificationCenter::defaultCenter().post(kPWCategoryManagerDidChangeNotification, this,
                                                 {{kPWCategoryManagerChangeKindKey, kind}});
}

// Objects -----------------------------------------------------------------------------------

bool PWCategoryManager::addObject(const pf::Ref<pf::Object>& object, const QString& key,
                                  const QStringList& categories, bool createCategories)
{
    if (!object || key.isEmpty())
        return false;
    prepare();
    pf::Ref<pf::Object> replaced;
    bool madeCategory = false;
    {
        QMutexLocker lock(&m_mutex);
        auto existing = m_contents.objects.find(key);
        if (existing != m_contents.objects.end()) {
            if (existing.value() != object)
                replaced = existing.value();
            existing.value() = object;
        } else {
            m_contents.objects.insert(key, object);
        }
        fileKey(key, kPWDefaultCategoryName);
        for (const QString& name : categories) {
            if (name.isEmpty() || name == kPWDefaultCategoryName)
                continue;
            if (!categoryNamed(name)) {
                if (!createCategories)
                    continue;
                m_contents.categories.append(Category{name, {}, {}});
                madeCategory = true;
            }
            fileKey(key, name);
        }
    }
    if (replaced)
        didRemoveObject(replaced, key);
    didAddObject(object, key);
    if (madeCategory)
        post(kPWCategoryManagerCategoriesChanged);
    post(kPWCategoryManagerObjectsChanged);
    return true;
}

bool PWCategoryManager::addObject(const pf::Ref<pf::Object>& object, const QStringList& categories,
                                  bool createCategories)
{
    return addObject(object, categoryManagerKeyForObject(object), categories, createCategories);
}

void PWCategoryManager::removeObjectForKey(const QString& key)
{
    prepare();
    pf::Ref<pf::Object> removed;
    {
        QMutexLocker lock(&m_mutex);
        removed = m_contents.objects.take(key);
        if (!removed)
            return;
        for (Category& category : m_contents.categories) {
            if (category.members.remove(key))
                category.keys.removeOne(key);
        }
        for (QStringList& list : m_contents.recentLists)
            list.removeAll(key);
    }
    didRemoveObject(removed, key);
    post(kPWCategoryManagerObjectsChanged);
}

void PWCategoryManager::removeObject(const pf::Ref<pf::Object>& object)
{
    const QString key = categoryManagerKeyForObject(object);
    // Only the object itself: another one stored under the same key stays.
    if (!key.isEmpty() && objectForKey(key) == object)
        removeObjectForKey(key);
}

pf::Ref<pf::Object> PWCategoryManager::objectForKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_contents.objects.value(key);
}

bool PWCategoryManager::containsKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_contents.objects.contains(key);
}

int PWCategoryManager::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_contents.objects.size());
}

QStringList PWCategoryManager::allKeysInCategory(const QString& name) const
{
    prepare();
    QMutexLocker lock(&m_mutex);
    const Category* category = categoryNamed(name);
    return category ? category->keys : QStringList();
}

QList<pf::Ref<pf::Object>> PWCategoryManager::objectsInCategories(const QStringList& names) const
{
    prepare();
    QMutexLocker lock(&m_mutex);
    QList<pf::Ref<pf::Object>> out;
    QSet<QString> seen;
    for (const QString& name : names) {
        const Category* category = categoryNamed(name);
        if (!category)
            continue;
        for (const QString& key : category->keys) {
            if (seen.contains(key))
                continue;
            seen.insert(key);
            if (auto object = m_contents.objects.value(key))
                out.append(object);
        }
    }
    return out;
}

// Categories --------------------------------------------------------------------------------

QStringList PWCategoryManager::categories() const
{
    prepare();
    QMutexLocker lock(&m_mutex);
    QStringList names;
    for (const Category& category : m_contents.categories)
        names.append(category.name);
    return names;
}

bool PWCategoryManager::hasCategory(const QString& name) const
{
    prepare();
    QMutexLocker lock(&m_mutex);
    return categoryNamed(name) != nullptr;
}

bool PWCategoryManager::addCategory(const QString& name)
{
    if (name.isEmpty())
        return false;
    prepare();
    {
        QMutexLocker lock(&m_mutex);
        if (categoryNamed(name))
            return false;
        m_contents.categories.append(Category{name, {}, {}});
    }
    post(kPWCategoryManagerCategoriesChanged);
    return true;
}

bool PWCategoryManager::removeCategory(const QString& name)
{
    if (name == kPWDefaultCategoryName)
        return false;
    prepare();
    {
        QMutexLocker lock(&m_mutex);
        const auto it = std::find_if(m_contents.categories.begin(), m_contents.categories.end(),
                                     [&](const Category& c) { return c.name == name; });
        if (it == m_contents.categories.end())
            return false;
        m_contents.categories.erase(it);
    }
    post(kPWCategoryManagerCategoriesChanged);
    return true;
}

void PWCategoryManager::removeAllCategories()
{
    prepare();
    QHash<QString, pf::Ref<pf::Object>> removed;
    {
        QMutexLocker lock(&m_mutex);
        removed = std::move(m_contents.objects);
        m_contents = Contents();
    }
    for (auto it = removed.cbegin(); it != removed.cend(); ++it)
        didRemoveObject(it.value(), it.key());
    post(kPWCategoryManagerCategoriesChanged);
    if (!removed.isEmpty())
        post(kPWCategoryManagerObjectsChanged);
}

void PWCategoryManager::addDefaultCategories()
{
    prepare();
    const QStringList defaults = defaultCategories();
    bool added = false;
    {
        QMutexLocker lock(&m_mutex);
        if (!categoryNamed(kPWDefaultCategoryName)) {
            m_contents.categories.prepend(Category{kPWDefaultCategoryName, {}, {}});
            added = true;
        }
        for (const QString& name : defaults) {
            if (name.isEmpty() || categoryNamed(name))
                continue;
            m_contents.categories.append(Category{name, {}, {}});
            added = true;
        }
    }
    if (added)
        post(kPWCategoryManagerCategoriesChanged);
}

// Recent lists ------------------------------------------------------------------------------

bool PWCategoryManager::addKeyToRecentList(const QString& key, int list)
{
    if (list < 0 || list > kMaxRecentListNumber)
        return false;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_contents.objects.contains(key))
            return false;
        QStringList& keys = m_contents.recentLists[list];
        if (!keys.isEmpty() && keys.first() == key)
            return true;
        keys.removeAll(key);
        keys.prepend(key);
        while (keys.size() > m_recentListLength)
            keys.removeLast();
    }
    post(kPWCategoryManagerRecentListChanged);
    return true;
}

QStringList PWCategoryManager::keysInRecentList(int list) const
{
    QMutexLocker lock(&m_mutex);
    return m_contents.recentLists.value(list);
}

int PWCategoryManager::recentListLength() const
{
    QMutexLocker lock(&m_mutex);
    return m_recentListLength;
}

void PWCategoryManager::setRecentListLength(int length)
{
    bool cut = false;
    {
        QMutexLocker lock(&m_mutex);
        m_recentListLength = std::clamp(length, 1, kMaxRecentListLength);
        for (QStringList& keys : m_contents.recentLists) {
            while (keys.size() > m_recentListLength) {
                keys.removeLast();
                cut = true;
            }
        }
    }
    if (cut)
        post(kPWCategoryManagerRecentListChanged);
}

// Data --------------------------------------------------------------------------------------

void PWCategoryManager::writeContents(pf::KeyedArchiver& coder) const
{
    prepare();
    QMutexLocker lock(&m_mutex);
    QVariantMap objects;
    for (auto it = m_contents.objects.cbegin(); it != m_contents.objects.cend(); ++it)
        objects.insert(it.key(), pf::toVariant(it.value()));
    QVariantList categories;
    for (const Category& category : m_contents.categories)
        categories.append(QVariantMap{{kCategoryNameKey, category.name}, {kCategoryKeysKey, category.keys}});
    QVariantMap recent;
    for (auto it = m_contents.recentLists.cbegin(); it != m_contents.recentLists.cend(); ++it) {
        if (!it.value().isEmpty())
            recent.insert(QString::number(it.key()), it.value());
    }
    coder.encodePropertyListValue(objects, kObjectsKey);
    coder.encodePropertyListValue(categories, kCategoriesKey);
    coder.encodePropertyListValue(recent, kRecentListsKey);
}

bool PWCategoryManager::readContents(pf::KeyedUnarchiver& coder, Contents& out, QString& problem)
{
    out = Contents();
    const QVariant objects = coder.decodePropertyListValue(kObjectsKey);
    const QVariant categories = coder.decodePropertyListValue(kCategoriesKey);
    const QVariant recent = coder.decodePropertyListValue(kRecentListsKey);
    if (!coder.error().isNull()) {
        problem = coder.error().localizedDescription();
        return false;
    }
    if (objects.typeId() != QMetaType::QVariantMap || categories.typeId() != QMetaType::QVariantList ||
        (recent.isValid() && recent.typeId() != QMetaType::QVariantMap)) {
        problem = QStringLiteral("the contents are not laid out as objects, categories and recent lists");
        return false;
    }
    const QVariantMap objectMap = objects.toMap();
    for (auto it = objectMap.cbegin(); it != objectMap.cend(); ++it) {
        pf::Ref<pf::Object> object = pf::objectFromVariant(it.value());
        if (!object || it.key().isEmpty()) {
            problem = QStringLiteral("the entry \"%1\" holds no object").arg(it.key());
            return false;
        }
        out.objects.insert(it.key(), object);
    }
    for (const QVariant& entry : categories.toList()) {
        const QVariantMap fields = entry.toMap();
        const QVariant name = fields.value(kCategoryNameKey);
        QStringList keys;
        if (entry.typeId() != QMetaType::QVariantMap || name.typeId() != QMetaType::QString ||
            name.toString().isEmpty() || !isStringList(fields.value(kCategoryKeysKey), keys)) {
            problem = QStringLiteral("a category is damaged");
            return false;
        }
        if (std::any_of(out.categories.cbegin(), out.categories.cend(),
                        [&](const Category& c) { return c.name == name.toString(); })) {
            problem = QStringLiteral("the category \"%1\" appears twice").arg(name.toString());
            return false;
        }
        Category category{name.toString(), {}, {}};
        for (const QString& key : keys) {
            // Keys whose object is not in the data are dropped, not filed.
            if (out.objects.contains(key) && !category.members.contains(key)) {
                category.members.insert(key);
                category.keys.append(key);
            }
        }
        out.categories.append(category);
    }
    const QVariantMap recentMap = recent.toMap();
    for (auto it = recentMap.cbegin(); it != recentMap.cend(); ++it) {
        bool ok = false;
        const int list = it.key().toInt(&ok);
        QStringList keys;
        if (!ok || list < 0 || list > kMaxRecentListNumber || !isStringList(it.value(), keys)) {
            problem = QStringLiteral("the recent list \"%1\" is damaged").arg(it.key());
            return false;
        }
        QStringList& kept = out.recentLists[list];
        for (const QString& key : keys) {
            if (out.objects.contains(key) && !kept.contains(key) && kept.size() < kMaxRecentListLength)
                kept.append(key);
        }
    }
    return true;
}

QByteArray PWCategoryManager::data(pf::Error* error) const
{
    pf::KeyedArchiver archiver;
    try {
        archiver.encodeBool(true, kContentsMarkKey);
        writeContents(archiver);
    } catch (const pf::Exception& exception) {
        pf::fail(error, pf::Error(kPWErrorDomain, kPWErrorCategoryDataUnwritable,
                                  {{pf::NSLocalizedDescriptionKey,
                                    QCoreApplication::translate("PWCategoryManager", "The items could not be saved.")},
                                   {pf::NSLocalizedFailureReasonErrorKey, exception.reason()}}));
        return {};
    }
    pf::Error archiveError;
    QByteArray bytes = archiver.encodedData(&archiveError);
    if (bytes.isEmpty()) {
        pf::fail(error, pf::Error(kPWErrorDomain, kPWErrorCategoryDataUnwritable,
                                  {{pf::NSLocalizedDescriptionKey,
                                    QCoreApplication::translate("PWCategoryManager", "The items could not be saved.")},
                                   {pf::NSUnderlyingErrorKey, QVariant::fromValue(archiveError)}}));
    }
    return bytes;
}

bool PWCategoryManager::appendContentsWithData(const QByteArray& bytes, pf::Error* error)
{
    auto unreadable = [&](const QString& reason) {
        return pf::fail(error, pf::Error(kPWErrorDomain, kPWErrorCategoryDataUnreadable,
                                         {{pf::NSLocalizedDescriptionKey,
                                           QCoreApplication::translate("PWCategoryManager",
                                                                       "The items could not be read: the data is damaged.")},
                                          {pf::NSLocalizedFailureReasonErrorKey, reason}}));
    };
    pf::Error archiveError;
    pf::KeyedUnarchiver unarchiver(bytes, &archiveError);
    if (!unarchiver.isValid())
        return unreadable(archiveError.isNull() ? QStringLiteral("not an archive") : archiveError.localizedDescription());
    if (!unarchiver.decodeBool(kContentsMarkKey))
        return unreadable(QStringLiteral("the archive holds no category manager contents"));
    Contents incoming;
    QString problem;
    if (!readContents(unarchiver, incoming, problem))
        return unreadable(problem);
    unarchiver.finishDecoding();

    prepare();
    QList<std::pair<QString, pf::Ref<pf::Object>>> added;
    bool madeCategory = false;
    bool recentChanged = false;
    {
        QMutexLocker lock(&m_mutex);
        for (const QString& key : filingOrder(incoming)) {
            if (m_contents.objects.contains(key))
                continue;
            const pf::Ref<pf::Object> object = incoming.objects.value(key);
            m_contents.objects.insert(key, object);
            fileKey(key, kPWDefaultCategoryName);
            added.append({key, object});
        }
        for (const Category& category : incoming.categories) {
            if (!categoryNamed(category.name)) {
                m_contents.categories.append(Category{category.name, {}, {}});
                madeCategory = true;
            }
            for (const QString& key : category.keys)
                fileKey(key, category.name);
        }
        for (auto it = incoming.recentLists.cbegin(); it != incoming.recentLists.cend(); ++it) {
            QStringList& keys = m_contents.recentLists[it.key()];
            for (const QString& key : it.value()) {
                if (keys.size() >= m_recentListLength)
                    break;
                if (!keys.contains(key)) {
                    keys.append(key);
                    recentChanged = true;
                }
            }
        }
    }
    for (const auto& [key, object] : added)
        didAddObject(object, key);
    if (madeCategory)
        post(kPWCategoryManagerCategoriesChanged);
    if (!added.isEmpty())
        post(kPWCategoryManagerObjectsChanged);
    if (recentChanged)
        post(kPWCategoryManagerRecentListChanged);
    return true;
}

// Archiving ---------------------------------------------------------------------------------

void PWCategoryManager::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    writeContents(coder);
    coder.encodeInt32(recentListLength(), kRecentListLengthKey);
    coder.encodeObject(imageManager(), kImageManagerKey);
}

void PWCategoryManager::initWithCoder(pf::KeyedUnarchiver& coder)
{
    Contents contents;
    QString problem;
    if (!readContents(coder, contents, problem))
        contents = Contents();
    const int length = coder.containsValueForKey(kRecentListLengthKey) ? coder.decodeInt32(kRecentListLengthKey)
                                                                        : kDefaultRecentListLength;
    auto images = coder.decodeObjectOfClass<PWImageDataManager>(kImageManagerKey);
    {
        QMutexLocker lock(&m_mutex);
        m_contents = std::move(contents);
        m_prepared = true;
        if (!categoryNamed(kPWDefaultCategoryName))
            m_contents.categories.prepend(Category{kPWDefaultCategoryName, {}, {}});
        // Every object belongs to the default category, whatever the archive said.
        for (const QString& key : filingOrder(m_contents))
            fileKey(key, kPWDefaultCategoryName);
        m_recentListLength = std::clamp(length, 1, kMaxRecentListLength);
        for (QStringList& keys : m_contents.recentLists) {
            while (keys.size() > m_recentListLength)
                keys.removeLast();
        }
    }
    if (images)
        setImageManager(images);
}

// Images ------------------------------------------------------------------------------------

pf::Ref<PWImageDataManager> PWCategoryManager::imageManager() const
{
    QMutexLocker lock(&m_mutex);
    return m_imageManager;
}

void PWCategoryManager::setImageManager(const pf::Ref<PWImageDataManager>& manager)
{
    QMutexLocker lock(&m_mutex);
    m_imageManager = manager;
}

// Menus -------------------------------------------------------------------------------------

pf::Ref<pf::Menu> PWCategoryManager::createMenuWithItemDelegate(PWCategoryMenuItemDelegate* delegate,
                                                                pf::Reflective* target, const QString& action,
                                                                unsigned options) const
{
    prepare();
    // A snapshot, so the delegate may use the manager while the menu is built.
    Contents contents;
    {
        QMutexLocker lock(&m_mutex);
        contents = m_contents;
    }
    auto objectsOf = [&](const QStringList& keys) {
        QList<std::pair<QString, pf::Ref<pf::Object>>> out;
        for (const QString& key : keys)
            if (auto object = contents.objects.value(key))
                out.append({key, object});
        return out;
    };
    auto sorted = [&](QList<std::pair<QString, pf::Ref<pf::Object>>> entries) {
        if (options & kPWCategoryMenuSortByName) {
            QHash<QString, QString> titles;
            for (const auto& [key, object] : entries) {
                const QString name = nameOfObject(object);
                titles.insert(key, name.isEmpty() ? key : name);
            }
            std::stable_sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
                return pf::compareByReading(titles.value(a.first), titles.value(b.first)) < 0;
            });
        }
        return entries;
    };
    auto fill = [&](pf::Menu& menu, const QList<std::pair<QString, pf::Ref<pf::Object>>>& entries,
                    const QString& category) {
        for (const auto& [key, object] : entries) {
            const QString name = nameOfObject(object);
            auto item = pf::MenuItem::make(name.isEmpty() ? key : name, action);
            item->setTarget(target);
            item->setRepresentedObject(pf::toVariant(object));
            menu.addItem(item);
            if (delegate)
                delegate->menuItemWasAddedForObject(*item, object, category);
        }
    };

    auto menu = pf::Menu::make();
    if (options & kPWCategoryMenuRootItem) {
        auto root = pf::MenuItem::make(QString());
        menu->addItem(root);
        if (delegate) {
            auto self = std::const_pointer_cast<pf::Object>(weak_from_this().lock());
            delegate->menuItemWasAddedForObject(*root, self, QString());
        }
    }
    if (options & kPWCategoryMenuRecentItems) {
        const auto recent = objectsOf(contents.recentLists.value(kMenuRecentList));
        if (!recent.isEmpty()) {
            const QString title = QCoreApplication::translate("PWCategoryManager", "Recently Used");
            auto submenu = pf::Menu::make(title);
            fill(*submenu, recent, title);
            auto item = pf::MenuItem::make(title);
            item->setSubmenu(submenu);
            menu->addItem(item);
        }
    }
    if (options & kPWCategoryMenuCategorySubmenus) {
        for (const Category& category : contents.categories) {
            const auto entries = sorted(objectsOf(category.keys));
            if (entries.isEmpty() && !(options & kPWCategoryMenuEmptyCategories))
                continue;
            auto submenu = pf::Menu::make(category.name);
            fill(*submenu, entries, category.name);
            auto item = pf::MenuItem::make(category.name);
            item->setSubmenu(submenu);
            item->setEnabled(!entries.isEmpty());
            menu->addItem(item);
        }
    } else {
        const Category* all = nullptr;
        for (const Category& category : contents.categories)
            if (category.name == kPWDefaultCategoryName)
                all = &category;
        if (all)
            fill(*menu, sorted(objectsOf(all->keys)), kPWDefaultCategoryName);
    }
    return menu;
}

int PWCategoryManager::compareNames(const QString& a, const QString& b) { return pf::compareByReading(a, b); }
