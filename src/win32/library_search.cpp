#include "win32/library_search.h"

#include "win32/entry_points.h"

namespace trv::win32 {
namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Windows 8 on, and Windows 7 with its library-loading update, offer this call and understand
// the LOAD_LIBRARY_SEARCH_* flags; without the update the call is missing and the flags are
// refused as invalid. Null where it is missing.
SetDefaultDllDirectoriesFunction SetDefaultDllDirectoriesEntry() {
  static const auto entry =
      OptionalEntry<SetDefaultDllDirectoriesFunction>(L"kernel32.dll", "SetDefaultDllDirectories");
  return entry;
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
  if (SetDefaultDllDirectoriesEntry() == nullptr) {
    return LoadByFullPathFromProgramOrSystemFolder(library_name);
  }
  return LoadLibraryExW(library_name, nullptr,
                        LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadByFullPathFromProgramOrSystemFolder(const wchar_t* library_name) {
  // By full path, and the library's own dependencies are then looked for beside it first.
  HMODULE module = LoadLibraryExW((ProgramFolder() + L"\\" + library_name).c_str(), nullptr,
                                  LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND) {
    module = LoadLibraryExW((SystemFolder() + L"\\" + library_name).c_str(), nullptr,
                            LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

std::wstring FoundInProgramOrSystemFolder(const wchar_t* library_name) {
  for (const std::wstring& folder : {ProgramFolder(), SystemFolder()}) {
    const std::wstring path = folder + L"\\" + library_name;
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return path;
    }
  }
  return std::wstring();
}

}  // namespace trv::win32
