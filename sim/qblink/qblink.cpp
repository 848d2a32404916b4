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

// The QBSIM_LOG file. Every poll of a wait is a driver call, so a run of identical lines is
// written once and followed, when a different line comes or the library unloads, by
// "... (repeated N more times)". Each line reaches the file in one write, unbuffered, so a
// process that dies leaves only complete lines; it loses at most the count of its last run.
class CollapsingLog final : public trv::sim::SimObserver {
 public:
  explicit CollapsingLog(const std::string& path)
      : file_(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~CollapsingLog() override {
    FlushRepeats();
    if (file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
    }
  }
  CollapsingLog(const CollapsingLog&) = delete;
  CollapsingLog& operator=(const CollapsingLog&) = delete;

  void WriteLine(const std::string& line) {
    if (line == last_line_) {
      ++repeats_;
      return;
    }
    FlushRepeats();
    Append(line);
    last_line_ = line;
  }

  void FlushRepeats() {
    if (repeats_ > 0) {
      Append("... (repeated " + std::to_string(repeats_) + " more times)");
      repeats_ = 0;
    }
  }

  void OnCall(const trv::sim::DriverCall& call) override { WriteLine(trv::sim::FormatCall(call)); }
  void OnChipCommand(const trv::sim::ChipCommand& command) override {
    WriteLine(trv::sim::FormatChipCommand(command));
  }

 private:
  void Append(const std::string& line) {
    if (file_ == INVALID_HANDLE_VALUE) {
      return;
    }
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  HANDLE file_;
  std::string last_line_;
  std::uint64_t repeats_ = 0;
};

struct StandIn {
  trv::SystemClock clock;
  std::unique_ptr<CollapsingLog> log;
  std::optional<std::string> flash_path;
  std::optional<std::string> faults;          // QBSIM_FAULTS
  std::optional<std::string> faults_path;     // QBSIM_FAULTS_FILE
  std::unique_ptr<SimulatedAdapter> adapter;  // null when the configuration was refused
  bool faults_file_invalid = false;           // every call is refused until the file is fixed

  void Log(const std::string& line) {
    if (log) {
      log->WriteLine(line);
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
    g_stand_in->log = std::make_unique<CollapsingLog>(*log_path);
  }
  g_stand_in->flash_path = NonEmptyEnvironment("QBSIM_FLASH");
  g_stand_in->faults = Environment("QBSIM_FAULTS");
  g_stand_in->faults_path = NonEmptyEnvironment("QBSIM_FAULTS_FILE");
  trv::sim::SimConfigResult parsed = trv::sim::ParseSimConfig(
      Environment("QBSIM_ADAPTERS"), Environment("QBSIM_LATENCY_MS"), g_stand_in->faults);
  if (!parsed.ok()) {
    ReportConfigError(parsed.error);
    return;
  }
  // A long session must not keep every call in memory; the log file has them.
  parsed.config.record = false;
  g_stand_in->adapter = std::make_unique<SimulatedAdapter>(g_stand_in->clock, parsed.config);
  g_stand_in->adapter->set_observer(g_stand_in->log.get());
  ReloadFaultsFile();
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
  } else if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
    // Process exit: other threads are gone, perhaps holding the lock, and the system reclaims
    // the rest; only the count of a last run of repeated log lines must not be lost.
    if (g_stand_in->log) {
      g_stand_in->log->FlushRepeats();
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
