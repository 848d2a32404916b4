#include "timed_program_run.h"

#include <windows.h>

#include "checks.h"
#include "expected_texts.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// Now, in seconds.
double Seconds() {
  LARGE_INTEGER count;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return double(count.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

// The stand-in saves the simulated flash as the adapter closes, so the flash file appearing marks
// the end of the run.
ExeRun TimeExeRun(const Programmer& app, const std::wstring& screenshot) {
  ExeRun run;
  DeleteFileW(app.flash_path.c_str());
  const HWND bar = app->controls().ProgressBar1;
  HWND box = nullptr;
  const auto box_up = [&] {
    const auto boxes = app->OpenMessageBoxes();
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr || !app->Running();
  };

  const double start = Seconds();
  PostMessageW(app->controls().ProgramButton, BM_CLICK, 0, 0);
  WaitUntil(
      kFullRunTimeoutMs, [&] { return IsWindowVisible(bar) || box_up(); }, kTimingLongPollMs);
  const double passes_start = Seconds();
  WaitUntil(kFullRunTimeoutMs, box_up, kTimingLongPollMs);
  const double box_seen = Seconds();
  if (box == nullptr) {
    ADD_FAILURE() << "the run did not complete within " << kFullRunTimeoutMs / 1000 << " s";
    return run;
  }
  const MessageBoxSeen seen = app->ReadMessageBox(box);
  if (!screenshot.empty()) {
    SaveScreenAsBmp(screenshot);
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  WaitUntil(
      kBoxCloseTimeoutMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); },
      kTimingShortPollMs);
  const double box_gone = Seconds();
  const auto flash_saved = [&] {
    return GetFileAttributesW(app.flash_path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  WaitUntil(kQuickRunTimeoutMs, flash_saved, kTimingShortPollMs);
  const double end = Seconds();

  ExpectBoxes({seen}, {Information(kProgrammed)});
  EXPECT_TRUE(flash_saved()) << "the adapter was not closed after the run";
  run.complete = seen.text == kProgrammed && flash_saved();
  run.set_up = passes_start - start;
  run.passes = box_seen - passes_start;
  run.finish = end - box_gone;
  return run;
}

}  // namespace e2e
