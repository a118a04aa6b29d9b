#pragma once

#include "platform/foundation/Object.h"

#include <QString>
#include <QStringList>

class PWImageDataManager;
class PWStyle;

// What the framework asks of a style registry, and of a symbol manager, which the application
// may replace by an object of its own (see PWRegistryProvider). Until it does, the framework's
// in-memory PWDefaultStyleRegistry answers.
//
// The framework keeps the registry it is given (it does not ask for it again), registers styles
// and looks them up through it, and marks registration on the styles it registers itself.
class PWStyleRegistry {
public:
    virtual ~PWStyleRegistry() = default;

    // Lookups by unique key; null when nothing is held under the key.
    virtual pf::Ref<PWStyle> styleForKey(const QString& key) const = 0;
    virtual pf::Ref<pf::Object> symbolForKey(const QString& key) const = 0;
    virtual bool containsKey(const QString& key) const = 0;
    // Registers a style the registry may not know; answers what now stands for it in the
    // registry (the style itself, or an item of the application's), or null when nothing was
    // registered (a null style, or one whose key is already held).
    virtual pf::Ref<pf::Object> registerStyle(const pf::Ref<PWStyle>& style) = 0;
    // `name`, or a variant of it that no registered object has.
    virtual QString uniqueNameForName(const QString& name) const = 0;
    // A registered symbol of that name, or null.
    virtual pf::Ref<pf::Object> symbolWithName(const QString& name) const = 0;
    virtual QStringList styleNames() const = 0;
    // The image data manager of symbol images.
    virtual pf::Ref<PWImageDataManager> imageManager() const = 0;
    virtual void setImageManager(const pf::Ref<PWImageDataManager>& manager) = 0;
    // Stores `object` under `key` in the categories (made when `createCategories`).
    virtual void addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                           bool createCategories) = 0;
    // Whether objects that enter the registry are listed as recently added.
    virtual void setRecentlyAddedListEnabled(bool enabled) = 0;
    // Asks whatever shows the registry's contents to refresh.
    virtual void setNeedsUIUpdate() = 0;

    // Registers `style` in `category` unless its key is held already; answers the style, or null
    // when nothing was registered. This version files it with addObject; registries that know
    // their categories' contents also skip a style whose name the category already has.
    virtual pf::Ref<PWStyle> registerStyleInCategory(const pf::Ref<PWStyle>& style, const QString& category);

    // The registry in use: the one installed, else the framework's default one (made on first
    // use). Safe to call from any thread.
    static pf::Ref<PWStyleRegistry> sharedRegistry();
    // Installs a registry; null goes back to the default one.
    static void setSharedRegistry(const pf::Ref<PWStyleRegistry>& registry);
    // The symbol manager the application supplied, or null when it supplied none.
    static pf::Ref<PWStyleRegistry> symbolManager();
    static void setSymbolManager(const pf::Ref<PWStyleRegistry>& manager);

    // Asks pf::Application's delegate, when it is a PWRegistryProvider, for the style registry
    // and the symbol manager, and keeps what it answers: a null style registry keeps the one in
    // use, a null symbol manager leaves none. The application calls this once at start; answers
    // whether the delegate supplied a style registry.
    static bool installFromApplicationDelegate();

    // Whether the registry in use holds a style under `style`'s unique key.
    static bool isStyleRegistered(const PWStyle& style);
};
