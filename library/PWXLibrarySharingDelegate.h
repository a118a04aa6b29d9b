#pragma once

#include "platform/foundation/Object.h"

class PWXLibrary;

// Names the collection the sharing sheet describes.
class PWXLibrarySharingDelegate {
public:
    virtual ~PWXLibrarySharingDelegate() = default;
    virtual pf::Ref<PWXLibrary> libraryToUpload() const { return nullptr; }
};
