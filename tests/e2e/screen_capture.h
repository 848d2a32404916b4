// Saves what the X screen shows, so a failed scenario can be looked at afterwards.
#pragma once

#include <string>

namespace e2e {

// Writes the whole screen as a 24-bit BMP; returns false when the capture or the write failed.
bool SaveScreenAsBmp(const std::wstring& path);

}  // namespace e2e
