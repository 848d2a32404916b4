#include "loader/flash_passes.h"

#include <memory>
#include <string>

#include "common/operator_texts.h"

namespace trv {
namespace {

// Flash address + 1, in decimal without grouping: the operator counts bytes from one.
std::string AddressMessage(const char* prefix, std::uint32_t address_plus_one) {
  return std::string(prefix) + std::to_string(address_plus_one) + texts::kAddressSuffix;
}

// The ROM file of one pass. Every failed operation on it is shown at once in the error report,
// unless the window has gone; the pass closes it on every way out.
class PassFile {
 public:
  PassFile(PassContext& context, const std::string& path) : context_(context) {
    IoError error = kIoOk;
    file_ = context_.files.Open(path, &error);
    if (!file_) Report(error);
  }
  // Only a pass that did not get to Close() leaves the file open; it is closed here unreported.
  ~PassFile() {
    if (file_) file_->Close();
  }
  PassFile(const PassFile&) = delete;
  PassFile& operator=(const PassFile&) = delete;

  bool is_open() const { return file_ != nullptr; }

  // Reads the block at `address` into `block`; true when there is one to send. False at the end
  // of the image and after a failure, which failed() then tells. The image ends where the flash
  // does: a file that ends sooner has shrunk since its size was checked and is refused rather than
  // programmed in part or padded, and bytes beyond the flash (a file that grew) are never sent.
  bool ReadBlock(std::uint8_t* block, std::uint32_t length, std::uint32_t address) {
    std::uint32_t got = 0;
    const IoError error = file_->Read(block, length, &got);
    if (error != kIoOk) return Fail(error);
    if (address >= kRomImageSize) return false;
    if (got < length) return Fail(kIoReadBeyondEnd);
    return true;
  }

  // False after reporting a failure to close.
  bool Close() {
    const IoError error = file_->Close();
    file_.reset();
    return error == kIoOk || Fail(error);
  }

  bool failed() const { return failed_; }

 private:
  void Report(IoError error) {
    failed_ = true;
    if (!context_.loader.window_closed()) context_.window.ShowErrorReport(IoErrorText(error));
  }
  bool Fail(IoError error) {
    Report(error);
    return false;
  }

  PassContext& context_;
  std::unique_ptr<RomFile> file_;
  bool failed_ = false;
};

void SetUpWindow(WindowOperations& window, const char* heading) {
  window.SetProgressBarVisible(true);
  window.SetProgressRange(0, kRomImageSize);
  window.SetProgressPosition(0);
  window.SetSelectedFileVisible(false);
  window.SetLabel2Caption(heading);
  window.SetInputControlsEnabled(false);
}

// An acknowledgement wait that reports its own failure, unless the window went away meanwhile.
bool ExpectAck(PassContext& context, AdapterHandle handle) {
  if (WaitForAck(context.loader, handle)) return true;
  if (!context.loader.window_closed()) context.window.ShowInformation(texts::kAckFailedMessage);
  return false;
}

// After each block: move the progress bar, then pump once for the block just done and once more
// before the next block is read.
bool BlockDone(PassContext& context, std::uint32_t address) {
  context.window.SetProgressPosition(address);
  return context.loader.Pump() && context.loader.Pump();
}

// Writes block after block until the read that finds the end of the image, which is followed by
// its pump like every other read. False on any failure, already reported.
bool WriteImage(PassContext& context, AdapterHandle handle, PassFile& file) {
  AdapterLink& link = context.loader.link();
  std::uint8_t block[kWriteBlockLength];
  std::uint32_t address = 0;
  while (file.ReadBlock(block, kWriteBlockLength, address)) {
    SendWriteAddress(context.loader, handle, static_cast<std::uint16_t>(address));
    if (!ExpectAck(context, handle)) return false;
    for (std::uint8_t byte : block)
      link.AppendByte(byte);
    link.SendPending(handle);
    if (!ExpectAck(context, handle)) return false;
    address += kWriteBlockLength;
    if (!BlockDone(context, address)) return false;
  }
  return !file.failed() && context.loader.Pump();
}

// Reads every block back and compares it with the file's, up to the read that finds the end of
// the image and its pump. False on any failure, already reported.
bool ReadBackImage(PassContext& context, AdapterHandle handle, PassFile& file) {
  WindowOperations& window = context.window;
  AdapterLink& link = context.loader.link();
  // Whatever the loader sent before we ask for anything would shift the comparison.
  link.DiscardWaiting(handle);

  std::uint8_t expected[kReadBlockLength];
  std::uint32_t address = 0;
  while (file.ReadBlock(expected, kReadBlockLength, address)) {
    SendReadAddress(context.loader, handle, static_cast<std::uint16_t>(address));
    if (!ExpectAck(context, handle)) return false;
    if (!WaitForBytes(context.loader, handle, kReadBlockLength) ||
        link.Read(handle, kReadBlockLength) < kReadBlockLength) {
      window.ShowInformation(AddressMessage(texts::kReadBackFailedPrefix, address + 1));
      return false;
    }
    const std::uint8_t* actual = link.received().bytes.data();
    for (std::uint32_t i = 0; i < kReadBlockLength; ++i) {
      if (actual[i] != expected[i]) {
        window.ShowInformation(AddressMessage(texts::kMismatchPrefix, address + i + 1));
        return false;
      }
    }
    address += kReadBlockLength;
    if (!BlockDone(context, address)) return false;
  }
  return !file.failed() && context.loader.Pump();
}

}  // namespace

bool ProgramFlash(PassContext& context, AdapterHandle handle, const std::string& path) {
  SetUpWindow(context.window, texts::kProgrammingHeading);
  PassFile file(context, path);
  if (!file.is_open()) return false;
  const bool written = WriteImage(context, handle, file) && context.loader.Pump();
  return file.Close() && written;
}

bool VerifyFlash(PassContext& context, AdapterHandle handle, const std::string& path) {
  WindowOperations& window = context.window;
  SetUpWindow(window, texts::kVerifyingHeading);
  PassFile file(context, path);
  if (!file.is_open()) return false;
  const bool equal = ReadBackImage(context, handle, file);
  if (!file.Close() || !equal) return false;
  window.ShowInformation(texts::kVerifiedMessage);
  return true;
}

}  // namespace trv
