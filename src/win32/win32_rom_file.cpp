#include "win32/win32_rom_file.h"

#include <windows.h>

#include <cwchar>

#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

// Anything that is not a file on a disk is refused before a byte is read: reading a device or a
// pipe can wait for ever, and opening one can already act on it (a serial port's control lines
// change as it opens). The operator is told the file cannot be accessed.
constexpr IoError kNotADiskFile = kIoAccessDenied;

// The system's code as it stands: a file that another program holds open without read sharing
// gives 32, a region of it that another program locked gives 33 when read, and the report says
// which, apart from "access denied" (5), which is about rights.
IoError LastIoError() {
  return GetLastError();
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

class Win32RomFile final : public RomFile {
 public:
  explicit Win32RomFile(HANDLE handle) : handle_(handle) {}
  ~Win32RomFile() override {
    if (is_open()) {
      CloseHandle(handle_);
    }
  }
  Win32RomFile(const Win32RomFile&) = delete;
  Win32RomFile& operator=(const Win32RomFile&) = delete;

  bool is_open() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool OnDisk() const { return GetFileType(handle_) == FILE_TYPE_DISK; }

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

IoError DiskFilePath(const std::wstring& path, std::wstring* extended) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) {
    return LastIoError();
  }
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) {
    return length == 0 ? LastIoError() : ERROR_INVALID_NAME;
  }
  full.resize(length);
  if (StartsWith(full, L"\\\\?\\")) {
    // Already extended; only drive and network paths name files.
    const bool drive = full.size() >= 7 && full[5] == L':' && full[6] == L'\\';
    if (!drive && !StartsWith(full, L"\\\\?\\UNC\\")) {
      return kNotADiskFile;
    }
    *extended = full;
  } else if (StartsWith(full, L"\\\\.\\")) {
    return kNotADiskFile;
  } else if (StartsWith(full, L"\\\\")) {
    *extended = L"\\\\?\\UNC\\" + full.substr(2);
  } else {
    *extended = L"\\\\?\\" + full;
  }
  return kIoOk;
}

std::unique_ptr<RomFile> Win32RomFileSystem::Open(const std::string& path, IoError* error) {
  std::wstring extended;
  *error = DiskFilePath(WideFromUtf8(path), &extended);
  if (*error != kIoOk) {
    return nullptr;
  }
  // Room for the owner is taken before the file is opened, so the handle cannot be lost.
  std::unique_ptr<Win32RomFile> file(
      new Win32RomFile(CreateFileW(extended.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file->is_open()) {
    *error = LastIoError();
    return nullptr;
  }
  // A network path can still lead to a pipe or a device.
  if (!file->OnDisk()) {
    *error = kNotADiskFile;
    return nullptr;
  }
  return file;
}

}  // namespace trv::win32
