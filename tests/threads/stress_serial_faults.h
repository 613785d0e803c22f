// The stress test's faulted channel: a serial channel whose device calls beneath the receive-queue
// layer meet faults drawn from the run's seed, exactly between two calls of the drain.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "thread_watchdog.h"

namespace qv::testing {

// Puts the fault seam beneath the receive-queue layer for the device named `port` (the other
// devices pass through unchanged). Call once, before any channel opens.
void InstallSerialFaults(uint32_t seed, const std::string& port);

// Opens the port, feeds it numbered chunks, receives and closes over and over until `stop`,
// while the seam delays the drain's calls (some past a close's bound), flushes the line between
// its status call and its read, or fails one of them. Verdicts: every close returns within 2 s
// (1 s on a quiet machine: the seam tests) and what arrives is in the order it was fed. `fail`
// reports a finding; `closes` counts.
void FaultedChannelThread(std::mt19937& rng, ThreadPlace& place, const std::string& port,
                          const std::atomic<bool>& stop, const std::function<void(const std::string&)>& fail,
                          std::atomic<long>& closes);

}  // namespace qv::testing
