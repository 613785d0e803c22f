#include "channel_open.h"

#include <algorithm>
#include <mutex>

#include "comm_api.h"
#include "channel_table.h"
#include "error.h"
#include "frame.h"
#include "serial_errors.h"
#include "win32/api_call_guard.h"

namespace qv {

namespace {

// The name as CreateFileW gets it: at most 255 units and a terminating 0.
struct ChannelName {
  char16_t units[kMaxChannelNameUnits + 1] = {};
  uint32_t length = 0;
  bool valid = false;

  explicit ChannelName(std::u16string_view all) {
    length = static_cast<uint32_t>(std::min<size_t>(all.size(), kMaxChannelNameUnits));
    bool wildcard = false, embedded_zero = false;
    for (uint32_t i = 0; i < length; ++i) {
      units[i] = all[i];
      wildcard |= all[i] == u'*' || all[i] == u'?';
      // A 0 unit would end the name early for the device and open something else than the
      // name the channel records.
      embedded_zero |= all[i] == 0;
    }
    valid = length > 0 && !wildcard && !embedded_zero;
  }
  std::u16string_view view() const { return {units, length}; }
};

// Closes a device the open gave up on. Not under the open lock or the platform-call lock: a
// layer's own use of the handle (the receive queue's drain) may take a moment to end.
void CloseDevice(HANDLE handle) {
  Comm().PrepareClose(handle);
  ApiCallGuard(Comm().CloseHandle, handle);
}

// The open itself, under the open lock. A device it opened and then gave up on is left in
// `abandoned` for the caller to close.
void OpenLocked(ChannelNumber number, uint16_t mode, int32_t record_length, HANDLE& abandoned) {
  TextRef text = ProcedureFrame::Current().operands().Pop();
  const ChannelName name(text.wide_view());
  text.Release();

  if (!name.valid) return RaiseError(kErrorBadChannelName);
  if (number < 0) return RaiseError(kErrorChannelNotOpen);
  if (record_length < 1) return RaiseError(kErrorInvalidArgument);
  if (ChannelFind(number)) return RaiseError(kErrorChannelInUse);

  ChannelRecordPtr record = ChannelRecord::Create(static_cast<uint32_t>(record_length));
  if (!record) return RaiseError(kErrorOutOfMemory);

  const uint16_t mode_class = mode >> 8;
  const uint16_t access = mode & 0xFF;
  SECURITY_ATTRIBUTES security{};
  security.nLength = 12;  // the size the platform's first version of the structure had
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;
  const DWORD desired_access = DWORD(access & (kAccessRead | kAccessWrite)) << 24;
  const DWORD share_mode = DWORD(access & kAccessShareMask) - 1;
  auto opened = ApiCallGuard(Comm().CreateFileW, reinterpret_cast<LPCWSTR>(name.units),
                             desired_access, share_mode, &security, DWORD{OPEN_EXISTING},
                             DWORD{FILE_ATTRIBUTE_NORMAL}, HANDLE{nullptr});
  if (opened.value == INVALID_HANDLE_VALUE) return RaiseError(kErrorDeviceFailed);

  record->handle = opened.value;
  record->kind = kKindDisk;
  record->mode_class = mode_class;
  record->access = access;
  record->number = number;

  if (ApiCallGuard(Comm().GetFileType, record->handle).value != FILE_TYPE_DISK)
    record->kind = kKindOther;
  if (record->kind == kKindDisk) {
    abandoned = record->handle;
    return RaiseError(kErrorDeviceFailed);
  }

  record->name = DynString::FromUnits(name.view());
  if (record->name.empty()) {
    abandoned = record->handle;
    return RaiseError(kErrorOutOfMemory);
  }
  // Only a complete record becomes visible: a lookup during the open must not meet a
  // half-filled one.
  ChannelTableInsert(std::move(record));
}

}  // namespace

void ChannelOpen(ChannelNumber number, uint16_t mode, int32_t record_length) {
  HANDLE abandoned = nullptr;
  {
    std::lock_guard open_lock(OpenLock());
    OpenLocked(number, mode, record_length, abandoned);
  }
  if (abandoned) CloseDevice(abandoned);
}

}  // namespace qv
