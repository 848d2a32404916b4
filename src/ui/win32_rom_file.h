// The ROM file seam on the Windows file interface.
#pragma once

#include <memory>
#include <string>

#include "common/rom_file.h"

namespace trv::ui {

// Opens files for reading only and lets other programs read them too; a file that another
// program holds without read sharing is refused as "access denied", and so is anything that is
// not a file on a disk (a folder, a device, a pipe). Paths may be longer than 260 characters.
class Win32RomFileSystem final : public RomFileSystem {
 public:
  std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) override;
};

}  // namespace trv::ui
