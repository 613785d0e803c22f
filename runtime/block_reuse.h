// Reuse of large string blocks. A program that rebuilds a large string over and over (the
// tool reads its whole 4.6 MB canvas on every render) would otherwise have the system map,
// first-touch and unmap the same memory each time. So the string allocator keeps a few released
// blocks of kReuseMinBytes to kReuseMaxBytes and hands them out again to an allocation of
// exactly their length, from any thread.
//
// Ownership: a block is either owned by one string or in the kept list, never both. The list is
// process-wide and guarded by its own spin lock; a block is poisoned for AddressSanitizer
// before it enters the list and unpoisoned after it left it, so a use after release is still
// reported. Blocks leave the list when reused, when a newer one pushes out the oldest (which
// then goes back to the system), or through DropKeptBlocks. At most kReuseSlots blocks are
// kept, whatever the number of threads.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kReuseMinBytes = 64 * 1024;
constexpr uint32_t kReuseMaxBytes = 32 * 1024 * 1024;
constexpr int kReuseSlots = 2;

// A kept block of exactly n data bytes, ready as a new one (its length before it, two zero
// bytes after it), or null when none of that length is kept.
unsigned char* ReuseBlock(uint32_t n);

// Keeps a released block for reuse when its length qualifies; false when the caller must
// return it to the system.
bool KeepBlock(unsigned char* data);

// Returns every kept block to the system.
void DropKeptBlocks();

}  // namespace qv
