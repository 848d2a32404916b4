// `make run` without a display: programs a ROM image through the real window, the way an operator
// would, beside the stand-in QBLINK.DLL on the simulated adapter.
//   demo <exe folder> <ROM file> <demo folder>
// Screenshots of the idle window, the run and the final message go to the demo folder, and the
// simulated flash is <demo folder>\flash.bin. Exits with 0 when the flash then holds the image.
#include <cstdio>
#include <stdexcept>

#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "remote_operator/programmer_process.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"
#include "tool_main.h"

namespace trv::remote {
namespace {

// The progress at which the run is pictured: the middle of the programming pass.
constexpr DWORD kMidRunProgress = kRomImageSize / 2;

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.rfind(L'\\'));
}
std::wstring NameOf(const std::wstring& path) {
  return path.substr(path.rfind(L'\\') + 1);
}

int Demo(const std::wstring& exe_path, const std::wstring& rom_path,
         const std::wstring& demo_folder) {
  MakeFolders(demo_folder);
  const std::wstring flash_path = JoinPath(demo_folder, L"flash.bin");
  DeleteFileW(flash_path.c_str());
  // Started in the ROM's folder, so the file dialog opens there.
  ProgrammerProcess app(exe_path, FolderOf(rom_path),
                        {{L"QBSIM_FLASH", flash_path},
                         {L"QBSIM_LOG", JoinPath(demo_folder, L"qbsim.log")},
                         {L"QBSIM_LATENCY_MS", std::to_wstring(kStandInLatencyMs)}});
  app.WaitForMainWindow(kStartTimeoutMs);
  app.ChooseDevice(0);
  app.ChooseFile(NameOf(rom_path));
  std::printf("Device: %s\nROM file: %s\n", Narrow(app.DeviceText()).c_str(),
              Narrow(app.SelectedFilePath()).c_str());
  SaveScreenAsBmp(JoinPath(demo_folder, L"1-idle.bmp"));

  bool mid_run_saved = false;
  const DWORD start = GetTickCount();
  const RunObservation run =
      app.PressProgram(kFullRunTimeoutMs, JoinPath(demo_folder, L"3-final-message.bmp"),
                       [&](const RunObservation& seen) {
                         if (!mid_run_saved && seen.highest_progress >= kMidRunProgress) {
                           mid_run_saved = SaveScreenAsBmp(JoinPath(demo_folder, L"2-mid-run.bmp"));
                         }
                       });
  std::printf("Programming took %.1f s\n", (GetTickCount() - start) / 1000.0);
  for (const MessageBoxSeen& box : run.boxes) {
    std::printf("Message [%s]: %s\n", Narrow(box.caption).c_str(), Printable(box.text).c_str());
  }
  if (!app.CloseWindow(kCloseTimeoutMs)) {
    std::printf("The programmer did not end when its window was closed.\n");
  }

  std::vector<unsigned char> image;
  std::vector<unsigned char> flash;
  ReadWholeFile(rom_path, image);
  const bool flashed =
      ReadWholeFile(flash_path, flash) && flash == image && image.size() == kRomImageSize;
  const bool reported =
      run.boxes.size() == 1 && run.boxes[0].text == Widen(texts::kVerifiedMessage);
  std::printf("%s: the simulated flash %s %s\n",
              flashed && reported ? "DEMO PASSED" : "DEMO FAILED",
              flashed ? "now holds" : "does NOT hold", Narrow(rom_path).c_str());
  return flashed && reported ? 0 : 1;
}

}  // namespace
}  // namespace trv::remote

int main(int argc, char** argv) {
  return trv::remote::ToolMain(argc, argv, {"exe folder", "ROM file", "output folder"},
                               "DEMO FAILED", [](const std::vector<std::wstring>& paths) {
                                 return trv::remote::Demo(
                                     trv::remote::JoinPath(paths[0], L"TRV2KFlash.exe"), paths[1],
                                     paths[2]);
                               });
}
