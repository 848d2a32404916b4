// How long the remote operator waits for the programmer before it gives up, and how often it
// looks, in milliseconds. Every wait is bounded by one of these, so a programmer that hangs fails
// the task at hand instead of stopping it for ever; the limits are generous for a loaded machine.
#pragma once

#include <windows.h>

namespace trv::remote {

// From starting the programmer to its main window with all its controls.
constexpr DWORD kStartTimeoutMs = 30000;
// From WM_CLOSE (or the OK of a start-up report, or TerminateProcess) to the end of the process.
constexpr DWORD kCloseTimeoutMs = 5000;
// A whole programming run through both passes, about 5 s at the stand-in's 1 ms latency.
constexpr DWORD kFullRunTimeoutMs = 90000;

// A message sent to the programmer's window (text, state, range) must be answered within this.
constexpr UINT kMessageTimeoutMs = 3000;
// A message box must go away this soon after its OK is pressed.
constexpr DWORD kBoxCloseTimeoutMs = 5000;
// The file dialog must show its file name field, or move into a folder, this soon; a prefix's
// first dialog is slow.
constexpr DWORD kDialogTimeoutMs = 20000;
// The device list must drop down (or a box come up) this soon after it is opened.
constexpr DWORD kDropDownTimeoutMs = 5000;

// How often a wait looks at the programmer: often enough to see a state of a run that lasts a
// block, seldom enough to leave the CPU to the programmer.
constexpr DWORD kPollMs = 20;
// After the last box of a run, this long with enabled controls and no box means the run is over:
// the final close of the adapter comes up to ~200 ms after the controls are enabled again.
constexpr DWORD kRunQuietMs = 1000;

}  // namespace trv::remote
