// How long the driver waits for the programmer before it gives up, in milliseconds. Every wait
// of the driver is bounded by one of these, so a programmer that hangs fails its scenario instead
// of stopping the suite; the limits are generous for a loaded machine.
#pragma once

#include <windows.h>

namespace e2e {

// From starting the programmer to its main window with all its controls.
constexpr DWORD kStartTimeoutMs = 30000;
// From WM_CLOSE (or the OK of a start-up report) to the end of the process.
constexpr DWORD kCloseTimeoutMs = 5000;
// A whole programming run through both passes, about 5 s at the stand-in's 1 ms latency.
constexpr DWORD kFullRunTimeoutMs = 90000;
// A run that ends before the passes, including the handshake's two 3-second phases.
constexpr DWORD kQuickRunTimeoutMs = 20000;
// A run refused by the checks before any adapter is opened.
constexpr DWORD kInputCheckTimeoutMs = 15000;
// From starting a programmer that cannot use its driver library to its report.
constexpr DWORD kLibraryReportTimeoutMs = 20000;
// From pressing "Program" to the first pass being under way.
constexpr DWORD kMidRunTimeoutMs = 30000;

// A message sent to the programmer's window (text, state, range) must be answered within this.
constexpr UINT kMessageTimeoutMs = 3000;
// A message box must go away this soon after its OK is pressed.
constexpr DWORD kBoxCloseTimeoutMs = 5000;
// The file dialog must show its file name field this soon; a prefix's first dialog is slow.
constexpr DWORD kDialogTimeoutMs = 20000;
// The device list must drop down (or a box come up) this soon after it is opened.
constexpr DWORD kDropDownTimeoutMs = 5000;
// An enumeration that answers "not ready" for ever must give the window back within this.
constexpr DWORD kEndlessListTimeoutMs = 15000;

}  // namespace e2e
