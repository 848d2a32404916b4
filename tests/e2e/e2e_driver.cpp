// The end-to-end scenarios: works the programmer's window from outside under Wine, as an operator
// would, and reports a verdict per scenario.
//   e2e_driver <exe folder> <work folder> [group...]
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "suite.h"
#include "windows_version.h"

namespace {

int RunTests(const std::wstring& exe_path, const std::wstring& work_folder,
             const std::vector<std::string>& groups) {
  e2e::MakeFolders(work_folder);
  // Every scenario's programmer is told it runs on Windows 7, the oldest system it serves; the
  // Windows 10 group says otherwise for its own.
  e2e::ProgrammerWindowsVersion::Reset();
  const e2e::ProgrammerWindowsVersion windows7(L"win7");
  e2e::Suite suite(exe_path, work_folder, groups);
  const DWORD start = GetTickCount();
  e2e::WindowScenarios(suite);
  e2e::DeviceListScenarios(suite);
  e2e::SmokeScenarios(suite);
  e2e::TimingScenarios(suite);
  e2e::RunScenarios(suite);
  e2e::HeldWindowScenarios(suite);
  e2e::RomAccessScenarios(suite);
  e2e::PlantedLibraryScenarios(suite);
  e2e::RepeatedRunScenarios(suite);
  if (suite.passed() + suite.failed() == 0) {
    std::printf("no scenario belongs to the groups asked for\n");
  }
  std::printf("end-to-end scenarios took %.0f s\n", (GetTickCount() - start) / 1000.0);
  std::printf("%d passed, %d failed\n", suite.passed(), suite.failed());
  std::fflush(stdout);
  return suite.failed() == 0 && suite.passed() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" line ends: the output is read on the Unix side.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 3) {
    std::printf("usage: e2e_driver <exe folder> <work folder> [group...]\n");
    return 2;
  }
  using trv::remote::FullPath;
  using trv::remote::Widen;
  return RunTests(trv::remote::JoinPath(FullPath(Widen(argv[1])), L"TRV2KFlash.exe"),
                  FullPath(Widen(argv[2])), std::vector<std::string>(argv + 3, argv + argc));
}
