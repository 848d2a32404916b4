// The end-to-end scenarios, in groups that share one started programmer.
#pragma once

#include "suite.h"

namespace e2e {

// Layout, input checks, device list and file selection on one idle window.
void WindowScenarios(Suite& suite);
// An empty adapter list and an enumeration that never gets ready.
void DeviceListScenarios(Suite& suite);
// A failure message, a whole successful run and a start without the driver library, with the
// programmer told it runs on Windows 10 (every other group tells it Windows 7).
void SmokeScenarios(Suite& suite);
// The time of whole runs against the wire's bound and against a run without a window.
void TimingScenarios(Suite& suite);
// Runs cut short by closing the window or by the end of the Windows session.
void RunScenarios(Suite& suite);
// A run that goes on after the operator has held the window in a modal loop in each pass.
void HeldWindowScenarios(Suite& suite);
// Read-only, shared and locked ROM files; paths that name no disk file, and very long paths.
void RomAccessScenarios(Suite& suite);
// Look-alike libraries in the folders the programmer makes current.
void PlantedLibraryScenarios(Suite& suite);
// Twenty runs in one programmer, successes and failures in turn, with its resources compared.
void RepeatedRunScenarios(Suite& suite);

}  // namespace e2e
