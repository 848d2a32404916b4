// The stand-in QBLINK.DLL: the simulated adapter and chip behind the driver library's fourteen
// __stdcall calls, on the real clock. Configured once, when the library is loaded, from the
// QBSIM_* environment variables; see sim/README.md.
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

struct StandIn {
  trv::SystemClock clock;
  std::unique_ptr<trv::sim::LogFile> log;
  std::optional<std::string> flash_path;
  std::unique_ptr<SimulatedAdapter> adapter;  // null when the configuration was refused

  void Log(const std::string& line) {
    if (log) {
      log->WriteLine(line);
    }
  }
};

StandIn* g_stand_in = nullptr;
CRITICAL_SECTION g_lock;

void Load() {
  g_stand_in = new StandIn;
  if (const auto log_path = Environment("QBSIM_LOG"); log_path && !log_path->empty()) {
    g_stand_in->log = std::make_unique<trv::sim::LogFile>(*log_path);
  }
  if (auto flash_path = Environment("QBSIM_FLASH"); flash_path && !flash_path->empty()) {
    g_stand_in->flash_path = std::move(flash_path);
  }
  trv::sim::SimConfigResult parsed = trv::sim::ParseSimConfig(
      Environment("QBSIM_ADAPTERS"), Environment("QBSIM_LATENCY_MS"), Environment("QBSIM_FAULTS"));
  if (!parsed.ok()) {
    // Every call will fail; say why where someone will look.
    const std::string message = "QBSIM configuration error: " + parsed.error;
    g_stand_in->Log(message);
    OutputDebugStringA(message.c_str());
    return;
  }
  // A long session must not keep every call in memory; the log file has them.
  parsed.config.record = false;
  g_stand_in->adapter = std::make_unique<SimulatedAdapter>(g_stand_in->clock, parsed.config);
  g_stand_in->adapter->set_observer(g_stand_in->log.get());
}

// One call at a time, on a configured simulator.
template <typename Call>
std::uint32_t Serialised(const char* name, Call call) {
  EnterCriticalSection(&g_lock);
  std::uint32_t status = trv::sim::kStatusConfigError;
  if (g_stand_in->adapter) {
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
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: close the log. At process exit the system reclaims everything.
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
  return Serialised(__func__, [&](SimulatedAdapter& a) {
    const std::uint32_t status = a.QB_OpenEx(description, flags, handle);
    if (status == trv::kStatusOk && g_stand_in->flash_path) {
      a.ChipFor(*handle)->set_flash(trv::sim::LoadFlashFile(*g_stand_in->flash_path));
    }
    return status;
  });
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
