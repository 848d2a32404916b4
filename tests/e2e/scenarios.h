// The end-to-end scenarios, in groups that share one started programmer.
#pragma once

#include "suite.h"

namespace e2e {

// Layout, input checks, device list and file selection on one idle window.
void WindowScenarios(Suite& suite);
// An enumeration that never gets ready.
void DeviceListScenarios(Suite& suite);
// A whole successful run and a start without the driver library, with the programmer told it
// runs on Windows 10 (every other group tells it Windows 7).
void SmokeScenarios(Suite& suite);
// The time of whole runs against the wire's bound and against a run without a window.
void TimingScenarios(Suite& suite);
// A run cut short by closing the window.
void RunScenarios(Suite& suite);
// A run that goes on after the operator has held the window in a modal loop in each pass.
void HeldWindowScenarios(Suite& suite);
// A read-only ROM file at a very long path, and one that another program has open.
void RomAccessScenarios(Suite& suite);
// Look-alike libraries in the folders the programmer makes current.
void PlantedLibraryScenarios(Suite& suite);
// Runs in one programmer, a success and then a failure in each state of the window, with its
// resources compared.
void RepeatedRunScenarios(Suite& suite);

}  // namespace e2e
