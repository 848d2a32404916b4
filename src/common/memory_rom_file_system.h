// A ROM file system in memory, for tests: files are byte strings that may change at any moment,
// even while open (as when a build tool rewrites the image in place), and any operation can be
// made to fail on its Nth call with a chosen Windows error code.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/rom_file.h"

namespace trv {

class MemoryRomFileSystem final : public RomFileSystem {
 public:
  enum class Operation { kOpen, kSize, kRead, kClose };

  MemoryRomFileSystem() = default;
  MemoryRomFileSystem(const MemoryRomFileSystem&) = delete;
  MemoryRomFileSystem& operator=(const MemoryRomFileSystem&) = delete;

  // Creates or replaces a file. An open file sees the new bytes from its next read on.
  void Put(const std::string& path, std::vector<std::uint8_t> bytes);
  void Remove(const std::string& path);
  // The bytes of an existing file, to change in place.
  std::vector<std::uint8_t>& Bytes(const std::string& path);

  // Makes the `nth` call of `operation` (counted from 1 over all files) fail with `code`. A
  // failing read reads nothing; a failing close still closes, as a released handle is gone.
  void FailOn(Operation operation, std::uint32_t nth, IoError code);
  // Runs before every open, with the open's number (from 1): the moment to change the files
  // between the size check and a pass.
  std::function<void(std::uint32_t open_number)> before_open;

  std::uint32_t Calls(Operation operation) const { return calls_[Index(operation)]; }
  // Files opened and not yet closed.
  int open_files() const { return open_files_; }

  std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) override;

 private:
  class File;
  using Contents = std::shared_ptr<std::vector<std::uint8_t>>;

  static std::size_t Index(Operation operation) { return static_cast<std::size_t>(operation); }
  // Counts the call; the code it must fail with, or kIoOk.
  IoError Count(Operation operation);

  std::map<std::string, Contents> files_;
  std::map<std::pair<std::size_t, std::uint32_t>, IoError> failures_;
  std::uint32_t calls_[4] = {};
  int open_files_ = 0;
};

}  // namespace trv
