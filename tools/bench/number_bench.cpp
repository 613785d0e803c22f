// TextToNumber against strtold and NumberToText (15 digits) against snprintf("%.15Lg") on the
// same inputs in the same run. A ratio below 1 means ours is faster.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "dyn_string.h"
#include "frame.h"
#include "number_to_text.h"
#include "string_ops.h"
#include "text_to_number.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double BestSeconds(F f) {
  double best = 1e9;
  for (int round = 0; round < 7; ++round) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

volatile long double sink;

}  // namespace

int main() {
  using namespace qv;
  ProcedureFrame frame;
  std::mt19937_64 rng(2024);
  std::vector<std::string> texts;
  std::vector<long double> values;
  for (int i = 0; i < 20000; ++i) {
    char buf[64];
    switch (i % 4) {
      case 0: std::snprintf(buf, sizeof buf, "%u", unsigned(rng() % 1000000)); break;  // speeds
      case 1: std::snprintf(buf, sizeof buf, "-%u.%u", unsigned(rng() % 1000), unsigned(rng() % 1000)); break;
      case 2: std::snprintf(buf, sizeof buf, "%llue%d", (unsigned long long)(rng() % 1000000000000000000ULL),
                            int(rng() % 600) - 300); break;
      default: std::snprintf(buf, sizeof buf, "%.15Lg", (long double)(rng() % 100000) / 7.0L); break;
    }
    texts.emplace_back(buf);
    values.push_back(std::strtold(buf, nullptr));
  }
  std::vector<DynString> blocks;
  for (const auto& t : texts) blocks.push_back(DynString::FromBytes(t));

  const double ours_read = BestSeconds([&] {
    long double sum = 0;
    for (const auto& b : blocks) {
      PushText(b);
      sum += TextToNumber(1);
    }
    sink = sum;
  });
  const double libc_read = BestSeconds([&] {
    long double sum = 0;
    for (const auto& t : texts) sum += std::strtold(t.c_str(), nullptr);
    sink = sum;
  });
  const double ours_write = BestSeconds([&] {
    for (long double v : values) {
      NumberToText15(v);
      PopDiscard();
    }
  });
  const double libc_write = BestSeconds([&] {
    char buf[64];
    int total = 0;
    for (long double v : values) total += std::snprintf(buf, sizeof buf, "%.15Lg", v);
    sink = total;
  });

  const double n = double(texts.size());
  std::printf("TextToNumber %.1f ns, strtold %.1f ns: ratio %.2f\n", ours_read / n * 1e9,
              libc_read / n * 1e9, ours_read / libc_read);
  std::printf("NumberToText15 %.1f ns, snprintf %%.15Lg %.1f ns: ratio %.2f\n", ours_write / n * 1e9,
              libc_write / n * 1e9, ours_write / libc_write);
  return 0;
}
