#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Copies the user's content of the earlier major version (item-library collections and user
// templates) into this version's application support folder the first time the program runs,
// then leaves the marker "_migrated" there so that it happens once. Run at launch, before the
// item library first loads. Every failure is logged and skips the item; nothing stops the launch.
class VNQLApplicationMigrator {
public:
    static inline const QString kMarkerFileName = QStringLiteral("_migrated");
    static inline const QString kCollectionsFolderName = QStringLiteral("Symbol Libraries");
    static inline const QString kTemplatesFolderName = QStringLiteral("My Templates");
    static inline const QString kMigratedTemplatesFolderName = QStringLiteral("Migrated From Quillory 1");
    static inline const QString kCollectionExtension = QStringLiteral("symlibrary");
    static inline const QString kCatalogueExtension = QStringLiteral("categories");
    // The earlier version's identifiers: its store edition, then its direct edition.
    static inline const QString kEarlierStoreIdentifier = QStringLiteral("org.quillory.Quillory1.store");
    static inline const QString kEarlierDirectIdentifier = QStringLiteral("org.quillory.Quillory1");

    // Runs the whole migration unless it was done before; answers true when it had been done,
    // otherwise the success of the last item migrated (false when nothing was).
    static bool migrateFromEarlierVersion();
    static bool hasMigrated();

    // The existing "Symbol Libraries" and "My Templates" folders of the earlier version, in the
    // order its places are searched.
    static QList<QUrl> URLsOfCollectionsToMigrate();
    static QList<QUrl> URLsOfTemplatesToMigrate();
    // This version's support folder (made when missing), or an empty URL on failure.
    static QUrl appSupportFolder();
    // The support folder inside the earlier store edition's sandbox.
    static QUrl quilloryAppStoreSupportFolder();

    // Copy one collection or one template; answer success.
    static bool migrateSymbolLibrary(const QUrl& collection);
    static bool migrateTemplate(const QUrl& templateURL);

private:
    static QList<QUrl> earlierSupportFolders();
    static QList<QUrl> existingSubfolders(const QString& name);
};
