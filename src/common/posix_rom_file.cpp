#include "common/posix_rom_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trv {
namespace {

constexpr IoError kIoInvalidHandle = 6;      // ERROR_INVALID_HANDLE
constexpr IoError kIoNotEnoughMemory = 8;    // ERROR_NOT_ENOUGH_MEMORY
constexpr IoError kIoReadFault = 30;         // ERROR_READ_FAULT
constexpr IoError kIoGeneralFailure = 31;    // ERROR_GEN_FAILURE
constexpr IoError kIoSharingViolation = 32;  // ERROR_SHARING_VIOLATION
constexpr IoError kIoNameInvalid = 123;      // ERROR_INVALID_NAME
constexpr IoError kIoFilenameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE

class PosixRomFile final : public RomFile {
 public:
  explicit PosixRomFile(int fd) : fd_(fd) {}
  ~PosixRomFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixRomFile(const PosixRomFile&) = delete;
  PosixRomFile& operator=(const PosixRomFile&) = delete;

  IoError Size(std::uint64_t* size) override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return IoErrorFromErrno(errno);
    *size = static_cast<std::uint64_t>(info.st_size);
    return kIoOk;
  }

  IoError Read(void* buffer, std::uint32_t count, std::uint32_t* got) override {
    *got = 0;
    ssize_t n;
    do {
      n = ::read(fd_, buffer, count);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return IoErrorFromErrno(errno);
    *got = static_cast<std::uint32_t>(n);
    return kIoOk;
  }

  IoError Close() override {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? kIoOk : IoErrorFromErrno(errno);
  }

 private:
  int fd_;
};

}  // namespace

IoError IoErrorFromErrno(int error_number) {
  switch (error_number) {
    case ENOENT:
      return kIoFileNotFound;
    case ENOTDIR:
      return kIoPathNotFound;
    case EMFILE:
    case ENFILE:
      return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kIoAccessDenied;
    case EBADF:
      return kIoInvalidHandle;
    case ENOMEM:
      return kIoNotEnoughMemory;
    case EIO:
      return kIoReadFault;
    case ETXTBSY:
    case EBUSY:
      return kIoSharingViolation;
    case ENOSPC:
      return kIoDiskFull;
    case EINVAL:
      return kIoNameInvalid;
    case ENAMETOOLONG:
      return kIoFilenameTooLong;
    default:
      return kIoGeneralFailure;
  }
}

std::unique_ptr<RomFile> PosixRomFileSystem::Open(const std::string& path, IoError* error) {
  // Not blocking: opening a pipe with no writer would otherwise wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = IoErrorFromErrno(errno);
    return nullptr;
  }
  // Only a plain file on disk holds an image. A folder, a device or a pipe is refused before
  // anything is read from it, since a read could wait for ever; Windows answers "access denied"
  // for a folder, and so do we for all three.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    *error = kIoAccessDenied;
    return nullptr;
  }
  *error = kIoOk;
  return std::make_unique<PosixRomFile>(fd);
}

}  // namespace trv
