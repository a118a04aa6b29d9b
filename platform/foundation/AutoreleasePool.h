#pragma once

#include "platform/foundation/Variant.h"

namespace pf {

class Object;

// Keeps `object` alive until the innermost autorelease pool of the calling thread drains.
// On the main thread, with no pool open, that is the end of the current turn of the event
// loop. A worker thread with no pool open keeps the object until the thread ends.
void autorelease(Ref<Object> object);

// An autorelease scope on the current thread: what is autoreleased while it is the innermost
// pool is released when it is destroyed. Pools nest; worker threads open one around each
// unit of work.
class AutoreleasePool {
public:
    AutoreleasePool();
    ~AutoreleasePool();
    AutoreleasePool(const AutoreleasePool&) = delete;
    AutoreleasePool& operator=(const AutoreleasePool&) = delete;

private:
    size_t m_depth;
};

} // namespace pf
