#pragma once

#include "frameworks/penwork/styles/PWStyleNameProvider.h"
#include "library/PWXLibraryElementContainer.h"
#include "platform/foundation/Coding.h"
#include "platform/ui/Menu.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QUrl>

#include <optional>

class PWXFixedLengthLibraryCategory;
class PWXLibraryCategory;
class PWXLibraryGroup;
class PWXLibraryArchivingDelegate;

namespace pf {
class Image;
}

inline const QString kPWXLibraryDidAddItem = QStringLiteral("kPWXLibraryDidAddItem");
inline const QString kPWXLibraryDidRemoveItem = QStringLiteral("kPWXLibraryDidRemoveItem");
inline const QString kPWXLibraryContentDidChange = QStringLiteral("kPWXLibraryContentDidChange");
inline const QString kPWXLibraryDidAddCategory = QStringLiteral("kPWXLibraryDidAddCategory");

inline const QString kPWXLibraryDidChangeName = QStringLiteral("kPWXLibraryDidChangeName");
inline const QString kPWXStyleSubstitutionWasPerformed = QStringLiteral("kPWXStyleSubstitutionWasPerformed");
inline const QString kPWXLibraryDefaultUserLibraryDidChange = QStringLiteral("kPWXLibraryDefaultUserLibraryDidChange");
inline const QString kPWXDocumentLibraryWasAddedOrRemoved = QStringLiteral("kPWXDocumentLibraryWasAddedOrRemoved");

// One named collection of library items, kept as a folder "<name>.symlibrary" holding the
// category file "<name>.categories" (a binary property list) and one "<item>.libitem" package
// per item. Items are keyed by their unique keys; categories file them. A library without a
// folder (an open document's) lives in memory only.
//
// The class side is the registry of every library: the first use loads the factory, user and
// document libraries into their groups, on the main thread.
class PWXLibrary : public PWXLibraryElementContainer,
                   public PWStyleNameProvider,
                   public pf::Coding,
                   public pf::MenuDelegate {
    PF_CLASS(PWXLibrary)
public:
    // Category file keys.
    static inline const QString kAllItemsKey = QStringLiteral("allitems");
    static inline const QString kCategoriesKey = QStringLiteral("categories");
    static inline const QString kChecksumKey = QStringLiteral("checksum");
    static inline const QString kLibNameKey = QStringLiteral("libname");
    static inline const QString kUpdatedKey = QStringLiteral("updated");
    static inline const QString kContentChangesKey = QStringLiteral("contX");
    static inline const QString kCategoryChangesKey = QStringLiteral("catX");
    static inline const QString kDisplayNameKey = QStringLiteral("display_name");
    static inline const QString kVersionKey = QStringLiteral("version");
    static inline const QString kDescriptionKey = QStringLiteral("desc");
    static inline const QString kCreatorKey = QStringLiteral("creator");
    static inline const QString kPeerGroupKey = QStringLiteral("peer_group");
    // User defaults.
    static inline const QString kDefaultUserLibraryNameDefault = QStringLiteral("kPWXLibraryDefaultUserLibraryName");
    static inline const QString kDocumentLibsAreTemporaryDefault = QStringLiteral("kPWXLibraryDocumentLibsAreTemporary");
    static inline const QString kAdHocNameSeedDefault = QStringLiteral("kPWXLibraryAdHocNameSeed");
    static inline const QString kLibraryUserInfoKey = QStringLiteral("library");
    static inline const QString kItemUserInfoKey = QStringLiteral("item");
    static inline const QString kCategoryUserInfoKey = QStringLiteral("category");
    static inline const QString kOldStyleUserInfoKey = QStringLiteral("old_style");
    static inline const QString kNewStyleUserInfoKey = QStringLiteral("new_style");
    // Archive keys (a document or the pasteboard refers to a library).
    static inline const QString kArchivePathKey = QStringLiteral("PWXLibrary_path");
    static inline const QString kArchiveNameKey = QStringLiteral("PWXLibrary_name");
    static inline const QString kArchiveInFactoryKey = QStringLiteral("PWXLibrary_inFactory");
    static inline const QString kArchiveOnDiskKey = QStringLiteral("PWXLibrary_onDisk");

    PWXLibrary() = default;
    ~PWXLibrary() override;

    // A library at `path` (the folder, with or without its extension), its folder and
    // category file made when missing and the category file read. An empty path makes a
    // library with no presence on disk.
    static pf::Ref<PWXLibrary> libraryWithPath(const QString& path, bool addingStandardCategories = true);

    // Names ------------------------------------------------------------------------------------
    QString group() const { return m_group; }
    void setGroup(const QString& group) { m_group = group; }
    // The folder path with its extension; empty without presence on disk.
    QString path() const;
    QString internalName() const;
    QString displayName() const;
    QString name() const override;
    void setName(const QString& name) override;
    // The group's and the display name's clean forms joined by ".".
    QString identifier() const override;
    QString creator() const { return m_creator; }
    void setCreator(const QString& creator);
    QString userDescription() const { return m_description; }
    void setUserDescription(const QString& description);

    bool allowsContentChanges() const { return m_allowsContentChanges; }
    void setAllowsContentChanges(bool allows) { m_allowsContentChanges = allows; }
    bool allowsCategoryChanges() const { return m_allowsCategoryChanges; }
    void setAllowsCategoryChanges(bool allows) { m_allowsCategoryChanges = allows; }
    bool allowsSubContainers() const override { return m_allowsCategoryChanges; }
    bool isFactoryLibrary() const;
    bool hasPresenceOnDisk() const { return !m_noDisk; }
    void setHasPresenceOnDisk(bool present);
    bool isLoadingFromDisk() const { return m_loadingFromDisk; }
    void setLoadingFromDisk(bool loading) { m_loadingFromDisk = loading; }
    // The category file exists but could not be read: the library shows nothing, refuses every
    // change and never writes, so that nothing on disk is lost.
    bool isDamaged() const { return m_damaged; }
    int versionNumber() const;
    bool needsUpdateOnDisk() const { return m_needsUpdateOnDisk; }

    // Items ------------------------------------------------------------------------------------
    void addItem(const pf::Ref<PWXLibraryItem>& item) { addItem(item, true); }
    void addItem(const pf::Ref<PWXLibraryItem>& item, bool notifying);
    void removeItem(const pf::Ref<PWXLibraryItem>& item);
    // Every item, sorted by unique key.
    QList<pf::Ref<PWXLibraryItem>> items() const;
    QList<pf::Ref<PWXLibraryItem>> allElements() const override { return items(); }
    qsizetype itemCount() const { return m_itemsByID.size(); }
    pf::Ref<PWXLibraryItem> itemWithUniqueID(const QString& key) const;
    bool containsUniqueID(const QString& key) const;
    pf::Ref<PWXLibraryItem> itemWithName(const QString& name) const;
    // `name`, else "name-1", "name-2"... the first that no item has.
    QString uniqueItemName(const QString& name) const;
    void useItem(const pf::Ref<PWXLibraryItem>& item);
    // Moves (or copies) an item of another library into this one, into `category` when given;
    // answers the item now here, or null. A style of an open document's library is always
    // copied and its substitution announced.
    pf::Ref<PWXLibraryItem> transferItem(const pf::Ref<PWXLibraryItem>& item, const pf::Ref<PWXLibraryCategory>& category,
                                         bool makingCopy);
    // Moves the items' packages to the trash and forgets the items; false (changing nothing)
    // without content permission or when a package could not be trashed.
    bool trashItems(const QList<pf::Ref<PWXLibraryItem>>& items);
    // The package names in the folder whose "__info" names a key this library does not hold;
    // nullopt when the folder cannot be listed.
    std::optional<QStringList> orphanedItems() const;
    // Adds items for the objects (styles, masters) that no library holds, then writes.
    void addUnknownItemsFromSet(const QList<pf::Ref<pf::Object>>& objects);
    void itemUpdateCouldAffectCategories(const PWXLibraryItem* item);

    // Categories -------------------------------------------------------------------------------
    QList<pf::Ref<PWXLibraryCategory>> categories() const;
    QStringList categoryNames() const;
    void addCategory(const pf::Ref<PWXLibraryCategory>& category);
    void removeCategory(const pf::Ref<PWXLibraryCategory>& category);
    pf::Ref<PWXLibraryCategory> addCategoryWithName(const QString& name);
    void removeCategoryWithName(const QString& name);
    pf::Ref<PWXLibraryCategory> categoryWithName(const QString& name) const;
    pf::Ref<PWXLibraryCategory> allItemsCategory() const { return m_allItems; }
    pf::Ref<PWXFixedLengthLibraryCategory> recentlyUsedCategory() const { return m_recentlyUsed; }
    pf::Ref<PWXFixedLengthLibraryCategory> recentlyAddedCategory() const { return m_recentlyAdded; }
    // All Items, Recently Added and Recently Used, those present.
    QList<pf::Ref<PWXLibraryCategory>> standardCategories() const;
    QList<pf::Ref<PWXLibraryCategory>> categoriesWithItem(const PWXLibraryItem* item) const;
    // The element an identifier names (at least a category below the library), or null.
    pf::Ref<PWXLibraryElement> itemWithIdentifier(const QString& identifier) const;
    // Marks the category file out of date (unless loading).
    void categoryDidChange(PWXLibraryCategory* category);

    // Generated style names --------------------------------------------------------------------
    QString nextAdHocStyleName();
    QString nextAdHocStyleNameWithCollection(bool withCollection);
    void resetAdHocStyleName();
    QString adHocSeedKey() const;
    QString nameForCopyOfStyle(const PWStyle& style) override;

    // Disk -------------------------------------------------------------------------------------
    bool createOnDisk();
    void load();
    QVariantMap libraryInfo() const;
    // The category file as a dictionary; empty (logged) when missing or unreadable.
    QVariantMap categoryFileInfo() const;
    bool writeCategoryFile();
    QString categoryFilePath() const;
    QString originalCategoryFilePath() const;
    bool updateOnDisk() { return updateOnDiskUnloadingItems(false); }
    bool updateOnDiskUnloadingItems(bool unloading);
    // Removes the folder and takes the library out of its group.
    bool deleteOnDisk();
    // Moves the folder to the trash and takes the library out of its group.
    bool moveToTrash();
    // A factory library whose user working copy of the category file differs from the bundle's.
    bool needsCategoryFileMerge() const;
    // Brings the bundle's categories into the working copy (existing ones are kept).
    bool mergeCategoryFile();
    // Writes the collection into a zip archive in the background; the delegate hears of it on
    // the main thread. An empty URL names the archive in the user library folder.
    void writeZipFileAtURL(const QUrl& url, const pf::Ref<PWXLibraryArchivingDelegate>& delegate);
    // Writes the category file when it is out of date and categories may change.
    void applicationWillQuit();

    QString toolTipString() const;
    pf::Ref<pf::Image> icon() const;
    QString description() const override;

    // Menus: a menu of the top-level categories, filled as it opens.
    pf::Ref<pf::Menu> categoriesMenuWithOptions(qint32 options, pf::Reflective* target, const QString& action);
    void addMenu(const pf::Ref<pf::Menu>& menu);
    void removeMenu(const pf::Ref<pf::Menu>& menu);
    QList<pf::Ref<pf::Menu>> menus() const;
    int numberOfItemsInMenu(pf::Menu& menu) override;
    bool updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel) override;

    // Archiving: a reference to a registered library. Decoding never touches the disk; the
    // registered library of the same name stands in for the decoded one.
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

    // A name usable as one folder name: no separators, never "." or "..".
    static QString safeFolderName(const QString& name);

    // Class side: the registry -------------------------------------------------------------------
    static QString libraryExtension() { return QStringLiteral("symlibrary"); }
    static QString categoryFileExtension() { return QStringLiteral("categories"); }
    static int libraryVersion() { return 2; }
    static QString userLibraryFolder();
    static QString documentLibraryFolder();
    static QString registeredUserName();
    static QString localizedAllItemsCategoryName();
    static QString localizedRecentlyUsedCategoryName();
    static QString localizedRecentlyAddedCategoryName();

    // Loads every library once (main thread only); later calls do nothing.
    static void initializeRegistry();
    // Whether the libraries have been loaded.
    static bool registryIsLoaded();
    // Tests: forgets every library and group and the default user library.
    static void resetRegistryForTesting();

    static QList<pf::Ref<PWXLibrary>> librariesInGroup(const QString& groupName);
    static void addLibraryToGroup(const pf::Ref<PWXLibrary>& library, const QString& groupName, bool replaceExisting);
    static void removeLibraryFromGroup(const pf::Ref<PWXLibrary>& library, const QString& groupName);
    static QList<pf::Ref<PWXLibrary>> factoryLibraries();
    static QList<pf::Ref<PWXLibrary>> userLibraries();
    static QList<pf::Ref<PWXLibrary>> documentsLibraries();
    // Every library of every group, groups in registry order.
    static QList<pf::Ref<PWXLibrary>> allLibraries();
    // The libraries of the folders with the library extension in `folder`, sorted by name; a
    // library whose category file is damaged is left out (logged) and left as it is on disk.
    static QList<pf::Ref<PWXLibrary>> librariesAtPath(const QString& folder);

    static pf::Ref<PWXLibrary> libraryWithName(const QString& name, const QString& groupName = {});
    // The first library (groups in registry order, libraries by name) holding an item with
    // the key; only the named groups are searched when `groups` is not empty. Off the main
    // thread, and before the libraries are loaded from the main thread, answers null.
    static pf::Ref<PWXLibrary> libraryContainingItemWithUniqueID(const QString& key, const QStringList& groups = {});
    static pf::Ref<PWXLibrary> libraryContainingIdentifier(const QString& identifier);
    // Each object with a unique key mapped to the object of the library item with that key,
    // or kept when no library holds it.
    static QList<pf::Ref<pf::Object>> libraryItemsMatchingItemsInSet(const QList<pf::Ref<pf::Object>>& objects);

    static QString defaultUserLibraryName();
    static pf::Ref<PWXLibrary> defaultUserLibrary();
    static void setDefaultUserLibrary(const pf::Ref<PWXLibrary>& library);
    static pf::Ref<PWXLibrary> userLibraryForImpliedOperation() { return defaultUserLibrary(); }
    static QString nameOfUserLibraryForImpliedOperation() { return defaultUserLibraryName(); }
    static QString uniqueUserLibraryName(const QString& name);
    // A new user library (with the standard categories) under a name made unique among the
    // user libraries, in "MY LIBRARY".
    static pf::Ref<PWXLibrary> userLibraryWithPreferredName(const QString& name);
    static bool isValidLibraryAtPath(const QString& path);
    // Installs a library folder (or a zip archive of one) from elsewhere in the user library
    // folder and registers it; null when it is not a valid library or cannot be copied.
    static pf::Ref<PWXLibrary> importLibraryAtPath(const QString& path);
    // The registered library of that internal name, without loading anything.
    static pf::Ref<PWXLibrary> registeredLibraryWithName(const QString& name);
    static QString displayNameForGroup(const QString& groupName);
    // Menus sort by "name", ascending.
    static const QList<pf::SortDescriptor>& menuSortDescriptors();
    // Fills `menu` (a new one when null) with every group and library.
    static pf::Ref<pf::Menu> renewLibrariesMenu(const pf::Ref<pf::Menu>& menu, qint32 options, pf::Reflective* target,
                                                const QString& action);

    // The temporary library of an open document, in "OPEN DOCUMENTS": items for the objects
    // that neither the user's nor the factory libraries hold.
    static pf::Ref<PWXLibrary> documentLibraryWithName(const QString& name, const QList<pf::Ref<pf::Object>>& objects,
                                                       bool createOnDisk);
    // Takes a document library out of "OPEN DOCUMENTS" and notifies (once; a library not in
    // the group is left alone); its folder is deleted when document libraries are temporary.
    static void removeDocumentLibrary(const pf::Ref<PWXLibrary>& library);
    static void setDocumentLibrariesAreTemporary(bool temporary);
    static bool documentLibrariesAreTemporary();
    static void setFactoryLibrariesWritable(bool writable);
    // Every library writes what it needs to; temporary document libraries are deleted.
    static void applicationWillQuitAll();

private:
    void initWithPath(const QString& path, bool addingStandardCategories);
    void loadItems(const QVariantList& infos);
    void markDirty() { m_needsUpdateOnDisk = true; }
    // The smart categories follow items coming and going.
    void refreshSmartCategories(const PWXLibraryItem* item);
    void giveItemAFreePackageName(PWXLibraryItem& item);
    void post(const QString& name, const QVariantMap& userInfo = {});
    friend class PWXLibraryItem;
    // Keeps the name index current when an item of this library changes its name.
    void itemNameDidChange(PWXLibraryItem* item, const QString& oldName);
    void indexItemName(const pf::Ref<PWXLibraryItem>& item);
    void unindexItemName(const PWXLibraryItem* item, const QString& name);

    QString m_group;
    QString m_path; // without the extension
    QMap<QString, pf::Ref<PWXLibraryItem>> m_itemsByID;
    // Case-folded item name -> items of that name, for name lookups without a search.
    QHash<QString, QList<PWXLibraryItem*>> m_itemsByName;
    QList<pf::Weak<pf::Menu>> m_menus;
    mutable QString m_displayName;
    bool m_loadingFromDisk = false;
    bool m_allowsCategoryChanges = true;
    bool m_allowsContentChanges = true;
    bool m_needsUpdateOnDisk = false;
    bool m_hasPreferredGroup = false;
    bool m_noDisk = true;
    bool m_damaged = false;
    pf::Ref<PWXLibraryCategory> m_allItems;
    pf::Ref<PWXFixedLengthLibraryCategory> m_recentlyUsed;
    pf::Ref<PWXFixedLengthLibraryCategory> m_recentlyAdded;
    bool m_updatingManagedCategories = false;
    // Set while an item arrives with its package already copied under its name.
    bool m_keepingPackageName = false;
    QString m_creator;
    QString m_description;
    mutable int m_version = 0;
    unsigned m_adHocSeedValue = 0;
};
