#include "block_reuse.h"

#include <cstddef>

#include "dyn_string.h"
#include "platform/platform.h"

#if defined(__SANITIZE_ADDRESS__)
#define QV_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_ASAN 1
#endif
#endif

#if defined(QV_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace qv {

namespace {

// The whole block: length word, data, two zero bytes.
void Poison(unsigned char* data, uint32_t n) {
#if defined(QV_ASAN)
  ASAN_POISON_MEMORY_REGION(data - 4, size_t{n} + 6);
#else
  (void)data, (void)n;
#endif
}

void Unpoison(unsigned char* data, uint32_t n) {
#if defined(QV_ASAN)
  ASAN_UNPOISON_MEMORY_REGION(data - 4, size_t{n} + 6);
#else
  (void)data, (void)n;
#endif
}

// Kept together with each block: its length word sits in the poisoned region.
struct KeptBlock {
  unsigned char* data;
  uint32_t bytes;
};

// Plain data, so it stays usable while the thread's other per-thread objects are destroyed;
// `closed` sends whatever they release after the list was emptied straight to the system.
struct KeptList {
  KeptBlock blocks[kReuseSlots];  // newest first
  bool closed;
};
thread_local KeptList t_kept{};

// Empties the list when the thread ends. Made on the first keep of each thread.
struct DropAtThreadEnd {
  DropAtThreadEnd() = default;
  DropAtThreadEnd(const DropAtThreadEnd&) = delete;
  DropAtThreadEnd& operator=(const DropAtThreadEnd&) = delete;
  ~DropAtThreadEnd() {
    DropKeptBlocks();
    t_kept.closed = true;
  }
};

void Free(KeptBlock& kept) {
  if (!kept.data) return;
  Unpoison(kept.data, kept.bytes);
  platform::FreeString(kept.data);
  kept = {};
}

}  // namespace

unsigned char* ReuseBlock(uint32_t n) {
  if (n < kReuseMinBytes || n > kReuseMaxBytes) return nullptr;
  KeptList& list = t_kept;
  for (int i = 0; i < kReuseSlots; ++i) {
    if (!list.blocks[i].data || list.blocks[i].bytes != n) continue;
    unsigned char* data = list.blocks[i].data;
    for (int j = i; j + 1 < kReuseSlots; ++j) list.blocks[j] = list.blocks[j + 1];
    list.blocks[kReuseSlots - 1] = {};
    Unpoison(data, n);
    data[n] = 0;  // a new block's terminator, whatever the last owner did
    data[n + 1] = 0;
    return data;
  }
  return nullptr;
}

bool KeepBlock(unsigned char* data) {
  const uint32_t n = BlockLength(data);
  if (n < kReuseMinBytes || n > kReuseMaxBytes) return false;
  KeptList& list = t_kept;
  if (list.closed) return false;
  thread_local DropAtThreadEnd drop;  // made when control first passes here on this thread
  (void)drop;
  Free(list.blocks[kReuseSlots - 1]);
  for (int j = kReuseSlots - 1; j > 0; --j) list.blocks[j] = list.blocks[j - 1];
  list.blocks[0] = {data, n};
  Poison(data, n);
  return true;
}

void DropKeptBlocks() {
  for (KeptBlock& kept : t_kept.blocks) Free(kept);
}

}  // namespace qv
