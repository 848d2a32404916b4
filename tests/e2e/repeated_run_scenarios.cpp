// Programming runs in one programmer: a success, then a failure in each state the window can be
// in when one is shown: before the passes, in the programming pass, in the verification pass, and
// a failed close after a completed run. Each run shows its messages over the window as it stood
// at the failure and ends as the first did, and the process holds no more afterwards than after
// the first. Which message each failure gives, and that the next run completes, is the unit and
// robustness tests' to show.
#include <cstdio>

#include "checks.h"
#include "expected_texts.h"
#include "process_resources.h"
#include "programmer.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// Heap growth after the first run that is not a leak: allocator caches, lazily created state.
constexpr SIZE_T kPrivateMemoryToleranceBytes = 1024 * 1024;

// One run in the sequence: its faults, and what it shows over which heading.
struct PlannedRun {
  const char* what;
  // The stand-in's fault file for this run (read at QB_OpenEx); "" for none.
  const char* faults;
  std::vector<std::wstring> messages;
  // Label2 behind the first message: the heading of the pass that failed (the verification pass
  // for a completed run), or the idle heading for a run that failed before the passes.
  const wchar_t* heading;
};

// A success first, measured after as the baseline, then one failure in each state of the window.
std::vector<PlannedRun> Runs() {
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
void ExpectCloseFailureOnIdleWindow(const RunObservation& run) {
  if (run.boxes.size() != 2) {
    return;
  }
  const MessageBoxSeen& box = run.boxes[1];
  EXPECT_TRUE(box.inputs_enabled_when_shown && !box.progress_visible_when_shown &&
              box.selected_file_visible_when_shown && box.label2_when_shown == kIdleHeading)
      << "the window was not restored before the close failure was shown";
}

void CompareResources(const ProcessResources& first, const ProcessResources& last, size_t runs,
                      bool gui_counts_work) {
  std::printf("after run 1: %s\nafter run %zu: %s\n", Describe(first).c_str(), runs,
              Describe(last).c_str());
  if (!gui_counts_work) {
    std::printf(
        "GetGuiResources answers 0 for a process that has a window: user and GDI objects are not "
        "counted on this system; windows, kernel handles and private memory stand in\n");
  }
  EXPECT_EQ(first.user_objects, last.user_objects) << "user objects";
  EXPECT_EQ(first.gdi_objects, last.gdi_objects) << "GDI objects";
  EXPECT_EQ(first.windows, last.windows) << "windows";
  EXPECT_EQ(first.kernel_handles, last.kernel_handles) << "kernel handles";
  EXPECT_LE(last.private_bytes, first.private_bytes + kPrivateMemoryToleranceBytes)
      << "private memory grew by " << (long long)(last.private_bytes - first.private_bytes) / 1024
      << " KiB, more than " << kPrivateMemoryToleranceBytes / 1024 << " KiB";
}

// One run of the sequence with its faults, and what it must show.
void ExpectRun(const Programmer& app, const std::wstring& faults_path, const PlannedRun& run,
               std::uint32_t seed) {
  SetStandInFaults(faults_path, run.faults);
  const std::vector<unsigned char> image = RomImage(kRomSize, seed);
  WriteWholeFile(app.Path(L"image.ROM"), image);
  const RunObservation seen = app->PressProgram(kFullRunTimeoutMs, Screenshot());
  std::vector<ExpectedBox> boxes;
  for (const std::wstring& message : run.messages) {
    boxes.push_back(Information(message));
  }
  ExpectBoxes(seen, boxes);
  if (!seen.boxes.empty()) {
    ExpectWindowBehindBox(seen.boxes[0], run.heading);
  }
  ExpectCloseFailureOnIdleWindow(seen);
  ExpectIdleWindow(*app);
  if (std::string(run.faults).empty()) {
    ExpectFlashHolds(app.flash_path, image);
  }
}

TEST(RepeatedRuns, EachShowsItsFailureOverTheWindowAndNothingLeaks) {
  const std::wstring faults_path = JoinPath(GroupFolder("repeated_runs"), L"faults.txt");
  MakeFolders(GroupFolder("repeated_runs"));
  DeleteFileW(faults_path.c_str());
  // No driver log: the runs would write megabytes that no check here reads.
  Programmer app =
      StartProgrammer("repeated_runs", {{L"QBSIM_FAULTS_FILE", faults_path}, {L"QBSIM_LOG", L""}});
  app.ChooseAdapterAndImage(100);

  const std::vector<PlannedRun> runs = Runs();
  ProcessResources after_first;
  for (size_t index = 0; index < runs.size(); ++index) {
    SCOPED_TRACE("run " + std::to_string(index + 1) + " (" + runs[index].what + ")");
    ExpectRun(app, faults_path, runs[index], std::uint32_t(100 + index));
    ASSERT_TRUE(app->Running()) << "the programmer ended";
    if (index == 0) {
      after_first = MeasureResources(app->process_handle(), app->process_id());
    }
  }
  CompareResources(after_first, MeasureResources(app->process_handle(), app->process_id()),
                   runs.size(), GuiResourceCountsWork(app->process_handle()));
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs)) << "the programmer did not end after WM_CLOSE";
}

}  // namespace

}  // namespace e2e
