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

// What Wine reports where Windows reports ERROR_PROC_NOT_FOUND.
constexpr DWORD kWineProcedureNotFound = 317;

// The processor a library's file is built for, from its headers; 0 for a file that is no
// Windows program or library, or is cut short.
WORD ImageMachine(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 0;
  }
  // The headers come first: the DOS header, which says where the PE header starts, near by.
  unsigned char start[4096];
  DWORD read = 0;
  const BOOL read_ok = ReadFile(file, start, sizeof(start), &read, nullptr);
  CloseHandle(file);
  IMAGE_DOS_HEADER dos;
  if (!read_ok || read < sizeof(dos)) {
    return 0;
  }
  std::memcpy(&dos, start, sizeof(dos));
  DWORD signature = 0;
  IMAGE_FILE_HEADER header;
  const auto at = static_cast<DWORD>(dos.e_lfanew);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || at > read - sizeof(signature) - sizeof(header)) {
    return 0;
  }
  std::memcpy(&signature, start + at, sizeof(signature));
  std::memcpy(&header, start + at + sizeof(signature), sizeof(header));
  return signature == IMAGE_NT_SIGNATURE ? header.Machine : 0;
}

// The operator's texts around the system's code, for a library that did not load; `found` is
// the file of its name that the system tried, if any.
struct LoadFailureTexts {
  const char* prefix;
  const char* suffix;
};

LoadFailureTexts LoadFailureTextsFor(DWORD error, const std::wstring& found) {
  const LoadFailureTexts not_found{texts::kLibraryNotFoundPrefix, texts::kLibraryNotFoundSuffix};
  const LoadFailureTexts damaged{texts::kLibraryDamagedPrefix, texts::kLibraryReplaceSuffix};
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return not_found;
    case ERROR_MOD_NOT_FOUND:
      // The same code for the library itself and for a library it needs.
      return found.empty() ? not_found
                           : LoadFailureTexts{texts::kLibraryDependencyMissingPrefix,
                                              texts::kLibraryDependencyMissingSuffix};
    case ERROR_BAD_EXE_FORMAT:
      // The same code for the library itself and for a library it needs.
      switch (ImageMachine(found)) {
        case IMAGE_FILE_MACHINE_I386:
          return {texts::kLibraryDependencyNot32BitPrefix, texts::kLibraryDependencyMissingSuffix};
        case IMAGE_FILE_MACHINE_AMD64:
        case IMAGE_FILE_MACHINE_ARM64:
        case IMAGE_FILE_MACHINE_IA64:
          return {texts::kLibrary64BitPrefix, texts::kLibraryReplaceSuffix};
        default:
          return damaged;
      }
    case ERROR_FILE_INVALID:  // an empty file, on some systems
      return damaged;
    case ERROR_PROC_NOT_FOUND:
    case kWineProcedureNotFound:
      return {texts::kLibraryDependencyTooOldPrefix, texts::kLibraryDependencyTooOldSuffix};
    case ERROR_DLL_INIT_FAILED:
    case ERROR_NOACCESS:  // its start-up crashed
      return {texts::kLibraryStartFailedPrefix, texts::kLibraryStartFailedSuffix};
    default:
      return {texts::kLibraryNotLoadedPrefix, texts::kLibraryNotLoadedSuffix};
  }
}

}  // namespace

std::wstring QblinkLibrary::LoadFailureReport(const wchar_t* library_name, DWORD error) {
  const std::wstring found = FoundInProgramOrSystemFolder(library_name);
  const LoadFailureTexts around = LoadFailureTextsFor(error, found);
  const bool by_path = !found.empty() && around.prefix != texts::kLibraryNotFoundPrefix;
  return (by_path ? found : std::wstring(library_name)) + WideFromUtf8(around.prefix) +
         std::to_wstring(error) + WideFromUtf8(around.suffix);
}

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
    // The library loaded came from where the look finds it first.
    *problem = FoundInProgramOrSystemFolder(library_name) +
               WideFromUtf8(texts::kLibraryEntryMissingPrefix) + WideName(missing) +
               WideFromUtf8(texts::kLibraryEntryMissingSuffix);
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
