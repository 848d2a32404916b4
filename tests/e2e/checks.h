// Checks shared by the scenarios.
#pragma once

#include <string>
#include <vector>

#include "programmer_process.h"
#include "suite.h"

namespace e2e {

struct ExpectedBox {
  std::wstring caption;
  std::wstring text;
};

ExpectedBox Information(const std::wstring& text);
ExpectedBox ErrorReport(const std::wstring& text);

// The run showed exactly these boxes, each with a single OK button, and came back to idle.
void ExpectBoxes(Scenario& scenario, const RunObservation& run,
                 const std::vector<ExpectedBox>& expected);
// The number of boxes, each with a single OK button; false (and a failure) when it differs.
bool ExpectBoxCount(Scenario& scenario, const std::vector<MessageBoxSeen>& boxes, size_t count);
// Same as above for boxes gathered outside a run.
void ExpectBoxes(Scenario& scenario, const std::vector<MessageBoxSeen>& boxes,
                 const std::vector<ExpectedBox>& expected);

// Idle look: progress bar hidden, SelectedFile shown, Label2 "Selected File:", inputs enabled.
void ExpectIdleWindow(Scenario& scenario, const ProgrammerProcess& programmer);

// The driver log of one run: everything after `from`.
void ExpectNoAdapterOpened(Scenario& scenario, const std::vector<std::string>& log, size_t from);
// Exactly this many write-address and read-address commands reached the chip.
void ExpectCommandCounts(Scenario& scenario, const std::vector<std::string>& log, size_t writes,
                         size_t reads);
// After the passes: port back to 115,200 baud, chip restarted normally, adapter closed last.
void ExpectReturnToRunMode(Scenario& scenario, const std::vector<std::string>& log);
void ExpectClosedLast(Scenario& scenario, const std::vector<std::string>& log, size_t from);

void ExpectFlashHolds(Scenario& scenario, const std::wstring& flash_path,
                      const std::vector<unsigned char>& image);

// A run that showed the completion message and nothing else, ended idle, and left the image in
// the simulated flash; for runs whose driver log is not looked at.
void ExpectProgrammed(Scenario& scenario, const Instance& app, const RunObservation& run,
                      const std::vector<unsigned char>& image);

}  // namespace e2e
