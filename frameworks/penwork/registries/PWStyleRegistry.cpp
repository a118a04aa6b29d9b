#include "frameworks/penwork/registries/PWStyleRegistry.h"

#include "frameworks/penwork/registries/PWDefaultStyleRegistry.h"
#include "frameworks/penwork/registries/PWRegistryProvider.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

struct SharedRegistries {
    QMutex mutex;
    pf::Ref<PWStyleRegistry> installed;
    pf::Ref<PWStyleRegistry> fallback;
    pf::Ref<PWStyleRegistry> symbolManager;
};

SharedRegistries& shared()
{
    static SharedRegistries registries;
    return registries;
}

} // namespace

pf::Ref<PWStyle> PWStyleRegistry::registerStyleInCategory(const pf::Ref<PWStyle>& style, const QString& category)
{
    if (!style || style->uniqueKey().isEmpty() || containsKey(style->uniqueKey()))
        return nullptr;
    addObject(style, style->uniqueKey(), {category}, true);
    return style;
}

pf::Ref<PWStyleRegistry> PWStyleRegistry::sharedRegistry()
{
    SharedRegistries& registries = shared();
    QMutexLocker lock(&registries.mutex);
    if (registries.installed)
        return registries.installed;
    if (!registries.fallback)
        registries.fallback = std::make_shared<PWDefaultStyleRegistry>();
    return registries.fallback;
}

void PWStyleRegistry::setSharedRegistry(const pf::Ref<PWStyleRegistry>& registry)
{
    SharedRegistries& registries = shared();
    QMutexLocker lock(&registries.mutex);
    registries.installed = registry;
}

pf::Ref<PWStyleRegistry> PWStyleRegistry::symbolManager()
{
    SharedRegistries& registries = shared();
    QMutexLocker lock(&registries.mutex);
    return registries.symbolManager;
}

void PWStyleRegistry::setSymbolManager(const pf::Ref<PWStyleRegistry>& manager)
{
    SharedRegistries& registries = shared();
    QMutexLocker lock(&registries.mutex);
    registries.symbolManager = manager;
}

bool PWStyleRegistry::installFromApplicationDelegate()
{
    auto* provider = dynamic_cast<PWRegistryProvider*>(pf::Application::shared()->delegate());
    if (!provider)
        return false;
    // Kept, not asked for again: the delegate may hand out a new object on every request.
    pf::Ref<PWStyleRegistry> registry = provider->applicationWillReturnStyleRegistry();
    pf::Ref<PWStyleRegistry> symbols = provider->applicationWillReturnSymbolManager();
    if (registry)
        setSharedRegistry(registry);
    else
        pf::log(QStringLiteral("The application supplied no style registry; the framework's own is used"));
    setSymbolManager(symbols);
    return registry != nullptr;
}

bool PWStyleRegistry::isStyleRegistered(const PWStyle& style)
{
    const QString key = style.uniqueKey();
    return !key.isEmpty() && sharedRegistry()->containsKey(key);
}
