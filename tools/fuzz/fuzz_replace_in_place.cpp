// ReplaceInPlace with any position and count: the variable keeps its block and length, and
// exactly the bytes the rules name are overwritten.
#include <algorithm>
#include <string>

#include "frame.h"
#include "fuzz_input.h"
#include "string_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qv;
  fuzz::Input in(data, size);
  const int32_t position = in.Position();
  const int32_t count = in.Position();
  const std::string r = in.Bytes();
  const std::string before = in.Rest();

  std::string expected = before;
  const int64_t length = int64_t(before.size());
  int64_t p = position, k = count;
  if (p < 0) p += length + 1;
  if (k < 0) k += length;
  if (p >= 1 && k >= 0 && p - 1 <= length) {
    k = std::min({k, int64_t(r.size()), length - (p - 1)});
    if (k > 0) expected.replace(size_t(p - 1), size_t(k), r.substr(0, size_t(k)));
  }

  ProcedureFrame frame;
  DynString variable = DynString::FromBytes(before);
  const unsigned char* block = variable.data();
  PushOwned(DynString::FromBytes(r));
  ReplaceInPlace(variable, position, count);
  fuzz::Check(frame.operands().depth() == 0);
  fuzz::Check(variable.data() == block);
  fuzz::Check(variable.str() == expected);
  return 0;
}
