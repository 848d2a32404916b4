#include "process_resources.h"

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace e2e {

namespace {

// The system's list of every open handle (SystemExtendedHandleInformation), as Windows and Wine
// both give it: GetProcessHandleCount is not implemented by Wine, and the handle count in Wine's
// process list is the size of the process's handle table, which grows in steps of dozens.
constexpr auto kHandleList = SYSTEM_INFORMATION_CLASS(64);

struct HandleEntry {
  PVOID object;
  ULONG_PTR process_id;
  ULONG_PTR handle;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG attributes;
  ULONG reserved;
};

struct HandleList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry handles[1];
};

ULONG KernelHandles(DWORD process_id) {
  using QueryFunction = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) {
    return 0;
  }
  std::vector<unsigned char> buffer(1 << 20);
  ULONG needed = 0;
  while (query(kHandleList, buffer.data(), ULONG(buffer.size()), &needed) != 0) {
    if (buffer.size() >= (64u << 20)) {
      return 0;
    }
    buffer.resize(buffer.size() * 2);
  }
  const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
  ULONG count = 0;
  for (ULONG_PTR i = 0; i < list->count; ++i) {
    count += list->handles[i].process_id == process_id;
  }
  return count;
}

struct WindowCount {
  DWORD process_id;
  size_t count;
};

BOOL CALLBACK CountDescendant(HWND, LPARAM context) {
  ++reinterpret_cast<WindowCount*>(context)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM context) {
  auto* windows = reinterpret_cast<WindowCount*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == windows->process_id) {
    ++windows->count;
    EnumChildWindows(window, CountDescendant, context);
  }
  return TRUE;
}

}  // namespace

ProcessResources MeasureResources(HANDLE process, DWORD process_id) {
  ProcessResources resources;
  resources.user_objects = GetGuiResources(process, GR_USEROBJECTS);
  resources.gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
  resources.kernel_handles = KernelHandles(process_id);
  WindowCount windows{process_id, 0};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  resources.windows = windows.count;
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
    resources.private_bytes = memory.PagefileUsage;
  }
  return resources;
}

bool GuiResourceCountsWork(HANDLE process_with_window) {
  return GetGuiResources(process_with_window, GR_USEROBJECTS) > 0;
}

std::string Describe(const ProcessResources& resources) {
  return "user objects " + std::to_string(resources.user_objects) + ", GDI objects " +
         std::to_string(resources.gdi_objects) + ", kernel handles " +
         std::to_string(resources.kernel_handles) + ", windows " +
         std::to_string(resources.windows) + ", private memory " +
         std::to_string(resources.private_bytes / 1024) + " KiB";
}

}  // namespace e2e
