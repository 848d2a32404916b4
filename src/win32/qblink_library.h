// The adapter vendor's driver library, bound at run time.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "adapter/adapter_driver.h"

namespace trv::win32 {

constexpr wchar_t kDriverLibraryName[] = L"QBLINK.DLL";

// Forwards every driver call to the library's export of the same name.
class QblinkLibrary final : public AdapterDriver {
 public:
  // Loads `library_name` from the program's own folder or the system folder (never from the
  // current directory, which the file dialog moves) and binds all fourteen calls. On failure
  // returns null and sets `*problem` to the operator's text: the load's failure report (below),
  // or the loaded file's full path and the first call it lacks.
  static std::unique_ptr<QblinkLibrary> Load(const wchar_t* library_name, std::wstring* problem);
  // The operator's text for `library_name` that failed to load with the system's `error`: the
  // library by the full path of the file of its name in the folders it is loaded from, or by its
  // name where neither holds one; what went wrong, with the code; and what to do.
  static std::wstring LoadFailureReport(const wchar_t* library_name, DWORD error);
  ~QblinkLibrary() override;
  QblinkLibrary(const QblinkLibrary&) = delete;
  QblinkLibrary& operator=(const QblinkLibrary&) = delete;

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override;
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override;
  StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                         AdapterHandle* handle) override;
  StatusResult QB_Close(AdapterHandle handle) override;
  StatusResult QB_SetBitMode(AdapterHandle handle, std::uint8_t mask, std::uint8_t mode) override;
  StatusResult QB_SetRts(AdapterHandle handle) override;
  StatusResult QB_SetDtr(AdapterHandle handle) override;
  StatusResult QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) override;
  StatusResult QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                         std::uint8_t stop_bits, std::uint8_t parity) override;
  StatusResult QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                 std::uint8_t xoff) override;
  StatusResult QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                              std::uint32_t write_ms) override;
  StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) override;
  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override;
  StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override;

 private:
  // The library's own handle type: pointer-sized and opaque.
  using Handle = void*;
  // The exports, as the library declares them.
  struct Entries {
    std::uint32_t(__stdcall* create_device_info_list)(std::uint32_t* count);
    std::uint32_t(__stdcall* get_device_info_list)(void* records, std::uint32_t* count);
    std::uint32_t(__stdcall* open_ex)(const char* description, std::uint32_t flags, Handle* out);
    std::uint32_t(__stdcall* close)(Handle handle);
    std::uint32_t(__stdcall* set_bit_mode)(Handle handle, std::uint8_t mask, std::uint8_t mode);
    std::uint32_t(__stdcall* set_rts)(Handle handle);
    std::uint32_t(__stdcall* set_dtr)(Handle handle);
    std::uint32_t(__stdcall* set_baud_rate)(Handle handle, std::uint32_t baud);
    std::uint32_t(__stdcall* set_data_characteristics)(Handle handle, std::uint8_t word_length,
                                                       std::uint8_t stop_bits, std::uint8_t parity);
    std::uint32_t(__stdcall* set_flow_control)(Handle handle, std::uint16_t flow, std::uint8_t xon,
                                               std::uint8_t xoff);
    std::uint32_t(__stdcall* set_timeouts)(Handle handle, std::uint32_t read_ms,
                                           std::uint32_t write_ms);
    std::uint32_t(__stdcall* get_queue_status)(Handle handle, std::uint32_t* waiting);
    std::uint32_t(__stdcall* read)(Handle handle, void* buffer, std::uint32_t count,
                                   std::uint32_t* read);
    std::uint32_t(__stdcall* write)(Handle handle, const void* buffer, std::uint32_t count,
                                    std::uint32_t* written);
  };

  QblinkLibrary(HMODULE module, const Entries& entries) : module_(module), entries_(entries) {}

  HMODULE module_;
  Entries entries_;
};

}  // namespace trv::win32
