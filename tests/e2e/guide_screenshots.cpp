// The pictures of the operator's guide: the real window in each state an operator meets, on the
// simulated adapter. Everything that shows in them is fixed here (adapter names, the ROM file's
// path, the fault of the failed run), so taking them again gives the same pictures apart from
// where the progress bar happened to stand.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "expected_texts.h"
#include "programmer_process.h"
#include "screen_capture.h"
#include "win_helpers.h"

namespace e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kRunTimeoutMs = 120000;
constexpr DWORD kCloseTimeoutMs = 5000;
constexpr DWORD kSettleMs = 300;  // lets a list or a repaint finish before the picture
constexpr DWORD kHalfway = 32768;
constexpr wchar_t kAdapters[] = L"QB USB Serial Adapter|QB USB Serial Adapter #2";
// The loader never answers, so the run ends in the synchronisation message.
constexpr char kSilentChip[] = "silent_chip";

class Pictures {
 public:
  explicit Pictures(std::wstring folder) : folder_(std::move(folder)) {}

  void Take(const std::wstring& name) {
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

void ExpectOnlyBox(const RunObservation& run, const std::wstring& text) {
  if (run.boxes.size() != 1 || run.boxes[0].text != text) {
    throw std::runtime_error("the run did not end in the one message " + Printable(text));
  }
}

int TakeAll(const std::wstring& exePath, const std::wstring& romPath, const std::wstring& folder) {
  MakeFolders(folder);
  const std::wstring romFolder = romPath.substr(0, romPath.rfind(L'\\'));
  MakeFolders(romFolder);
  std::vector<unsigned char> image(65536);
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<unsigned char>(i * 7);
  const std::wstring flashPath = JoinPath(folder, L"flash.bin");
  const std::wstring faultsPath = JoinPath(folder, L"faults.txt");
  DeleteFileW(flashPath.c_str());
  DeleteFileW(faultsPath.c_str());
  if (!WriteWholeFile(romPath, image)) throw std::runtime_error("cannot write the ROM file");

  ProgrammerProcess app(exePath, romFolder,
                        {{L"QBSIM_ADAPTERS", kAdapters},
                         {L"QBSIM_FLASH", flashPath},
                         {L"QBSIM_FAULTS_FILE", faultsPath},
                         {L"QBSIM_LATENCY_MS", L"1"}});
  app.WaitForMainWindow(kStartTimeoutMs);
  Pictures pictures(folder);
  pictures.Take(L"idle");

  app.OpenDeviceList();
  pictures.Take(L"device-list");
  app.CloseDeviceList();
  app.ChooseDevice(0);
  app.ChooseFile(romPath);
  pictures.Take(L"ready");

  // Each pass is pictured once, as its bar passes the middle.
  bool programmingTaken = false;
  bool verifyingTaken = false;
  const RunObservation run =
      app.PressProgram(kRunTimeoutMs, pictures.Path(L"completed"), [&](const RunObservation& seen) {
        const DWORD position = DWORD(SendBounded(app.controls().progressBar1, PBM_GETPOS, 0, 0, 0));
        if (seen.label2Captions.empty() || position < kHalfway) return;
        if (!programmingTaken && seen.label2Captions.back() == kProgrammingHeading) {
          programmingTaken = SaveScreenAsBmp(pictures.Path(L"programming"));
        } else if (!verifyingTaken && seen.label2Captions.back() == kVerifyingHeading) {
          verifyingTaken = SaveScreenAsBmp(pictures.Path(L"verifying"));
        }
      });
  ExpectOnlyBox(run, kProgrammed);
  if (!programmingTaken || !verifyingTaken) {
    throw std::runtime_error("a pass went by without its picture");
  }

  const std::string fault = kSilentChip;
  if (!WriteWholeFile(faultsPath, std::vector<unsigned char>(fault.begin(), fault.end()))) {
    throw std::runtime_error("cannot write the fault file");
  }
  ExpectOnlyBox(app.PressProgram(kRunTimeoutMs, pictures.Path(L"sync-failed")), kSyncFailed);
  app.CloseWindow(kCloseTimeoutMs);
  DeleteFileW(flashPath.c_str());
  DeleteFileW(faultsPath.c_str());
  return 0;
}

}  // namespace

// `romPath` is written with a made-up image; the pictures go to `folder` as BMP files.
int TakeGuideScreenshots(const std::wstring& exePath, const std::wstring& romPath,
                         const std::wstring& folder) {
  try {
    return TakeAll(exePath, romPath, folder);
  } catch (const std::exception& error) {
    std::printf("GUIDE SCREENSHOTS FAILED: %s\n", error.what());
    return 1;
  }
}

}  // namespace e2e
