#include <cwchar>
#include <iterator>
#include <optional>
#include <string>

#include "bitmap_file_layout.h"
#include "drawing_tools.h"
#include "dyn_string.h"
#include "memory_surface.h"
#include "platform_name.h"
#include "string_ops.h"
#include "surface.h"

namespace qv {

namespace {

// A bottom-up 24-bit section holding a copy of the canvas; its rows are laid out (and padded)
// exactly as the file stores them.
struct CanvasCopy {
  GdiObject section;
  const unsigned char* bits = nullptr;
  int32_t width = 0, height = 0;
};

bool CopyCanvas(const WindowRecord& record, CanvasCopy& copy) {
  HGDIOBJ canvas = record.memory_dc ? GetCurrentObject(record.memory_dc, OBJ_BITMAP) : nullptr;
  BITMAP info{};
  if (!canvas || !GetObjectA(canvas, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 24;
  header.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(record.memory_dc, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section) return false;
  copy.section.reset(section);
  ScratchDC scratch(record.memory_dc);
  if (!scratch.get()) return false;
  Selection selected(scratch.get(), section);
  if (!BitBlt(scratch.get(), 0, 0, info.bmWidth, info.bmHeight, record.memory_dc, 0, 0, SRCCOPY)) return false;
  GdiFlush();
  copy.bits = static_cast<const unsigned char*>(bits);
  copy.width = info.bmWidth;
  copy.height = info.bmHeight;
  return true;
}

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : handle_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Write(const void* data, uint64_t bytes) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
      DWORD chunk = bytes > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes), written = 0;
      if (!WriteFile(handle_, p, chunk, &written, nullptr) || written != chunk) return false;
      p += chunk;
      bytes -= chunk;
    }
    return true;
  }
  bool Close() {
    bool ok = true;
    if (valid()) ok = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The directory the file goes into, for the temporary file beside it; any length.
std::wstring DirectoryOf(const std::wstring& name) {
  DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  wchar_t* file_part = nullptr;
  DWORD n = GetFullPathNameW(name.c_str(), needed, full.data(), &file_part);
  if (n == 0 || n >= needed || !file_part) return {};
  return full.substr(0, static_cast<size_t>(file_part - full.data()));
}

// A new, empty file of a fresh name in the directory (GetTempFileNameW would take no folder
// longer than its fixed buffer allows).
FileHandle CreateTemporaryIn(const std::wstring& directory, std::wstring& temporary) {
  constexpr int kAttempts = 64;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    wchar_t unique[40];
    swprintf(unique, std::size(unique), L"qvb%lx-%llx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
             static_cast<unsigned long long>(now.QuadPart), static_cast<unsigned>(attempt));
    temporary = directory + unique;
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return FileHandle(INVALID_HANDLE_VALUE);
}

bool WriteFileBeside(const std::wstring& name, const BitmapHeader& header, const unsigned char* pixels,
                     uint64_t bytes) {
  std::wstring directory = DirectoryOf(name), temporary;
  if (directory.empty()) return false;
  FileHandle file = CreateTemporaryIn(directory, temporary);
  if (!file.valid()) return false;
  bool written = file.Write(header.data(), header.size()) && file.Write(pixels, bytes) && SetEndOfFile(file.get()) &&
                 FlushFileBuffers(file.get());
  written = file.Close() && written;
  if (written && MoveFileExW(temporary.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace

void SurfaceSaveBitmap() {
  DynString name = PopText();
  if (name.empty()) return;
  WindowRecord* record = SurfaceAcquire();
  if (!record) return;
  CanvasCopy copy;
  bool copied = CopyCanvas(*record, copy);
  SurfaceRelease();
  if (!copied) return;
  // The file is written from the copy, without holding up other surface operations.
  std::optional<BitmapHeader> header = BitmapFileHeader(copy.width, copy.height);
  if (!header) return;
  uint64_t bytes = uint64_t{BitmapRowBytes(copy.width)} * static_cast<uint32_t>(copy.height);
  WriteFileBeside(PlatformName(name), *header, copy.bits, bytes);
}

}  // namespace qv
