// The ROM file as an actor: the file system a run sees records every byte each pass reads, and
// the file can be cut, grown or rewritten from outside while the run goes on, as another program
// (or a copy over the network) might do between the size check and the passes, or between them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/memory_rom_file_system.h"

namespace trv::robustness {

// What one pass read from the ROM file, in file order: byte n is what it got at offset n.
using PassReads = std::vector<std::uint8_t>;

// The files of `files`, with the reads of every file opened while recording is on kept.
class RecordingRomFiles final : public RomFileSystem {
 public:
  explicit RecordingRomFiles(RomFileSystem& files) : files_(files) {}
  // Files opened from now on record into `reads`; nullptr stops recording (the size check).
  void RecordInto(PassReads* reads) { recording_ = reads; }
  std::unique_ptr<RomFile> Open(const std::string& path, IoError* error) override;

 private:
  RomFileSystem& files_;
  PassReads* recording_ = nullptr;
};

enum class FileAction : std::uint8_t {
  kTruncate,  // cut to `amount` bytes
  kGrow,      // `amount` bytes appended, none of them equal to the image's first bytes
  kRewrite,   // 128 bytes from offset `amount` replaced by others; the size stays
};

struct FileEvent {
  std::uint32_t at_pump = 0;  // the window pump at which it happens, counted from 1
  FileAction action = FileAction::kTruncate;
  std::uint32_t amount = 0;
};

// Changes the file in place, so a pass that has it open reads the change too.
void ApplyFileEvent(MemoryRomFileSystem& files, const std::string& path, const FileEvent& event,
                    const std::vector<std::uint8_t>& image);

}  // namespace trv::robustness
