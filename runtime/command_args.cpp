#include "command_args.h"

#include <algorithm>
#include <cstring>

#include "runtime_state.h"
#include "string_ops.h"

namespace qv {

namespace {
constexpr char16_t kBlank = 0x20;
constexpr char16_t kQuote = 0x22;
}  // namespace

std::u16string_view CommandArgument(std::u16string_view tail, int32_t n) {
  if (n == 0) return tail;
  if (n < 0) return {};
  size_t p = 0;
  for (int32_t counted = 0;;) {
    while (p < tail.size() && tail[p] == kBlank) ++p;
    if (p == tail.size()) return {};
    std::u16string_view value;
    if (tail[p] == kQuote) {
      const size_t close = tail.find(kQuote, p + 1);
      const size_t end = close == std::u16string_view::npos ? tail.size() : close;
      value = tail.substr(p + 1, end - p - 1);
      p = close == std::u16string_view::npos ? tail.size() : close + 1;
      if (value.empty()) continue;  // "" is no argument
    } else {
      const size_t end = std::min(tail.find(kBlank, p), tail.size());
      value = tail.substr(p, end - p);
      p = end;
    }
    if (++counted == n) return value;
  }
}

void CommandTail(int32_t n) {
  const char16_t* tail = Runtime().command_tail;
  const std::u16string_view arg = CommandArgument(tail ? std::u16string_view(tail) : u"", n);
  unsigned char* block = arg.size() <= UINT32_MAX / 2 ? TryAllocateUnits(static_cast<uint32_t>(arg.size())) : nullptr;
  if (block) std::memcpy(block, arg.data(), arg.size() * 2);
  PushOwned(TextRef::Owned(block));
}

}  // namespace qv
