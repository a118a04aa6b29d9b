#pragma once

#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

class PWXSymbolMaster;

inline const QString kPWXSymbolWasRegisteredNotification = QStringLiteral("kPWXSymbolWasRegisteredNotification");
inline const QString kPWXRegisteredSymbolDidChangeNotification =
    QStringLiteral("kPWXRegisteredSymbolDidChangeNotification");
inline const QString kPWXAllUserSymbolsCategory = QStringLiteral("All User Symbols");
inline const QString kPWXAllUserStylesCategory = QStringLiteral("All User Styles");
inline const QString kPWXAutomaticKeyItemsCategory = QStringLiteral("Automatic Key Items");
inline const QString kPWXSymbolManagerDefaultsKey = QStringLiteral("PWXSymbolManager_symbolsLibrary");

// The process-wide directory of symbol masters by unique key. The registry in use is chosen
// once: the application delegate's symbol manager when it supplies one, else a
// PWXSymbolManager. The class operations act on that registry; those it does not offer (a
// supplied registry need not be a category manager) do nothing.
class PWXSymbolManager : public PWCategoryManager, public PWStyleRegistry, public PWCategoryMenuItemDelegate {
    PF_CLASS(PWXSymbolManager)
public:
    PWXSymbolManager();
    ~PWXSymbolManager() override;

    // The registry in use, chosen on first use (from any thread).
    static pf::Ref<PWStyleRegistry> sharedSymbolManager();
    // Tests and a relaunching application choose again on next use.
    static void resetSharedSymbolManager();

    // The shared registry's master under `key`, or null.
    static pf::Ref<PWXSymbolMaster> registeredSymbolForKey(const QString& key);
    static pf::Ref<PWXSymbolMaster> symbolForKeyAddingToRecentlyUsed(const QString& key);
    // Main thread only: registering names the master and posts a notification.
    static void registerSymbol(const pf::Ref<PWXSymbolMaster>& master);
    static void registerSymbol(const pf::Ref<PWXSymbolMaster>& master, const QStringList& categories);
    static void unregisterSymbol(const pf::Ref<PWXSymbolMaster>& master);
    static QStringList registeredSymbolKeys();
    static QByteArray registeredSymbolsData();
    static void saveDefaults();
    static void loadDefaults();
    static void resetRegistry();
    // The symbol library files in the "Symbol Libraries" folder; empty (logged) when the folder
    // cannot be made.
    static QStringList availableSymbolLibrariesOnDisk(bool* ok = nullptr);
    static pf::Ref<pf::Menu> managedSymbolsMenuWithItemTarget(pf::Reflective* target, const QString& action);

    // Instance operations -------------------------------------------------------------------

    QString symbolNameForKey(const QString& key) const;
    QList<pf::Ref<PWXSymbolMaster>> symbolsInCategories(const QStringList& categories) const;
    QStringList symbolNames(bool sorting = true) const;
    QStringList symbolNamesInCategory(const QString& category, bool sorting = true) const;
    void removeAllSymbols();
    pf::Ref<pf::Menu> managedSymbolsMenu(pf::Reflective* target, const QString& action) const;

    // PWCategoryManager
    QStringList defaultCategories() const override;
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    static QString fileType() { return QStringLiteral("sslib"); }

    // PWStyleRegistry: styles are not kept here.
    pf::Ref<PWStyle> styleForKey(const QString&) const override { return nullptr; }
    pf::Ref<pf::Object> symbolForKey(const QString& key) const override;
    bool containsKey(const QString& key) const override { return PWCategoryManager::containsKey(key); }
    pf::Ref<pf::Object> registerStyle(const pf::Ref<PWStyle>&) override { return nullptr; }
    QString uniqueNameForName(const QString& name) const override;
    pf::Ref<pf::Object> symbolWithName(const QString& name) const override;
    QStringList styleNames() const override { return {}; }
    // The manager keeps its images itself; the registry answers none.
    pf::Ref<PWImageDataManager> imageManager() const override { return nullptr; }
    void setImageManager(const pf::Ref<PWImageDataManager>&) override {}
    pf::Ref<PWImageDataManager> symbolImagesManager() const { return m_symbolImagesManager; }
    void addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                   bool createCategories) override;
    void setRecentlyAddedListEnabled(bool) override {}
    void setNeedsUIUpdate() override {}

    // PWCategoryMenuItemDelegate
    void menuItemWasAddedForObject(pf::MenuItem& item, const pf::Ref<pf::Object>& object,
                                   const QString& category) override;

private:
    void masterDidChange(pf::Reflective* master);

    pf::Ref<PWImageDataManager> m_symbolImagesManager;
    quint64 m_changeObserver = 0;
};
