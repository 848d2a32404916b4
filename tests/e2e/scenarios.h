// The end-to-end scenarios, in groups that share one started programmer.
#pragma once

#include "suite.h"

namespace e2e {

// Layout, input checks, device list and file selection on one idle window.
void WindowScenarios(Suite& suite);
// Empty adapter list, a failing enumeration and an enumeration that never gets ready.
void DeviceListScenarios(Suite& suite);
// One programmer per simulated fault, each followed through a programming run.
void FaultScenarios(Suite& suite);
// Successful runs, their time against the wire's, closing the window mid-run, and starting
// without the driver library.
void RunScenarios(Suite& suite);
// Read-only, shared and locked ROM files.
void RomAccessScenarios(Suite& suite);
// A look-alike driver library in the folders the programmer makes current.
void PlantedLibraryScenarios(Suite& suite);
// Twenty runs in one programmer, successes and failures in turn, with its resources compared.
void RepeatedRunScenarios(Suite& suite);

}  // namespace e2e
