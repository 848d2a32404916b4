// The ROM file seam on the Windows file interface.
#pragma once

#include <memory>
#include <string>

#include "common/rom_file.h"

namespace trv::win32 {

// Opens files for reading only and lets other programs read them too. A file that another program
// holds open without read sharing is refused with the sharing violation (32), a region of it that
// another program locked fails to read with the lock violation (33); anything that is not a file
// on a disk (a folder, a device, a pipe) is refused as "access denied" (5). Paths may be longer
// than 260 characters.
class Win32RomFileSystem final : public RomFileSystem {
 public:
  std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) override;
};

// `path` made absolute and normalised, as the system would before opening it, then written in the
// extended-length form, which is not held to 260 characters on any system. Device names ("COM1",
// "NUL", "\\.\pipe\x") come out as device paths and are refused as access denied, unopened.
IoError DiskFilePath(const std::wstring& path, std::wstring* extended);

}  // namespace trv::win32
