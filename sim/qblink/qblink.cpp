// The stand-in QBLINK.DLL: the simulated adapter and chip behind the driver library's fourteen
// __stdcall calls, on the real clock. Configured when the library is loaded from the QBSIM_*
// environment variables, and at every QB_OpenEx from the fault file; see sim/README.md.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/system_clock.h"
#include "sim/flash_file.h"
#include "sim/sim_config.h"
#include "sim/sim_log.h"
#include "sim/simulated_adapter.h"

namespace {

using trv::AdapterHandle;
using trv::AdapterInfoRecord;
using trv::sim::CollapsingLog;
using trv::sim::SimulatedAdapter;

std::optional<std::string> Environment(const char* name) {
  SetLastError(ERROR_SUCCESS);
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
      return std::nullopt;
    }
    return std::string();
  }
  std::string value(size, '\0');
  value.resize(GetEnvironmentVariableA(name, value.data(), size));
  return value;
}

std::optional<std::string> NonEmptyEnvironment(const char* name) {
  auto value = Environment(name);
  return value && !value->empty() ? value : std::nullopt;
}

// The whole file as text, or "" when it cannot be read (a missing fault file means no faults).
std::string ReadTextFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string text;
  if (file == INVALID_HANDLE_VALUE) {
    return text;
  }
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    text.append(chunk, got);
  }
  CloseHandle(file);
  return text;
}

// The QBSIM_LOG file. Each line reaches it in one unbuffered append, so a process that dies
// leaves only complete lines; the collapsing log in front of it loses at most the count of its
// last run of repeated lines.
class AppendOnlyFile {
 public:
  explicit AppendOnlyFile(const std::string& path)
      : file_(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~AppendOnlyFile() {
    if (file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
    }
  }
  AppendOnlyFile(const AppendOnlyFile&) = delete;
  AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

  void Append(const std::string& line) {
    if (file_ == INVALID_HANDLE_VALUE) {
      return;
    }
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

 private:
  HANDLE file_;
};

// The file and the collapsing log that writes into it, closed in that order.
struct LogChain {
  explicit LogChain(const std::string& path)
      : file(path), log([this](const std::string& line) { file.Append(line); }) {}

  AppendOnlyFile file;
  CollapsingLog log;
};

struct StandIn {
  trv::SystemClock clock;
  std::unique_ptr<LogChain> log;
  std::optional<std::string> flash_path;
  std::optional<std::string> faults;          // QBSIM_FAULTS
  std::optional<std::string> faults_path;     // QBSIM_FAULTS_FILE
  std::unique_ptr<SimulatedAdapter> adapter;  // null when the configuration was refused
  bool faults_file_invalid = false;           // every call is refused until the file is fixed

  HMODULE companion = nullptr;

  void Log(const std::string& line) {
    if (log) {
      log->log.WriteLine(line);
    }
  }
  bool Configured() const { return adapter && !faults_file_invalid; }
};

StandIn* g_stand_in = nullptr;
CRITICAL_SECTION g_lock;

void ReportConfigError(const std::string& error) {
  // Every call will fail; say why where someone will look.
  const std::string message = "QBSIM configuration error: " + error;
  g_stand_in->Log(message);
  OutputDebugStringA(message.c_str());
}

// The faults of QBSIM_FAULTS followed by those of the fault file, which win where both name the
// same fault. Counting faults (list_busy) start again each time.
void ReloadFaultsFile() {
  if (!g_stand_in->adapter || !g_stand_in->faults_path) {
    return;
  }
  std::string listed = ReadTextFile(*g_stand_in->faults_path);
  for (char& c : listed) {
    if (c == '\r' || c == '\n') {
      c = ',';
    }
  }
  const trv::sim::SimConfigResult parsed = trv::sim::ParseSimConfig(
      std::nullopt, std::nullopt, g_stand_in->faults.value_or("") + "," + listed);
  g_stand_in->faults_file_invalid = !parsed.ok();
  if (!parsed.ok()) {
    ReportConfigError(parsed.error + " (QBSIM_FAULTS_FILE " + *g_stand_in->faults_path + ")");
    return;
  }
  g_stand_in->adapter->faults() = parsed.config.faults;
}

void Load() {
  g_stand_in = new StandIn;
  if (const auto log_path = NonEmptyEnvironment("QBSIM_LOG")) {
    g_stand_in->log = std::make_unique<LogChain>(*log_path);
  }
  g_stand_in->flash_path = NonEmptyEnvironment("QBSIM_FLASH");
  g_stand_in->faults = Environment("QBSIM_FAULTS");
  g_stand_in->faults_path = NonEmptyEnvironment("QBSIM_FAULTS_FILE");
  trv::sim::SimConfigResult parsed =
      trv::sim::ParseSimConfig(Environment("QBSIM_ADAPTERS"), Environment("QBSIM_LATENCY_MS"),
                               g_stand_in->faults, NonEmptyEnvironment("QBSIM_WIRING"));
  if (!parsed.ok()) {
    ReportConfigError(parsed.error);
    return;
  }
  // A long session must not keep every call in memory; the log file has them.
  parsed.config.record = false;
  g_stand_in->adapter = std::make_unique<SimulatedAdapter>(g_stand_in->clock, parsed.config);
  g_stand_in->adapter->set_observer(g_stand_in->log ? &g_stand_in->log->log : nullptr);
  ReloadFaultsFile();
}

// Says which Windows version this process is told it runs on, as the first line after any
// configuration error: tests that set the version for the program see that it took effect.
void LogWindowsVersion() {
  using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto get_version = reinterpret_cast<GetVersionFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version == nullptr || get_version(&version) != 0) {
    g_stand_in->Log("QBSIM Windows version unknown");
    return;
  }
  g_stand_in->Log("QBSIM Windows " + std::to_string(version.dwMajorVersion) + "." +
                  std::to_string(version.dwMinorVersion) + " build " +
                  std::to_string(version.dwBuildNumber));
}

// Like many drivers, the stand-in takes an optional companion library of its own by its plain
// name when an adapter opens, and works without it. The folders searched for that name are the
// host program's DLL search order: a program that keeps its current folder in that order would
// load whatever library of that name the folder chosen in the file dialog holds.
constexpr wchar_t kCompanionLibrary[] = L"QBLINKEX.DLL";

void LoadCompanion() {
  if (g_stand_in->companion != nullptr) {
    return;
  }
  g_stand_in->companion = LoadLibraryW(kCompanionLibrary);
  if (g_stand_in->companion == nullptr) {
    g_stand_in->Log("QBSIM companion QBLINKEX.DLL not found (Windows error " +
                    std::to_string(GetLastError()) + ")");
    return;
  }
  char path[MAX_PATH] = {};
  GetModuleFileNameA(g_stand_in->companion, path, MAX_PATH);
  g_stand_in->Log(std::string("QBSIM companion QBLINKEX.DLL loaded from ") + path);
}

// One call at a time, on a configured simulator.
template <typename Call>
std::uint32_t Serialised(const char* name, Call call) {
  EnterCriticalSection(&g_lock);
  std::uint32_t status = trv::sim::kStatusConfigError;
  if (g_stand_in->Configured()) {
    status = call(*g_stand_in->adapter);
  } else {
    g_stand_in->Log(std::string(name) + " -> " + std::to_string(status));
  }
  LeaveCriticalSection(&g_lock);
  return status;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    InitializeCriticalSection(&g_lock);
    Load();
    LogWindowsVersion();
  } else if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
    // Process exit: other threads are gone, perhaps holding the lock, and the system reclaims
    // the rest; only the count of a last run of repeated log lines must not be lost.
    if (g_stand_in->log) {
      g_stand_in->log->log.FlushRepeats();
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    // Unloaded by FreeLibrary: write what the log holds back and close it.
    delete g_stand_in;
    g_stand_in = nullptr;
    DeleteCriticalSection(&g_lock);
  }
  return TRUE;
}

extern "C" {

__declspec(dllexport) std::uint32_t __stdcall QB_CreateDeviceInfoList(std::uint32_t* count) {
  return Serialised(__func__,
                    [&](SimulatedAdapter& a) { return a.QB_CreateDeviceInfoList(count); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_GetDeviceInfoList(void* records, std::uint32_t* count) {
  return Serialised(__func__, [&](SimulatedAdapter& a) {
    return a.QB_GetDeviceInfoList(static_cast<AdapterInfoRecord*>(records), count);
  });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_OpenEx(const char* description, std::uint32_t flags, AdapterHandle* handle) {
  // The lock is re-entrant: the new faults are in place before the open is served.
  EnterCriticalSection(&g_lock);
  ReloadFaultsFile();
  const std::uint32_t status = Serialised(__func__, [&](SimulatedAdapter& a) {
    const std::uint32_t opened = a.QB_OpenEx(description, flags, handle);
    if (opened == trv::kStatusOk && g_stand_in->flash_path) {
      a.ChipFor(*handle)->set_flash(trv::sim::LoadFlashFile(*g_stand_in->flash_path));
    }
    if (opened == trv::kStatusOk) {
      LoadCompanion();
    }
    return opened;
  });
  LeaveCriticalSection(&g_lock);
  return status;
}

__declspec(dllexport) std::uint32_t __stdcall QB_Close(AdapterHandle handle) {
  return Serialised(__func__, [&](SimulatedAdapter& a) {
    trv::sim::SimulatedChip* chip = a.ChipFor(handle);
    const std::uint32_t status = a.QB_Close(handle);
    const auto& path = g_stand_in->flash_path;
    if (chip != nullptr && path && !trv::sim::SaveFlashFile(*path, chip->flash())) {
      g_stand_in->Log("QBSIM could not save the flash to " + *path);
    }
    return status;
  });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetBitMode(AdapterHandle handle, std::uint8_t mask, std::uint8_t mode) {
  return Serialised(__func__,
                    [&](SimulatedAdapter& a) { return a.QB_SetBitMode(handle, mask, mode); });
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetRts(AdapterHandle handle) {
  return Serialised(__func__, [&](SimulatedAdapter& a) { return a.QB_SetRts(handle); });
}

__declspec(dllexport) std::uint32_t __stdcall QB_SetDtr(AdapterHandle handle) {
  return Serialised(__func__, [&](SimulatedAdapter& a) { return a.QB_SetDtr(handle); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  return Serialised(__func__, [&](SimulatedAdapter& a) { return a.QB_SetBaudRate(handle, baud); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                        std::uint8_t stop_bits, std::uint8_t parity) {
  return Serialised(__func__, [&](SimulatedAdapter& a) {
    return a.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
  });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                std::uint8_t xoff) {
  return Serialised(
      __func__, [&](SimulatedAdapter& a) { return a.QB_SetFlowControl(handle, flow, xon, xoff); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms, std::uint32_t write_ms) {
  return Serialised(
      __func__, [&](SimulatedAdapter& a) { return a.QB_SetTimeouts(handle, read_ms, write_ms); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  return Serialised(__func__,
                    [&](SimulatedAdapter& a) { return a.QB_GetQueueStatus(handle, waiting); });
}

__declspec(dllexport) std::uint32_t __stdcall QB_Read(AdapterHandle handle, void* buffer,
                                                      std::uint32_t count, std::uint32_t* read) {
  return Serialised(__func__,
                    [&](SimulatedAdapter& a) { return a.QB_Read(handle, buffer, count, read); });
}

__declspec(dllexport) std::uint32_t
    __stdcall QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                       std::uint32_t* written) {
  return Serialised(
      __func__, [&](SimulatedAdapter& a) { return a.QB_Write(handle, buffer, count, written); });
}

}  // extern "C"
