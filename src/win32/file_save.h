// A whole file written so that a failure never leaves a partial file under its name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/rom_file.h"

namespace trv::win32 {

// Writes `bytes` as the file `path`, replacing a file of that name: into a new temporary file in
// the same folder, flushed to the disk and closed, which is then moved over `path` in one step.
// On failure, whatever was at `path` stays as it was and the temporary file is removed. Returns
// kIoOk, or the I/O error code of the first failure (the system's error code, or Disk full for a
// write that took fewer bytes than it was given). `path` is refused as access denied when it names
// no file on a disk (a device such as COM1), and may be longer than 260 characters.
IoError SaveWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

}  // namespace trv::win32
