#include "scratch_files.h"

#include "common/shared_types.h"

namespace ui_test {
namespace {

// The form that is not held to 260 characters.
std::wstring Extended(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

}  // namespace

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  folder_ = std::wstring(temp) + L"trv_win32_tests_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
    if (!DeleteFileW(Extended(*made).c_str())) {
      RemoveDirectoryW(Extended(*made).c_str());
    }
  }
  RemoveDirectoryW(folder_.c_str());
}

std::wstring ScratchFolder::Folder(const std::wstring& name) {
  const std::wstring path = Path(name);
  CreateDirectoryW(Extended(path).c_str(), nullptr);
  made_.push_back(path);
  return path;
}

std::wstring ScratchFolder::Write(const std::wstring& name,
                                  const std::vector<unsigned char>& bytes) {
  const std::wstring path = Path(name);
  const HANDLE file =
      CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  made_.push_back(path);
  return path;
}

std::vector<unsigned char> RomImage() {
  std::vector<unsigned char> bytes(trv::kRomImageSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
  }
  return bytes;
}

}  // namespace ui_test
