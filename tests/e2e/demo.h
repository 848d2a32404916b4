// Programs a ROM image through the real window, the way an operator would, for `make run`.
#pragma once

#include <string>

namespace e2e {

// Screenshots of the idle window, the run and the final message go to `demoFolder`; the
// simulated flash is <demoFolder>\flash.bin. Returns 0 when the flash then holds the image.
int RunDemo(const std::wstring& exePath, const std::wstring& romPath,
            const std::wstring& demoFolder);

}  // namespace e2e
