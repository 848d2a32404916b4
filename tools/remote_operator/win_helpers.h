// Small helpers for looking at the windows of another process and for waiting with a bound.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "remote_operator/wait_limits.h"

namespace trv::remote {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
// Shows control characters as \r \n so that texts can be compared in a report.
std::string Printable(const std::wstring& text);

// The class name without the version prefix ("6.0.2600.0!ComboBox" -> "ComboBox").
std::wstring ClassOf(HWND window);
bool HasClass(HWND window, const wchar_t* name);

// The text of a window of another process (WM_GETTEXT, bounded by kMessageTimeoutMs).
std::wstring TextOf(HWND window);
bool SetTextOf(HWND window, const std::wstring& text);
// A message sent with a time limit; returns `failed` when the target does not answer.
LRESULT SendBounded(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT failed = -1);

// The window's rectangle in the client coordinates of `parent`.
RECT RectIn(HWND window, HWND parent);
int Width(const RECT& rect);
int Height(const RECT& rect);

std::vector<HWND> TopLevelWindowsOf(DWORD process_id);
std::vector<HWND> ChildrenInZOrder(HWND parent);
std::vector<HWND> DescendantsOf(HWND parent);

// Polls `done` every `poll_ms` until it holds or `timeout_ms` has passed; returns its last value.
template <typename Condition>
bool WaitUntil(DWORD timeout_ms, Condition done, DWORD poll_ms = kPollMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeout_ms) {
      return done();
    }
    Sleep(poll_ms);
  }
  return true;
}

// Absolute Windows path of a path given relative to the current directory ('/' accepted).
std::wstring FullPath(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
bool MakeFolders(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool ReadWholeFile(const std::wstring& path, std::vector<unsigned char>& bytes);

}  // namespace trv::remote
