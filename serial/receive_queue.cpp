#include "receive_queue.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

namespace qv {

ReceiveQueue::ReceiveQueue(HANDLE handle, const CommApi& device) : handle_(handle), device_(device) {}

std::shared_ptr<ReceiveQueue> ReceiveQueue::Start(HANDLE handle, const CommApi& device) {
  std::shared_ptr<ReceiveQueue> queue(new (std::nothrow) ReceiveQueue(handle, device));
  if (!queue || !queue->Reallocate(kInitialCapacity + kDrainChunk)) return nullptr;
  // The thread uses the queue until Stop() has joined it, which every owner's last release
  // (the destructor) does first.
  try {
    queue->thread_ = std::thread(&ReceiveQueue::Drain, queue.get());
  } catch (const std::system_error&) {
    return nullptr;
  }
  return queue;
}

ReceiveQueue::~ReceiveQueue() {
  Stop();
}

void ReceiveQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  // The drain's device calls never wait for data: it ends within one poll.
  std::call_once(joined_, [this] {
    if (thread_.joinable()) thread_.join();
  });
}

void ReceiveQueue::Drain() {
  unsigned char chunk[kDrainChunk];
  for (;;) {
    DWORD room = 0;
    {
      std::unique_lock lock(mutex_);
      // A full queue is not drained: the device's own buffer holds (or overruns), as it would
      // behind a driver whose queue is full.
      changed_.wait(lock, [&] { return stop_ || (pauses_ == 0 && count_ < capacity_); });
      if (stop_) return;
      room = std::min(capacity_ - count_, kDrainChunk);
      reading_ = true;
    }
    // The only reader of the device: nothing else can take bytes between this read and the
    // append, so the queue holds them in the device's order, each once. The read asks for no
    // more than the device holds, so it returns at once whatever the device's time-outs are.
    DWORD errors = 0, got = 0, error = 0;
    COMSTAT status{};
    BOOL ok = device_.ClearCommError(handle_, &errors, &status);
    const DWORD ask = ok ? std::min(room, status.cbInQue) : 0;
    if (ask > 0) ok = device_.ReadFile(handle_, chunk, ask, &got, nullptr);
    if (!ok) error = GetLastError();
    bool end = false;
    {
      std::lock_guard lock(mutex_);
      reading_ = false;
      errors_ |= errors;
      if (!stop_) Append(chunk, std::min(got, ask));
      if (!ok) failure_ = error ? error : ERROR_GEN_FAILURE;
      end = stop_ || !ok;
    }
    changed_.notify_all();  // a purge may be waiting for the calls to end
    if (end) return;
    if (got == 0) {
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, std::chrono::milliseconds(kDrainPollMs), [&] { return stop_; });
    }
  }
}

void ReceiveQueue::Append(const unsigned char* bytes, DWORD n) {
  if (n == 0) return;
  // Fits: the read asked for no more than the room left, and the ring keeps kDrainChunk spare
  // for a read in flight while the capacity shrinks.
  const DWORD tail = (head_ + count_) % ring_size_;
  const DWORD first = std::min(n, ring_size_ - tail);
  std::memcpy(ring_.get() + tail, bytes, first);
  std::memcpy(ring_.get(), bytes + first, n - first);
  count_ += n;
}

bool ReceiveQueue::Reallocate(DWORD size) {
  std::unique_ptr<unsigned char[]> ring(new (std::nothrow) unsigned char[size]);
  if (!ring) return false;
  const DWORD first = std::min(count_, ring_size_ - head_);
  if (count_ > 0) {
    std::memcpy(ring.get(), ring_.get() + head_, first);
    std::memcpy(ring.get() + first, ring_.get(), count_ - first);
  }
  ring_ = std::move(ring);
  ring_size_ = size;
  head_ = 0;
  return true;
}

DWORD ReceiveQueue::Count() {
  std::lock_guard lock(mutex_);
  return count_;
}

DWORD ReceiveQueue::Capacity() {
  std::lock_guard lock(mutex_);
  return capacity_;
}

bool ReceiveQueue::Resize(DWORD capacity) {
  {
    std::lock_guard lock(mutex_);
    const DWORD size = std::max(capacity, count_) + kDrainChunk;
    if (size != ring_size_ && !Reallocate(size)) return false;
    capacity_ = capacity;
  }
  changed_.notify_all();
  return true;
}

DWORD ReceiveQueue::Take(unsigned char* dst, DWORD max) {
  DWORD n = 0;
  {
    std::lock_guard lock(mutex_);
    n = std::min(max, count_);
    if (n == 0) return 0;
    const DWORD first = std::min(n, ring_size_ - head_);
    std::memcpy(dst, ring_.get() + head_, first);
    std::memcpy(dst + first, ring_.get(), n - first);
    head_ = (head_ + n) % ring_size_;
    count_ -= n;
  }
  changed_.notify_all();
  return n;
}

BOOL ReceiveQueue::Purge(DWORD flags) {
  std::unique_lock lock(mutex_);
  ++pauses_;
  changed_.wait(lock, [&] { return !reading_; });
  lock.unlock();
  // No drain call is in flight now: what the device still holds and what the queue holds are
  // exactly the bytes received before the purge.
  const BOOL purged = device_.PurgeComm(handle_, flags);
  const DWORD error = GetLastError();
  lock.lock();
  if (purged && (flags & PURGE_RXCLEAR)) {
    count_ = 0;
    head_ = 0;
  }
  --pauses_;
  lock.unlock();
  changed_.notify_all();
  SetLastError(error);
  return purged;
}

DWORD ReceiveQueue::TakeErrors() {
  std::lock_guard lock(mutex_);
  return std::exchange(errors_, 0);
}

DWORD ReceiveQueue::Failure() {
  std::lock_guard lock(mutex_);
  return failure_;
}

}  // namespace qv
