// A planted library: what someone could leave in a folder the programmer makes current (its start
// folder, a ROM file's folder) in the hope that it loads in place of a genuine one. Planted as
// QBLINK.DLL it lists one adapter, "PLANTED DLL"; planted under the name of the stand-in's
// companion library it is loaded, if at all, by the stand-in. Either way, on loading it writes
// its own path into the file named by QBSIM_PLANTED_MARKER, so the end-to-end tests see when and
// from where it was wrongly loaded.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

constexpr char kDescription[] = "PLANTED DLL";
constexpr std::uint32_t kRecordSize = 100;
constexpr std::uint32_t kDescriptionOffset = 32;
// Everything but the list: the planted library must never look like a working adapter.
constexpr std::uint32_t kRefused = 4;

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

extern "C" {

__declspec(dllexport) std::uint32_t __stdcall QB_CreateDeviceInfoList(std::uint32_t* count) {
  *count = 1;
  return 0;
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_GetDeviceInfoList(void* records, std::uint32_t* count) {
  if (*count < 1) {
    return kRefused;
  }
  auto* record = static_cast<unsigned char*>(records);
  std::memset(record, 0, kRecordSize);
  std::memcpy(record + kDescriptionOffset, kDescription, sizeof kDescription);
  *count = 1;
  return 0;
}

__declspec(dllexport) std::uint32_t __stdcall QB_OpenEx(const char*, std::uint32_t, void**) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_Close(void*) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetBitMode(void*, std::uint8_t, std::uint8_t) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetRts(void*) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetDtr(void*) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetBaudRate(void*, std::uint32_t) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetDataCharacteristics(void*, std::uint8_t, std::uint8_t, std::uint8_t) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetFlowControl(void*, std::uint16_t, std::uint8_t, std::uint8_t) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetTimeouts(void*, std::uint32_t, std::uint32_t) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_GetQueueStatus(void*, std::uint32_t*) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t __stdcall QB_Read(void*, void*, std::uint32_t, std::uint32_t*) {
  return kRefused;
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_Write(void*, const void*, std::uint32_t, std::uint32_t*) {
  return kRefused;
}

}  // extern "C"
