#include "windows_version.h"

#include <windows.h>

namespace e2e {

namespace {

constexpr wchar_t kProgrammerDefaults[] = L"Software\\Wine\\AppDefaults\\TRV2KFlash.exe";

}  // namespace

ProgrammerWindowsVersion::ProgrammerWindowsVersion(const std::wstring& version) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, kProgrammerDefaults, 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status =
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       DWORD((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
}

ProgrammerWindowsVersion::~ProgrammerWindowsVersion() {
  Reset();
}

void ProgrammerWindowsVersion::Reset() {
  RegDeleteKeyW(HKEY_CURRENT_USER, kProgrammerDefaults);
}

}  // namespace e2e
