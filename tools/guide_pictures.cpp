// `make guide-screenshots`: the pictures of the operator's guide, the real windows of the
// programmer and the check in each state an operator meets, beside the stand-in QBLINK.DLL on the
// simulated adapter.
//   guide_pictures <exe folder> <ROM file> <picture folder>
// The ROM file is written with a made-up image; the pictures go to the picture folder as BMP
// files. Everything that shows in them is fixed here (adapter names, the ROM file's path, the
// check's folder and latency, the faults), and each pass and read is pictured while the chip holds
// it still at the middle block, so taking them again gives the same pictures. Exits with 0 when
// every picture was taken.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/check_texts.h"
#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "remote_operator/check_process.h"
#include "remote_operator/programmer_process.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"
#include "tool_main.h"

namespace trv::remote {
namespace {

constexpr DWORD kSettleMs = 300;  // lets a list or a repaint finish before the picture
constexpr DWORD kHalfway = kRomImageSize / 2;
constexpr wchar_t kAdapters[] = L"QB USB Serial Adapter|QB USB Serial Adapter #2";
// The chip leaves the middle block (256 of 512) of a pass unanswered: the window waits there, its
// bar standing at the same place in every take, until the run gives up with "Failed to read ACK.".
constexpr char kStallProgramming[] = "no_block_ack=256";
constexpr char kStallVerifying[] = "no_read_command_ack=256";
// The loader never answers, so the run ends in the synchronisation message.
constexpr char kSilentChip[] = "silent_chip";
// The window while the program tries to make contact is pictured this far into the handshake's
// six seconds: it stands still for all of them.
constexpr DWORD kIntoHandshakeMs = 1000;

class Pictures {
 public:
  explicit Pictures(std::wstring folder) : folder_(std::move(folder)) {}

  void Take(const std::wstring& name) const {
    Sleep(kSettleMs);
    if (!SaveScreenAsBmp(Path(name))) {
      throw std::runtime_error("could not save " + Narrow(Path(name)));
    }
    std::printf("picture %s\n", Narrow(name).c_str());
  }
  std::wstring Path(const std::wstring& name) const { return JoinPath(folder_, name + L".bmp"); }

 private:
  std::wstring folder_;
};

void ExpectOnlyBox(const RunObservation& run, const char* message) {
  if (run.boxes.size() != 1 || run.boxes[0].text != Widen(message)) {
    throw std::runtime_error("the run did not end in the one message " + Printable(Widen(message)));
  }
}

// The close button at the right end of the window's title bar shows the X that Windows draws from
// its symbol font, not a letter of some other font: the glyph, the pixels in the button text
// colour, is there and stays the same mirrored left to right and top to bottom.
void ExpectCloseButtonCross(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  const int width = GetSystemMetrics(SM_CXSIZE) + 2 * GetSystemMetrics(SM_CXFRAME);
  const int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
  const std::vector<COLORREF> pixels =
      CaptureScreenArea({frame.right - width, frame.top, frame.right, frame.top + height});
  const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
  auto inked = [&](int x, int y) { return pixels[size_t(y) * width + x] == ink; };
  RECT glyph = {width, height, -1, -1};  // the inked pixels, edges included
  for (int y = 0; y < height && !pixels.empty(); ++y) {
    for (int x = 0; x < width; ++x) {
      if (inked(x, y)) {
        glyph = {std::min(glyph.left, LONG(x)), std::min(glyph.top, LONG(y)),
                 std::max(glyph.right, LONG(x)), std::max(glyph.bottom, LONG(y))};
      }
    }
  }
  bool cross = glyph.right > glyph.left && glyph.bottom > glyph.top;
  for (int y = glyph.top; cross && y <= glyph.bottom; ++y) {
    for (int x = glyph.left; cross && x <= glyph.right; ++x) {
      cross = inked(x, y) == inked(glyph.left + glyph.right - x, y) &&
              inked(x, y) == inked(x, glyph.top + glyph.bottom - y);
    }
  }
  if (!cross) {
    throw std::runtime_error(
        "the title bar's close button shows no X: is Wine's Marlett font in the prefix's Fonts "
        "folder?");
  }
}

// Runs into `stall`, pictures the pass under `heading` as it waits at the middle block, and sees
// the run give up there.
void PictureStalledPass(ProgrammerProcess& app, const Pictures& pictures,
                        const std::wstring& faults_path, const std::string& stall,
                        const char* heading, const std::wstring& name) {
  SetStandInFaults(faults_path, stall);
  bool taken = false;
  const RunObservation run =
      app.PressProgram(kFullRunTimeoutMs, L"", [&](const RunObservation& seen) {
        const DWORD position = DWORD(SendBounded(app.controls().ProgressBar1, PBM_GETPOS, 0, 0, 0));
        if (taken || seen.label2_captions.back() != Widen(heading) || position != kHalfway) {
          return;
        }
        Sleep(kSettleMs);
        taken = SaveScreenAsBmp(pictures.Path(name));
      });
  ExpectOnlyBox(run, texts::kAckFailedMessage);
  if (!taken) {
    throw std::runtime_error("no picture of " + std::string(heading) + " at the middle block");
  }
  std::printf("picture %s\n", Narrow(name).c_str());
}

// Runs against the silent chip, pictures the window as it tries to make contact (the controls
// greyed, the idle heading, no bar yet), and pictures the message the run ends in.
void PictureSilentChip(ProgrammerProcess& app, const Pictures& pictures,
                       const std::wstring& faults_path) {
  SetStandInFaults(faults_path, kSilentChip);
  bool taken = false;
  const DWORD pressed = GetTickCount();
  const RunObservation run = app.PressProgram(
      kFullRunTimeoutMs, pictures.Path(L"sync-failed"), [&](const RunObservation& seen) {
        if (taken || !seen.boxes.empty() || GetTickCount() - pressed < kIntoHandshakeMs ||
            app.InputsEnabled() || IsWindowVisible(app.controls().ProgressBar1)) {
          return;
        }
        taken = SaveScreenAsBmp(pictures.Path(L"handshake"));
      });
  ExpectOnlyBox(run, texts::kSyncFailedMessage);
  if (!taken) {
    throw std::runtime_error("no picture of the window while it makes contact with the chip");
  }
  std::printf("picture handshake\npicture sync-failed\n");
}

// The check is started from this folder, so that the library's path in its report is the same on
// every machine, at a latency whose round trip, read in tenths of a millisecond, is the same in
// every take, and long enough for the report's advice on it to show.
constexpr wchar_t kCheckFolder[] = L"C:\\TRV2K";
constexpr unsigned kCheckLatencyMs = 16;
// A whole check, or a read of the flash that stalls at the middle block, at that latency.
constexpr DWORD kCheckTimeoutMs = 60000;

// The check's window: idle, after a check that passed, reading the flash (still over that
// report, the bar standing at the middle block, where the chip leaves the read unanswered until
// the read gives up), and after a check that failed on a silent chip.
void PictureTheCheck(const std::wstring& exe_folder, const std::wstring& rom_folder,
                     const Pictures& pictures, const std::wstring& flash_path,
                     const std::wstring& faults_path) {
  MakeFolders(kCheckFolder);
  for (const wchar_t* file : {L"TRV2KCheck.exe", L"QBLINK.DLL"}) {
    if (!CopyFileW(JoinPath(exe_folder, file).c_str(), JoinPath(kCheckFolder, file).c_str(),
                   FALSE)) {
      throw std::runtime_error("cannot copy " + Narrow(file) + " into " + Narrow(kCheckFolder));
    }
  }
  SetStandInFaults(faults_path, "");
  CheckProcess check(JoinPath(kCheckFolder, L"TRV2KCheck.exe"), rom_folder,
                     {{L"QBSIM_ADAPTERS", kAdapters},
                      {L"QBSIM_FLASH", flash_path},
                      {L"QBSIM_FAULTS_FILE", faults_path},
                      {L"QBSIM_LATENCY_MS", std::to_wstring(kCheckLatencyMs)}});
  check.WaitForCheckWindow(kStartTimeoutMs);
  pictures.Take(L"check-idle");
  check.ChooseDevice(0);
  check.Click(check.controls().CheckButton, kCheckTimeoutMs);
  pictures.Take(L"check-passed");

  SetStandInFaults(faults_path, kStallVerifying);
  bool taken = false;
  const HWND bar = check.controls().ProgressBar1;
  check.Click(check.controls().SaveFlashButton, kCheckTimeoutMs, [&] {
    if (!taken && IsWindowVisible(bar) && SendBounded(bar, PBM_GETPOS, 0, 0, 0) == kHalfway) {
      Sleep(kSettleMs);
      taken = SaveScreenAsBmp(pictures.Path(L"check-reading"));
    }
  });
  if (!taken) {
    throw std::runtime_error("no picture of the check reading the flash at the middle block");
  }
  std::printf("picture check-reading\n");

  SetStandInFaults(faults_path, kSilentChip);
  check.Click(check.controls().CheckButton, kCheckTimeoutMs);
  pictures.Take(L"check-failed");
  check.CloseWindow(kCloseTimeoutMs);
}

int TakeAll(const std::wstring& exe_path, const std::wstring& rom_path,
            const std::wstring& folder) {
  MakeFolders(folder);
  const std::wstring rom_folder = rom_path.substr(0, rom_path.rfind(L'\\'));
  MakeFolders(rom_folder);
  std::vector<unsigned char> image(kRomImageSize);
  for (size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>(i * 7);
  }
  const std::wstring flash_path = JoinPath(folder, L"flash.bin");
  const std::wstring faults_path = JoinPath(folder, L"faults.txt");
  DeleteFileW(flash_path.c_str());
  DeleteFileW(faults_path.c_str());
  if (!WriteWholeFile(rom_path, image)) {
    throw std::runtime_error("cannot write the ROM file");
  }

  ProgrammerProcess app(exe_path, rom_folder,
                        {{L"QBSIM_ADAPTERS", kAdapters},
                         {L"QBSIM_FLASH", flash_path},
                         {L"QBSIM_FAULTS_FILE", faults_path},
                         {L"QBSIM_LATENCY_MS", std::to_wstring(kStandInLatencyMs)}});
  app.WaitForMainWindow(kStartTimeoutMs);
  Pictures pictures(folder);
  pictures.Take(L"idle");
  ExpectCloseButtonCross(app.window());

  app.OpenDeviceList();
  pictures.Take(L"device-list");
  app.CloseDeviceList();
  app.ChooseDevice(0);
  app.ChooseFile(rom_path);
  pictures.Take(L"ready");

  PictureStalledPass(app, pictures, faults_path, kStallProgramming, texts::kProgrammingHeading,
                     L"programming");
  PictureStalledPass(app, pictures, faults_path, kStallVerifying, texts::kVerifyingHeading,
                     L"verifying");
  SetStandInFaults(faults_path, "");
  ExpectOnlyBox(app.PressProgram(kFullRunTimeoutMs, pictures.Path(L"completed")),
                texts::kVerifiedMessage);

  PictureSilentChip(app, pictures, faults_path);
  app.CloseWindow(kCloseTimeoutMs);

  PictureTheCheck(exe_path.substr(0, exe_path.rfind(L'\\')), rom_folder, pictures, flash_path,
                  faults_path);
  DeleteFileW(flash_path.c_str());
  DeleteFileW(faults_path.c_str());
  return 0;
}

}  // namespace
}  // namespace trv::remote

int main(int argc, char** argv) {
  return trv::remote::ToolMain(argc, argv, {"exe folder", "ROM file", "output folder"},
                               "GUIDE PICTURES FAILED", [](const std::vector<std::wstring>& paths) {
                                 return trv::remote::TakeAll(
                                     trv::remote::JoinPath(paths[0], L"TRV2KFlash.exe"), paths[1],
                                     paths[2]);
                               });
}
