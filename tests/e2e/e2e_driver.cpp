// Works the programmer's window from outside under Wine, as an operator would.
//   e2e_driver test <exe folder> <work folder> [group...]   the end-to-end scenarios
//   e2e_driver demo <exe folder> <ROM file> <demo folder>   one run of a ROM image, with
//   screenshots
//   e2e_driver guide <exe folder> <ROM file> <picture folder>   the operator's guide's pictures
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo.h"
#include "guide_screenshots.h"
#include "scenarios.h"
#include "suite.h"
#include "win_helpers.h"
#include "windows_version.h"

namespace {

int Usage() {
  std::printf(
      "usage: e2e_driver test <exe folder> <work folder> [group...]\n"
      "       e2e_driver demo <exe folder> <ROM file> <demo folder>\n"
      "       e2e_driver guide <exe folder> <ROM file> <picture folder>\n");
  return 2;
}

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
  std::printf("end-to-end scenarios took %.0f s\n", (GetTickCount() - start) / 1000.0);
  std::printf("%d passed, %d failed\n", suite.passed(), suite.failed());
  std::fflush(stdout);
  return suite.failed() == 0 && suite.passed() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" line ends: the output is read on the Unix side.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 5 && !(argc == 4 && std::string(argv[1]) == "test")) {
    return Usage();
  }
  const std::string mode = argv[1];
  const std::wstring exe_path =
      e2e::JoinPath(e2e::FullPath(e2e::Widen(argv[2])), L"TRV2KFlash.exe");
  if (mode == "test") {
    return RunTests(exe_path, e2e::FullPath(e2e::Widen(argv[3])),
                    std::vector<std::string>(argv + 4, argv + argc));
  }
  if (mode == "demo") {
    return e2e::RunDemo(exe_path, e2e::FullPath(e2e::Widen(argv[3])),
                        e2e::FullPath(e2e::Widen(argv[4])));
  }
  if (mode == "guide") {
    return e2e::TakeGuideScreenshots(exe_path, e2e::FullPath(e2e::Widen(argv[3])),
                                     e2e::FullPath(e2e::Widen(argv[4])));
  }
  return Usage();
}
