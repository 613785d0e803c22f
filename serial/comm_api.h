// The kernel's file and comm calls that the channels make, as one replaceable table; the channel
// code calls through it only. It holds the real calls on Windows; under Wine the real calls sit
// behind the receive-queue layer (queued_comm_api.h), since Wine keeps no receive queue of its
// own. Tests install a fake device instead.
#pragma once

#include <windows.h>

namespace qv {

struct CommApi {
  decltype(&::CreateFileW) CreateFileW = ::CreateFileW;
  decltype(&::GetFileType) GetFileType = ::GetFileType;
  decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
  decltype(&::GetCommState) GetCommState = ::GetCommState;
  decltype(&::SetCommState) SetCommState = ::SetCommState;
  decltype(&::GetCommProperties) GetCommProperties = ::GetCommProperties;
  decltype(&::SetupComm) SetupComm = ::SetupComm;
  decltype(&::EscapeCommFunction) EscapeCommFunction = ::EscapeCommFunction;
  decltype(&::GetCommModemStatus) GetCommModemStatus = ::GetCommModemStatus;
  decltype(&::ClearCommError) ClearCommError = ::ClearCommError;
  decltype(&::PurgeComm) PurgeComm = ::PurgeComm;
  decltype(&::SetCommTimeouts) SetCommTimeouts = ::SetCommTimeouts;
  decltype(&::ReadFile) ReadFile = ::ReadFile;
  decltype(&::WriteFile) WriteFile = ::WriteFile;
  decltype(&::FlushFileBuffers) FlushFileBuffers = ::FlushFileBuffers;
  decltype(&::Sleep) Sleep = ::Sleep;
  decltype(&::GetLocalTime) GetLocalTime = ::GetLocalTime;
  decltype(&::GetCommTimeouts) GetCommTimeouts = ::GetCommTimeouts;
  decltype(&::GetFinalPathNameByHandleW) GetFinalPathNameByHandleW = ::GetFinalPathNameByHandleW;
  // Not a platform call: ends whatever use a layer of the table makes of a handle of its own
  // accord (the receive queue's drain), before the handle is closed. It may wait for that use
  // to finish, so callers make it outside ApiCallGuard.
  void (*PrepareClose)(HANDLE) = [](HANDLE) {};
};

// The table in use.
const CommApi& Comm();

// Replaces the table (no channel operation may run meanwhile); returns the previous one.
CommApi CommApiInstall(const CommApi& api);

}  // namespace qv
