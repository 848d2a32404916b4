// Conversions between the core's byte strings and the wide strings of the W calls.
#pragma once

#include <windows.h>

#include <string>

namespace trv::win32 {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// Adapter descriptions are single-byte text in the system's ANSI code page.
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);

// Texts for the operator are UTF-8, but may carry an adapter description in the ANSI code page;
// bytes that are not valid UTF-8 are read as ANSI so nothing turns into replacement marks.
std::wstring WideFromMessage(const std::string& text);

// The caption or text of a window or control.
std::wstring WindowText(HWND window);

}  // namespace trv::win32
