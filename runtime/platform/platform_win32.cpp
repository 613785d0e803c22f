#include "platform/platform.h"

#include <windows.h>
#include <oleauto.h>
#include <winternl.h>

#include <cstdio>

namespace qv::platform {

unsigned char* AllocateStringBytes(uint32_t n) {
  BSTR block = SysAllocStringByteLen(nullptr, n);
  if (!block) return nullptr;
  auto* data = reinterpret_cast<unsigned char*>(block);
  data[n] = 0;
  data[n + 1] = 0;
  return data;
}

void FreeString(unsigned char* data) { SysFreeString(reinterpret_cast<BSTR>(data)); }

void* AllocateZeroed(size_t n) { return GlobalAlloc(GPTR, n); }
void FreeZeroed(void* block) { GlobalFree(block); }

bool TlsSlotAlloc(uint32_t& index) {
  DWORD slot = TlsAlloc();
  if (slot == TLS_OUT_OF_INDEXES) return false;
  index = slot;
  return true;
}
void* TlsSlotGet(uint32_t index) { return TlsGetValue(index); }
void TlsSlotSet(uint32_t index, void* value) { TlsSetValue(index, value); }
void TlsSlotFree(uint32_t index) { TlsFree(index); }

namespace {
// Allocated while the program loads, before any procedure runs.
const DWORD g_frame_slot = TlsAlloc();
DWORD FrameSlot() { return g_frame_slot; }

void** TebSlot(DWORD slot) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // GCC 12 misreads the gs-relative TEB read
  return &NtCurrentTeb()->TlsSlots[slot];
#pragma GCC diagnostic pop
}
}  // namespace

// The first 64 slots live in the thread's environment block; using them there is what
// TlsGetValue/TlsSetValue do, minus the calls and TlsGetValue's SetLastError(0), which must not
// disturb callers that read the last error.
void* CurrentFrameGet() {
  const DWORD slot = FrameSlot();
  if (slot < 64) return *TebSlot(slot);
  const DWORD last_error = GetLastError();
  void* frame = TlsGetValue(slot);
  SetLastError(last_error);
  return frame;
}

void CurrentFrameSet(void* frame) {
  const DWORD slot = FrameSlot();
  if (slot < 64) {
    *TebSlot(slot) = frame;
    return;
  }
  const DWORD last_error = GetLastError();
  TlsSetValue(slot, frame);
  SetLastError(last_error);
}

int BytesToWide(uint32_t code_page, const unsigned char* src, int n, char16_t* dst, int capacity) {
  return MultiByteToWideChar(code_page, MB_PRECOMPOSED, reinterpret_cast<const char*>(src), n,
                             reinterpret_cast<wchar_t*>(dst), capacity);
}

int WideToBytes(uint32_t code_page, const char16_t* src, int n, unsigned char* dst, int capacity) {
  return WideCharToMultiByte(code_page, 0, reinterpret_cast<const wchar_t*>(src), n,
                             reinterpret_cast<char*>(dst), capacity, nullptr, nullptr);
}

void UpperCaseUnits(char16_t* text, uint32_t n) {
  if (n) CharUpperBuffW(reinterpret_cast<wchar_t*>(text), n);
}
void LowerCaseUnits(char16_t* text, uint32_t n) {
  if (n) CharLowerBuffW(reinterpret_cast<wchar_t*>(text), n);
}
bool IsAlphabetic(char16_t unit) {
  WORD type = 0;
  wchar_t c = unit;
  return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & C1_ALPHA);
}

TimeOfDay LocalTimeOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

void CloseThreadHandles(void* find_handle, void* kernel_handle) {
  if (find_handle) FindClose(find_handle);
  if (kernel_handle) CloseHandle(kernel_handle);
}

void ExitProcessNow(uint32_t code) {
  std::fflush(nullptr);  // test programs report through stdio
  ExitProcess(code);
}

}  // namespace qv::platform
