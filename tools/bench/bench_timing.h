// Timing for the benchmarks that run under Wine: milliseconds from the performance counter,
// steps timed round by round and reported as medians, which shrug off the odd slow round of a
// shared machine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
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
    const double start = NowMs();
    step();
    times.push_back(NowMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

struct TimedStep {
  std::string name;
  std::function<void()> run;
  std::vector<double> times{};

  double MedianMs() {
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
  }
};

// Each round runs every step once, back to back, so a busy moment of the machine falls on
// the baselines and the measured steps alike.
inline void RunRounds(std::vector<TimedStep>& steps, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    for (TimedStep& step : steps) {
      const double start = NowMs();
      step.run();
      step.times.push_back(NowMs() - start);
    }
  }
}

}  // namespace qv::bench
