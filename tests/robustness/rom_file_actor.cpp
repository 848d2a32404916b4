#include "rom_file_actor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

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
      reads_.bytes.insert(reads_.bytes.end(), bytes, bytes + std::min(*got, count));
    }
    return error;
  }
  IoError Close() override { return file_->Close(); }

 private:
  std::unique_ptr<RomFile> file_;
  PassReads& reads_;
};

// Writes `bytes` at `offset` in place, so a pass that has the file open reads them too.
void WriteAt(const std::string& path, std::uint64_t offset, const std::vector<std::uint8_t>& bytes,
             bool append) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (append ? O_APPEND : 0));
  if (fd < 0) return;
  if (append) {
    [[maybe_unused]] ssize_t n = ::write(fd, bytes.data(), bytes.size());
  } else {
    [[maybe_unused]] ssize_t n =
        ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
  }
  ::close(fd);
}

}  // namespace

std::unique_ptr<RomFile> RecordingRomFiles::Open(const std::string& path, IoError* error) {
  std::unique_ptr<RomFile> file = files_.Open(path, error);
  if (!file || recording_ == nullptr) return file;
  recording_->opened = true;
  return std::make_unique<RecordingRomFile>(std::move(file), *recording_);
}

void ApplyFileEvent(const std::string& path, const FileEvent& event,
                    const std::vector<std::uint8_t>& image) {
  switch (event.action) {
    case FileAction::kTruncate:
      if (::truncate(path.c_str(), event.amount) != 0) return;
      break;
    case FileAction::kGrow: {
      // Bytes that differ from the image's first block, so a block sent past the end of the
      // flash (wrapping to address 0) would show in the flash.
      std::vector<std::uint8_t> tail(event.amount);
      for (std::size_t i = 0; i < tail.size(); ++i)
        tail[i] = static_cast<std::uint8_t>(~image[i % image.size()]);
      WriteAt(path, 0, tail, true);
      break;
    }
    case FileAction::kRewrite: {
      std::error_code error;
      const std::uint64_t size = std::filesystem::file_size(path, error);
      if (error || event.amount >= size) return;
      std::vector<std::uint8_t> other(std::min<std::uint64_t>(128, size - event.amount));
      for (std::size_t i = 0; i < other.size(); ++i)
        other[i] = static_cast<std::uint8_t>(image[(event.amount + i) % image.size()] ^ 0x5A);
      WriteAt(path, event.amount, other, false);
      break;
    }
  }
}

void WriteImage(const std::string& path, const std::vector<std::uint8_t>& image) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
}

long OpenFileCount() {
  long count = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
       it.increment(error))
    ++count;
  return count;
}

}  // namespace trv::robustness
