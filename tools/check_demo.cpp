// `make run-check` without a display: one check through the real window of TRV2KCheck.exe, the way
// an operator would, beside the stand-in QBLINK.DLL, wired as the environment says
// (QBSIM_WIRING, see sim/README.md).
//   check_demo <exe folder> <output folder>
// It chooses the first adapter, presses "Check", waits until the check has ended, saves a
// screenshot as <output folder>\check.bmp and prints the report. Exits with 0 when the check
// ended.
#include <cstdio>
#include <stdexcept>

#include "remote_operator/check_process.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"
#include "tool_main.h"

namespace trv::remote {
namespace {

// A whole check, the 3 s it waits for a loop that is not there included, on a loaded machine.
constexpr DWORD kCheckTimeoutMs = 60000;
constexpr DWORD kPaintSettleMs = 500;

// The stand-in's settings (QBSIM_*) in this process's environment, handed on as they are.
EnvironmentOverrides StandInSettings() {
  EnvironmentOverrides settings;
  LPWCH all = GetEnvironmentStringsW();
  for (LPWCH entry = all; *entry; entry += lstrlenW(entry) + 1) {
    const std::wstring setting = entry;
    const size_t equals = setting.find(L'=');
    if (setting.rfind(L"QBSIM_", 0) == 0 && equals != std::wstring::npos) {
      settings.emplace_back(setting.substr(0, equals), setting.substr(equals + 1));
    }
  }
  FreeEnvironmentStringsW(all);
  return settings;
}

int CheckDemo(const std::wstring& exe_folder, const std::wstring& output_folder) {
  MakeFolders(output_folder);
  CheckProcess check(JoinPath(exe_folder, L"TRV2KCheck.exe"), output_folder, StandInSettings());
  check.WaitForCheckWindow(kStartTimeoutMs);
  check.ChooseDevice(0);
  std::printf("Adapter: %s\n", Narrow(check.DeviceText()).c_str());
  check.Click(check.controls().CheckButton, kCheckTimeoutMs);
  // The window paints what the check's end changed once its message loop is idle again.
  Sleep(kPaintSettleMs);
  SaveScreenAsBmp(JoinPath(output_folder, L"check.bmp"));
  std::printf("%s\n", Narrow(check.Report()).c_str());
  check.CloseWindow(kCloseTimeoutMs);
  std::printf("CHECK DEMO PASSED\n");
  return 0;
}

}  // namespace
}  // namespace trv::remote

int main(int argc, char** argv) {
  return trv::remote::ToolMain(argc, argv, {"exe folder", "output folder"}, "CHECK DEMO FAILED",
                               [](const std::vector<std::wstring>& paths) {
                                 return trv::remote::CheckDemo(paths[0], paths[1]);
                               });
}
