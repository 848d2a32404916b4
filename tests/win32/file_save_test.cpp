// The check's flash saved whole: a file that takes the name is complete, and a save that fails
// leaves the file that had the name as it was and no temporary file behind. A file and a folder
// that refuse writing even to root are made immutable (chattr +i) by tests/e2e/run.sh, which names
// their folder in TRV_IMMUTABLE_FOLDER: held.ROM, and locked\old.ROM.
#include "win32/file_save.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scratch_files.h"
#include "win32/win32_text.h"

namespace {

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  }
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  return names;
}

std::vector<unsigned char> Read(const std::wstring& path) {
  std::vector<unsigned char> bytes(ui_test::RomImage().size() + 1);
  DWORD read = 0;
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

TEST(FileSave, ReplacesAFileWithTheWholeImageAndLeavesNothingElse) {
  ui_test::ScratchFolder folder;
  const std::wstring path = folder.Write(L"saved.ROM", {1, 2, 3});
  const std::vector<unsigned char> image = ui_test::RomImage();
  EXPECT_EQ(trv::kIoOk, trv::win32::SaveWholeFile(path, image));
  EXPECT_EQ(image, Read(path));
  EXPECT_EQ(std::vector<std::wstring>{L"saved.ROM"}, FilesIn(folder.Path(L"")));
}

// A file in the immutable folder, or in a folder of it; the save is refused as access denied.
struct RefusedCase {
  const char* name;
  const wchar_t* file;
  const wchar_t* folder;
};

void PrintTo(const RefusedCase& row, std::ostream* out) {
  *out << row.name;
}

class FileSaveRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(FileSaveRefused, LeavesTheOldFileAsItWasAndNoTemporaryFile) {
  const char* immutable = std::getenv("TRV_IMMUTABLE_FOLDER");
  if (immutable == nullptr) GTEST_SKIP() << "TRV_IMMUTABLE_FOLDER is set by tests/e2e/run.sh";
  const std::wstring folder =
      trv::win32::WideFromUtf8(immutable) + (*GetParam().folder ? L"\\" : L"") + GetParam().folder;
  const std::wstring path = folder + L"\\" + GetParam().file;
  const std::vector<unsigned char> before = Read(path);
  const std::vector<std::wstring> files = FilesIn(folder);
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(trv::kIoAccessDenied, trv::win32::SaveWholeFile(path, ui_test::RomImage()));
  EXPECT_EQ(before, Read(path));
  EXPECT_EQ(files, FilesIn(folder));
}

INSTANTIATE_TEST_SUITE_P(
    , FileSaveRefused,
    ::testing::Values(RefusedCase{"TheFileRefusesToBeReplaced", L"held.ROM", L""},
                      RefusedCase{"TheFolderRefusesNewFiles", L"old.ROM", L"locked"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
