// ReplaceInPlace with any position and count, the replacement owned or borrowed. The
// variable's bytes are all even and the replacement's all odd, so every byte written shows.
// What must hold: the block and length stay; what changed is one run of the replacement's
// first bytes; that run starts where the position says (counted from the end when negative);
// it is cut only by the count, the end of the replacement or the end of the string; and a
// negative count means that many fewer than the length, whether the replacement is owned or
// borrowed.
#include <string>

#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"

namespace {

struct Written {
  std::string after;
  size_t from = 0, count = 0;  // the run of changed bytes
};

Written Replace(const std::string& before, const std::string& r, bool borrowed, int32_t position,
                int32_t count) {
  using namespace qv;
  ProcedureFrame frame;
  DynString variable = DynString::FromBytes(before);
  const unsigned char* block = variable.data();
  const DynString r_variable = DynString::FromBytes(r);
  if (borrowed) PushText(r_variable);  // a variable's value: the way the renderer passes its rows
  else fuzz::Push(r);
  ReplaceInPlace(variable, position, count);
  fuzz::Check(frame.operands().depth() == 0);
  fuzz::Check(variable.data() == block && variable.bytes() == before.size());

  Written w{variable.str()};
  size_t first = 0;
  while (first < before.size() && w.after[first] == before[first]) ++first;
  size_t last = before.size();
  while (last > first && w.after[last - 1] == before[last - 1]) --last;
  w.from = first;
  w.count = last - first;
  fuzz::Check(w.after.compare(w.from, w.count, r, 0, w.count) == 0);
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  fuzz::Input in(data, size);
  const bool borrowed = in.Byte() & 1;
  const int32_t position = in.Position();
  const int32_t count = in.Position();
  std::string r = in.Bytes();
  std::string before = in.Rest();
  for (char& c : r) c = char(c | 1);
  for (char& c : before) c = char(c & ~1);
  const int64_t length = int64_t(before.size());

  const Written w = Replace(before, r, borrowed, position, count);
  if (count < 0 && length + count >= 0) {
    const Written same = Replace(before, r, !borrowed, position, int32_t(length + count));
    fuzz::Check(same.after == w.after);
  }
  const int64_t start = position > 0 ? position - 1 : length + position;
  const int64_t allowed = count >= 0 ? count : length + count;
  if (w.count == 0) {  // only when there is nothing to write
    fuzz::Check(position == 0 || start < 0 || start >= length || allowed <= 0 || r.empty());
    return 0;
  }
  fuzz::Check(int64_t(w.from) == start);
  fuzz::Check(int64_t(w.count) <= allowed && w.count <= r.size());
  const bool cut_by_count_or_r = int64_t(w.count) == allowed || w.count == r.size();
  fuzz::Check(cut_by_count_or_r || int64_t(w.from + w.count) == length);
  return 0;
}
