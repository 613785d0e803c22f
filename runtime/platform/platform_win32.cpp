#include "platform/platform.h"

#include <windows.h>
#include <oleauto.h>
#include <winternl.h>

#include <cstddef>
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

constexpr int kThreadEndSteps = 4;
void (*g_thread_end_steps[kThreadEndSteps])() = {};

void WINAPI RunThreadEndSteps(void* armed) {
  if (!armed) return;
  for (auto* step : g_thread_end_steps)
    if (step) step();
}

DWORD ThreadEndSlot() {
  static const DWORD slot = FlsAlloc(RunThreadEndSteps);
  return slot;
}

}  // namespace

void ThreadEndAdd(void (*step)()) {
  for (auto*& slot : g_thread_end_steps)
    if (!slot || slot == step) {
      slot = step;
      return;
    }
}

void ThreadEndArm() {
  if (ThreadEndSlot() != FLS_OUT_OF_INDEXES) FlsSetValue(ThreadEndSlot(), reinterpret_cast<void*>(1));
}

namespace {
// Allocated while the program loads, before any procedure runs.
const DWORD g_frame_slot = TlsAlloc();
constexpr uint32_t kTebTlsSlots = offsetof(TEB, TlsSlots);
constexpr DWORD kTebSlotCount = 64;
static_assert(kTebTlsSlots == 0x1480, "x64 thread environment block");
}  // namespace

// Slots beyond the first 64 live outside the thread environment block: TlsGetValue/TlsSetValue,
// which must not disturb callers that read the last error (TlsGetValue clears it).
const uint32_t detail::frame_slot_offset =
    g_frame_slot < kTebSlotCount ? kTebTlsSlots + 8 * g_frame_slot : 0;

void* detail::CurrentFrameGetSlow() {
  const DWORD last_error = GetLastError();
  void* frame = TlsGetValue(g_frame_slot);
  SetLastError(last_error);
  return frame;
}

void detail::CurrentFrameSetSlow(void* frame) {
  const DWORD last_error = GetLastError();
  TlsSetValue(g_frame_slot, frame);
  SetLastError(last_error);
}

int BytesToWide(uint32_t code_page, uint32_t flags, const unsigned char* src, int n, char16_t* dst,
                int capacity) {
  return MultiByteToWideChar(code_page, flags, reinterpret_cast<const char*>(src), n,
                             reinterpret_cast<wchar_t*>(dst), capacity);
}

int WideToBytes(uint32_t code_page, uint32_t flags, const char16_t* src, int n, unsigned char* dst,
                int capacity) {
  return WideCharToMultiByte(code_page, flags, reinterpret_cast<const wchar_t*>(src), n,
                             reinterpret_cast<char*>(dst), capacity, nullptr, nullptr);
}

namespace {
uint32_t LocaleCodePage(LCID locale, LCTYPE item, uint32_t fallback) {
  DWORD value = 0;
  if (!GetLocaleInfoW(locale, item | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value),
                      sizeof value / sizeof(wchar_t)))
    return fallback;
  return value;
}
}  // namespace

uint32_t SymbolicCodePage(uint32_t symbolic) {
  switch (symbolic) {
    case CP_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return LocaleCodePage(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTMACCODEPAGE, CP_MACCP);
    case CP_THREAD_ACP: return LocaleCodePage(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, GetACP());
    default: return symbolic;
  }
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
