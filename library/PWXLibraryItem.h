#pragma once

#include "library/PWXLibraryElement.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QVariantMap>

class PWXLibraryCategory;

inline const QString kPWXLibraryObjectWasLoadedFromDisk = QStringLiteral("kPWXLibraryObjectWasLoadedFromDisk");
inline const QString kPWXLibraryObjectWasUpdatedOnDisk = QStringLiteral("kPWXLibraryObjectWasUpdatedOnDisk");
inline const QString kPWXLibraryObjectInternallyUpdated = QStringLiteral("kPWXLibraryObjectInternallyUpdated");
inline const QString kPWXLibraryObjectImageUpdated = QStringLiteral("kPWXLibraryObjectImageUpdated");

// One entry of a library: a style or a clip-art symbol master with a small info dictionary,
// kept as a package folder "<name>.libitem" in the library's folder. The object is read from
// the package only when asked for and can be unloaded again.
class PWXLibraryItem : public PWXLibraryElement {
    PF_CLASS(PWXLibraryItem)
public:
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
    void setUserDescription(const QString& description);
    QDateTime creationDate() const { return info().value(kInfoCreationDateKey).toDateTime(); }
    QDateTime lastModificationDate() const { return info().value(kInfoLastModDateKey).toDateTime(); }
    QString createdBy() const { return info().value(kInfoCreatedByKey).toString(); }
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

    // The preview read from the package (or made from the loaded object); null when none.
    QImage previewImage();
    QImage makePreviewImage();

    QVariantMap elementInfo() const override;
    QString toolTipString() const { return name(); }

private:
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
    QImage m_preview;
    QList<quint64> m_observations;
};
