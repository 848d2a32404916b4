// Where the program's libraries come from: its own folder and the system's, never the current
// directory, which the file dialog moves to the ROM file's folder.
#pragma once

#include <windows.h>

#include <string>

namespace trv::win32 {

// Makes the safe library search order the process's default before anything loads a library:
// neither the driver library's own dependencies nor anything the file dialog loads may come
// from the current directory.
void RestrictLibrarySearch();

// Loads `library_name` from the program's folder, else the system folder, with the system's
// search flags where it knows them. Null on failure, with the system's error code.
HMODULE LoadFromProgramOrSystemFolder(const wchar_t* library_name);

// The same by full path: the way for systems whose LoadLibraryExW does not know the search flags
// (Windows 7 without its library-loading update).
HMODULE LoadByFullPathFromProgramOrSystemFolder(const wchar_t* library_name);

// The full path of what bears `library_name` in the first of the two folders it is loaded from
// that has one (a file, or a folder that stands in its way); empty where neither has. For a 32-bit
// program on 64-bit Windows the system folder is named as SysWOW64, where its files really are.
std::wstring FoundInProgramOrSystemFolder(const wchar_t* library_name);

// The file a loaded `module` came from (the program's own for null); empty on failure.
std::wstring ModulePath(HMODULE module);

}  // namespace trv::win32
