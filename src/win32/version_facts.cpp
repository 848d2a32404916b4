#include "win32/version_facts.h"

#include <windows.h>

#include <vector>

#include "win32/entry_points.h"
#include "win32/win32_text.h"

namespace trv::win32 {

std::string WindowsVersion() {
  // The system's own call, which no compatibility setting shims; it is in every Windows, but
  // declared only for drivers, so it is looked up.
  const auto rtl_get_version =
      OptionalEntry<LONG(WINAPI*)(OSVERSIONINFOW*)>(L"ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (rtl_get_version == nullptr || rtl_get_version(&version) != 0) {
    return std::string();
  }
  std::string text = std::to_string(version.dwMajorVersion) + "." +
                     std::to_string(version.dwMinorVersion) + " build " +
                     std::to_string(version.dwBuildNumber);
  if (version.szCSDVersion[0] != L'\0') {
    text += " " + Utf8FromWide(version.szCSDVersion);
  }
  return text;
}

std::string FileVersion(const std::wstring& path) {
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
  if (size == 0) {
    return std::string();
  }
  std::vector<unsigned char> info(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, info.data()) ||
      !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof(*fixed) || fixed->dwSignature != VS_FFI_SIGNATURE) {
    return std::string();
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS));
}

}  // namespace trv::win32
