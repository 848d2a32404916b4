// What another process holds, as far as it can be seen from outside: for finding leaks across
// many runs of one programmer.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

struct ProcessResources {
  // GetGuiResources; Wine answers 0 for both (see GuiResourceCountsWork).
  DWORD user_objects = 0;
  DWORD gdi_objects = 0;
  // Kernel handles, counted in the system's list of every open handle (NtQuerySystemInformation).
  ULONG kernel_handles = 0;
  // The process's windows: top-level ones, shown or not, and all their descendants.
  size_t windows = 0;
  // PROCESS_MEMORY_COUNTERS::PagefileUsage: private committed memory on Windows; under Wine the
  // process's resident anonymous memory and swap.
  SIZE_T private_bytes = 0;
};

ProcessResources MeasureResources(HANDLE process, DWORD process_id);
// Whether GetGuiResources counts anything: a process with a window owns user objects.
bool GuiResourceCountsWork(HANDLE process_with_window);
std::string Describe(const ProcessResources& resources);

}  // namespace e2e
