// The few platform services the run-time's portable core needs. On Windows they are the Win32
// calls the run-time is written against; the native Linux build supplies equivalents so the
// core can run under the sanitizers, fuzzers and benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv::platform {

// String blocks: 4-byte length before the data, two zero bytes after it. Returns the address
// of the first data byte, or null when the allocator refuses. n > 0.
unsigned char* AllocateStringBytes(uint32_t n);
void FreeString(unsigned char* data);

// Zero-filled fixed blocks (thread records).
void* AllocateZeroed(size_t n);
void FreeZeroed(void* block);

// One thread-local slot for the thread records.
bool TlsSlotAlloc(uint32_t& index);
void* TlsSlotGet(uint32_t index);
void TlsSlotSet(uint32_t index, void* value);
void TlsSlotFree(uint32_t index);

// Work the run-time does on a thread as it ends, for threads it did not start (a program's own).
// ThreadEndAdd registers a step (at most four, at static initialisation); ThreadEndArm marks the
// calling thread, whose end then runs every step on it. The run-time keeps no C++ thread_local
// on Windows: there the emulated thread-local storage is torn down at a CreateThread thread's
// end under the loader's lock, and such a thread that ends beside a thread of the posix thread
// library was seen to stop both for good. The steps run from a fiber-local slot's callback,
// before the loader's lock is taken.
void ThreadEndAdd(void (*step)());
void ThreadEndArm();

// The calling thread's innermost procedure activation. Every run-time operation reads it (the
// renderer some 300,000 times a burst), so it has a slot of its own that is read inline with
// the platform's fastest per-thread access.
#if defined(_WIN32) && defined(__x86_64__)
namespace detail {
// Byte offset of the slot in the thread environment block, which the gs register addresses;
// 0 when the slot is not one of the 64 kept there.
extern const uint32_t frame_slot_offset;
void* CurrentFrameGetSlow();
void CurrentFrameSetSlow(void* frame);
}  // namespace detail

inline void* CurrentFrameGet() {
  const uint64_t offset = detail::frame_slot_offset;
  if (offset == 0) return detail::CurrentFrameGetSlow();
  void* frame;
  __asm__ volatile("movq %%gs:(%1), %0" : "=r"(frame) : "r"(offset) : "memory");
  return frame;
}

inline void CurrentFrameSet(void* frame) {
  const uint64_t offset = detail::frame_slot_offset;
  if (offset == 0) return detail::CurrentFrameSetSlow(frame);
  __asm__ volatile("movq %0, %%gs:(%1)" : : "r"(frame), "r"(offset) : "memory");
}
#else
namespace detail {
inline thread_local void* current_frame = nullptr;
}
inline void* CurrentFrameGet() { return detail::current_frame; }
inline void CurrentFrameSet(void* frame) { detail::current_frame = frame; }
#endif

// Code-page conversion, as MultiByteToWideChar/WideCharToMultiByte with these flags and no
// default character: with capacity 0 they measure; they return the number of units written
// (or needed), 0 on failure.
int BytesToWide(uint32_t code_page, uint32_t flags, const unsigned char* src, int n, char16_t* dst,
                int capacity);
int WideToBytes(uint32_t code_page, uint32_t flags, const char16_t* src, int n, unsigned char* dst,
                int capacity);
// The code page a symbolic one stands for: 0 the ANSI, 1 the OEM, 2 the Macintosh code page of
// the system, 3 the calling thread's ANSI code page.
uint32_t SymbolicCodePage(uint32_t symbolic);

// Per-unit case mapping and alphabetic test (CharUpperBuffW, CharLowerBuffW, GetStringTypeW).
void UpperCaseUnits(char16_t* text, uint32_t n);
void LowerCaseUnits(char16_t* text, uint32_t n);
bool IsAlphabetic(char16_t unit);

// The local time of day (GetLocalTime).
struct TimeOfDay {
  int hour, minute, second, milliseconds;
};
TimeOfDay LocalTimeOfDay();

// Closes a thread record's directory-search and kernel handles; either may be null.
void CloseThreadHandles(void* find_handle, void* kernel_handle);

// Ends the process at once with the given code; no destructors run.
[[noreturn]] void ExitProcessNow(uint32_t code);

}  // namespace qv::platform
