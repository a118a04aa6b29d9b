#pragma once

#include "frameworks/penwork/archiving/PWErrors.h"

#include "platform/foundation/Coding.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QRecursiveMutex>
#include <QSet>
#include <QString>
#include <QStringList>

class PWImageDataManager;

namespace pf {
class Menu;
class MenuItem;
} // namespace pf

// The category every stored object belongs to, whatever other categories it is filed in.
inline const QString kPWDefaultCategoryName = QStringLiteral("All Items");

// Posted with the manager as object after a change of its objects, categories or recent lists;
// the user information's kPWCategoryManagerChangeKindKey says which.
inline const QString kPWCategoryManagerDidChangeNotification = QStringLiteral("kPWCategoryManagerDidChangeNotification");
inline const QString kPWCategoryManagerChangeKindKey = QStringLiteral("kind");
inline const QString kPWCategoryManagerObjectsChanged = QStringLiteral("objects");
inline const QString kPWCategoryManagerCategoriesChanged = QStringLiteral("categories");
inline const QString kPWCategoryManagerRecentListChanged = QStringLiteral("recent");

// Bits of createMenuWithItemDelegate's options.
enum PWCategoryMenuOption : unsigned {
    // A first item standing for the manager itself (the delegate gets the manager as object).
    kPWCategoryMenuRootItem = 1u << 0,
    // One submenu per category, titled with its name; without it a flat list of every object.
    kPWCategoryMenuCategorySubmenus = 1u << 1,
    // A submenu of recent list 1, most recent first.
    kPWCategoryMenuRecentItems = 1u << 2,
    // Categories without objects get a (disabled) submenu too.
    kPWCategoryMenuEmptyCategories = 1u << 3,
    // Items by object name (case-insensitive, numbers by value) instead of the order of filing.
    kPWCategoryMenuSortByName = 1u << 4,
};

// Told of every item a category manager puts in a menu it builds.
class PWCategoryMenuItemDelegate {
public:
    virtual ~PWCategoryMenuItemDelegate() = default;
    // `object` is the manager itself for the root item; `category` is the category (or recent
    // list title) the item is listed under, empty for the root item.
    virtual void menuItemWasAddedForObject(pf::MenuItem& item, const pf::Ref<pf::Object>& object,
                                           const QString& category) = 0;
};

// Keyed storage of objects in named categories, with recently used lists, export and import of
// the contents as data, and menus of the objects by category.
//
// Every object stored is in kPWDefaultCategoryName and in any other categories it was filed
// in; the categories keep the order they were made in, the default ones first, and each keeps
// its keys in the order they were filed. Subclasses extend defaultCategories() and say under
// which key an object is kept (categoryManagerKeyForObject). The tables are locked, so lookups
// may come from a document-reading thread; notifications are posted on the changing thread
// after the lock is released.
class PWCategoryManager : public pf::Object, public pf::Coding {
    PF_CLASS(PWCategoryManager)
public:
    static constexpr int kDefaultRecentListLength = 10;
    static constexpr int kMaxRecentListLength = 100;
    // Recent lists are numbered 0 to this.
    static constexpr int kMaxRecentListNumber = 15;

    PWCategoryManager();
    ~PWCategoryManager() override;

    // The key `object` is stored under: its "uniqueKey" when it answers one, else empty.
    virtual QString categoryManagerKeyForObject(const pf::Ref<pf::Object>& object) const;
    // The categories every manager starts with (and gets back from addDefaultCategories):
    // kPWDefaultCategoryName; subclasses append their own.
    virtual QStringList defaultCategories() const;

    // Stores `object` under `key` in the default category and `categories`. Categories that do not
    // exist are made when `createCategories`, otherwise left out. An object already stored under
    // the key is replaced (and keeps its categories). Answers false, changing nothing, for a null
    // object or an empty key.
    bool addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                   bool createCategories);
    // The same under categoryManagerKeyForObject(object).
    bool addObject(const pf::Ref<pf::Object>& object, const QStringList& categories, bool createCategories);
    // Takes the key out of every category and recent list.
    void removeObjectForKey(const QString& key);
    void removeObject(const pf::Ref<pf::Object>& object);

    pf::Ref<pf::Object> objectForKey(const QString& key) const;
    bool containsKey(const QString& key) const;
    int count() const;
    // The keys of the category in filing order; empty for an unknown category.
    QStringList allKeysInCategory(const QString& category) const;
    // Each object of the categories once, in the order of the categories given.
    QList<pf::Ref<pf::Object>> objectsInCategories(const QStringList& categories) const;

    QStringList categories() const;
    bool hasCategory(const QString& category) const;
    // False for an empty name or one that exists.
    bool addCategory(const QString& category);
    // The default category cannot be removed; objects stay stored (in the default category).
    bool removeCategory(const QString& category);
    // Removes every category, object and recent list.
    void removeAllCategories();
    // Makes each of defaultCategories() that is missing.
    void addDefaultCategories();

    // Puts a stored key at the front of recent list `list` (0 to kMaxRecentListNumber), dropping
    // what falls beyond recentListLength; false for an unknown key or list.
    bool addKeyToRecentList(const QString& key, int list);
    QStringList keysInRecentList(int list) const;
    int recentListLength() const;
    // 1 to kMaxRecentListLength (clamped); longer lists are cut.
    void setRecentListLength(int length);

    // The contents (objects, categories, recent lists) as a keyed archive; empty, with an
    // error, when an object cannot be archived.
    QByteArray data(pf::Error* error = nullptr) const;
    // Merges such data: objects under keys not yet stored are added, categories made and filled,
    // recent lists extended. Damaged data answers false with the error and changes nothing.
    bool appendContentsWithData(const QByteArray& data, pf::Error* error = nullptr);

    // A menu of the stored objects (see PWCategoryMenuOption). Each object's item is titled with
    // its name (its key when it has none), represents the object and sends `action` to `target`.
    pf::Ref<pf::Menu> createMenuWithItemDelegate(PWCategoryMenuItemDelegate* delegate, pf::Reflective* target,
                                                 const QString& action, unsigned options) const;

    // The image data manager of the stored objects' images; none at first.
    virtual pf::Ref<PWImageDataManager> imageManager() const;
    virtual void setImageManager(const pf::Ref<PWImageDataManager>& manager);

    // Subclasses write their own keys first, then call these.
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

    // The name of a stored object: its "name" when it answers one, else empty.
    static QString nameOfObject(const pf::Ref<pf::Object>& object);
    // The order names are listed in: letters without regard to case, runs of digits by value.
    static int compareNames(const QString& a, const QString& b);

protected:
    // Called after the object entered or left the manager, outside the lock.
    virtual void didAddObject(const pf::Ref<pf::Object>& object, const QString& key) {}
    virtual void didRemoveObject(const pf::Ref<pf::Object>& object, const QString& key) {}

private:
    struct Category {
        QString name;
        QStringList keys;
        QSet<QString> members;
    };
    struct Contents {
        QHash<QString, pf::Ref<pf::Object>> objects;
        QList<Category> categories;
        QMap<int, QStringList> recentLists;
    };

    // Makes the default categories the first time the tables are used (a constructor cannot
    // reach a subclass's defaultCategories).
    void prepare() const;
    Category* categoryNamed(const QString& name);
    const Category* categoryNamed(const QString& name) const;
    void fileKey(const QString& key, const QString& category);
    void post(const QString& kind);

    // The keys of the objects in the order they are filed: the default category's order first.
    static QStringList filingOrder(const Contents& contents);
    void writeContents(pf::KeyedArchiver& coder) const;
    static bool readContents(pf::KeyedUnarchiver& coder, Contents& out, QString& problem);

    mutable QRecursiveMutex m_mutex;
    mutable bool m_prepared = false;
    mutable Contents m_contents;
    int m_recentListLength = kDefaultRecentListLength;
    pf::Ref<PWImageDataManager> m_imageManager;
};
