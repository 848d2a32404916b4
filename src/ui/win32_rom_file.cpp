#include "ui/win32_rom_file.h"

#include <windows.h>

#include "ui/win32_text.h"

namespace trv::ui {
namespace {

// The operator learns more from "File access denied" than from a bare sharing or lock code.
IoError LastIoError() {
  const DWORD code = GetLastError();
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
    return kIoAccessDenied;
  }
  return code;
}

class Win32RomFile final : public RomFile {
 public:
  explicit Win32RomFile(HANDLE handle) : handle_(handle) {}
  ~Win32RomFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  Win32RomFile(const Win32RomFile&) = delete;
  Win32RomFile& operator=(const Win32RomFile&) = delete;

  IoError Size(std::uint64_t* size) override {
    LARGE_INTEGER bytes;
    if (!GetFileSizeEx(handle_, &bytes)) {
      return LastIoError();
    }
    *size = static_cast<std::uint64_t>(bytes.QuadPart);
    return kIoOk;
  }

  IoError Read(void* buffer, std::uint32_t count, std::uint32_t* got) override {
    DWORD read = 0;
    const BOOL ok = ReadFile(handle_, buffer, count, &read, nullptr);
    *got = read;
    return ok ? kIoOk : LastIoError();
  }

  IoError Close() override {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) ? kIoOk : LastIoError();
  }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<RomFile> Win32RomFileSystem::Open(const std::string& path, IoError* error) {
  const std::wstring wide_path = WideFromUtf8(path);
  const HANDLE handle = CreateFileW(wide_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = LastIoError();
    return nullptr;
  }
  *error = kIoOk;
  return std::make_unique<Win32RomFile>(handle);
}

}  // namespace trv::ui
