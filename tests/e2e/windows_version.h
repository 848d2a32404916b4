// Makes Wine tell the programmer that it runs on another version of Windows.
#pragma once

#include <string>

namespace e2e {

// For as long as the object lives, programs named TRV2KFlash.exe started under Wine are told
// they run on `version` ("win7", "win10"): Wine reads the value Version of
// HKCU\Software\Wine\AppDefaults\TRV2KFlash.exe as each process starts. Windows ignores the key.
// Whether it took effect shows in the stand-in's log, which names the version it was told.
class ProgrammerWindowsVersion {
 public:
  explicit ProgrammerWindowsVersion(const std::wstring& version);
  ~ProgrammerWindowsVersion();
  ProgrammerWindowsVersion(const ProgrammerWindowsVersion&) = delete;
  ProgrammerWindowsVersion& operator=(const ProgrammerWindowsVersion&) = delete;

  // Removes a setting that an earlier, interrupted run of the driver may have left behind.
  static void Reset();
};

}  // namespace e2e
