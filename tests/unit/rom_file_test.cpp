// The operator's texts for I/O errors, the POSIX file layer's Windows error codes, and the
// in-memory file system the run's tests use.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include "common/memory_rom_file_system.h"
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
  std::remove(plain.c_str());
}

TEST_F(PosixRomFileTest, AnythingButAPlainFile_IsRefusedAtOnceAsAccessDenied) {
  EXPECT_EQ(OpenError(dir), kIoAccessDenied);
  EXPECT_EQ(OpenError("/dev/null"), kIoAccessDenied);
  // A pipe nobody writes to: opening it must not wait for a writer, nor reading it for data.
  const std::string fifo = dir + "posix_fifo.rom";
  std::remove(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenError(fifo), kIoAccessDenied);
  std::remove(fifo.c_str());
}

struct ErrnoCase {
  int error_number;
  IoError code;
};

class ErrnoMappingTest : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(ErrnoMappingTest, GivesTheWindowsCode) {
  EXPECT_EQ(IoErrorFromErrno(GetParam().error_number), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoMappingTest,
    ::testing::Values(ErrnoCase{ENOENT, 2}, ErrnoCase{ENOTDIR, 3}, ErrnoCase{EMFILE, 4},
                      ErrnoCase{ENFILE, 4}, ErrnoCase{EACCES, 5}, ErrnoCase{EPERM, 5},
                      ErrnoCase{EISDIR, 5}, ErrnoCase{EBADF, 6}, ErrnoCase{ENOMEM, 8},
                      ErrnoCase{EIO, 30}, ErrnoCase{ETXTBSY, 32}, ErrnoCase{EBUSY, 32},
                      ErrnoCase{ENOSPC, 101}, ErrnoCase{EINVAL, 123}, ErrnoCase{ENAMETOOLONG, 206},
                      ErrnoCase{EXDEV, 31}, ErrnoCase{0, 31}),
    [](const ::testing::TestParamInfo<ErrnoCase>& param) {
      return "Errno" + std::to_string(param.param.error_number);
    });

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
