// The operator's texts for I/O errors, and the POSIX file layer's Windows error codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "common/posix_rom_file.h"

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

class PosixRomFileTest : public ::testing::Test {
 protected:
  std::string dir = ::testing::TempDir();
  PosixRomFileSystem files;

  std::string Write(const std::string& name, std::size_t size) {
    const std::string path = dir + name;
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    return path;
  }
  IoError OpenError(const std::string& path) {
    IoError error = kIoOk;
    EXPECT_EQ(files.Open(path, &error), nullptr);
    return error;
  }
};

TEST_F(PosixRomFileTest, OpensSizesReadsAndCloses) {
  const std::string path = Write("posix_ok.rom", 300);
  IoError error = 99;
  auto file = files.Open(path, &error);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(error, kIoOk);
  std::uint64_t size = 0;
  EXPECT_EQ(file->Size(&size), kIoOk);
  EXPECT_EQ(size, 300u);
  char buffer[256];
  std::uint32_t got = 0;
  EXPECT_EQ(file->Read(buffer, 256, &got), kIoOk);
  EXPECT_EQ(got, 256u);
  EXPECT_EQ(file->Read(buffer, 256, &got), kIoOk);
  EXPECT_EQ(got, 44u);
  EXPECT_EQ(file->Read(buffer, 256, &got), kIoOk);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file->Close(), kIoOk);
  std::remove(path.c_str());
}

TEST_F(PosixRomFileTest, FailuresCarryTheWindowsCodes) {
  EXPECT_EQ(OpenError(dir + "does_not_exist.rom"), kIoFileNotFound);
  const std::string plain = Write("posix_plain.rom", 1);
  EXPECT_EQ(OpenError(plain + "/inside.rom"), kIoPathNotFound);
  EXPECT_EQ(OpenError(dir), kIoAccessDenied);  // a folder is not a ROM file
  std::remove(plain.c_str());
}

}  // namespace
}  // namespace trv
