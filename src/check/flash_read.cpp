#include "check/flash_read.h"

#include <algorithm>
#include <memory>

#include "check/check_session.h"
#include "check/check_texts.h"
#include "common/operator_texts.h"

namespace trv {
namespace {

namespace t = check_texts;

using Image = std::vector<std::uint8_t>;

// Reads block after block once the loader is up; false after showing why it stopped, or when the
// window was closed.
bool ReadBlocks(CheckTools& tools, CheckSession& session, Image& flash) {
  LoaderContext& loader = session.loader();
  AdapterLink& link = session.link();
  const AdapterHandle handle = session.handle();
  // Whatever the loader sent before we ask for anything would shift the blocks.
  session.DiscardWaiting();
  for (std::uint32_t address = 0; address < kRomImageSize; address += kReadBlockLength) {
    const auto block = static_cast<std::uint16_t>(address);
    SendReadAddress(loader, handle, block);
    const char* failure = session.ReceiveBlock(block);
    if (session.stopped()) return false;
    if (failure != nullptr) {
      session.Show(session.BlockFailed(CheckId::kFlashRead, failure, block));
      return false;
    }
    std::copy_n(link.received().bytes.begin(), kReadBlockLength, flash.begin() + address);
    tools.view.ShowReadProgress(address + kReadBlockLength);
    if (!loader.Pump()) return false;
  }
  return true;
}

// The file's bytes, read and checked as the programmer checks a ROM image; the text of the first
// failure otherwise.
std::optional<std::string> ReadRomFile(RomFileSystem& files, const std::string& path,
                                       Image& image) {
  IoError error = kIoOk;
  std::unique_ptr<RomFile> file = files.Open(path, &error);
  if (!file) return IoErrorText(error);
  std::uint64_t size = 0;
  std::optional<std::string> problem;
  if ((error = file->Size(&size)) != kIoOk) {
    problem = IoErrorText(error);
  } else if (size != kRomImageSize) {
    problem = texts::kWrongSizeMessage;
  }
  image.assign(kRomImageSize, 0);
  for (std::uint32_t address = 0; !problem && address < kRomImageSize;
       address += kReadBlockLength) {
    std::uint32_t got = 0;
    error = file->Read(image.data() + address, kReadBlockLength, &got);
    if (error == kIoOk && got < kReadBlockLength) error = kIoReadBeyondEnd;
    if (error != kIoOk) problem = IoErrorText(error);
  }
  error = file->Close();
  if (!problem && error != kIoOk) problem = IoErrorText(error);
  return problem;
}

// The whole flash through `session`, the "Flash read" line shown; none where the read failed or
// the window was closed.
std::optional<Image> ReadFlash(CheckTools& tools, CheckSession& session,
                               const std::string& description) {
  if (std::optional<CheckLine> failure = session.Open(CheckId::kFlashRead, description)) {
    session.Show(*failure);
    return std::nullopt;
  }
  SyncReport sync;
  if (std::optional<CheckLine> failure = session.BringUpLoader(CheckId::kFlashRead, sync)) {
    if (!session.stopped()) session.Show(*failure);
    return std::nullopt;
  }
  Image flash(kRomImageSize);
  if (!ReadBlocks(tools, session, flash)) return std::nullopt;
  if (!session.Show({CheckId::kFlashRead, Outcome::kPassed, t::kFlashReadMessage, ""}))
    return std::nullopt;
  return flash;
}

// The compare's line: the same, or where they first differ and how many bytes do.
CheckLine Comparison(const Image& flash, const Image& image) {
  const auto first = std::mismatch(flash.begin(), flash.end(), image.begin()).first;
  if (first == flash.end()) return {CheckId::kCompare, Outcome::kPassed, t::kFlashSameMessage, ""};
  std::uint32_t differing = 0;
  for (std::size_t i = 0; i < image.size(); ++i)
    differing += flash[i] != image[i];
  const auto address = static_cast<std::uint64_t>(first - flash.begin());
  return {CheckId::kCompare, Outcome::kFailed,
          texts::FilledIn(t::kFlashDiffersMessage,
                          {std::to_string(address + 1), std::to_string(differing)}),
          ""};
}

}  // namespace

std::optional<Image> ReadWholeFlash(CheckTools& tools, const std::string& description) {
  if (tools.library.driver == nullptr) {
    tools.view.ShowLine(
        {CheckId::kFlashRead, Outcome::kNotTried, t::kNotTriedNoLibraryMessage, ""});
    return std::nullopt;
  }
  CheckSession session(tools);
  return ReadFlash(tools, session, description);
}

void CompareFlashWithFile(CheckTools& tools, const std::string& description, RomFileSystem& files,
                          const std::string& path) {
  Image image;
  if (std::optional<std::string> problem = ReadRomFile(files, path, image)) {
    tools.view.ShowLine({CheckId::kCompare, Outcome::kFailed, *problem, ""});
    return;
  }
  const CheckLine not_compared{CheckId::kCompare, Outcome::kNotTried, t::kNotTriedNoFlashMessage,
                               ""};
  if (tools.library.driver == nullptr) {
    ReadWholeFlash(tools, description);
    tools.view.ShowLine(not_compared);
    return;
  }
  CheckSession session(tools);
  const std::optional<Image> flash = ReadFlash(tools, session, description);
  if (!session.stopped()) session.Show(flash ? Comparison(*flash, image) : not_compared);
}

}  // namespace trv
