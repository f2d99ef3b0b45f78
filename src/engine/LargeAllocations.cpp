#include "LargeAllocations.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace LargeAllocations {

void returnWhenFreed() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD) && defined(M_ARENA_MAX)
    // A million row ids or ranks (4 MB) still come from the heap.
    mallopt(M_MMAP_THRESHOLD, (4 << 20) + 1);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    mallopt(M_ARENA_MAX, 2);
#endif
}

} // namespace LargeAllocations
