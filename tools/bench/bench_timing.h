// Timing for the benchmarks that run under Wine: milliseconds from the performance counter and
// the median of repeated runs, which shrugs off the odd slow round of a shared machine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace qv::bench {

inline double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Median milliseconds of `rounds` runs of `step`.
inline double MedianMs(int rounds, const std::function<void()>& step) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    double start = NowMs();
    step();
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace qv::bench
