#pragma once

#include "platform/foundation/Object.h"

class PWStyleRegistry;

// Adopted by an application delegate that supplies the framework's style registry and symbol
// manager (PWStyleRegistry::installFromApplicationDelegate asks for both once).
class PWRegistryProvider {
public:
    virtual ~PWRegistryProvider() = default;
    // Null: the framework keeps its own registry.
    virtual pf::Ref<PWStyleRegistry> applicationWillReturnStyleRegistry() = 0;
    // Null: no symbol manager is supplied.
    virtual pf::Ref<PWStyleRegistry> applicationWillReturnSymbolManager() = 0;
};
