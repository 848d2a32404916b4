#include "win32/qblink_library.h"

#include <cstring>

#include "common/operator_texts.h"
#include "win32/win32_text.h"

namespace trv::win32 {
namespace {

// Looks up one export by its plain name; false when the library lacks it.
template <typename Function>
bool Bind(HMODULE module, const char* name, Function* entry) {
  const FARPROC address = GetProcAddress(module, name);
  // Through the generic function pointer type, so the compiler accepts the change of signature.
  *entry = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return address != nullptr;
}

std::wstring WideName(const char* name) {
  return std::wstring(name, name + std::strlen(name));
}

void* LibraryHandle(AdapterHandle handle) {
  return reinterpret_cast<void*>(handle);
}

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Windows 8 on, and Windows 7 with its library-loading update, offer this call and understand
// the LOAD_LIBRARY_SEARCH_* flags; without the update the call is missing and the flags are
// refused as invalid. Null where it is missing.
SetDefaultDllDirectoriesFunction SetDefaultDllDirectoriesEntry() {
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return std::wstring();
    }
    if (length < path.size()) {
      path.resize(length);
      return path.substr(0, path.find_last_of(L'\\'));
    }
    path.resize(path.size() * 2);
  }
}

std::wstring SystemFolder() {
  const UINT needed = GetSystemDirectoryW(nullptr, 0);
  std::wstring folder(needed, L'\0');
  folder.resize(GetSystemDirectoryW(folder.data(), needed));
  return folder;
}

// Whether a file of `library_name` lies in one of the two folders it is loaded from. For a 32-bit
// program on 64-bit Windows the system folder is SysWOW64, and the look follows it there too.
bool InLoadFolders(const wchar_t* library_name) {
  for (const std::wstring& folder : {ProgramFolder(), SystemFolder()}) {
    const DWORD attributes = GetFileAttributesW((folder + L"\\" + library_name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return true;
    }
  }
  return false;
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
      return InLoadFolders(library_name) ? LoadFailureTexts{texts::kLibraryDependencyMissingPrefix,
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

void RestrictLibrarySearch() {
  const auto set_default_dll_directories = SetDefaultDllDirectoriesEntry();
  if (set_default_dll_directories != nullptr) {
    set_default_dll_directories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  }
  // Where that call is missing, this at least takes the current directory out of the order.
  SetDllDirectoryW(L"");
  // Files looked for by name come from the system's folders before the current one.
  SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

HMODULE LoadFromProgramOrSystemFolder(const wchar_t* library_name) {
  // By full path, and the library's own dependencies are then looked for beside it first.
  HMODULE module = LoadLibraryExW((ProgramFolder() + L"\\" + library_name).c_str(), nullptr,
                                  LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND) {
    module = LoadLibraryExW((SystemFolder() + L"\\" + library_name).c_str(), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

std::unique_ptr<QblinkLibrary> QblinkLibrary::Load(const wchar_t* library_name,
                                                   std::wstring* problem) {
  const HMODULE module =
      SetDefaultDllDirectoriesEntry() != nullptr
          ? LoadLibraryExW(library_name, nullptr,
                           LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)
          : LoadFromProgramOrSystemFolder(library_name);
  if (module == nullptr) {
    *problem = LoadFailureReport(library_name, GetLastError());
    return nullptr;
  }
  Entries entries{};
  const char* missing = nullptr;
  auto bind = [&](const char* name, auto* entry) {
    if (!Bind(module, name, entry) && missing == nullptr) {
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
