#include "unix_program.h"

namespace qv::testing {

bool StartUnixProgram(const std::string& path, std::wstring command_line, HANDLE* process) {
  std::wstring image = L"Z:";
  for (char c : path) image += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(image.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return false;
  if (started.hThread) CloseHandle(started.hThread);
  if (process)
    *process = started.hProcess;
  else if (started.hProcess)
    CloseHandle(started.hProcess);
  return true;
}

}  // namespace qv::testing
