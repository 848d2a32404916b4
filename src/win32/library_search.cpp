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
  const std::wstring program = ModulePath(nullptr);
  return program.substr(0, program.find_last_of(L'\\'));
}

// A folder the system names through `call`, which answers 0 where it has none.
std::wstring FolderFrom(UINT(WINAPI* call)(LPWSTR, UINT)) {
  std::wstring folder(call(nullptr, 0), L'\0');
  folder.resize(folder.empty() ? 0 : call(folder.data(), static_cast<UINT>(folder.size())));
  return folder;
}

// The system folder that holds the 32-bit libraries. On 64-bit Windows, Windows names System32 to
// a 32-bit program and quietly takes its files from SysWOW64, while System32 itself holds the
// 64-bit ones; only there does the WOW64 call answer.
std::wstring SystemFolder() {
  const std::wstring wow64 = FolderFrom(&GetSystemWow64DirectoryW);
  return wow64.empty() ? FolderFrom(&GetSystemDirectoryW) : wow64;
}

}  // namespace

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

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
