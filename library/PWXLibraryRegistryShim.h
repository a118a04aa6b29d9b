#pragma once

#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "platform/foundation/Object.h"

#include <QList>

class PWXLibraryItem;

// Lets the libraries stand in for the framework's style registry and for the program's symbol
// manager: lookups by unique key are answered from the library items, a new style is
// registered by adding a copy of it to the default user library, and the registry's other
// duties do nothing. Stateless: a new shim may be made for every request.
//
// The libraries live on the main thread: off it (a document read on a worker) the lookups
// answer nothing and nothing is registered.
class PWXLibraryRegistryShim : public pf::Object, public PWStyleRegistry {
    PF_CLASS(PWXLibraryRegistryShim)
public:
    static pf::Ref<PWXLibraryRegistryShim> shim();

    // The object of the item with that key in whichever library holds it, when it is a style
    // (a symbol master).
    static pf::Ref<PWStyle> styleForKeyInLibraries(const QString& key);
    static pf::Ref<pf::Object> symbolForKeyInLibraries(const QString& key);
    // Whether a user or factory library holds the key (document libraries do not count).
    static bool librariesContainKey(const QString& key);
    // Adds a locked copy of `style` to the default user library, shows it in the library
    // manager and announces the substitution; answers the new item, or null when a user or
    // factory library holds the style already.
    static pf::Ref<PWXLibraryItem> registerStyleInLibraries(const pf::Ref<PWStyle>& style);

    // PWStyleRegistry
    pf::Ref<PWStyle> styleForKey(const QString& key) const override { return styleForKeyInLibraries(key); }
    pf::Ref<pf::Object> symbolForKey(const QString& key) const override { return symbolForKeyInLibraries(key); }
    bool containsKey(const QString& key) const override { return librariesContainKey(key); }
    pf::Ref<pf::Object> registerStyle(const pf::Ref<PWStyle>& style) override;
    QString uniqueNameForName(const QString& name) const override { return name; }
    pf::Ref<pf::Object> symbolWithName(const QString&) const override { return nullptr; }
    QStringList styleNames() const override { return {}; }
    pf::Ref<PWImageDataManager> imageManager() const override;
    void setImageManager(const pf::Ref<PWImageDataManager>& manager) override;
    // Keeps the object alive until the current event has been handled; nothing is registered.
    void addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                   bool createCategories) override;
    // Objects handed to addObject and not yet let go.
    static int keptObjectCount();
    void setRecentlyAddedListEnabled(bool) override {}
    void setNeedsUIUpdate() override {}
};
