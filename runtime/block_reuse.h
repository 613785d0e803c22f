// Reuse of large string blocks. A program that rebuilds a large string over and over (the
// tool reads its whole 4.6 MB canvas on every render) would otherwise have the system map,
// first-touch and unmap the same amount of memory each time. Released blocks from
// kReuseMinBytes up to kReuseMaxBytes are kept instead, a few per thread, and handed out again
// to an allocation of exactly their length on the same thread.
//
// Ownership: the kept blocks belong to the thread that released them and are reachable only
// from that thread's own list, so no lock is needed; a block is in the list or owned by one
// string, never both. They go back to the system when the list is full (the oldest first) and
// when the thread ends. Under AddressSanitizer a kept block is poisoned, so a use after its
// release is still reported.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kReuseMinBytes = 64 * 1024;
constexpr uint32_t kReuseMaxBytes = 64 * 1024 * 1024;
constexpr int kReuseSlots = 2;

// A kept block of exactly n data bytes, ready as a new one (length before it, two zero bytes
// after it), or null when the calling thread keeps none of that length.
unsigned char* ReuseBlock(uint32_t n);

// Keeps a released block for reuse when its length qualifies; false when the caller must
// return it to the system.
bool KeepBlock(unsigned char* data);

// Returns the calling thread's kept blocks to the system.
void DropKeptBlocks();

}  // namespace qv
