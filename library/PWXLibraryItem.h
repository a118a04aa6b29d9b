#pragma once

#include "library/PWXLibraryElement.h"
#include "platform/foundation/Coding.h"

#include <QDateTime>
#include <QImage>
#include <QPointF>
#include <QList>
#include <QStringList>
#include <QVariantMap>

#include <atomic>
#include <optional>

class PWXLibraryCategory;

namespace pf {
class OperationQueue;
class Pasteboard;
} // namespace pf

inline const QString kPWXLibraryObjectWasLoadedFromDisk = QStringLiteral("kPWXLibraryObjectWasLoadedFromDisk");
inline const QString kPWXLibraryObjectWasUpdatedOnDisk = QStringLiteral("kPWXLibraryObjectWasUpdatedOnDisk");
inline const QString kPWXLibraryObjectInternallyUpdated = QStringLiteral("kPWXLibraryObjectInternallyUpdated");
inline const QString kPWXLibraryObjectImageUpdated = QStringLiteral("kPWXLibraryObjectImageUpdated");
inline const QString kPWXLibraryItemPasteboardType = QStringLiteral("PWXLIBITEM_PB_TYPE");

// One entry of a library: a style or a clip-art symbol master with a small info dictionary,
// kept as a package folder "<name>.libitem" in the library's folder. The object is read from
// the package only when asked for and can be unloaded again.
class PWXLibraryItem : public PWXLibraryElement, public pf::Coding {
    PF_CLASS(PWXLibraryItem)
public:
    // Archive keys (pasteboard data).
    static inline const QString kArchiveLibraryKey = QStringLiteral("PWXLibItem_library");
    static inline const QString kArchiveNameKey = QStringLiteral("PWXLibItem_name");
    static inline const QString kArchiveUniqueIDKey = QStringLiteral("PWXLibItem_uniqueID");
    static inline const QString kArchiveClassCodeKey = QStringLiteral("PWXLibItem_classcode");
    static inline const QString kArchiveInfoKey = QStringLiteral("PWXLibItem_Info");
    static inline const QString kArchiveObjectKey = QStringLiteral("PWXLibItem_object");
    // Pasteboard dictionary keys.
    static inline const QString kPasteboardSourceLibKey = QStringLiteral("sourceLib");
    static inline const QString kPasteboardCountKey = QStringLiteral("count");
    static inline const QString kPasteboardItemsKey = QStringLiteral("items");
    static constexpr int kIconCacheLimit = 1000;

    // Package members.
    static inline const QString kDataEntry = QStringLiteral("__data");
    static inline const QString kInfoEntry = QStringLiteral("__info");
    static inline const QString kQuickLookEntry = QStringLiteral("QuickLook");
    static inline const QString kThumbnailEntry = QStringLiteral("Thumbnail.jpg");
    static inline const QString kPreviewEntry = QStringLiteral("Preview.pdf");
    // Element info keys (category files).
    static inline const QString kIDKey = QStringLiteral("id");
    static inline const QString kClassCodeKey = QStringLiteral("cc");
    // Info dictionary keys ("__info").
    static inline const QString kInfoNameKey = QStringLiteral("name");
    static inline const QString kInfoIDKey = QStringLiteral("id");
    static inline const QString kInfoLockedKey = QStringLiteral("locked");
    static inline const QString kInfoAutoDetachKey = QStringLiteral("autodetach");
    static inline const QString kInfoLastModDateKey = QStringLiteral("last_mod_date");
    static inline const QString kInfoUserDescriptionKey = QStringLiteral("user_description");
    static inline const QString kInfoOriginalSizeKey = QStringLiteral("original_size");
    static inline const QString kInfoCreationDateKey = QStringLiteral("creation_date");
    static inline const QString kInfoCreatedByKey = QStringLiteral("created_by");

    PWXLibraryItem() = default;
    ~PWXLibraryItem() override;

    // A new item for a style or symbol master: no name or library yet. Raises for any other
    // object.
    static pf::Ref<PWXLibraryItem> itemWithLibraryObject(const pf::Ref<pf::Object>& object);
    // An item of `library` by name (the name cleaned).
    static pf::Ref<PWXLibraryItem> itemWithName(const QString& name, PWXLibrary* library);
    // The item a category-file entry describes: null when its package is missing or it has no
    // key; the library's own item when it holds the key already.
    static pf::Ref<PWXLibraryItem> itemWithInfo(const QVariantMap& info, PWXLibrary* library);
    // An item read from a package folder; null when the path is not a package or its data
    // holds no library object.
    static pf::Ref<PWXLibraryItem> itemWithFile(const QString& path);
    // An item from one item's pasteboard data; null when the data holds none.
    static pf::Ref<PWXLibraryItem> itemWithPasteboardData(const QByteArray& data);
    // A new item for a clone of the object, named after this one; no library.
    pf::Ref<PWXLibraryItem> copyItem();
    pf::Ref<pf::Object> copy() const override { return const_cast<PWXLibraryItem*>(this)->copyItem(); }

    // Pasteboard ---------------------------------------------------------------------------------
    static bool writeLibraryItems(const QList<pf::Ref<PWXLibraryItem>>& items, pf::Pasteboard* pasteboard,
                                  double symbolPrescale = 1.0);
    // The items on the pasteboard, each one the library's own item when a library holds its key;
    // nullopt when the pasteboard holds none.
    static std::optional<QList<pf::Ref<PWXLibraryItem>>> libraryItemsFromPasteboard(const pf::Pasteboard* pasteboard);
    static pf::Ref<PWXLibrary> sourceLibraryOnPasteboard(const pf::Pasteboard* pasteboard);
    // The keyed archive of this item.
    QByteArray pasteboardData() const;

    // Previews ---------------------------------------------------------------------------------
    // The process-wide preview cache (unique key -> image, at most 1000).
    static QImage iconForItem(const PWXLibraryItem& item);
    static void setIconForItem(const QImage& image, const PWXLibraryItem& item);
    static int iconCacheCount();
    // How many preview files have been decoded since the program started (any thread).
    static qint64 previewDecodeCount();
    static void clearIconCache();
    // The one queue previews load on.
    static pf::OperationQueue& iconFetchQueue();
    static bool loadsImagesUsingThread();
    static void setLoadsImagesUsingThread(bool threaded);
    static QString libraryItemExtension() { return QStringLiteral("libitem"); }
    // 1 for styles, 2 for symbol masters; another class gets the next free code (from 3).
    static int codeForClass(const QString& className);
    static QString localisedKindStringForClassCode(int code);
    // "Untitled Style - n", n counting from 1 in each run.
    static QString nextAdHocStyleName();
    // `name` with "/", ":" and "\" (and NUL) replaced by "-": an item's name is its package's
    // file name.
    static QString cleanedName(const QString& name);

    // New items for the objects whose unique key no library of `groups` holds (all groups
    // when empty).
    static QList<pf::Ref<PWXLibraryItem>> libraryItemsWithUnknownObjects(const QList<pf::Ref<pf::Object>>& objects,
                                                                       const QStringList& groups);
    // New items for the objects, or, with `returnAnyExisting`, the items libraries hold for
    // them.
    static QList<pf::Ref<PWXLibraryItem>> libraryItemsWithObjects(const QList<pf::Ref<pf::Object>>& objects,
                                                                bool returnAnyExisting = false);
    // The items libraries hold for the objects that are held.
    static QList<pf::Ref<PWXLibraryItem>> existingLibraryItemsWithObjects(const QList<pf::Ref<pf::Object>>& objects);
    // New items for text styles of Helvetica, Helvetica Bold and Gill Sans at the usual sizes
    // (fonts that are missing are left out).
    static QList<pf::Ref<PWXLibraryItem>> predefinedFontStyleItems();

    // Names and paths --------------------------------------------------------------------------
    // With no name yet, a loaded object's name (or a generated style name) is taken.
    QString name() const override;
    // Cleans the name, makes it unique in the library, renames the package and the object, and
    // writes the package. A name whose package exists already (an orphan) is refused with an
    // alert.
    void setName(const QString& name) override;
    // Names the item (and its package) without renaming its object or any package on disk.
    void setNameKeepingObjectName(const QString& name);
    QString filename() const { return name() + QLatin1Char('.') + libraryItemExtension(); }
    // Renames the package; false when the target exists or the move fails.
    bool setFilename(const QString& name);
    // The package path; empty when the library has no folder.
    QString path() const;
    bool hasValidPath() const;

    QString uniqueKey() const { return m_key; }
    void setUniqueKey(const QString& key) { m_key = key; }
    int classCode() const { return m_classCode; }
    void setClassCode(int code) { m_classCode = code; }
    QString kind() const { return localisedKindStringForClassCode(m_classCode); }

    // The info dictionary: cached, else built from the loaded object, else read from the
    // package, else empty.
    QVariantMap info() const;
    void setInfoValue(const QString& key, const QVariant& value);
    bool locked() const;
    void setLocked(bool locked);
    QString userDescription() const;
    // Goes to the object when it is loaded and unlocked, else straight to "__info" on disk.
    void setUserDescription(const QString& description);
    bool autoDetachesInstances() const { return info().value(kInfoAutoDetachKey).toBool(); }
    // For clip art, the size stored under "original_size"; else the zero size.
    QSizeF originalSize() const;
    void setCreatedBy(const QString& name) { setInfoValue(kInfoCreatedByKey, name); }
    QDateTime creationDate() const { return info().value(kInfoCreationDateKey).toDateTime(); }
    QDateTime lastModificationDate() const { return info().value(kInfoLastModDateKey).toDateTime(); }
    QString createdBy() const { return info().value(kInfoCreatedByKey).toString(); }
    // "__info" inside the package, when the package exists; the info as an XML property list.
    QString infoFilePath() const;
    QByteArray infoData() const;
    // The package's preview data ("QuickLook/Preview.pdf") and thumbnail ("QuickLook/Thumbnail.jpg").
    QByteArray previewData() const;
    QImage previewThumbnail() const;
    // Where the item browser shows the item; not stored.
    QPointF iconPosition() const { return m_iconPosition; }
    void setIconPosition(const QPointF& position) { m_iconPosition = position; }
    // The categories of the library that hold the item directly.
    QList<pf::Ref<PWXLibraryCategory>> categories() const;
    // What a smart category's predicate compares: "name", "classCode", "kind", "uniqueKey",
    // "userDescription", "locked".
    QVariant predicateValueForKey(const QString& key) const;

    // Object and disk --------------------------------------------------------------------------
    bool hasObject() const { return m_object != nullptr; }
    // The loaded object, read from the package when not loaded; null when it cannot be read.
    pf::Ref<pf::Object> representedObject();
    void setRepresentedObject(const pf::Ref<pf::Object>& object);
    // The object when it is a style, or a symbol master.
    pf::Ref<pf::Object> style();
    pf::Ref<pf::Object> symbolMaster();
    // Writes the package (needs the object, a path and a library that allows content changes).
    bool writeToFile();
    bool updateOnDiskIfNeeded();
    bool deleteOnDisk();
    // Writes the package when out of date, then lets the object go.
    bool unload();

    // The cached preview; else one made from the loaded object; else, for an item with a
    // package, nothing now: the package's preview loads on the shared queue and arrives
    // through kPWXLibraryObjectImageUpdated on the main thread (at once without threads).
    QImage previewImage() { return previewImageLoadingAsynchronously(true); }
    QImage previewImageLoadingAsynchronously(bool asynchronously);
    QImage makePreviewImage();
    // Caches the preview and announces it.
    void setPreviewImage(const QImage& image);
    bool isLoadingPreview() const { return m_imageLoading.load(); }
    // Makes a fresh preview and writes the package.
    bool remakeIconOnDisk();

    // Key-value setting: a key the item has no setter for goes to the loaded object when it
    // has that setter, and is ignored otherwise.
    void setValueForUndefinedKey(const QVariant& value, const QString& key) override;

    QVariantMap elementInfo() const override;
    QString toolTipString() const { return name(); }
    QString title() const;
    QString description() const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void elementNameDidChange(const QString& oldName) override;

private:
    // Reads a preview image on the worker thread; null when nothing readable is there.
    static QImage loadImageWithPath(const QString& path);
    void deliverLoadedImage(const QImage& image);
    void setNameInternal(const QString& name) { setElementName(cleanedName(name)); }
    void rebuildInfoFromObject();
    void startObserving();
    void stopObserving();
    void objectChanged(const QString& notificationName);
    void tellLibraryItemUpdated();

    QString m_key;
    mutable QVariantMap m_info;
    mutable bool m_infoValid = false;
    pf::Ref<pf::Object> m_object;
    int m_classCode = 0;
    bool m_needsUpdate = false;
    bool m_loadingObject = false;
    bool m_isSettingProperty = false;
    bool m_decoding = false;
    QPointF m_iconPosition;
    std::atomic<bool> m_imageLoading{false};
    QList<quint64> m_observations;
};
