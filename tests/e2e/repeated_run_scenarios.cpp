// Many programming runs in one programmer, successes between failures of every kind: each run
// shows its messages over the window as it stood at the failure and ends as the first did, and
// the process holds no more afterwards than after the first.
#include <cstdio>
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "process_resources.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

namespace {

// Heap growth after the first run that is not a leak: allocator caches, lazily created state.
constexpr SIZE_T kPrivateMemoryToleranceBytes = 1024 * 1024;

// The handshake gives up after two phases of 3 s each.
constexpr DWORD kSyncGiveUpMs = 6000;
// A message box whose text takes two lines is at least this high.
constexpr int kTwoLinesHeight = 24;

struct FaultyRun {
  const char* what;
  // The stand-in's fault file for this run (read at QB_OpenEx); "" for none.
  const char* faults;
  bool wrong_size_file;
  std::vector<std::wstring> messages;
  // Label2 behind the first message: the heading of the pass that failed, or the idle heading
  // for a run that failed before the passes.
  const wchar_t* heading;
  // Further checks of what was seen, for the runs that need them.
  void (*also)(Scenario&, const RunObservation&) = nullptr;
};

void ExpectSynchronisationGaveUpInTime(Scenario& s, const RunObservation& run) {
  if (run.boxes.size() != 1) {
    return;
  }
  s.Check(run.boxes[0].shown_after_ms >= kSyncGiveUpMs,
          "gave up after " + std::to_string(run.boxes[0].shown_after_ms) + " ms, want 6 s");
  s.Check(run.boxes[0].text_height >= kTwoLinesHeight, "the two-line message is shown on one line");
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

std::vector<FaultyRun> FaultyRuns() {
  const std::wstring open_failed = std::wstring(kOpenFailedPrefix) + kDefaultAdapter;
  return {
      {"ack failure while programming",
       "no_write_command_ack=5",
       false,
       {kAckFailed},
       kProgrammingHeading},
      {"verification mismatch",
       "corrupt_read=0x8000",
       false,
       {std::wstring(kVerifyFailedPrefix) + L"32769)"},
       kVerifyingHeading},
      {"adapter open failure", "open_status=3", false, {open_failed}, kIdleHeading},
      {"ROM file of 65,535 bytes", "", true, {kWrongSize}, kIdleHeading},
      {"synchronisation failure",
       "silent_chip",
       false,
       {kSyncFailed},
       kIdleHeading,
       ExpectSynchronisationGaveUpInTime},
      {"invalid fault file: the driver refuses every call",
       "no_such_fault",
       false,
       {open_failed},
       kIdleHeading},
      {"port set-up failure", "reject_baud=115200", false, {kUartInitFailed}, kIdleHeading},
      {"ack failure while verifying",
       "no_read_command_ack=100",
       false,
       {kAckFailed},
       kVerifyingHeading},
      {"close failure after success",
       "close_status=5",
       false,
       {kProgrammed, std::wstring(kCloseFailedPrefix) + kDefaultAdapter},
       kVerifyingHeading,
       ExpectCloseFailureOnIdleWindow},
      {"loader baud failure", "write_limit=5", false, {kTrvInitFailed}, kIdleHeading},
  };
}

void SetFaults(const std::wstring& faults_path, const std::string& faults) {
  if (faults.empty()) {
    DeleteFileW(faults_path.c_str());
  } else if (!WriteWholeFile(faults_path,
                             std::vector<unsigned char>(faults.begin(), faults.end()))) {
    throw std::runtime_error("cannot write the fault file");
  }
}

void CompareResources(Scenario& s, const ProcessResources& first, const ProcessResources& last,
                      bool gui_counts_work) {
  std::printf("    after run 1:  %s\n    after run 20: %s\n", Describe(first).c_str(),
              Describe(last).c_str());
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
  suite.Run("twenty_runs_in_one_programmer", [&](Scenario& s) {
    const std::wstring faults_path = JoinPath(suite.Folder("repeated_runs"), L"faults.txt");
    MakeFolders(suite.Folder("repeated_runs"));
    DeleteFileW(faults_path.c_str());
    // No driver log: twenty runs would write megabytes that no check here reads.
    Instance app =
        suite.Start("repeated_runs", {{L"QBSIM_FAULTS_FILE", faults_path}, {L"QBSIM_LOG", L""}});
    const std::wstring rom_path = app.Path(L"image.ROM");
    const std::vector<FaultyRun> faulty = FaultyRuns();
    WriteWholeFile(rom_path, RomImage(kRomSize, 100));
    app->ChooseDevice(0);
    app->ChooseFile(rom_path);

    ProcessResources after_first;
    ProcessResources after_last;
    for (size_t run = 0; run < 2 * faulty.size(); ++run) {
      const bool succeeds = run % 2 == 0;
      const FaultyRun& fault = faulty[run / 2];
      const ScopedTrace trace(s, "run " + std::to_string(run + 1) + " (" +
                                     (succeeds ? std::string("success") : fault.what) + ")");
      std::vector<unsigned char> image;
      if (succeeds) {
        image = RomImage(kRomSize, std::uint32_t(100 + run));
        SetFaults(faults_path, "");
        WriteWholeFile(rom_path, image);
      } else {
        SetFaults(faults_path, fault.faults);
        if (fault.wrong_size_file) {
          WriteWholeFile(rom_path, RomImage(kRomSize - 1, 99));
        }
      }
      const RunObservation seen = app->PressProgram(
          kFullRunTimeoutMs, suite.ScreenshotPath("twenty_runs_in_one_programmer"));
      if (succeeds) {
        ExpectProgrammed(s, app, seen, image);
        if (!seen.boxes.empty()) {
          ExpectWindowBehindBox(s, seen.boxes[0], kVerifyingHeading);
        }
      } else {
        std::vector<ExpectedBox> boxes;
        for (const std::wstring& message : fault.messages) {
          boxes.push_back(Information(message));
        }
        ExpectBoxes(s, seen, boxes);
        if (!seen.boxes.empty()) {
          ExpectWindowBehindBox(s, seen.boxes[0], fault.heading);
        }
        if (fault.also) {
          fault.also(s, seen);
        }
        ExpectIdleWindow(s, *app);
      }
      if (!app->Running()) {
        throw std::runtime_error(s.trace + "the programmer ended");
      }
      if (run == 0) {
        after_first = MeasureResources(app->process_handle(), app->process_id());
      }
    }
    after_last = MeasureResources(app->process_handle(), app->process_id());
    CompareResources(s, after_first, after_last, GuiResourceCountsWork(app->process_handle()));
    s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
  });
}

}  // namespace e2e
