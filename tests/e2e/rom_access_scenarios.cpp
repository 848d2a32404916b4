// ROM files that the program must read although others would refuse: a read-only file at a path
// longer than the old limit of 260 characters, and a file another program has open. One held
// without letting others read it is the Windows tests' (its code) and the unit tests' (its report).
#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

// A handle on a file held by the driver for as long as the object lives, as another program
// (an editor, a copy in progress) would hold it.
class HeldFile {
 public:
  HeldFile(const std::wstring& path, DWORD access, DWORD share)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)),
        error_(handle_ == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS) {}
  ~HeldFile() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }
  DWORD error() const { return error_; }

 private:
  HANDLE handle_;
  DWORD error_;
};

// More than the 260 characters that long limited a path on Windows.
constexpr size_t kLongPathLength = 300;

// A folder path of more than 260 characters under `base`, created.
std::wstring LongFolder(const std::wstring& base) {
  std::wstring folder = base;
  while (folder.size() <= kLongPathLength) {
    folder += L"\\a folder with a name of some forty characters";
    // The \\?\ form reaches beyond 260 characters on every Windows, whatever its settings;
    // the program must make do with the plain form.
    CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
  }
  return folder;
}

// No driver log: these runs are judged by the window and the flash alone.
class RomAccess : public SharedProgrammer<RomAccess> {
 protected:
  static void SetUpTestSuite() { app = StartProgrammer("rom_access", {{L"QBSIM_LOG", L""}}); }
};

TEST_F(RomAccess, ReadOnlyFileAtALongPath_Programs) {
  const std::wstring path = JoinPath(LongFolder(app.folder), L"read-only.ROM");
  const std::vector<unsigned char> image = RomImage(kRomSize, 21);
  const std::wstring extended_path = L"\\\\?\\" + path;
  ASSERT_TRUE(WriteWholeFile(extended_path, image)) << "cannot write the ROM file";
  SetFileAttributesW(extended_path.c_str(), FILE_ATTRIBUTE_READONLY);
  const DWORD attributes = GetFileAttributesW(extended_path.c_str());
  ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      << "the ROM file could not be made read-only";
  app->ChooseDevice(0);
  // Set in the label directly, not through the file dialog: Wine's own file dialog fails on a path
  // past about 260 characters. The run reads the path from the label, as it would after the dialog.
  SetTextOf(app->controls().SelectedFile, path);
  ExpectProgrammed(app, app->PressProgram(kFullRunTimeoutMs, Screenshot()), image);
  // The picture to look at: the window between runs, the long path shortened in its middle.
  SaveScreenAsBmp(Screenshot());
}

TEST_F(RomAccess, FileOpenElsewhereForReading_Programs) {
  const std::wstring path = app.Path(L"shared.ROM");
  const std::vector<unsigned char> image = RomImage(kRomSize, 22);
  WriteWholeFile(path, image);
  const HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ);
  ASSERT_TRUE(reader.open()) << "cannot open the ROM file (error " << reader.error() << ")";
  app->ChooseDevice(0);
  app->ChooseFile(path);
  ExpectProgrammed(app, app->PressProgram(kFullRunTimeoutMs, Screenshot()), image);
}

}  // namespace

}  // namespace e2e
