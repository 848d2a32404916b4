// The operator's texts for I/O errors, and the in-memory file system that stands in for the
// Windows one in every native test.
#include <gtest/gtest.h>

#include <string>

#include "common/memory_rom_file_system.h"

namespace trv {
namespace {

TEST(IoErrorTextTest, KnownCodesGetTheirTextWithAFullStop) {
  EXPECT_EQ(IoErrorText(2), "File not found.");
  EXPECT_EQ(IoErrorText(3), "Invalid filename.");
  EXPECT_EQ(IoErrorText(4), "Too many open files.");
  EXPECT_EQ(IoErrorText(5), "File access denied.");
  EXPECT_EQ(IoErrorText(100), "Read beyond end of file.");
  EXPECT_EQ(IoErrorText(101), "Disk full.");
  EXPECT_EQ(IoErrorText(106), "Invalid numeric input.");
}

TEST(IoErrorTextTest, OtherCodesShowTheNumberInDecimal) {
  EXPECT_EQ(IoErrorText(1234), "I/O error 1234.");
  EXPECT_EQ(IoErrorText(32), "I/O error 32.");
  EXPECT_EQ(IoErrorText(0xFFFFFFFFu), "I/O error 4294967295.");
}

TEST(MemoryRomFileSystemTest, FailsTheNthCallOfAnOperationAndSeesChangesWhileOpen) {
  MemoryRomFileSystem files;
  files.Put("a.rom", std::vector<std::uint8_t>(300, 0x11));
  files.FailOn(MemoryRomFileSystem::Operation::kRead, 2, 23);
  IoError error = 99;
  auto file = files.Open("a.rom", &error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(files.open_files(), 1);
  std::uint8_t buffer[256];
  std::uint32_t got = 7;
  EXPECT_EQ(file->Read(buffer, 100, &got), kIoOk);
  EXPECT_EQ(got, 100u);
  EXPECT_EQ(file->Read(buffer, 100, &got), 23u);
  EXPECT_EQ(got, 0u);
  files.Bytes("a.rom").resize(150);  // cut short while open
  EXPECT_EQ(file->Read(buffer, 256, &got), kIoOk);
  EXPECT_EQ(got, 50u);
  EXPECT_EQ(file->Read(buffer, 256, &got), kIoOk);
  EXPECT_EQ(got, 0u);
  files.FailOn(MemoryRomFileSystem::Operation::kClose, 1, 6);
  EXPECT_EQ(file->Close(), 6u);
  EXPECT_EQ(files.open_files(), 0);  // a failed close still let the file go
  EXPECT_EQ(files.Calls(MemoryRomFileSystem::Operation::kRead), 4u);
  EXPECT_EQ(files.Open("missing.rom", &error), nullptr);
  EXPECT_EQ(error, kIoFileNotFound);
}

}  // namespace
}  // namespace trv
