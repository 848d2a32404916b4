// The ROM file seam: open, size, block read and close, each failure carrying its I/O error code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace trv {

// I/O error codes: Windows system error codes when a system call failed, else the file layer's own.
using IoError = std::uint32_t;
constexpr IoError kIoOk = 0;
constexpr IoError kIoFileNotFound = 2;
constexpr IoError kIoPathNotFound = 3;
constexpr IoError kIoTooManyOpenFiles = 4;
constexpr IoError kIoAccessDenied = 5;
constexpr IoError kIoReadBeyondEnd = 100;
constexpr IoError kIoDiskFull = 101;
constexpr IoError kIoInvalidNumericInput = 106;

// The operator's text for an I/O error code, as the error report shows it.
std::string IoErrorText(IoError code);

class RomFile {
 public:
  virtual ~RomFile() = default;
  virtual IoError Size(std::uint64_t* size) = 0;
  // Reads up to `count` bytes at the current position; `*got` is 0 at the end of the file.
  virtual IoError Read(void* buffer, std::uint32_t count, std::uint32_t* got) = 0;
  virtual IoError Close() = 0;
};

class RomFileSystem {
 public:
  virtual ~RomFileSystem() = default;
  // Opens an existing file for reading only, letting others read it too. `path` is UTF-8.
  // Returns null and sets `*error` on failure.
  virtual std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) = 0;
};

}  // namespace trv
