#include "queued_comm_api.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "receive_queue.h"

namespace qv {

namespace {

struct QueuedDevice {
  HANDLE handle;
  std::u16string name;      // as DeviceKey gives it
  std::u16string identity;  // as DeviceIdentity gives it; empty when the device cannot tell
  std::shared_ptr<ReceiveQueue> queue;
  COMMTIMEOUTS program_timeouts;  // what the program set, or the driver's until it sets any
  // Closed by the program while its drain was still in a device call: the device stays taken
  // until the drain has closed it, but calls on the handle no longer find the queue.
  bool closed = false;
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

// The entry of an open handle, or null (devices.mutex held).
QueuedDevice* EntryOf(QueuedDevices& devices, HANDLE handle) {
  for (QueuedDevice& d : devices.open)
    if (d.handle == handle && !d.closed) return &d;
  return nullptr;
}

// The lookups take a mutex, which may touch the thread's last-error value: the guarded calls
// judge success by that value, so every path that succeeds restores what the caller had.
std::shared_ptr<ReceiveQueue> QueueOf(HANDLE handle) {
  const DWORD kept = GetLastError();
  std::shared_ptr<ReceiveQueue> queue;
  {
    QueuedDevices& devices = Devices();
    std::lock_guard lock(devices.mutex);
    if (QueuedDevice* entry = EntryOf(devices, handle)) queue = entry->queue;
  }
  SetLastError(kept);
  return queue;
}

// The device itself, whatever name reached it: two DOS names linked to one tty give the same
// final path. Empty when the device cannot say.
std::u16string DeviceIdentity(const CommApi& device, HANDLE handle) {
  wchar_t path[1024];
  const DWORD n = device.GetFinalPathNameByHandleW(handle, path, DWORD{std::size(path)}, 0);
  if (n == 0 || n >= std::size(path)) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(path), n);
}

// Whether a device of that name, or that identity when it is known, is open through the layer.
bool DeviceOpen(const std::u16string& key, const std::u16string& identity) {
  QueuedDevices& devices = Devices();
  std::lock_guard lock(devices.mutex);
  return std::any_of(devices.open.begin(), devices.open.end(), [&](const QueuedDevice& d) {
    return d.name == key || (!identity.empty() && d.identity == identity);
  });
}

template <typename Match>
void ForgetIf(Match match) {
  std::shared_ptr<ReceiveQueue> released;  // ends after the lock is let go
  QueuedDevices& devices = Devices();
  std::lock_guard lock(devices.mutex);
  auto it = std::find_if(devices.open.begin(), devices.open.end(), match);
  if (it == devices.open.end()) return;
  released = std::move(it->queue);
  devices.open.erase(it);
}

void Forget(HANDLE handle) {
  ForgetIf([&](const QueuedDevice& d) { return d.handle == handle && !d.closed; });
}

// A drain's own release of a device it closed itself: by its queue, since the handle's value
// may be another device's by the time the program's close has marked it.
void ForgetQueue(const ReceiveQueue* queue) {
  ForgetIf([&](const QueuedDevice& d) { return d.queue.get() == queue; });
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
  if (DeviceOpen(key, {})) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(kept);
  const CommApi& device = Device();
  HANDLE handle = device.CreateFileW(name, access, share, security, disposition, flags, template_file);
  if (handle == INVALID_HANDLE_VALUE || !(access & GENERIC_READ)) return handle;
  const DWORD opened = GetLastError();
  // Only a comm device has comm time-outs; anything else is passed on without a queue. The
  // program keeps seeing the driver's time-outs; the device runs with the drain's, and a device
  // that refuses them is passed on without a queue as well.
  COMMTIMEOUTS timeouts{};
  if (device.GetFileType(handle) != FILE_TYPE_CHAR || !device.GetCommTimeouts(handle, &timeouts)) {
    SetLastError(opened);
    return handle;
  }
  COMMTIMEOUTS drain_timeouts = ReceiveQueue::DrainTimeouts(timeouts);
  if (!device.SetCommTimeouts(handle, &drain_timeouts)) {
    device.SetCommTimeouts(handle, &timeouts);
    SetLastError(opened);
    return handle;
  }
  // The same device under another name: refused as a second open by the same name is, before
  // a second drain could take bytes from it.
  const std::u16string identity = DeviceIdentity(device, handle);
  if (!identity.empty() && DeviceOpen(key, identity)) {
    device.SetCommTimeouts(handle, &timeouts);  // the other opener's device: as it was
    device.CloseHandle(handle);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  std::shared_ptr<ReceiveQueue> queue = ReceiveQueue::Start(handle, device, ForgetQueue);
  if (!queue) {
    device.CloseHandle(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  {
    std::lock_guard lock(devices.mutex);
    devices.open.push_back({handle, key, identity, std::move(queue), timeouts, false});
  }
  SetLastError(opened);
  return handle;
}

void QueuedPrepareClose(HANDLE handle) {
  const DWORD kept = GetLastError();
  if (std::shared_ptr<ReceiveQueue> queue = QueueOf(handle)) queue->AwaitStop();
  SetLastError(kept);
}

BOOL WINAPI QueuedCloseHandle(HANDLE handle) {
  const DWORD kept = GetLastError();
  // The drain uses this handle: it must have stopped before the handle goes (the channel close
  // has stopped it already, outside the platform-call lock). The device stays taken until then,
  // so a new open cannot meet a drain still reading it.
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (queue) queue->AwaitStop();  // at once when PrepareClose has waited already
  if (queue && !queue->Release()) {
    // A device call that ignores its time-outs holds the drain: the drain closes the handle
    // and lets the device go when the call returns; for the program it is closed now.
    QueuedDevices& devices = Devices();
    std::lock_guard lock(devices.mutex);
    if (QueuedDevice* entry = EntryOf(devices, handle)) entry->closed = true;
    SetLastError(kept);
    return TRUE;
  }
  Forget(handle);
  SetLastError(kept);
  return Device().CloseHandle(handle);
}

BOOL WINAPI QueuedClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT status) {
  std::shared_ptr<ReceiveQueue> queue = QueueOf(handle);
  if (!queue) return Device().ClearCommError(handle, errors, status);
  const DWORD kept = GetLastError();
  DWORD device_errors = 0;
  COMSTAT device_status{};
  const BOOL device_ok = Device().ClearCommError(handle, &device_errors, &device_status);
  const DWORD device_failure = device_ok ? 0 : GetLastError();
  // Bytes already in the process are the program's whatever has become of the device since (a
  // hang-up, an unplug): the failure is reported once they have been handed out.
  const DWORD count = queue->Count();
  if (count == 0) {
    if (!device_ok) return Fail(device_failure ? device_failure : ERROR_GEN_FAILURE);
    if (DWORD failure = queue->Failure()) return Fail(failure);
  }
  if (errors) *errors = device_errors | queue->TakeErrors();
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

// A drained device keeps the drain's read time-outs; the program's are kept here and read back
// as it set them. Its reads are served from the queue, which never waits for more.
BOOL WINAPI QueuedSetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
  if (!timeouts || !QueueOf(handle)) return Device().SetCommTimeouts(handle, timeouts);
  COMMTIMEOUTS device_timeouts = ReceiveQueue::DrainTimeouts(*timeouts);
  if (!Device().SetCommTimeouts(handle, &device_timeouts)) return FALSE;
  const DWORD kept = GetLastError();
  QueuedDevices& devices = Devices();
  {
    std::lock_guard lock(devices.mutex);
    if (QueuedDevice* entry = EntryOf(devices, handle)) entry->program_timeouts = *timeouts;
  }
  SetLastError(kept);
  return TRUE;
}

BOOL WINAPI QueuedGetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS timeouts) {
  if (!timeouts || !QueueOf(handle)) return Device().GetCommTimeouts(handle, timeouts);
  const DWORD kept = GetLastError();
  QueuedDevices& devices = Devices();
  bool found = false;
  {
    std::lock_guard lock(devices.mutex);
    if (QueuedDevice* entry = EntryOf(devices, handle)) {
      *timeouts = entry->program_timeouts;
      found = true;
    }
  }
  SetLastError(kept);
  return found ? TRUE : Device().GetCommTimeouts(handle, timeouts);
}
DWORD WINAPI QueuedGetFinalPathNameByHandleW(HANDLE h, LPWSTR path, DWORD size, DWORD flags) {
  return Device().GetFinalPathNameByHandleW(h, path, size, flags);
}
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
  api.GetCommTimeouts = QueuedGetCommTimeouts;
  api.GetFinalPathNameByHandleW = QueuedGetFinalPathNameByHandleW;
  api.PrepareClose = QueuedPrepareClose;
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
