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
#include "scenarios.h"
#include "suite.h"
#include "win_helpers.h"

namespace e2e {
int TakeGuideScreenshots(const std::wstring& exePath, const std::wstring& romPath,
                         const std::wstring& folder);
}  // namespace e2e

namespace {

int Usage() {
  std::printf(
      "usage: e2e_driver test <exe folder> <work folder> [group...]\n"
      "       e2e_driver demo <exe folder> <ROM file> <demo folder>\n"
      "       e2e_driver guide <exe folder> <ROM file> <picture folder>\n");
  return 2;
}

int RunTests(const std::wstring& exePath, const std::wstring& workFolder,
             const std::vector<std::string>& groups) {
  e2e::MakeFolders(workFolder);
  e2e::Suite suite(exePath, workFolder, groups);
  const DWORD start = GetTickCount();
  e2e::WindowScenarios(suite);
  e2e::DeviceListScenarios(suite);
  e2e::FaultScenarios(suite);
  e2e::RunScenarios(suite);
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
  const std::wstring exePath = e2e::JoinPath(e2e::FullPath(e2e::Widen(argv[2])), L"TRV2KFlash.exe");
  if (mode == "test") {
    return RunTests(exePath, e2e::FullPath(e2e::Widen(argv[3])),
                    std::vector<std::string>(argv + 4, argv + argc));
  }
  if (mode == "demo") {
    return e2e::RunDemo(exePath, e2e::FullPath(e2e::Widen(argv[3])),
                        e2e::FullPath(e2e::Widen(argv[4])));
  }
  if (mode == "guide") {
    return e2e::TakeGuideScreenshots(exePath, e2e::FullPath(e2e::Widen(argv[3])),
                                     e2e::FullPath(e2e::Widen(argv[4])));
  }
  return Usage();
}
