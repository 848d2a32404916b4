// The chip's flash read without writing: all 512 blocks with the read-address command, as the
// programmer's verification pass reads them, to save or to compare with a ROM file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/check_tools.h"
#include "common/rom_file.h"

namespace trv {

// Reads the whole flash of the chip behind the adapter chosen by `description`, showing the
// progress, then the "Flash read" line. The 65,536 bytes, flash address = index; none where the
// read failed or the window was closed. The chip is restarted into normal operation and the
// adapter closed on every way out, as in the check.
std::optional<std::vector<std::uint8_t>> ReadWholeFlash(CheckTools& tools,
                                                        const std::string& description);

// Checks the ROM file at `path` as the programmer does (its size, every operation on it), then
// reads the flash and compares: the "Compare with file" line says the two are the same, or the
// first differing byte's flash address + 1 and how many bytes differ. A file that fails its checks
// is reported on that line, and the chip is not touched.
void CompareFlashWithFile(CheckTools& tools, const std::string& description, RomFileSystem& files,
                          const std::string& path);

}  // namespace trv
