// The programming and verification passes over the ROM image.
#include <memory>
#include <string>

#include "common/operator_texts.h"
#include "loader/loader_protocol.h"

namespace trv {
namespace {

// Flash address + 1, in decimal without grouping: the operator counts bytes from one.
std::string AddressMessage(const char* prefix, std::uint32_t address_plus_one) {
  return std::string(prefix) + std::to_string(address_plus_one) + texts::kAddressSuffix;
}

// The ROM file of one pass. Failures are shown at once in the error report; the file is closed
// on every way out.
class PassFile {
 public:
  PassFile(LoaderContext& context, const std::string& path) : context_(context) {
    IoError error = kIoOk;
    file_ = context_.files().Open(path, &error);
    if (!file_) Report(error);
  }
  ~PassFile() {
    if (file_) file_->Close();
  }

  bool is_open() const { return file_ != nullptr; }

  // Fills `block` with the next whole block. Returns false at the end of the image and on a
  // failure, which `failed()` then tells. A partial block means the file changed since its size
  // was checked; it is refused rather than sent short or padded.
  bool ReadBlock(std::uint8_t* block, std::uint32_t length, std::uint32_t address) {
    if (address >= kRomImageSize) return false;  // a file that grew is not written past the flash
    std::uint32_t got = 0;
    const IoError error = file_->Read(block, length, &got);
    if (error != kIoOk) return Fail(error);
    if (got == 0) return false;
    if (got < length) return Fail(kIoReadBeyondEnd);
    return true;
  }

  bool Close() {
    const IoError error = file_->Close();
    file_.reset();
    return error == kIoOk || Fail(error);
  }

  bool failed() const { return failed_; }

 private:
  void Report(IoError error) {
    failed_ = true;
    context_.window().ShowErrorReport(IoErrorText(error));
  }
  bool Fail(IoError error) {
    Report(error);
    return false;
  }

  LoaderContext& context_;
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
bool ExpectAck(LoaderContext& context, AdapterHandle handle) {
  if (WaitForAck(context, handle)) return true;
  if (!context.window_closed()) context.window().ShowInformation(texts::kAckFailedMessage);
  return false;
}

// Waits, without pumping, until a whole read-back block is waiting, for at most 3 s.
bool WaitForBlock(AdapterLink& link, AdapterHandle handle, std::uint32_t length) {
  Clock& clock = link.clock();
  const std::uint64_t start_ms = clock.NowMs();
  while (link.BytesWaiting(handle) < length) {
    if ((clock.NowMs() - start_ms) / 1000 >= kReplyTimeoutSeconds) return false;
    clock.SleepMs(0);
  }
  return true;
}

// After each block: move the progress bar, then pump once for the block just done and once more
// before the next block is read.
bool BlockDone(LoaderContext& context, std::uint32_t address) {
  context.window().SetProgressPosition(address);
  return context.Pump() && context.Pump();
}

}  // namespace

bool ProgramFlash(LoaderContext& context, AdapterHandle handle, const std::string& path) {
  SetUpWindow(context.window(), texts::kProgrammingHeading);
  PassFile file(context, path);
  if (!file.is_open()) return false;

  AdapterLink& link = context.link();
  std::uint8_t block[WriteBlockLength];
  std::uint32_t address = 0;
  while (file.ReadBlock(block, WriteBlockLength, address)) {
    SendWriteAddress(context, handle, static_cast<std::uint16_t>(address));
    if (!ExpectAck(context, handle)) return false;
    for (std::uint8_t byte : block)
      link.AppendByte(byte);
    link.SendPending(handle);
    if (!ExpectAck(context, handle)) return false;
    address += WriteBlockLength;
    if (!BlockDone(context, address)) return false;
  }
  if (file.failed() || !context.Pump()) return false;
  return file.Close();
}

bool VerifyFlash(LoaderContext& context, AdapterHandle handle, const std::string& path) {
  WindowOperations& window = context.window();
  SetUpWindow(window, texts::kVerifyingHeading);
  PassFile file(context, path);
  if (!file.is_open()) return false;

  AdapterLink& link = context.link();
  // Whatever the loader sent before we ask for anything would shift the comparison.
  const std::uint32_t stale = link.BytesWaiting(handle);
  if (stale > 0) link.Read(handle, stale);

  std::uint8_t expected[ReadBlockLength];
  std::uint32_t address = 0;
  while (file.ReadBlock(expected, ReadBlockLength, address)) {
    SendReadAddress(context, handle, static_cast<std::uint16_t>(address));
    if (!ExpectAck(context, handle)) return false;
    if (!WaitForBlock(link, handle, ReadBlockLength) ||
        link.Read(handle, ReadBlockLength) < ReadBlockLength) {
      window.ShowInformation(AddressMessage(texts::kReadBackFailedPrefix, address + 1));
      return false;
    }
    const std::uint8_t* actual = link.received().bytes.data();
    for (std::uint32_t i = 0; i < ReadBlockLength; ++i) {
      if (actual[i] != expected[i]) {
        window.ShowInformation(AddressMessage(texts::kMismatchPrefix, address + i + 1));
        return false;
      }
    }
    address += ReadBlockLength;
    if (!BlockDone(context, address)) return false;
  }
  if (file.failed() || !file.Close()) return false;
  window.ShowInformation(texts::kVerifiedMessage);
  return true;
}

}  // namespace trv
