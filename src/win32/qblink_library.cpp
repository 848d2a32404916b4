#include "win32/qblink_library.h"

#include <cstring>
#include <type_traits>

#include "common/operator_texts.h"
#include "win32/entry_points.h"
#include "win32/library_search.h"
#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

std::wstring WideName(const char* name) {
  return std::wstring(name, name + std::strlen(name));
}

void* LibraryHandle(AdapterHandle handle) {
  return reinterpret_cast<void*>(handle);
}

// The operator's texts around the system's code, for a library that did not load.
struct LoadFailureTexts {
  const char* prefix;
  const char* suffix;
};

LoadFailureTexts LoadFailureTextsFor(DWORD error, const wchar_t* library_name) {
  const LoadFailureTexts not_found{texts::kLibraryNotFoundPrefix, texts::kLibraryNotFoundSuffix};
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return not_found;
    case ERROR_MOD_NOT_FOUND:
      // The same code for the library itself and for a library it needs.
      return InProgramOrSystemFolder(library_name)
                 ? LoadFailureTexts{texts::kLibraryDependencyMissingPrefix,
                                    texts::kLibraryDependencyMissingSuffix}
                 : not_found;
    case ERROR_BAD_EXE_FORMAT:
      return {texts::kLibraryNotWin32Prefix, texts::kLibraryNotWin32Suffix};
    case ERROR_DLL_INIT_FAILED:
      return {texts::kLibraryStartFailedPrefix, texts::kLibraryStartFailedSuffix};
    default:
      return {texts::kLibraryNotLoadedPrefix, texts::kLibraryNotLoadedSuffix};
  }
}

std::wstring LoadFailureReport(const wchar_t* library_name, DWORD error) {
  const LoadFailureTexts around = LoadFailureTextsFor(error, library_name);
  return std::wstring(library_name) + WideFromUtf8(around.prefix) + std::to_wstring(error) +
         WideFromUtf8(around.suffix);
}

}  // namespace

std::unique_ptr<QblinkLibrary> QblinkLibrary::Load(const wchar_t* library_name,
                                                   std::wstring* problem) {
  const HMODULE module = LoadFromProgramOrSystemFolder(library_name);
  if (module == nullptr) {
    *problem = LoadFailureReport(library_name, GetLastError());
    return nullptr;
  }
  Entries entries{};
  const char* missing = nullptr;
  auto bind = [&](const char* name, auto* entry) {
    *entry = ExportedEntry<std::remove_pointer_t<decltype(entry)>>(module, name);
    if (*entry == nullptr && missing == nullptr) {
      missing = name;
    }
  };
  bind("QB_CreateDeviceInfoList", &entries.create_device_info_list);
  bind("QB_GetDeviceInfoList", &entries.get_device_info_list);
  bind("QB_OpenEx", &entries.open_ex);
  bind("QB_Close", &entries.close);
  bind("QB_SetBitMode", &entries.set_bit_mode);
  bind("QB_SetRts", &entries.set_rts);
  bind("QB_SetDtr", &entries.set_dtr);
  bind("QB_SetBaudRate", &entries.set_baud_rate);
  bind("QB_SetDataCharacteristics", &entries.set_data_characteristics);
  bind("QB_SetFlowControl", &entries.set_flow_control);
  bind("QB_SetTimeouts", &entries.set_timeouts);
  bind("QB_GetQueueStatus", &entries.get_queue_status);
  bind("QB_Read", &entries.read);
  bind("QB_Write", &entries.write);
  if (missing != nullptr) {
    FreeLibrary(module);
    *problem = std::wstring(library_name) + WideFromUtf8(texts::kLibraryEntryMissingPrefix) +
               WideName(missing) + WideFromUtf8(texts::kLibraryEntryMissingSuffix);
    return nullptr;
  }
  return std::unique_ptr<QblinkLibrary>(new QblinkLibrary(module, entries));
}

QblinkLibrary::~QblinkLibrary() {
  FreeLibrary(module_);
}

StatusResult QblinkLibrary::QB_CreateDeviceInfoList(std::uint32_t* count) {
  return entries_.create_device_info_list(count);
}

StatusResult QblinkLibrary::QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) {
  return entries_.get_device_info_list(records, count);
}

StatusResult QblinkLibrary::QB_OpenEx(const char* description, std::uint32_t flags,
                                      AdapterHandle* handle) {
  Handle opened = nullptr;
  const StatusResult status = entries_.open_ex(description, flags, &opened);
  *handle = reinterpret_cast<AdapterHandle>(opened);
  return status;
}

StatusResult QblinkLibrary::QB_Close(AdapterHandle handle) {
  return entries_.close(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetBitMode(AdapterHandle handle, std::uint8_t mask,
                                          std::uint8_t mode) {
  return entries_.set_bit_mode(LibraryHandle(handle), mask, mode);
}

StatusResult QblinkLibrary::QB_SetRts(AdapterHandle handle) {
  return entries_.set_rts(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetDtr(AdapterHandle handle) {
  return entries_.set_dtr(LibraryHandle(handle));
}

StatusResult QblinkLibrary::QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  return entries_.set_baud_rate(LibraryHandle(handle), baud);
}

StatusResult QblinkLibrary::QB_SetDataCharacteristics(AdapterHandle handle,
                                                      std::uint8_t word_length,
                                                      std::uint8_t stop_bits, std::uint8_t parity) {
  return entries_.set_data_characteristics(LibraryHandle(handle), word_length, stop_bits, parity);
}

StatusResult QblinkLibrary::QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow,
                                              std::uint8_t xon, std::uint8_t xoff) {
  return entries_.set_flow_control(LibraryHandle(handle), flow, xon, xoff);
}

StatusResult QblinkLibrary::QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                           std::uint32_t write_ms) {
  return entries_.set_timeouts(LibraryHandle(handle), read_ms, write_ms);
}

StatusResult QblinkLibrary::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  return entries_.get_queue_status(LibraryHandle(handle), waiting);
}

StatusResult QblinkLibrary::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                    std::uint32_t* read) {
  return entries_.read(LibraryHandle(handle), buffer, count, read);
}

StatusResult QblinkLibrary::QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                     std::uint32_t* written) {
  return entries_.write(LibraryHandle(handle), buffer, count, written);
}

}  // namespace trv::win32
