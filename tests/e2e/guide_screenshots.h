// The pictures of the operator's guide, taken of the real window on the simulated adapter.
#pragma once

#include <string>

namespace e2e {

// `rom_path` is written with a made-up image; the pictures go to `folder` as BMP files. Returns 0
// when every picture was taken.
int TakeGuideScreenshots(const std::wstring& exe_path, const std::wstring& rom_path,
                         const std::wstring& folder);

}  // namespace e2e
