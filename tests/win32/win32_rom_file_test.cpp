#include "win32/win32_rom_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scratch_files.h"
#include "win32/win32_text.h"

namespace {

using trv::IoError;
using trv::win32::Utf8FromWide;
using trv::win32::Win32RomFileSystem;

IoError OpenError(const std::wstring& path) {
  Win32RomFileSystem files;
  IoError error = trv::kIoOk;
  const auto file = files.Open(Utf8FromWide(path), &error);
  return file == nullptr ? error : trv::kIoOk;
}

// Opens `path`, takes its size and reads it whole in 128-byte blocks, to the read that gives
// nothing; the file then closes.
std::vector<unsigned char> ReadWhole(const std::wstring& path, std::uint64_t* size) {
  Win32RomFileSystem files;
  IoError error = 99;
  const auto file = files.Open(Utf8FromWide(path), &error);
  EXPECT_EQ(trv::kIoOk, error);
  std::vector<unsigned char> bytes;
  if (file == nullptr || file->Size(size) != trv::kIoOk) {
    return bytes;
  }
  unsigned char block[128];
  std::uint32_t got = 0;
  IoError read = trv::kIoOk;
  while ((read = file->Read(block, sizeof(block), &got)) == trv::kIoOk && got > 0) {
    bytes.insert(bytes.end(), block, block + got);
  }
  EXPECT_EQ(trv::kIoOk, read);
  EXPECT_EQ(trv::kIoOk, file->Close());
  return bytes;
}

}  // namespace

TEST(RomFile, MissingFileOrFolder_GivesTheSystemCode) {
  ui_test::ScratchFolder folder;
  EXPECT_EQ(trv::kIoFileNotFound, OpenError(folder.Path(L"absent.ROM")));
  EXPECT_EQ(trv::kIoPathNotFound, OpenError(folder.Path(L"absent\\image.ROM")));
}

// Another program's hold on the file keeps the system's own code, so that the report tells it
// apart from a refused right (5).
TEST(RomFile, HeldWithoutReadSharing_GivesTheSharingViolation) {
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"held.ROM", ui_test::RomImage());
  const HANDLE held =
      CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(IoError{ERROR_SHARING_VIOLATION}, OpenError(path));
  CloseHandle(held);
}

// Refused before anything is read, and without waiting: reading a device or a pipe may never
// end. Device names are refused before they are opened at all, so the pipe is still free for a
// client afterwards.
TEST(RomFile, NotAFileOnDisk_IsAccessDenied) {
  ui_test::ScratchFolder folder;
  const std::wstring pipe_name =
      L"\\\\.\\pipe\\trv_win32_tests_" + std::to_wstring(GetCurrentProcessId());
  const HANDLE pipe =
      CreateNamedPipeW(pipe_name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, pipe);
  const std::wstring not_files[] = {
      folder.Path(L""),
      folder.Folder(L"image.ROM"),
      L"NUL",
      L"CON",
      L"COM1",
      L"\\\\.\\COM1",
      folder.Path(L"nul.rom"),
      pipe_name,
      L"\\\\.\\pipe\\absent",
      L"\\\\?\\GLOBALROOT\\Device\\Null",
      L"Z:\\dev\\null",  // the Unix null device, as Wine shows it: a device behind a drive path
  };
  for (const std::wstring& path : not_files) {
    SCOPED_TRACE(Utf8FromWide(path));
    EXPECT_EQ(trv::kIoAccessDenied, OpenError(path));
  }
  const HANDLE client =
      CreateFileW(pipe_name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, client);
  CloseHandle(client);
  CloseHandle(pipe);
}

// A whole image opens, sizes and reads wherever it lies: a plain path, one with characters
// outside the ANSI code page, 300 characters through a ".." that only the full-path form resolves,
// and a name relative to the current directory.
TEST(RomFile, WholeImage_OpensSizesAndReadsInBlocks) {
  ui_test::ScratchFolder folder;
  const std::wstring first(120, L'a');
  const std::wstring second(120, L'b');
  folder.Folder(first);
  folder.Folder(first + L"\\" + second);
  const std::vector<unsigned char> image = ui_test::RomImage();
  EXPECT_GT(folder.Write(first + L"\\" + second + L"\\image.ROM", image).size(),
            std::size_t{MAX_PATH});
  const std::wstring paths[] = {
      folder.Write(L"image.ROM", image),
      folder.Write(L"R\u00f6m \u20ac & \u4e2d.ROM", image),
      folder.Path(first + L"\\..\\" + first + L"\\" + second + L"\\image.ROM"),
      second + L"\\image.ROM",
  };
  wchar_t previous[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.Path(first).c_str()));
  for (const std::wstring& path : paths) {
    SCOPED_TRACE(Utf8FromWide(path));
    std::uint64_t size = 0;
    EXPECT_EQ(image, ReadWhole(path, &size));
    EXPECT_EQ(65536u, size);
  }
  SetCurrentDirectoryW(previous);
}
