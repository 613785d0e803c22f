// Native stand-ins for the Win32 services of platform.h. Code page 0 (the system ANSI code page)
// is taken to be Windows-1252, as on a Western-European Windows; 65001 is UTF-8.
#include "platform/platform.h"

#include <locale.h>
#include <pthread.h>
#include <unistd.h>
#include <wctype.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace qv::platform {

namespace {

constexpr uint32_t kCodePageAnsi = 0;
constexpr uint32_t kCodePageWestern = 1252;
constexpr uint32_t kCodePageUtf8 = 65001;
constexpr uint32_t kCodePageOem = 850;  // not converted here
constexpr uint32_t kCodePageMac = 10000;

// 0x80-0x9F of Windows-1252; the five unassigned bytes map to the C1 control of the same value.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t WesternToUnit(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kWestern80[b - 0x80] : char16_t(b);
}

unsigned char UnitToWestern(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
  for (int i = 0; i < 32; ++i)
    if (kWestern80[i] == u) return static_cast<unsigned char>(0x80 + i);
  return '?';  // the default character of WideCharToMultiByte
}

bool IsWestern(uint32_t cp) { return cp == kCodePageAnsi || cp == kCodePageWestern; }

// Decodes UTF-8 into UTF-16; malformed sequences become U+FFFD, as the Windows converter does.
int Utf8ToWide(const unsigned char* s, int n, char16_t* dst, int capacity) {
  int out = 0;
  auto put = [&](char16_t u) -> bool {
    if (capacity) {
      if (out >= capacity) return false;
      dst[out] = u;
    }
    ++out;
    return true;
  };
  for (int i = 0; i < n;) {
    unsigned char b = s[i];
    uint32_t cp;
    int extra;
    if (b < 0x80) { cp = b; extra = 0; }
    else if (b >= 0xC2 && b < 0xE0) { cp = b & 0x1F; extra = 1; }
    else if (b >= 0xE0 && b < 0xF0) { cp = b & 0x0F; extra = 2; }
    else if (b >= 0xF0 && b < 0xF5) { cp = b & 0x07; extra = 3; }
    else { if (!put(0xFFFD)) return 0; ++i; continue; }
    int j = 1;
    for (; j <= extra && i + j < n && (s[i + j] & 0xC0) == 0x80; ++j) cp = (cp << 6) | (s[i + j] & 0x3F);
    bool bad = j <= extra || (extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) ||
               (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF));
    i += bad ? (j > 1 ? j : 1) : j;
    if (bad) { if (!put(0xFFFD)) return 0; continue; }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      if (!put(char16_t(0xD800 + (cp >> 10))) || !put(char16_t(0xDC00 + (cp & 0x3FF)))) return 0;
    } else if (!put(char16_t(cp))) {
      return 0;
    }
  }
  return out;
}

int WideToUtf8(const char16_t* s, int n, unsigned char* dst, int capacity) {
  int out = 0;
  auto put = [&](uint32_t byte) -> bool {
    if (capacity) {
      if (out >= capacity) return false;
      dst[out] = static_cast<unsigned char>(byte);
    }
    ++out;
    return true;
  };
  for (int i = 0; i < n; ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    else if (cp >= 0xD800 && cp < 0xE000)
      cp = 0xFFFD;  // a lone surrogate
    bool ok = cp < 0x80      ? put(cp)
              : cp < 0x800   ? put(0xC0 | (cp >> 6)) && put(0x80 | (cp & 0x3F))
              : cp < 0x10000 ? put(0xE0 | (cp >> 12)) && put(0x80 | ((cp >> 6) & 0x3F)) && put(0x80 | (cp & 0x3F))
                             : put(0xF0 | (cp >> 18)) && put(0x80 | ((cp >> 12) & 0x3F)) &&
                                   put(0x80 | ((cp >> 6) & 0x3F)) && put(0x80 | (cp & 0x3F));
    if (!ok) return 0;
  }
  return out;
}

locale_t UnicodeLocale() {
  static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  return loc;
}

char16_t MapUnit(char16_t u, bool upper) {
  if (u >= 0xD800 && u < 0xE000) return u;  // halves of a pair are mapped as themselves
  locale_t loc = UnicodeLocale();
  wint_t m = loc ? (upper ? towupper_l(u, loc) : towlower_l(u, loc))
                 : (upper ? (u >= 'a' && u <= 'z' ? u - 32 : u) : (u >= 'A' && u <= 'Z' ? u + 32 : u));
  return m <= 0xFFFF ? char16_t(m) : u;  // a mapping that leaves the 16-bit range is not made
}

}  // namespace

unsigned char* AllocateStringBytes(uint32_t n) {
  // Same layout as the Windows string allocator: length word, data, two zero bytes.
  size_t total = size_t{4} + n + 2;
  auto* block = static_cast<unsigned char*>(std::malloc(total));
  if (!block) return nullptr;
  std::memcpy(block, &n, 4);
  block[4 + size_t{n}] = 0;
  block[5 + size_t{n}] = 0;
  return block + 4;
}

void FreeString(unsigned char* data) {
  if (data) std::free(data - 4);
}

void* AllocateZeroed(size_t n) { return std::calloc(1, n); }
void FreeZeroed(void* block) { std::free(block); }

bool TlsSlotAlloc(uint32_t& index) {
  pthread_key_t key;
  if (pthread_key_create(&key, nullptr) != 0) return false;
  index = static_cast<uint32_t>(key);
  return true;
}
void* TlsSlotGet(uint32_t index) { return pthread_getspecific(static_cast<pthread_key_t>(index)); }
void TlsSlotSet(uint32_t index, void* value) { pthread_setspecific(static_cast<pthread_key_t>(index), value); }
void TlsSlotFree(uint32_t index) { pthread_key_delete(static_cast<pthread_key_t>(index)); }

namespace {

constexpr int kThreadEndSteps = 4;
void (*g_thread_end_steps[kThreadEndSteps])() = {};

// A key's destructor runs once the other keys' values may be gone; the steps read their own.
struct ThreadEnd {
  bool armed = false;
  ~ThreadEnd() {
    if (!armed) return;
    for (auto* step : g_thread_end_steps)
      if (step) step();
  }
};
thread_local ThreadEnd t_thread_end;

}  // namespace

void ThreadEndAdd(void (*step)()) {
  for (auto*& slot : g_thread_end_steps)
    if (!slot || slot == step) {
      slot = step;
      return;
    }
}

void ThreadEndArm() { t_thread_end.armed = true; }

// Flags change nothing for the two code pages converted here.
int BytesToWide(uint32_t code_page, uint32_t, const unsigned char* src, int n, char16_t* dst, int capacity) {
  if (n <= 0 || capacity < 0) return 0;
  if (code_page == kCodePageUtf8) return Utf8ToWide(src, n, dst, capacity);
  if (!IsWestern(code_page)) return 0;
  if (capacity == 0) return n;
  if (capacity < n) return 0;
  for (int i = 0; i < n; ++i) dst[i] = WesternToUnit(src[i]);
  return n;
}

int WideToBytes(uint32_t code_page, uint32_t, const char16_t* src, int n, unsigned char* dst, int capacity) {
  if (n <= 0 || capacity < 0) return 0;
  if (code_page == kCodePageUtf8) return WideToUtf8(src, n, dst, capacity);
  if (!IsWestern(code_page)) return 0;
  if (capacity == 0) return n;
  if (capacity < n) return 0;
  for (int i = 0; i < n; ++i) dst[i] = UnitToWestern(src[i]);
  return n;
}

uint32_t SymbolicCodePage(uint32_t symbolic) {
  switch (symbolic) {
    case 0: case 3: return kCodePageWestern;  // the ANSI code page, for the process and the thread
    case 1: return kCodePageOem;
    case 2: return kCodePageMac;
    default: return symbolic;
  }
}

void UpperCaseUnits(char16_t* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) text[i] = MapUnit(text[i], true);
}
void LowerCaseUnits(char16_t* text, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) text[i] = MapUnit(text[i], false);
}
bool IsAlphabetic(char16_t unit) {
  if (unit >= 0xD800 && unit < 0xE000) return false;
  locale_t loc = UnicodeLocale();
  return loc ? iswalpha_l(unit, loc) != 0 : ((unit | 32) >= 'a' && (unit | 32) <= 'z');
}

TimeOfDay LocalTimeOfDay() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)};
}

void CloseThreadHandles(void*, void*) {}  // never opened by the native build

void ExitProcessNow(uint32_t code) {
  std::fflush(nullptr);
  _exit(static_cast<int>(code));
}

}  // namespace qv::platform
