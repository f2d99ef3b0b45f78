#include "LargeAllocations.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace LargeAllocations {

void returnWhenFreed() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

} // namespace LargeAllocations
