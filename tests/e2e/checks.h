// Checks shared by the scenarios.
#pragma once

#include <string>
#include <vector>

#include "programmer.h"
#include "remote_operator/programmer_process.h"

namespace e2e {

struct ExpectedBox {
  std::wstring caption;
  std::wstring text;
};

ExpectedBox Information(const std::wstring& text);
ExpectedBox ErrorReport(const std::wstring& text);

// The run showed exactly these boxes, each with a single OK button, and came back to idle.
void ExpectBoxes(const trv::remote::RunObservation& run, const std::vector<ExpectedBox>& expected);
// Same as above for boxes gathered outside a run.
void ExpectBoxes(const std::vector<trv::remote::MessageBoxSeen>& boxes,
                 const std::vector<ExpectedBox>& expected);

// Idle look: progress bar hidden, SelectedFile shown, Label2 "Selected File:", inputs enabled.
void ExpectIdleWindow(const trv::remote::ProgrammerProcess& programmer);
// The window behind a box shown during a run: inputs disabled, Label2 `heading`, and the progress
// bar in place of SelectedFile when the heading is a pass's, SelectedFile shown otherwise.
void ExpectWindowBehindBox(const trv::remote::MessageBoxSeen& box, const std::wstring& heading);

// The stand-in, inside the programmer, was told it runs on the Windows whose log line starts
// with `seen` ("QBSIM Windows 6.1 ").
void ExpectWindowsVersion(const std::vector<std::string>& log, const std::string& seen);

// The driver log holds no QB_OpenEx.
void ExpectNoAdapterOpened(const std::vector<std::string>& log);

void ExpectFlashHolds(const std::wstring& flash_path, const std::vector<unsigned char>& image);

// A run that showed the completion message and nothing else, ended idle, and left the image in
// the simulated flash; for runs whose driver log is not looked at.
void ExpectProgrammed(const Programmer& app, const trv::remote::RunObservation& run,
                      const std::vector<unsigned char>& image);
// The same, with the window followed through both passes: the headings of the two passes in
// turn, the bar up to its end, the inputs disabled throughout, the completion shown over the
// verification pass.
void ExpectSuccessfulRun(const Programmer& app, const trv::remote::RunObservation& run,
                         const std::vector<unsigned char>& image);

// A programmer that finds no QBLINK.DLL where it looks for one: it reports the missing library
// with the Windows error code, in an error report with one OK button, and ends after the OK.
void ExpectMissingLibraryReport(trv::remote::ProgrammerProcess& programmer,
                                const std::wstring& screenshot);

}  // namespace e2e
