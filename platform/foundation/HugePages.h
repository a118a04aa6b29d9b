#pragma once

#include <QtGlobal>

#include <sys/mman.h>

#include <cstddef>

namespace pf {

// Asks the kernel to back the whole 2 MB pages inside [begin, begin + bytes) of anonymous
// memory with huge pages when they are first touched. Touching fresh memory page by page is
// slow, and large short-lived buffers (an archive being written, say) touch a great deal of it.
// Only worth it for memory not yet touched; a range holding no whole huge page is left alone.
inline void adviseHugePages(void* begin, size_t bytes)
{
#ifdef MADV_HUGEPAGE
    constexpr quintptr kHugePage = quintptr(2) * 1024 * 1024;
    const quintptr first = (quintptr(begin) + kHugePage - 1) & ~(kHugePage - 1);
    const quintptr end = (quintptr(begin) + bytes) & ~(kHugePage - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(begin);
    Q_UNUSED(bytes);
#endif
}

} // namespace pf
