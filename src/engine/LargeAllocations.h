#pragma once

// The table images, their builds and the cache writes allocate and free vectors of many
// megabytes, on several threads. The C library's allocator raises the size it serves from its
// own heap after each such block is freed, so later ones stay resident when freed and the
// peaks of different threads add up. Fixing that size keeps each large block in memory of its
// own, given back to the system when freed.
namespace LargeAllocations {

// Call once, at the start of the process, before any thread begins.
void returnWhenFreed();

} // namespace LargeAllocations
