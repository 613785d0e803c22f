#include "fake_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "channel_close.h"
#include "channel_open.h"
#include "channel_table.h"
#include "queued_comm_api.h"
#include "string_ops.h"

namespace qv::testing {

namespace {

FakeDevice* g_device = nullptr;

FakeDevice& Dev() { return *g_device; }

// Every fake call holds the device's lock and is counted.
#define FAKE_CALL(name, handle)       \
  FakeDevice& d = Dev();              \
  std::lock_guard lock(d.mutex);      \
  d.Call(name, handle)

// Whether this handle's device holds the received bytes.
bool Receives(FakeDevice& d, HANDLE h) { return !d.data_handle || d.data_handle == h; }

// The seam before a device call (see FakeDevice::before_call).
void Seam(const char* call) {
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard lock(Dev().mutex);
    hook = Dev().before_call;
  }
  if (hook) hook(call);
}

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

HANDLE WINAPI FakeCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE template_file) {
  FakeDevice& d = Dev();
  std::lock_guard lock(d.mutex);
  ++d.calls["CreateFileW"];
  CreateFileCall call;
  call.name = reinterpret_cast<const char16_t*>(name);
  call.access = access;
  call.share = share;
  call.disposition = disposition;
  call.flags = flags;
  call.template_file = template_file;
  if (sa) {
    call.security_length = sa->nLength;
    call.inherit = sa->bInheritHandle;
    call.has_descriptor = sa->lpSecurityDescriptor != nullptr;
  }
  d.opens.push_back(call);
  if (d.fail_open) {
    SetLastError(d.open_error);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = reinterpret_cast<HANDLE>(d.next_handle++);
  d.open_handles.insert(h);
  d.handle_names[h] = call.name;
  return h;
}

DWORD WINAPI FakeGetFileType(HANDLE h) {
  Seam("GetFileType");
  FAKE_CALL("GetFileType", h);
  return d.file_type;
}

BOOL WINAPI FakeCloseHandle(HANDLE h) {
  Seam("CloseHandle");
  FAKE_CALL("CloseHandle", h);
  d.closed.push_back(h);
  d.open_handles.erase(h);
  d.arrived.notify_all();
  return d.fail_close ? Fail(ERROR_INVALID_HANDLE) : TRUE;
}

BOOL WINAPI FakeGetCommState(HANDLE h, LPDCB dcb) {
  FAKE_CALL("GetCommState", h);
  if (d.fail_get_state) return Fail(ERROR_INVALID_HANDLE);
  *dcb = d.dcb;
  return TRUE;
}

BOOL WINAPI FakeSetCommState(HANDLE h, LPDCB dcb) {
  FAKE_CALL("SetCommState", h);
  if (d.refuse_set_state) return Fail(ERROR_INVALID_PARAMETER);
  d.dcb = *dcb;
  if (d.fastest_speed && dcb->BaudRate > d.fastest_speed) d.dcb.BaudRate = d.substituted_speed;
  return TRUE;
}

BOOL WINAPI FakeGetCommProperties(HANDLE h, LPCOMMPROP prop) {
  FAKE_CALL("GetCommProperties", h);
  if (d.fail_properties) return Fail(ERROR_BAD_COMMAND);
  prop->dwCurrentRxQueue = d.rx_queue;
  prop->dwCurrentTxQueue = d.tx_queue;
  return TRUE;
}

BOOL WINAPI FakeSetupComm(HANDLE h, DWORD rx, DWORD tx) {
  FAKE_CALL("SetupComm", h);
  d.setup_calls.emplace_back(rx, tx);
  if (d.refuse_setup) return Fail(ERROR_INVALID_PARAMETER);
  d.rx_queue = rx;
  d.tx_queue = tx;
  return TRUE;
}

BOOL WINAPI FakeEscapeCommFunction(HANDLE h, DWORD function) {
  FAKE_CALL("EscapeCommFunction", h);
  d.escapes.push_back(function);
  return d.refuse_escape ? Fail(ERROR_INVALID_PARAMETER) : TRUE;
}

BOOL WINAPI FakeGetCommModemStatus(HANDLE h, LPDWORD status) {
  FAKE_CALL("GetCommModemStatus", h);
  if (d.fail_modem_status) return Fail(ERROR_NOT_SUPPORTED);
  *status = d.modem_status;
  return TRUE;
}

// Waits while the test holds the device's calls.
void PassGate() {
  FakeDevice& d = Dev();
  std::unique_lock lock(d.mutex);
  ++d.held_calls;
  d.arrived.wait(lock, [&] { return !d.hold_device; });
  --d.held_calls;
}

BOOL WINAPI FakeClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT stat) {
  DWORD delay = 0;
  {
    std::lock_guard lock(Dev().mutex);
    delay = Dev().clear_error_delay_ms;
  }
  if (delay) ::Sleep(delay);  // a slow device: other threads go on meanwhile
  Seam("ClearCommError");
  PassGate();
  FAKE_CALL("ClearCommError", h);
  if (d.fail_clear_error) return Fail(ERROR_BAD_COMMAND);
  if (d.hung_up) return Fail(ERROR_NOT_READY);
  if (errors) *errors = d.pending_errors;
  d.pending_errors = 0;
  if (stat) {
    *stat = COMSTAT{};
    stat->cbInQue = Receives(d, h) ? static_cast<DWORD>(d.queue.size()) : 0;
    stat->cbOutQue = d.out_queue;
    d.last_count = stat->cbInQue;
  }
  return TRUE;
}

BOOL WINAPI FakePurgeComm(HANDLE h, DWORD flags) {
  Seam("PurgeComm");
  FAKE_CALL("PurgeComm", h);
  d.purges.push_back(flags);
  if (d.fail_purge) return Fail(ERROR_INVALID_PARAMETER);
  if (flags & PURGE_RXCLEAR) {
    d.queue.clear();
    d.Refill();
  }
  return TRUE;
}

BOOL WINAPI FakeSetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) {
  FAKE_CALL("SetCommTimeouts", h);
  d.timeouts = *t;
  return d.fail_timeouts ? Fail(ERROR_INVALID_HANDLE) : TRUE;
}

BOOL WINAPI FakeGetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS t) {
  FAKE_CALL("GetCommTimeouts", h);
  if (d.fail_timeouts) return Fail(ERROR_INVALID_HANDLE);
  *t = d.timeouts;
  return TRUE;
}

DWORD WINAPI FakeGetFinalPathNameByHandleW(HANDLE h, LPWSTR path, DWORD size, DWORD) {
  FAKE_CALL("GetFinalPathNameByHandleW", h);
  auto name = d.handle_names.find(h);
  auto found = name == d.handle_names.end() ? d.final_paths.end() : d.final_paths.find(name->second);
  if (found == d.final_paths.end()) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return 0;
  }
  const std::u16string& p = found->second;
  if (size <= p.size()) return static_cast<DWORD>(p.size() + 1);
  std::copy(p.begin(), p.end(), reinterpret_cast<char16_t*>(path));
  path[p.size()] = 0;
  return static_cast<DWORD>(p.size());
}

BOOL WINAPI FakeReadFile(HANDLE h, LPVOID buffer, DWORD ask, LPDWORD got, LPOVERLAPPED) {
  Seam("ReadFile");
  PassGate();
  FakeDevice& d = Dev();
  std::unique_lock lock(d.mutex);
  d.Call("ReadFile", h);
  const COMMTIMEOUTS& t = d.timeouts;
  const bool no_timeouts = t.ReadIntervalTimeout == 0 && t.ReadTotalTimeoutMultiplier == 0 &&
                           t.ReadTotalTimeoutConstant == 0;
  if (d.hung_up) {
    // Wine reads the hung-up tty again and again until the total time-out, or for ever.
    auto gone = [&] { return !d.open_handles.count(h) || d.hung_reads_end; };
    if (no_timeouts)
      d.arrived.wait(lock, gone);
    else
      d.arrived.wait_for(lock, std::chrono::milliseconds(t.ReadTotalTimeoutConstant), gone);
    d.read_asks.push_back(ask);
    *got = 0;
    return TRUE;
  }
  if (no_timeouts && d.open_handles.count(h) && Receives(d, h)) {
    // No time-outs: the read waits until its whole count has come.
    d.arrived.wait(lock, [&] {
      return d.queue.size() >= ask || !d.open_handles.count(h) || d.hung_reads_end ||
             d.fail_read_call == static_cast<int>(d.read_asks.size());
    });
  }
  // A total time-out lets the read wait for its first byte, in real time: the drain's way.
  if (d.timeouts.ReadTotalTimeoutConstant > 0) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(d.timeouts.ReadTotalTimeoutConstant);
    d.arrived.wait_until(lock, until, [&] {
      return (Receives(d, h) && !d.queue.empty()) || !d.open_handles.count(h) ||
             d.fail_read_call == static_cast<int>(d.read_asks.size());
    });
  }
  const int call = static_cast<int>(d.read_asks.size());
  d.read_asks.push_back(ask);
  DWORD n = Receives(d, h) ? std::min<DWORD>(ask, static_cast<DWORD>(d.queue.size())) : 0;
  const bool failing = call == d.fail_read_call;
  if (failing) n = std::min(n, d.read_failure_delivers);
  auto* out = static_cast<unsigned char*>(buffer);
  for (DWORD i = 0; i < n; ++i) {
    out[i] = d.queue.front();
    d.queue.pop_front();
  }
  d.Refill();
  *got = n;
  return failing ? Fail(ERROR_GEN_FAILURE) : TRUE;
}

BOOL WINAPI FakeWriteFile(HANDLE h, LPCVOID buffer, DWORD n, LPDWORD put, LPOVERLAPPED) {
  FAKE_CALL("WriteFile", h);
  if (d.fail_write) {
    *put = 0;
    return Fail(ERROR_GEN_FAILURE);
  }
  DWORD take = std::min(n, d.write_limit);
  const std::string bytes(static_cast<const char*>(buffer), take);
  if (d.data_handle && d.data_handle == h)
    d.Arrive(bytes);
  else if (d.keep_written)
    d.written += bytes;
  *put = take;
  return TRUE;
}

BOOL WINAPI FakeFlushFileBuffers(HANDLE h) {
  FAKE_CALL("FlushFileBuffers", h);
  return TRUE;
}

void WINAPI FakeSleep(DWORD ms) {
  {
    std::lock_guard lock(Dev().mutex);
    Dev().Advance(std::max<DWORD>(ms, 1));
  }
  std::this_thread::yield();  // lets other threads at the device between polls
}

void WINAPI FakeGetLocalTime(LPSYSTEMTIME t) {
  std::lock_guard lock(Dev().mutex);
  const uint64_t ms = Dev().clock_ms;
  *t = SYSTEMTIME{};
  t->wYear = 2026;
  t->wMonth = 12;
  t->wDay = 8;
  t->wHour = static_cast<WORD>(ms / 3'600'000 % 24);
  t->wMinute = static_cast<WORD>(ms / 60'000 % 60);
  t->wSecond = static_cast<WORD>(ms / 1'000 % 60);
  t->wMilliseconds = static_cast<WORD>(ms % 1'000);
}

}  // namespace

FakeDevice::FakeDevice(Layer layer) : layer_(layer) {
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.fBinary = 1;
  g_device = this;
  CommApi api;
  api.CreateFileW = FakeCreateFileW;
  api.GetFileType = FakeGetFileType;
  api.CloseHandle = FakeCloseHandle;
  api.GetCommState = FakeGetCommState;
  api.SetCommState = FakeSetCommState;
  api.GetCommProperties = FakeGetCommProperties;
  api.SetupComm = FakeSetupComm;
  api.EscapeCommFunction = FakeEscapeCommFunction;
  api.GetCommModemStatus = FakeGetCommModemStatus;
  api.ClearCommError = FakeClearCommError;
  api.PurgeComm = FakePurgeComm;
  api.SetCommTimeouts = FakeSetCommTimeouts;
  api.ReadFile = FakeReadFile;
  api.WriteFile = FakeWriteFile;
  api.FlushFileBuffers = FakeFlushFileBuffers;
  api.Sleep = FakeSleep;
  api.GetLocalTime = FakeGetLocalTime;
  api.GetCommTimeouts = FakeGetCommTimeouts;
  api.GetFinalPathNameByHandleW = FakeGetFinalPathNameByHandleW;
  if (layer_ == Layer::kReceiveQueue) {
    previous_device_ = QueuedCommDeviceInstall(api);
    previous_ = CommApiInstall(QueuedCommApi());
  } else {
    previous_ = CommApiInstall(api);
  }
}

FakeDevice::~FakeDevice() {
  {
    std::lock_guard lock(mutex);
    fail_close = false;
    hold_device = false;
    before_call = nullptr;
    hung_reads_end = true;
    arrived.notify_all();
  }
  ChannelCloseAll();
  // A drain that a close gave up waiting for still closes its handle through this device.
  {
    std::unique_lock lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(5), [&] { return open_handles.empty(); });
  }
  CommApiInstall(previous_);
  if (layer_ == Layer::kReceiveQueue) QueuedCommDeviceInstall(previous_device_);
  g_device = nullptr;
}

FakeDevice& FakeDevice::Current() { return *g_device; }

int FakeDevice::device_calls() const {
  int total = 0;
  for (const auto& [name, count] : calls) total += count;
  return total;
}

int FakeDevice::calls_of(const std::string& name) const {
  auto it = calls.find(name);
  return it == calls.end() ? 0 : it->second;
}

void FakeDevice::Call(const char* name, HANDLE handle) {
  ++calls[name];
  if (!open_handles.count(handle)) ++foreign_handle_calls;
}

void FakeDevice::HangUp() {
  std::lock_guard lock(mutex);
  hung_up = true;
  queue.clear();
  held.clear();
  arrived.notify_all();
}

void FakeDevice::FlushInput() {
  std::lock_guard lock(mutex);
  queue.clear();
  Refill();
}

void FakeDevice::Arrive(const std::string& bytes) {
  std::lock_guard lock(mutex);
  held.insert(held.end(), bytes.begin(), bytes.end());
  Refill();
}

void FakeDevice::Refill() {
  while (!held.empty() && queue.size() < device_capacity) {
    queue.push_back(held.front());
    held.pop_front();
  }
  arrived.notify_all();
}

void FakeDevice::ArriveAt(uint64_t at_ms, const std::string& bytes) {
  std::lock_guard lock(mutex);
  schedule.push_back({at_ms, bytes});
}

void FakeDevice::SetClock(uint32_t minute, uint32_t second, uint32_t millisecond) {
  std::lock_guard lock(mutex);
  clock_ms = clock_ms / 3'600'000 * 3'600'000 + minute * 60'000ull + second * 1'000ull + millisecond;
}

void FakeDevice::Advance(uint64_t ms) {
  std::lock_guard lock(mutex);
  clock_ms += ms;
  for (auto it = schedule.begin(); it != schedule.end();) {
    if (it->at_ms <= clock_ms) {
      Arrive(it->bytes);
      it = schedule.erase(it);
    } else {
      ++it;
    }
  }
}

ChannelNumber FakeDeviceTest::Open(uint16_t mode, int32_t record_length, std::u16string_view name) {
  const ChannelNumber number = ChannelNextFree();
  PushWide(name);
  ChannelOpen(number, mode, record_length);
  return ChannelFind(number) ? number : ChannelNumber{-1};
}

void PushWide(std::u16string_view text) { PushOwned(DynString::FromUnits(text)); }
void PushBytes(std::string_view text) { PushOwned(DynString::FromBytes(text)); }
std::string PopBytes() { return PopText().str(); }
std::u16string PopWide() { return PopText().wide(); }

}  // namespace qv::testing
