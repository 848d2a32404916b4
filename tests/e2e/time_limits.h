// How long the scenarios wait for the programmer, beyond the remote operator's own limits, in
// milliseconds. Every wait of the driver is bounded, so a programmer that hangs fails its scenario
// instead of stopping the suite; the limits are generous for a loaded machine.
#pragma once

#include <windows.h>

#include "remote_operator/wait_limits.h"

namespace e2e {

using trv::remote::kBoxCloseTimeoutMs;
using trv::remote::kCloseTimeoutMs;
using trv::remote::kFullRunTimeoutMs;
using trv::remote::kMessageTimeoutMs;
using trv::remote::kStartTimeoutMs;

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

}  // namespace e2e
