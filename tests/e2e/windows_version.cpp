#include "windows_version.h"

#include <windows.h>

namespace e2e {

namespace {

constexpr wchar_t kProgrammerDefaults[] = L"Software\\Wine\\AppDefaults\\TRV2KFlash.exe";
constexpr wchar_t kVersionValue[] = L"Version";

std::optional<std::wstring> ReadVersion() {
  wchar_t value[64] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kProgrammerDefaults, kVersionValue, RRF_RT_REG_SZ, nullptr,
                   value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

void WriteVersion(const std::optional<std::wstring>& version) {
  if (!version) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgrammerDefaults, kVersionValue);
    return;
  }
  RegSetKeyValueW(HKEY_CURRENT_USER, kProgrammerDefaults, kVersionValue, REG_SZ, version->c_str(),
                  DWORD((version->size() + 1) * sizeof(wchar_t)));
}

}  // namespace

ProgrammerWindowsVersion::ProgrammerWindowsVersion(const std::wstring& version)
    : before_(ReadVersion()) {
  WriteVersion(version);
}

ProgrammerWindowsVersion::~ProgrammerWindowsVersion() {
  WriteVersion(before_);
}

void ProgrammerWindowsVersion::Reset() {
  WriteVersion(std::nullopt);
}

}  // namespace e2e
