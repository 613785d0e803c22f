#include "queued_comm_api.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "receive_queue.h"

namespace qv {

namespace {

// Wait for the first byte up to kDrainWaitMs, then return kDrainIntervalMs after the line
// pauses or once the read is full: an idle line costs one device call per kDrainWaitMs, and
// bytes reach the queue within kDrainIntervalMs of a pause.
constexpr COMMTIMEOUTS kDrainTimeouts{ReceiveQueue::kDrainIntervalMs, 0, ReceiveQueue::kDrainWaitMs, 0, 0};

struct QueuedDevice {
  HANDLE handle;
  std::u16string name;  // as DeviceKey gives it
  std::shared_ptr<ReceiveQueue> queue;
};

struct QueuedDevices {
  std::mutex opening;  // serialises opens, so two cannot both find a device free
  std::mutex mutex;    // guards `device` and `open`
  CommApi device;
  std::vector<QueuedDevice> open;
};

QueuedDevices& Devices() {
  static QueuedDevices devices;
  return devices;
}

const CommApi& Device() { return Devices().device; }

// One name per device: "COM3", "com3", "\\.\COM3" and "COM3:" open the same port.
std::u16string DeviceKey(LPCWSTR name) {
  std::u16string key = name ? reinterpret_cast<const char16_t*>(name) : u"";
  if (key.size() >= 4 && key[0] == u'\\' && key[1] == u'\\' && (key[2] == u'.' || key[2] == u'?') &&
      key[3] == u'\\')
    key.erase(0, 4);
  if (!key.empty() && key.back() == u':') key.pop_back();
  for (char16_t& c : key)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return key;
}

// The lookups take a mutex, which may touch the thread's last-error value: the guarded calls
// judge success by that value, so every path that succeeds restores what the caller had.
std::shared_ptr<ReceiveQueue> QueueOf(HANDLE handle) {
  const DWORD kept = GetLastError();
  std::shared_ptr<ReceiveQueue> queue;
  {
    QueuedDevices& devices = Devices();
    std::lock_guard lock(devices.mutex);
    for (const QueuedDevice& d : devices.open)
      if (d.handle == handle) queue = d.queue;
  }
  SetLastError(kept);
  return queue;
}

bool NameOpen(const std::u16string& key) {
  QueuedDevices& devices = Devices();
  std::lock_guard lock(devices.mutex);
  return std::any_of(devices.open.begin(), devices.open.end(),
                     [&](const QueuedDevice& d) { return d.name == key; });
}

void Forget(HANDLE handle) {
  std::shared_ptr<ReceiveQueue> released;  // ends after the lock is let go
  QueuedDevices& devices = Devices();
  std::lock_guard lock(devices.mutex);
  auto it = std::find_if(devices.open.begin(), devices.open.end(),
                         [&](const QueuedDevice& d) { return d.handle == handle; });
  if (it == devices.open.end()) return;
  released = std::move(it->queue);
  devices.open.erase(it);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

HANDLE WINAPI QueuedCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE template_file) {
  QueuedDevices& devices = Devices();
  const DWORD kept = GetLastError();
  std::lock_guard opening(devices.opening);
  const std::u16string key = DeviceKey(name);
  if (NameOpen(key)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(kept);
  const CommApi& device = Device();
  HANDLE handle = device.CreateFileW(name, access, share, security, disposition, flags, template_file);
  if (handle == INVALID_HANDLE_VALUE || !(access & GENERIC_READ)) return handle;
  const DWORD opened = GetLastError();
  // Only a comm device takes comm time-outs; anything else is passed on without a queue.
  COMMTIMEOUTS drain_timeouts = kDrainTimeouts;
  if (device.GetFileType(handle) != FILE_TYPE_CHAR || !device.SetCommTimeouts(handle, &drain_timeouts)) {
    SetLastError(opened);
    return handle;
  }
  std::shared_ptr<ReceiveQueue> queue = ReceiveQueue::Start(handle, device);
  if (!queue) {
    device.CloseHandle(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  {
    std::lock_guard lock(devices.mutex);
    devices.open.push_back({handle, key, std::move(queue)});
  }
  SetLastError(opened);
  return handle;
}

BOOL WINAPI QueuedCloseHandle(HANDLE handle) {
  const DWORD kept = GetLastError();
  // The drain reads through this handle: it must have stopped before the handle goes. The
  // device stays taken until then, so a new open cannot meet a drain still reading it.
  if (std::shared_ptr<ReceiveQueue> queue = QueueOf(handle)) queue->Stop();
  Forget(handle);
  SetLastError(kept);
  return Device().CloseHandle(handle);
}

BOOL WINAPI QueuedClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT status) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (!queue) return Device().ClearCommError(handle, errors, status);
  COMSTAT device_status{};
  if (!Device().ClearCommError(handle, errors, &device_status)) return FALSE;
  const DWORD kept = GetLastError();
  const DWORD count = queue->Count();
  if (count == 0)
    if (DWORD failure = queue->Failure()) return Fail(failure);
  if (status) {
    *status = device_status;
    status->cbInQue = count;
  }
  SetLastError(kept);
  return TRUE;
}

BOOL WINAPI QueuedReadFile(HANDLE handle, LPVOID buffer, DWORD ask, LPDWORD got, LPOVERLAPPED overlapped) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (!queue) return Device().ReadFile(handle, buffer, ask, got, overlapped);
  const DWORD kept = GetLastError();
  const DWORD n = queue->Take(static_cast<unsigned char*>(buffer), ask);
  if (got) *got = n;
  if (n == 0 && ask > 0)
    if (DWORD failure = queue->Failure()) return Fail(failure);
  SetLastError(kept);
  return TRUE;
}

BOOL WINAPI QueuedSetupComm(HANDLE handle, DWORD receive, DWORD transmit) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (!queue) return Device().SetupComm(handle, receive, transmit);
  if (receive == 0 || receive > ReceiveQueue::kMaxCapacity) return Fail(ERROR_INVALID_PARAMETER);
  if (!Device().SetupComm(handle, receive, transmit)) return FALSE;
  const DWORD kept = GetLastError();
  if (!queue->Resize(receive)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  SetLastError(kept);
  return TRUE;
}

BOOL WINAPI QueuedGetCommProperties(HANDLE handle, LPCOMMPROP properties) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (!Device().GetCommProperties(handle, properties)) return FALSE;
  if (queue) {
    const DWORD kept = GetLastError();
    properties->dwCurrentRxQueue = queue->Capacity();
    SetLastError(kept);
  }
  return TRUE;
}

BOOL WINAPI QueuedSetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
  if (!QueueOf(handle) || !timeouts) return Device().SetCommTimeouts(handle, timeouts);
  // Reads are served from the queue at once; the device keeps the drain's read time-outs.
  COMMTIMEOUTS device_timeouts = kDrainTimeouts;
  device_timeouts.WriteTotalTimeoutMultiplier = timeouts->WriteTotalTimeoutMultiplier;
  device_timeouts.WriteTotalTimeoutConstant = timeouts->WriteTotalTimeoutConstant;
  return Device().SetCommTimeouts(handle, &device_timeouts);
}

BOOL WINAPI QueuedPurgeComm(HANDLE handle, DWORD flags) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  return queue ? queue->Purge(flags) : Device().PurgeComm(handle, flags);
}

// The calls the queue does not change.
DWORD WINAPI QueuedGetFileType(HANDLE h) { return Device().GetFileType(h); }
BOOL WINAPI QueuedGetCommState(HANDLE h, LPDCB dcb) { return Device().GetCommState(h, dcb); }
BOOL WINAPI QueuedSetCommState(HANDLE h, LPDCB dcb) { return Device().SetCommState(h, dcb); }
BOOL WINAPI QueuedEscapeCommFunction(HANDLE h, DWORD f) { return Device().EscapeCommFunction(h, f); }
BOOL WINAPI QueuedGetCommModemStatus(HANDLE h, LPDWORD s) { return Device().GetCommModemStatus(h, s); }
BOOL WINAPI QueuedWriteFile(HANDLE h, LPCVOID b, DWORD n, LPDWORD put, LPOVERLAPPED o) {
  return Device().WriteFile(h, b, n, put, o);
}
BOOL WINAPI QueuedFlushFileBuffers(HANDLE h) { return Device().FlushFileBuffers(h); }
void WINAPI QueuedSleep(DWORD ms) { Device().Sleep(ms); }
void WINAPI QueuedGetLocalTime(LPSYSTEMTIME t) { Device().GetLocalTime(t); }

}  // namespace

bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

CommApi QueuedCommApi() {
  CommApi api;
  api.CreateFileW = QueuedCreateFileW;
  api.GetFileType = QueuedGetFileType;
  api.CloseHandle = QueuedCloseHandle;
  api.GetCommState = QueuedGetCommState;
  api.SetCommState = QueuedSetCommState;
  api.GetCommProperties = QueuedGetCommProperties;
  api.SetupComm = QueuedSetupComm;
  api.EscapeCommFunction = QueuedEscapeCommFunction;
  api.GetCommModemStatus = QueuedGetCommModemStatus;
  api.ClearCommError = QueuedClearCommError;
  api.PurgeComm = QueuedPurgeComm;
  api.SetCommTimeouts = QueuedSetCommTimeouts;
  api.ReadFile = QueuedReadFile;
  api.WriteFile = QueuedWriteFile;
  api.FlushFileBuffers = QueuedFlushFileBuffers;
  api.Sleep = QueuedSleep;
  api.GetLocalTime = QueuedGetLocalTime;
  return api;
}

CommApi QueuedCommDeviceInstall(const CommApi& device) {
  QueuedDevices& devices = Devices();
  std::lock_guard lock(devices.mutex);
  CommApi previous = devices.device;
  devices.device = device;
  return previous;
}

}  // namespace qv
