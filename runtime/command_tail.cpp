#include "command_tail.h"

namespace qv {

namespace {
constexpr char16_t kBlank = 0x20;
constexpr char16_t kQuote = 0x22;

const char16_t* SkipBlanks(const char16_t* p) {
  while (*p == kBlank) ++p;
  return p;
}
}  // namespace

const char16_t* LocateCommandTail(const char16_t* command_line) {
  static constexpr char16_t kEmpty[] = u"";
  const char16_t* p = command_line ? command_line : kEmpty;
  if (*p == kQuote) {
    ++p;
    while (*p && *p != kQuote) ++p;
    if (*p == kQuote) ++p;
    return SkipBlanks(p);
  }
  if (*p == kBlank) return SkipBlanks(p);
  while (*p > kBlank) ++p;
  return *p == kBlank ? SkipBlanks(p) : p;
}

}  // namespace qv
