// The ROM file seam on POSIX, for the native build: errno is mapped to the Windows codes.
#pragma once

#include "common/rom_file.h"

namespace trv {

class PosixRomFileSystem final : public RomFileSystem {
 public:
  std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) override;
};

// The Windows system error code that matches an errno value.
IoError IoErrorFromErrno(int error_number);

}  // namespace trv
