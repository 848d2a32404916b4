#include "common/memory_rom_file_system.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace trv {

// An open file shares its bytes with the file system, so changes made after the open are seen.
class MemoryRomFileSystem::File final : public RomFile {
 public:
  File(MemoryRomFileSystem& owner, Contents contents) : owner_(owner), contents_(contents) {
    ++owner_.open_files_;
  }
  ~File() override {
    if (open_) --owner_.open_files_;
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  IoError Size(std::uint64_t* size) override {
    const IoError error = owner_.Count(Operation::kSize);
    if (error == kIoOk) *size = contents_->size();
    return error;
  }

  IoError Read(void* buffer, std::uint32_t count, std::uint32_t* got) override {
    *got = 0;
    const IoError error = owner_.Count(Operation::kRead);
    if (error != kIoOk) return error;
    const std::size_t size = contents_->size();
    const std::size_t start = std::min(position_, size);
    *got = static_cast<std::uint32_t>(std::min<std::size_t>(count, size - start));
    if (*got > 0) std::memcpy(buffer, contents_->data() + start, *got);
    position_ = start + *got;
    return kIoOk;
  }

  IoError Close() override {
    if (open_) --owner_.open_files_;
    open_ = false;
    return owner_.Count(Operation::kClose);
  }

 private:
  MemoryRomFileSystem& owner_;
  Contents contents_;
  std::size_t position_ = 0;
  bool open_ = true;
};

void MemoryRomFileSystem::Put(const std::string& path, std::vector<std::uint8_t> bytes) {
  const auto existing = files_.find(path);
  if (existing != files_.end()) {
    *existing->second = std::move(bytes);
  } else {
    files_[path] = std::make_shared<std::vector<std::uint8_t>>(std::move(bytes));
  }
}

void MemoryRomFileSystem::Remove(const std::string& path) {
  files_.erase(path);
}

std::vector<std::uint8_t>& MemoryRomFileSystem::Bytes(const std::string& path) {
  const auto file = files_.find(path);
  if (file == files_.end()) throw std::out_of_range("no file " + path);
  return *file->second;
}

void MemoryRomFileSystem::FailOn(Operation operation, std::uint32_t nth, IoError code) {
  failures_[{Index(operation), nth}] = code;
}

IoError MemoryRomFileSystem::Count(Operation operation) {
  const std::uint32_t call = ++calls_[Index(operation)];
  const auto failure = failures_.find({Index(operation), call});
  return failure == failures_.end() ? kIoOk : failure->second;
}

std::unique_ptr<RomFile> MemoryRomFileSystem::Open(const std::string& path, IoError* error) {
  if (before_open) before_open(calls_[Index(Operation::kOpen)] + 1);
  *error = Count(Operation::kOpen);
  if (*error != kIoOk) return nullptr;
  const auto file = files_.find(path);
  if (file == files_.end()) {
    *error = kIoFileNotFound;
    return nullptr;
  }
  return std::make_unique<File>(*this, file->second);
}

}  // namespace trv
