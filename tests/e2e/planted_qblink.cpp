// A planted library: what someone could leave in a folder the programmer makes current (its start
// folder, a ROM file's folder) in the hope that it loads in place of a genuine one, as QBLINK.DLL
// or under the name of the stand-in's companion library. Whatever name it is loaded by, it writes
// its own path into the file named by QBSIM_PLANTED_MARKER as it loads, so the end-to-end tests see
// when and from where it was wrongly loaded; it exports nothing, since no one may get further.
#include <windows.h>

namespace {

void LeaveMarker(HINSTANCE self) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"QBSIM_PLANTED_MARKER", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return;
  }
  char loaded_from[MAX_PATH] = {};
  const DWORD loaded_length = GetModuleFileNameA(self, loaded_from, MAX_PATH);
  const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, loaded_from, loaded_length, &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    LeaveMarker(self);
  }
  return TRUE;
}
