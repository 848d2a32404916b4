#include "rom_file_actor.h"

#include <algorithm>

namespace trv::robustness {
namespace {

class RecordingRomFile final : public RomFile {
 public:
  RecordingRomFile(std::unique_ptr<RomFile> file, PassReads& reads)
      : file_(std::move(file)), reads_(reads) {}

  IoError Size(std::uint64_t* size) override { return file_->Size(size); }
  IoError Read(void* buffer, std::uint32_t count, std::uint32_t* got) override {
    const IoError error = file_->Read(buffer, count, got);
    if (error == kIoOk) {
      const auto* bytes = static_cast<const std::uint8_t*>(buffer);
      reads_.insert(reads_.end(), bytes, bytes + std::min(*got, count));
    }
    return error;
  }
  IoError Close() override { return file_->Close(); }

 private:
  std::unique_ptr<RomFile> file_;
  PassReads& reads_;
};

}  // namespace

std::unique_ptr<RomFile> RecordingRomFiles::Open(const std::string& path, IoError* error) {
  std::unique_ptr<RomFile> file = files_.Open(path, error);
  if (!file || recording_ == nullptr) return file;
  return std::make_unique<RecordingRomFile>(std::move(file), *recording_);
}

void ApplyFileEvent(MemoryRomFileSystem& files, const std::string& path, const FileEvent& event,
                    const std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t>& bytes = files.Bytes(path);
  switch (event.action) {
    case FileAction::kTruncate:
      bytes.resize(event.amount);
      break;
    case FileAction::kGrow:
      // Bytes that differ from the image's first block, so a block sent past the end of the
      // flash (wrapping to address 0) would show in the flash.
      for (std::size_t i = 0; i < event.amount; ++i)
        bytes.push_back(static_cast<std::uint8_t>(~image[i % image.size()]));
      break;
    case FileAction::kRewrite:
      for (std::size_t at = event.amount; at < bytes.size() && at < event.amount + 128u; ++at)
        bytes[at] = static_cast<std::uint8_t>(image[at % image.size()] ^ 0x5A);
      break;
  }
}

}  // namespace trv::robustness
