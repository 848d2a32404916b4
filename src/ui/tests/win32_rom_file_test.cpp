#include "ui/win32_rom_file.h"

#include <cstdint>
#include <vector>

#include "scratch_files.h"
#include "ui/win32_text.h"
#include "ui_test.h"

namespace {

using trv::IoError;
using trv::ui::Utf8FromWide;
using trv::ui::Win32RomFileSystem;

std::vector<unsigned char> Image(std::size_t size) {
  std::vector<unsigned char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
  }
  return bytes;
}

IoError OpenError(const std::wstring& path) {
  Win32RomFileSystem files;
  IoError error = trv::kIoOk;
  const auto file = files.Open(Utf8FromWide(path), &error);
  return file == nullptr ? error : trv::kIoOk;
}

}  // namespace

UI_TEST(RomFile_WholeImage_ReadsInBlocksThenEndsWithZero) {
  ui_test::ScratchFolder folder;
  const std::vector<unsigned char> image = Image(65536);
  const std::wstring path = folder.Write(L"image.ROM", image);
  Win32RomFileSystem files;
  IoError error = 99;
  auto file = files.Open(Utf8FromWide(path), &error);
  UI_EXPECT(file != nullptr);
  UI_EXPECT_EQ(trv::kIoOk, error);
  if (file == nullptr) {
    return;
  }
  std::uint64_t size = 0;
  UI_EXPECT_EQ(trv::kIoOk, file->Size(&size));
  UI_EXPECT_EQ(65536u, size);
  std::vector<unsigned char> read_back;
  unsigned char block[128];
  std::uint32_t got = 0;
  while (file->Read(block, sizeof(block), &got) == trv::kIoOk && got > 0) {
    read_back.insert(read_back.end(), block, block + got);
  }
  UI_EXPECT_EQ(0u, got);
  UI_EXPECT(read_back == image);
  UI_EXPECT_EQ(trv::kIoOk, file->Close());
}

UI_TEST(RomFile_MissingFileOrFolder_GivesTheSystemCode) {
  ui_test::ScratchFolder folder;
  UI_EXPECT_EQ(trv::kIoFileNotFound, OpenError(folder.Path(L"absent.ROM")));
  UI_EXPECT_EQ(trv::kIoPathNotFound, OpenError(folder.Path(L"absent\\image.ROM")));
}

UI_TEST(RomFile_HeldWithoutReadSharing_IsAccessDenied) {
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"held.ROM", Image(16));
  const HANDLE held =
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  UI_EXPECT(held != INVALID_HANDLE_VALUE);
  UI_EXPECT_EQ(trv::kIoAccessDenied, OpenError(path));
  CloseHandle(held);
}

UI_TEST(RomFile_NonAsciiPath_Opens) {
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"R\u00f6m \u20ac & \u4e2d.ROM", Image(128));
  UI_EXPECT_EQ(trv::kIoOk, OpenError(path));
}
