// Programming runs in one programmer: a success, then a failure in each state the window can be
// in when one is shown: before the passes, in the programming pass, in the verification pass, and
// a failed close after a completed run. Each run shows its messages over the window as it stood
// at the failure and ends as the first did, and the process holds no more afterwards than after
// the first. Which message each failure gives, and that the next run completes, is the unit and
// robustness tests' to show.
#include <cstdio>
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "process_resources.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

namespace {

// Heap growth after the first run that is not a leak: allocator caches, lazily created state.
constexpr SIZE_T kPrivateMemoryToleranceBytes = 1024 * 1024;

// One run in the sequence: its faults, and what it shows over which heading.
struct Run {
  const char* what;
  // The stand-in's fault file for this run (read at QB_OpenEx); "" for none.
  const char* faults;
  std::vector<std::wstring> messages;
  // Label2 behind the first message: the heading of the pass that failed (the verification pass
  // for a completed run), or the idle heading for a run that failed before the passes.
  const wchar_t* heading;
};

// A success first, measured after as the baseline, then one failure in each state of the window.
std::vector<Run> Runs() {
  const std::wstring open_failed = std::wstring(kOpenFailedPrefix) + kDefaultAdapter;
  return {
      {"success", "", {kProgrammed}, kVerifyingHeading},
      {"adapter open failure", "open_status=3", {open_failed}, kIdleHeading},
      {"ack failure while programming",
       "no_write_command_ack=5",
       {kAckFailed},
       kProgrammingHeading},
      {"verification mismatch",
       "corrupt_read=0x8000",
       {std::wstring(kVerifyFailedPrefix) + L"32769)"},
       kVerifyingHeading},
      {"close failure after success",
       "close_status=5",
       {kProgrammed, std::wstring(kCloseFailedPrefix) + kDefaultAdapter},
       kVerifyingHeading},
  };
}

// The close failure comes after the window has been restored for the next run.
void ExpectCloseFailureOnIdleWindow(Scenario& s, const RunObservation& run) {
  if (run.boxes.size() != 2) {
    return;
  }
  const MessageBoxSeen& box = run.boxes[1];
  s.Check(box.inputs_enabled_when_shown && !box.progress_visible_when_shown &&
              box.selected_file_visible_when_shown && box.label2_when_shown == kIdleHeading,
          "the window was not restored before the close failure was shown");
}

void CompareResources(Scenario& s, const ProcessResources& first, const ProcessResources& last,
                      size_t runs, bool gui_counts_work) {
  std::printf("    after run 1: %s\n    after run %s: %s\n", Describe(first).c_str(),
              std::to_string(runs).c_str(), Describe(last).c_str());
  if (!gui_counts_work) {
    std::printf(
        "    GetGuiResources answers 0 for a process that has a window: user and GDI objects are "
        "not counted on this system; windows, kernel handles and private memory stand in\n");
  }
  s.Check(last.user_objects == first.user_objects && last.gdi_objects == first.gdi_objects,
          "user/GDI objects went from " + std::to_string(first.user_objects) + "/" +
              std::to_string(first.gdi_objects) + " to " + std::to_string(last.user_objects) + "/" +
              std::to_string(last.gdi_objects));
  s.Check(last.windows == first.windows, "windows went from " + std::to_string(first.windows) +
                                             " to " + std::to_string(last.windows));
  s.Check(last.kernel_handles == first.kernel_handles,
          "kernel handles went from " + std::to_string(first.kernel_handles) + " to " +
              std::to_string(last.kernel_handles));
  s.Check(last.private_bytes <= first.private_bytes + kPrivateMemoryToleranceBytes,
          "private memory grew by " +
              std::to_string((long long)(last.private_bytes - first.private_bytes) / 1024) +
              " KiB, more than " + std::to_string(kPrivateMemoryToleranceBytes / 1024) + " KiB");
}

}  // namespace

void RepeatedRunScenarios(Suite& suite) {
  if (!suite.Wants("repeated_runs")) {
    return;
  }
  suite.Run("runs_in_one_programmer", [&](Scenario& s) {
    const std::wstring faults_path = JoinPath(suite.Folder("repeated_runs"), L"faults.txt");
    MakeFolders(suite.Folder("repeated_runs"));
    DeleteFileW(faults_path.c_str());
    // No driver log: the runs would write megabytes that no check here reads.
    Instance app =
        suite.Start("repeated_runs", {{L"QBSIM_FAULTS_FILE", faults_path}, {L"QBSIM_LOG", L""}});
    const std::wstring rom_path = app.Path(L"image.ROM");
    WriteWholeFile(rom_path, RomImage(kRomSize, 100));
    app->ChooseDevice(0);
    app->ChooseFile(rom_path);

    const std::vector<Run> runs = Runs();
    ProcessResources after_first;
    for (size_t index = 0; index < runs.size(); ++index) {
      const Run& run = runs[index];
      const ScopedTrace trace(s, "run " + std::to_string(index + 1) + " (" + run.what + ")");
      SetStandInFaults(faults_path, run.faults);
      const std::vector<unsigned char> image = RomImage(kRomSize, std::uint32_t(100 + index));
      WriteWholeFile(rom_path, image);
      const RunObservation seen =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("runs_in_one_programmer"));
      std::vector<ExpectedBox> boxes;
      for (const std::wstring& message : run.messages) {
        boxes.push_back(Information(message));
      }
      ExpectBoxes(s, seen, boxes);
      if (!seen.boxes.empty()) {
        ExpectWindowBehindBox(s, seen.boxes[0], run.heading);
      }
      ExpectCloseFailureOnIdleWindow(s, seen);
      ExpectIdleWindow(s, *app);
      if (std::string(run.faults).empty()) {
        ExpectFlashHolds(s, app.flash_path, image);
      }
      if (!app->Running()) {
        throw std::runtime_error(s.trace + "the programmer ended");
      }
      if (index == 0) {
        after_first = MeasureResources(app->process_handle(), app->process_id());
      }
    }
    CompareResources(s, after_first, MeasureResources(app->process_handle(), app->process_id()),
                     runs.size(), GuiResourceCountsWork(app->process_handle()));
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
  });
}

}  // namespace e2e
