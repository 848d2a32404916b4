// How long the scenarios wait for the programmer, in milliseconds, beyond the remote operator's own
// limits (which they see through programmer.h). Every wait of the driver is bounded, so a
// programmer that hangs fails its scenario instead of stopping the suite; the limits are generous
// for a loaded machine.
#pragma once

#include <windows.h>

#include "loader/loader_protocol.h"
#include "remote_operator/wait_limits.h"

namespace e2e {

// A run that ends before the passes, including the handshake's two reply waits.
constexpr DWORD kQuickRunTimeoutMs = 20000;
// A run refused by the checks before any adapter is opened.
constexpr DWORD kInputCheckTimeoutMs = 15000;
// From starting a programmer that cannot use its driver library to its report.
constexpr DWORD kLibraryReportTimeoutMs = 20000;
// From pressing "Program" to the first pass being under way.
constexpr DWORD kMidRunTimeoutMs = 30000;
// An enumeration that answers "not ready" for ever must give the window back within this.
constexpr DWORD kEndlessListTimeoutMs = 15000;

// After this long without a new box, no more boxes are coming.
constexpr DWORD kNoMoreBoxesMs = 1500;
// How long the operator holds the window in a modal loop: a second longer than a reply wait, so
// that a wait that counted the hold as its own would give up.
constexpr DWORD kHoldMs = trv::kReplyTimeoutSeconds * 1000 + 1000;

// The timed runs poll their long waits (for the passes, for the box) at this interval, often
// enough to time a run of seconds to a fraction of a percent, and the short waits at the end of
// a run every millisecond.
constexpr DWORD kTimingLongPollMs = 10;
constexpr DWORD kTimingShortPollMs = 1;

}  // namespace e2e
