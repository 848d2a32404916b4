// Calls looked up at run time: the driver library's exports, and the system's calls that are
// newer than the oldest system served.
#pragma once

#include <windows.h>

namespace trv::win32 {

// The export `name` of `module` as a `Function`; null when the module lacks it.
template <typename Function>
Function ExportedEntry(HMODULE module, const char* name) {
  // Through the generic function pointer type, so the compiler accepts the change of signature.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The call `name` of the system library `module`, which the program has loaded already; null
// where the system is too old to offer it.
template <typename Function>
Function OptionalEntry(const wchar_t* module, const char* name) {
  const HMODULE loaded = GetModuleHandleW(module);
  return loaded == nullptr ? nullptr : ExportedEntry<Function>(loaded, name);
}

}  // namespace trv::win32
