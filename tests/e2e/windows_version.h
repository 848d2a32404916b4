// Makes Wine tell the programmer that it runs on a given version of Windows.
#pragma once

#include <optional>
#include <string>

namespace e2e {

// For as long as the object lives, programs named TRV2KFlash.exe started under Wine are told
// they run on `version` ("win7", "win10"): Wine reads the value Version of
// HKCU\Software\Wine\AppDefaults\TRV2KFlash.exe as each process starts. The setting before is
// put back afterwards. Windows ignores the key. Whether it took effect shows in the stand-in's
// log, which names the version the programmer's process was told.
class ProgrammerWindowsVersion {
 public:
  explicit ProgrammerWindowsVersion(const std::wstring& version);
  ~ProgrammerWindowsVersion();
  ProgrammerWindowsVersion(const ProgrammerWindowsVersion&) = delete;
  ProgrammerWindowsVersion& operator=(const ProgrammerWindowsVersion&) = delete;

  // Removes a setting that an interrupted run of the driver left behind.
  static void Reset();

 private:
  std::optional<std::wstring> before_;
};

}  // namespace e2e
