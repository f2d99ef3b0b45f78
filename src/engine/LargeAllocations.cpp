#include "LargeAllocations.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace LargeAllocations {

void returnWhenFreed() {
#ifdef M_MMAP_THRESHOLD
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

} // namespace LargeAllocations
