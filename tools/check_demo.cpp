// `make run-check` without a display: one check through the real window of TRV2KCheck.exe, the way
// an operator would, beside the stand-in QBLINK.DLL, wired as the environment says
// (QBSIM_WIRING, see sim/README.md).
//   check_demo <exe folder> <output folder>
// It chooses the first adapter, presses "Check", waits until the check has ended, saves a
// screenshot as <output folder>\check.bmp and prints the report. Exits with 0 when the report has a
// line for each of the six checks.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <stdexcept>

#include "check_ui/check_controls.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/wait_limits.h"
#include "remote_operator/win_helpers.h"

namespace trv::remote {
namespace {

// A whole check, the 3 s it waits for a loop that is not there included, on a loaded machine.
constexpr DWORD kCheckTimeoutMs = 60000;
constexpr int kChecks = 6;
constexpr DWORD kPaintSettleMs = 500;

HWND FindCheckForm(DWORD process_id) {
  for (HWND window : TopLevelWindowsOf(process_id)) {
    if (HasClass(window, check_ui::kCheckFormClassName) && IsWindowVisible(window)) {
      return window;
    }
  }
  return nullptr;
}

int CountLines(const std::wstring& report) {
  int lines = 0;
  for (std::size_t at = 0; at < report.size(); at = report.find(L"\r\n", at) + 2) {
    // A line of its own says what to do about the one before it.
    lines += report.compare(at, 12, L"What to do: ") != 0;
    if (report.find(L"\r\n", at) == std::wstring::npos) {
      break;
    }
  }
  return lines;
}

int CheckDemo(const std::wstring& exe_folder, const std::wstring& output_folder) {
  MakeFolders(output_folder);
  std::wstring command = L"\"" + JoinPath(exe_folder, L"TRV2KCheck.exe") + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      output_folder.c_str(), &startup, &process)) {
    throw std::runtime_error("TRV2KCheck.exe did not start");
  }
  CloseHandle(process.hThread);
  HWND form = nullptr;
  if (!WaitUntil(kStartTimeoutMs, [&] { return (form = FindCheckForm(process.dwProcessId)); })) {
    throw std::runtime_error("the check's window did not appear");
  }
  const HWND combo = GetDlgItem(form, check_ui::kComboBox1Id);
  const HWND check = GetDlgItem(form, check_ui::kCheckButtonId);
  const HWND report = GetDlgItem(form, check_ui::kReportId);
  SendBounded(form, WM_COMMAND, MAKEWPARAM(check_ui::kComboBox1Id, CBN_DROPDOWN),
              reinterpret_cast<LPARAM>(combo));
  SendBounded(combo, CB_SETCURSEL, 0, 0);
  std::printf("Adapter: %s\n", Narrow(TextOf(combo)).c_str());
  PostMessageW(check, BM_CLICK, 0, 0);
  const bool ended = WaitUntil(kCheckTimeoutMs, [&] {
    return IsWindowEnabled(check) && CountLines(TextOf(report)) >= kChecks;
  });
  // The window paints what the check's end changed once its message loop is idle again.
  Sleep(kPaintSettleMs);
  SaveScreenAsBmp(JoinPath(output_folder, L"check.bmp"));
  const std::wstring text = TextOf(report);
  std::printf("%s\n", Narrow(text).c_str());
  PostMessageW(form, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kCloseTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  std::printf(ended ? "CHECK DEMO PASSED\n" : "CHECK DEMO FAILED: the check did not end\n");
  return ended ? 0 : 1;
}

}  // namespace
}  // namespace trv::remote

int main(int argc, char** argv) {
  using namespace trv::remote;
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 3) {
    std::printf("usage: %s <exe folder> <output folder>\n", argv[0]);
    return 2;
  }
  const std::wstring output_folder = FullPath(Widen(argv[2]));
  try {
    return CheckDemo(FullPath(Widen(argv[1])), output_folder);
  } catch (const std::exception& error) {
    SaveScreenAsBmp(JoinPath(output_folder, L"error.bmp"));
    std::printf("CHECK DEMO FAILED: %s\n", error.what());
    return 1;
  }
}
