// Where the program's libraries come from: its own folder and the system's, never the current
// directory, which the file dialog moves to the ROM file's folder.
#pragma once

#include <windows.h>

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

// Whether a file of `library_name` lies in one of the two folders it is loaded from. For a
// 32-bit program on 64-bit Windows the system folder is SysWOW64, and the look follows it there.
bool InProgramOrSystemFolder(const wchar_t* library_name);

}  // namespace trv::win32
