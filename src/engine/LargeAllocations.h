#pragma once

// The table images, their builds and the cache writes allocate and free vectors of many
// megabytes, on several threads. Left to itself, the C library's allocator raises the size it
// serves from its own heaps after each such block is freed, so later ones stay resident when
// freed, and each thread's heap keeps its own: the peaks add up. Blocks past a fixed size get
// memory of their own, given back to the system when freed; smaller ones, such as a keystroke's
// match list, are used again without fresh pages, and the threads share two heaps.
namespace LargeAllocations {

// Call once, at the start of the process, before any thread begins.
void returnWhenFreed();

} // namespace LargeAllocations
