// The simulated flash kept in a file between sessions, so a test can prepare the chip's contents
// and inspect what a programming run left in it.
#pragma once

#include <string>

#include "sim/simulated_chip.h"

namespace trv::sim {

// Reads the flash from `path`. A missing file is an erased flash (all 0xFF); a shorter file
// fills the flash from address 0 and leaves the rest erased; bytes past 64 KiB are ignored.
Flash LoadFlashFile(const std::string& path);
// Writes all 65,536 bytes; returns false when the file cannot be written completely.
bool SaveFlashFile(const std::string& path, const Flash& flash);

}  // namespace trv::sim
