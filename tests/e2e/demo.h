// Programs a ROM image through the real window, the way an operator would, for `make run`.
#pragma once

#include <string>

namespace e2e {

// Screenshots of the idle window, the run and the final message go to `demo_folder`; the
// simulated flash is <demo_folder>\flash.bin. Returns 0 when the flash then holds the image.
int RunDemo(const std::wstring& exe_path, const std::wstring& rom_path,
            const std::wstring& demo_folder);

}  // namespace e2e
