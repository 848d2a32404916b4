// Saves what the X screen shows, so a failed scenario can be looked at afterwards, and reads
// parts of it back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace trv::remote {

// Writes the whole screen as a 24-bit BMP; returns false when the capture or the write failed.
bool SaveScreenAsBmp(const std::wstring& path);

// The pixels of `area` of the screen, row after row from the top; empty when the capture failed.
std::vector<COLORREF> CaptureScreenArea(const RECT& area);

}  // namespace trv::remote
