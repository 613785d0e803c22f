#include "fake_device.h"

#include <algorithm>

#include "channel_close.h"
#include "channel_open.h"
#include "channel_table.h"
#include "string_ops.h"

namespace qv::testing {

namespace {

FakeDevice* g_device = nullptr;

FakeDevice& Dev() { return *g_device; }

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

HANDLE WINAPI FakeCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE template_file) {
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
  Dev().opens.push_back(call);
  if (Dev().fail_open) {
    SetLastError(Dev().open_error);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE h = reinterpret_cast<HANDLE>(Dev().next_handle++);
  Dev().open_handles.insert(h);
  return h;
}

DWORD WINAPI FakeGetFileType(HANDLE) { return Dev().file_type; }

BOOL WINAPI FakeCloseHandle(HANDLE h) {
  Dev().closed.push_back(h);
  Dev().open_handles.erase(h);
  return Dev().fail_close ? Fail(ERROR_INVALID_HANDLE) : TRUE;
}

BOOL WINAPI FakeGetCommState(HANDLE, LPDCB dcb) {
  ++Dev().get_state_calls;
  if (Dev().fail_get_state) return Fail(ERROR_INVALID_HANDLE);
  *dcb = Dev().dcb;
  return TRUE;
}

BOOL WINAPI FakeSetCommState(HANDLE, LPDCB dcb) {
  ++Dev().set_state_calls;
  if (Dev().refuse_set_state) return Fail(ERROR_INVALID_PARAMETER);
  Dev().dcb = *dcb;
  return TRUE;
}

BOOL WINAPI FakeGetCommProperties(HANDLE, LPCOMMPROP prop) {
  prop->dwCurrentRxQueue = Dev().rx_queue;
  prop->dwCurrentTxQueue = Dev().tx_queue;
  return TRUE;
}

BOOL WINAPI FakeSetupComm(HANDLE, DWORD rx, DWORD tx) {
  Dev().setup_calls.emplace_back(rx, tx);
  if (Dev().refuse_setup) return Fail(ERROR_INVALID_PARAMETER);
  Dev().rx_queue = rx;
  Dev().tx_queue = tx;
  return TRUE;
}

BOOL WINAPI FakeEscapeCommFunction(HANDLE, DWORD function) {
  Dev().escapes.push_back(function);
  return Dev().refuse_escape ? Fail(ERROR_INVALID_PARAMETER) : TRUE;
}

BOOL WINAPI FakeGetCommModemStatus(HANDLE, LPDWORD status) {
  if (Dev().fail_modem_status) return Fail(ERROR_NOT_SUPPORTED);
  *status = Dev().modem_status;
  return TRUE;
}

BOOL WINAPI FakeClearCommError(HANDLE, LPDWORD errors, LPCOMSTAT stat) {
  ++Dev().clear_error_calls;
  if (errors) *errors = Dev().pending_errors;
  Dev().pending_errors = 0;
  if (stat) {
    *stat = COMSTAT{};
    stat->cbInQue = static_cast<DWORD>(Dev().queue.size());
    stat->cbOutQue = Dev().out_queue;
  }
  return TRUE;
}

BOOL WINAPI FakeSetCommTimeouts(HANDLE, LPCOMMTIMEOUTS t) {
  Dev().timeouts = *t;
  return Dev().fail_timeouts ? Fail(ERROR_INVALID_HANDLE) : TRUE;
}

BOOL WINAPI FakeReadFile(HANDLE, LPVOID buffer, DWORD ask, LPDWORD got, LPOVERLAPPED) {
  FakeDevice& d = Dev();
  const int call = static_cast<int>(d.read_asks.size());
  d.read_asks.push_back(ask);
  DWORD n = std::min<DWORD>(ask, static_cast<DWORD>(d.queue.size()));
  const bool failing = call == d.fail_read_call;
  if (failing) n = std::min(n, d.read_failure_delivers);
  auto* out = static_cast<unsigned char*>(buffer);
  for (DWORD i = 0; i < n; ++i) {
    out[i] = d.queue.front();
    d.queue.pop_front();
  }
  *got = n;
  return failing ? Fail(ERROR_GEN_FAILURE) : TRUE;
}

BOOL WINAPI FakeWriteFile(HANDLE, LPCVOID buffer, DWORD n, LPDWORD put, LPOVERLAPPED) {
  if (Dev().fail_write) {
    *put = 0;
    return Fail(ERROR_GEN_FAILURE);
  }
  DWORD take = std::min(n, Dev().write_limit);
  Dev().written.append(static_cast<const char*>(buffer), take);
  *put = take;
  return TRUE;
}

BOOL WINAPI FakeFlushFileBuffers(HANDLE) {
  ++Dev().flush_calls;
  return TRUE;
}

void WINAPI FakeSleep(DWORD ms) { Dev().Advance(std::max<DWORD>(ms, 1)); }

void WINAPI FakeGetLocalTime(LPSYSTEMTIME t) {
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

FakeDevice::FakeDevice() {
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
  api.SetCommTimeouts = FakeSetCommTimeouts;
  api.ReadFile = FakeReadFile;
  api.WriteFile = FakeWriteFile;
  api.FlushFileBuffers = FakeFlushFileBuffers;
  api.Sleep = FakeSleep;
  api.GetLocalTime = FakeGetLocalTime;
  previous_ = CommApiInstall(api);
}

FakeDevice::~FakeDevice() {
  fail_close = false;
  ChannelCloseAll();
  CommApiInstall(previous_);
  g_device = nullptr;
}

FakeDevice& FakeDevice::Current() { return *g_device; }

int FakeDevice::device_calls() const {
  return static_cast<int>(opens.size() + closed.size() + read_asks.size() + setup_calls.size() +
                          escapes.size()) +
         set_state_calls + get_state_calls + clear_error_calls + flush_calls;
}

void FakeDevice::Arrive(const std::string& bytes) { queue.insert(queue.end(), bytes.begin(), bytes.end()); }

void FakeDevice::ArriveAt(uint64_t at_ms, const std::string& bytes) { schedule.push_back({at_ms, bytes}); }

void FakeDevice::SetClock(uint32_t minute, uint32_t second, uint32_t millisecond) {
  clock_ms = clock_ms / 3'600'000 * 3'600'000 + minute * 60'000ull + second * 1'000ull + millisecond;
}

void FakeDevice::Advance(uint64_t ms) {
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
