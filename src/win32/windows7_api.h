// Put ahead of every source of the Windows program by the build. The build names Windows 7 as
// the oldest system served (_WIN32_WINNT and WINVER 0x0601), which hides the declarations of
// newer calls such as GetDpiForWindow, so a direct call fails to compile. These three are
// declared whatever the level, because an update brought them to Windows 7; a Windows 7 without
// it lacks them and would not start a program that imports them, so they are looked up at run
// time and never named in code.
#pragma once

#include <windows.h>

#pragma GCC poison AddDllDirectory RemoveDllDirectory SetDefaultDllDirectories
