#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#endif

#include "block_reuse.h"
#include "dyn_string.h"
#include "frame.h"
#include "string_ops.h"

#if defined(__SANITIZE_ADDRESS__)
#define QV_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QV_TEST_ASAN 1
#endif
#endif
#if defined(QV_TEST_ASAN)
#include <sanitizer/asan_interface.h>
#endif

namespace qv {
namespace {

constexpr uint32_t kLarge = kReuseMinBytes + 12;

class BlockReuse : public ::testing::Test {
 protected:
  void SetUp() override { DropKeptBlocks(); }
  void TearDown() override { DropKeptBlocks(); }
};

TEST_F(BlockReuse, AReleasedLargeBlockComesBackAsANewOneOfItsLength) {
  unsigned char* first = AllocateBytes(kLarge);
  ASSERT_NE(first, nullptr);
  std::memset(first, 0xAB, kLarge);
  ReleaseBlock(first);
  unsigned char* again = AllocateBytes(kLarge);
  EXPECT_EQ(again, first);
  EXPECT_EQ(BlockLength(again), kLarge);
  EXPECT_EQ(again[kLarge], 0);
  EXPECT_EQ(again[kLarge + 1], 0);
  ReleaseBlock(again);
}

TEST_F(BlockReuse, OnlyTheExactLengthAndOnlyLargeBlocksAreReused) {
  unsigned char* kept = AllocateBytes(kLarge);
  ReleaseBlock(kept);
  unsigned char* longer = AllocateBytes(kLarge + 1);
  unsigned char* shorter = AllocateBytes(kLarge - 1);
  EXPECT_NE(longer, kept);
  EXPECT_NE(shorter, kept);
  unsigned char* same = AllocateBytes(kLarge);  // still there for its own length
  EXPECT_EQ(same, kept);
  for (unsigned char* b : {longer, shorter, same}) ReleaseBlock(b);

  unsigned char* small = AllocateBytes(kReuseMinBytes - 1);
  EXPECT_FALSE(KeepBlock(small));
  ReleaseBlock(small);
  EXPECT_EQ(ReuseBlock(kReuseMinBytes - 1), nullptr);
  EXPECT_EQ(ReuseBlock(kReuseMaxBytes + 1), nullptr);
}

TEST_F(BlockReuse, AFewBlocksAreKeptAndTheOldestGoFirst) {
  std::vector<unsigned char*> blocks;
  for (int i = 0; i < kReuseSlots + 2; ++i) blocks.push_back(AllocateBytes(kLarge));
  for (unsigned char* b : blocks) ReleaseBlock(b);
  // Newest first: the last kReuseSlots released come back, then none.
  for (int i = 0; i < kReuseSlots; ++i) EXPECT_EQ(ReuseBlock(kLarge), blocks[blocks.size() - 1 - size_t(i)]);
  EXPECT_EQ(ReuseBlock(kLarge), nullptr);
  for (int i = 0; i < kReuseSlots; ++i) ReleaseBlock(blocks[blocks.size() - 1 - size_t(i)]);
}

TEST_F(BlockReuse, AReleasedBlockServesOneAllocationOnAnyThread) {
  unsigned char* released = AllocateBytes(kLarge);
  ReleaseBlock(released);
  unsigned char* theirs = nullptr;
  std::thread([&] { theirs = AllocateBytes(kLarge); }).join();
  EXPECT_EQ(theirs, released);
  unsigned char* mine = AllocateBytes(kLarge);  // not the same block a second time
  EXPECT_NE(mine, theirs);
  ReleaseBlock(mine);
  ReleaseBlock(theirs);
}

TEST_F(BlockReuse, ThreadsWorkingAtOnceNeverShareABlock) {
  std::atomic<int> broken{0};
  auto work = [&](unsigned char tag) {
    ProcedureFrame frame;
    for (int i = 0; i < 300; ++i) {
      const uint32_t n = kLarge + uint32_t(i % 3);
      DynString s;
      s.Reset(AllocateBytes(n));
      std::memset(s.data(), tag, n);
      std::this_thread::yield();
      for (uint32_t at : {0u, n / 2, n - 1})
        if (s.data()[at] != tag) ++broken;
      PushText(s);
      PushText(s);
      Concat();  // a block of twice the length through the operand stack
      PopDiscard();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned char tag = 1; tag <= 4; ++tag) threads.emplace_back(work, tag);
  for (auto& t : threads) t.join();
  EXPECT_EQ(broken.load(), 0);
}

#if defined(_WIN32)
size_t CommittedBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                          sizeof counters);
  return counters.PagefileUsage;  // the private bytes: Wine reports 0 as PrivateUsage
}

DWORD WINAPI KeepOneLargeBlock(void*) {
  ReleaseBlock(AllocateBytes(kReuseMaxBytes));
  return 0;
}

TEST_F(BlockReuse, ThreadsThatEndLeaveNoMoreThanTheFewKeptBlocks) {
  // Threads made by the platform, as graphic windows' threads are, may end without any clean-up
  // of the run-time's running for them, so nothing may be held for them alone.
  const size_t before = CommittedBytes();
  for (int i = 0; i < 8; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, KeepOneLargeBlock, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  const size_t after = CommittedBytes();
  EXPECT_LT(after, before + (kReuseSlots + 1) * size_t{kReuseMaxBytes}) << before << " -> " << after;
}
#endif

#if defined(QV_TEST_ASAN)
TEST_F(BlockReuse, AKeptBlockStaysUnusableUnderTheAddressSanitizer) {
  unsigned char* b = AllocateBytes(kLarge);
  EXPECT_FALSE(__asan_address_is_poisoned(b));
  ReleaseBlock(b);
  EXPECT_TRUE(__asan_address_is_poisoned(b));
  EXPECT_TRUE(__asan_address_is_poisoned(b + kLarge - 1));
  EXPECT_TRUE(__asan_address_is_poisoned(b - 4));  // the length word too
  unsigned char* again = AllocateBytes(kLarge);
  ASSERT_EQ(again, b);
  EXPECT_FALSE(__asan_address_is_poisoned(again + kLarge + 1));
  ReleaseBlock(again);
}
#endif

}  // namespace
}  // namespace qv
