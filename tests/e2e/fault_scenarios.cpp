#include <algorithm>
#include <cwctype>

#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kCloseTimeoutMs = 5000;
constexpr DWORD kQuickRunTimeoutMs = 20000;
constexpr DWORD kFullRunTimeoutMs = 90000;
// The handshake gives up after two phases of 3 s each.
constexpr DWORD kSyncGiveUpMs = 6000;

struct FaultRun {
  const Instance& app;
  RunObservation run;
  std::vector<std::string> log;  // this run's driver calls and chip commands
  std::vector<unsigned char> image;
};

struct FaultCase {
  const char* name;
  const wchar_t* faults;
  DWORD timeout_ms;
  void (*verify)(Scenario&, const FaultRun&);
  // Called while the run goes on, with the time since Program was pressed.
  void (*during_run)(const Instance&, DWORD elapsed_ms) = nullptr;
};

// Time into a run whose handshake takes 3 s: the size check is over, no pass has started.
constexpr DWORD kDuringHandshakeMs = 1200;

bool OneBox(const FaultRun& r) {
  return r.run.boxes.size() == 1;
}

// "Failed to open " / "Failed to close " followed by the device description.
void ExpectNamedMessage(Scenario& s, const MessageBoxSeen& box, const std::wstring& prefix) {
  s.CheckText(box.text, prefix + kDefaultAdapter, "message");
  s.CheckText(box.caption, kInformationCaption, "caption");
}

// Ends with ")" after a decimal number; returns the number's text or "" when malformed.
std::wstring AddressIn(const std::wstring& text, const std::wstring& prefix) {
  if (text.compare(0, prefix.size(), prefix) != 0 || text.size() < prefix.size() + 2 ||
      text.back() != L')') {
    return L"";
  }
  const std::wstring number = text.substr(prefix.size(), text.size() - prefix.size() - 1);
  const bool digits =
      std::all_of(number.begin(), number.end(), [](wchar_t c) { return iswdigit(c); });
  return digits ? number : L"";
}

void ExpectSetUpFailure(Scenario& s, const FaultRun& r, const wchar_t* message) {
  ExpectBoxes(s, r.run, {Information(message)});
  s.Check(!OneBox(r) || !r.run.boxes[0].inputs_enabled_when_shown,
          "controls enabled while the message was up");
  ExpectIdleWindow(s, *r.app);
  ExpectClosedLast(s, r.log, 0);
  s.Check(CountLines(r.log, "chip write-address") == 0, "flash written after a failed set-up");
}

void ExpectPassFailureShownInPass(Scenario& s, const FaultRun& r, const wchar_t* heading) {
  if (r.run.boxes.empty()) {
    return;
  }
  const MessageBoxSeen& box = r.run.boxes.front();
  s.CheckText(box.label2_when_shown, heading, "Label2 while the failure was shown");
  s.Check(box.progress_visible_when_shown && !box.selected_file_visible_when_shown,
          "the progress bar was not in place of SelectedFile while the failure was shown");
  s.Check(!box.inputs_enabled_when_shown, "controls enabled while the failure was shown");
}

const FaultCase kFaultCases[] = {
    {"adapter_open_failure", L"open_status=3", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       if (ExpectBoxCount(s, r.run.boxes, 1)) {
         ExpectNamedMessage(s, r.run.boxes[0], kOpenFailedPrefix);
       }
       s.Check(r.run.back_to_idle, "the window did not come back to idle");
       ExpectIdleWindow(s, *r.app);
       s.Check(CountLines(r.log, "QB_Close") == 0, "QB_Close after a failed open");
     }},
    {"uart_initialise_failure", L"reject_baud=115200", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectSetUpFailure(s, r, kUartInitFailed);
       s.Check(CountLines(r.log, "chip ") == 0, "the loader was addressed on a failed port");
     }},
    {"loader_baud_failure", L"write_limit=5", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) { ExpectSetUpFailure(s, r, kTrvInitFailed); }},
    {"uart_setup_failure", L"reject_baud=1000000", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) { ExpectSetUpFailure(s, r, kUartSetupFailed); }},
    {"sync_failure", L"silent_chip", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectSetUpFailure(s, r, kSyncFailed);
       if (OneBox(r)) {
         s.Check(
             r.run.boxes[0].shown_after_ms >= kSyncGiveUpMs,
             "gave up after " + std::to_string(r.run.boxes[0].shown_after_ms) + " ms, want 6 s");
         s.Check(r.run.boxes[0].text_height >= 24, "the two-line message is shown on one line");
       }
     }},
    {"ack_failure_then_close_failure", L"no_write_command_ack=3,close_status=5", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       if (ExpectBoxCount(s, r.run.boxes, 2)) {
         s.CheckText(r.run.boxes[0].text, kAckFailed, "first message");
         ExpectNamedMessage(s, r.run.boxes[1], kCloseFailedPrefix);
         s.Check(r.run.boxes[1].inputs_enabled_when_shown,
                 "controls not enabled again before the close failure was shown");
       }
       ExpectPassFailureShownInPass(s, r, kProgrammingHeading);
       ExpectCommandCounts(s, r.log, 4, 0);
       ExpectReturnToRunMode(s, r.log);
       ExpectIdleWindow(s, *r.app);
     }},
    {"verify_mismatch_last_byte", L"corrupt_read=0xFFFF", kFullRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectBoxes(s, r.run, {Information(std::wstring(kVerifyFailedPrefix) + L"65536)")});
       ExpectPassFailureShownInPass(s, r, kVerifyingHeading);
       ExpectCommandCounts(s, r.log, 512, 512);
       ExpectFlashHolds(s, r.app.flash_path, r.image);
       ExpectReturnToRunMode(s, r.log);
       ExpectIdleWindow(s, *r.app);
     }},
    {"verify_mismatch_first_byte", L"corrupt_read=0", kFullRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectBoxes(s, r.run, {Information(std::wstring(kVerifyFailedPrefix) + L"1)")});
       ExpectCommandCounts(s, r.log, 512, 1);
       ExpectReturnToRunMode(s, r.log);
     }},
    {"short_read_back", L"short_readback=7", kFullRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       s.Check(r.run.back_to_idle, "the window did not come back to idle: the read-back hangs");
       if (ExpectBoxCount(s, r.run.boxes, 1)) {
         const MessageBoxSeen& box = r.run.boxes[0];
         const std::wstring address = AddressIn(box.text, kReadBackFailedPrefix);
         const long number = address.empty() || address.size() > 9 ? 0 : std::stol(address);
         // A byte of the short block 7 (flash 0x0380..0x03FF), counted from 1.
         s.Check(number >= 897 && number <= 1024,
                 "message " + Printable(box.text) + ", want " +
                     Printable(std::wstring(kReadBackFailedPrefix) + L"N)") +
                     " with N in 897..1024");
         s.CheckText(box.caption, kInformationCaption, "caption");
       }
       ExpectPassFailureShownInPass(s, r, kVerifyingHeading);
       ExpectCommandCounts(s, r.log, 512, 8);
       ExpectReturnToRunMode(s, r.log);
       ExpectIdleWindow(s, *r.app);
     }},
    {"stale_input_before_verify", L"stale_bytes=5", kFullRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectBoxes(s, r.run, {Information(kProgrammed)});
       ExpectCommandCounts(s, r.log, 512, 512);
       ExpectFlashHolds(s, r.app.flash_path, r.image);
     }},
    {"rom_file_gone_before_programming", L"echo_only_fa", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       ExpectBoxes(s, r.run, {ErrorReport(kFileNotFound)});
       ExpectCommandCounts(s, r.log, 0, 0);
       const size_t run_mode = LastLine(r.log, "QB_SetBitMode");
       s.Check(run_mode != std::string::npos && r.log[run_mode].find("0xcc") != std::string::npos,
               "the chip was not restarted into normal operation after the failed pass");
       ExpectClosedLast(s, r.log, 0);
       ExpectIdleWindow(s, *r.app);
     },
     [](const Instance& app, DWORD elapsed_ms) {
       if (elapsed_ms >= kDuringHandshakeMs) {
         DeleteFileW(app.Path(L"image.ROM").c_str());
       }
     }},
    {"adapter_unplugged_mid_run", L"unplug_at_block=100", kQuickRunTimeoutMs,
     [](Scenario& s, const FaultRun& r) {
       if (ExpectBoxCount(s, r.run.boxes, 2)) {
         s.CheckText(r.run.boxes[0].text, kAckFailed, "first message");
         ExpectNamedMessage(s, r.run.boxes[1], kCloseFailedPrefix);
       }
       s.Check(r.run.back_to_idle, "the window did not come back to idle");
       ExpectIdleWindow(s, *r.app);
     }},
};

}  // namespace

void FaultScenarios(Suite& suite) {
  for (const FaultCase& fault : kFaultCases) {
    if (!suite.Wants(fault.name)) {
      continue;
    }
    suite.Run(fault.name, [&](Scenario& s) {
      Instance app = suite.Start(fault.name, {{L"QBSIM_FAULTS", fault.faults}});
      const std::vector<unsigned char> image = RomImage(kRomSize, 7);
      WriteWholeFile(app.Path(L"image.ROM"), image);
      app->ChooseDevice(0);
      app->ChooseFile(app.Path(L"image.ROM"));
      const size_t log_start = app.Log().size();
      const DWORD start = GetTickCount();
      const auto during_run = [&](const RunObservation&) {
        if (fault.during_run) {
          fault.during_run(app, GetTickCount() - start);
        }
      };
      FaultRun run{
          app,
          app->PressProgram(fault.timeout_ms, suite.ScreenshotPath(fault.name), during_run),
          {},
          image};
      const auto log = app.Log();
      run.log.assign(log.begin() + std::min(log_start, log.size()), log.end());
      fault.verify(s, run);
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }
}

}  // namespace e2e
