#include "win32/file_save.h"

#include <windows.h>

#include "win32/win32_rom_file.h"
#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

// Temporary names tried before giving up: another copy of the program may be saving beside it.
constexpr int kTemporaryNamesTried = 16;

// A new, empty file beside `target`, named after it; INVALID_HANDLE_VALUE with the system's error
// where none could be made.
HANDLE CreateTemporaryBeside(const std::wstring& target, std::wstring* temporary) {
  for (int attempt = 0; attempt < kTemporaryNamesTried; ++attempt) {
    *temporary = target + WideFromUtf8("." + std::to_string(GetCurrentProcessId()) + "-" +
                                       std::to_string(attempt) + ".tmp");
    const HANDLE file = CreateFileW(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
      return file;
    }
  }
  return INVALID_HANDLE_VALUE;
}

IoError WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes) {
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return GetLastError();
  }
  if (written < bytes.size()) {
    return kIoDiskFull;
  }
  // On the disk before it takes the name: a power cut after the move must not leave it empty.
  return FlushFileBuffers(file) ? kIoOk : GetLastError();
}

}  // namespace

IoError SaveWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  std::wstring target;
  IoError error = DiskFilePath(path, &target);
  if (error != kIoOk) {
    return error;
  }
  std::wstring temporary;
  const HANDLE file = CreateTemporaryBeside(target, &temporary);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError();
  }
  error = WriteAll(file, bytes);
  if (!CloseHandle(file) && error == kIoOk) {
    error = GetLastError();
  }
  if (error == kIoOk && !MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != kIoOk) {
    DeleteFileW(temporary.c_str());
  }
  return error;
}

}  // namespace trv::win32
