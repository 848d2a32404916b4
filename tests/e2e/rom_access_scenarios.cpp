// ROM files that are read-only, open in another program, or locked by one.
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kFullRunTimeoutMs = 90000;
constexpr DWORD kRefusalTimeoutMs = 15000;
constexpr DWORD kCloseTimeoutMs = 5000;

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

struct Lock {
  const char* how;
  DWORD access;
  DWORD share;
};

const Lock kLocks[] = {
    {"opened for reading with no sharing", GENERIC_READ, 0},
    {"opened for writing without read sharing", GENERIC_WRITE, FILE_SHARE_WRITE},
};

}  // namespace

void RomAccessScenarios(Suite& suite) {
  if (suite.Wants("rom_access")) {
    Instance app;

    suite.Run("read_only_rom_file", [&](Scenario& s) {
      // No driver log: these runs are judged by the window and the flash alone.
      app = suite.Start("rom_access", {{L"QBSIM_LOG", L""}});
      const std::wstring path = app.Path(L"read-only.ROM");
      const std::vector<unsigned char> image = RomImage(kRomSize, 21);
      WriteWholeFile(path, image);
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
      const DWORD attributes = GetFileAttributesW(path.c_str());
      s.Check(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY),
              "the ROM file could not be made read-only");
      app->ChooseDevice(0);
      app->ChooseFile(path);
      ExpectProgrammed(
          s, app, app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("read_only_rom_file")),
          image);
    });

    suite.Run("rom_file_open_elsewhere", [&](Scenario& s) {
      app.RequireRunning();
      const std::wstring path = app.Path(L"shared.ROM");
      const std::vector<unsigned char> image = RomImage(kRomSize, 22);
      WriteWholeFile(path, image);
      const HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ);
      if (!reader.open()) {
        throw std::runtime_error("cannot open the ROM file (error " +
                                 std::to_string(reader.error()) + ")");
      }
      app->ChooseFile(path);
      ExpectProgrammed(
          s, app,
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("rom_file_open_elsewhere")),
          image);
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }

  if (suite.Wants("rom_locked")) {
    suite.Run("locked_rom_file", [&](Scenario& s) {
      Instance app = suite.Start("rom_locked", {});
      const std::wstring path = app.Path(L"locked.ROM");
      WriteWholeFile(path, RomImage(kRomSize, 23));
      app->ChooseDevice(0);
      app->ChooseFile(path);
      for (const Lock& lock : kLocks) {
        const std::string how = lock.how;
        const HeldFile holder(path, lock.access, lock.share);
        if (!holder.open()) {
          throw std::runtime_error("cannot lock the ROM file (error " +
                                   std::to_string(holder.error()) + ")");
        }
        // The programmer opens its ROM file this way; the lock must really refuse it here.
        const HeldFile probe(path, GENERIC_READ, FILE_SHARE_READ);
        s.Check(!probe.open() && probe.error() == ERROR_SHARING_VIOLATION,
                "a file " + how + " can still be opened for reading (error " +
                    std::to_string(probe.error()) + "): the lock does not hold on this system");
        const size_t log_start = app.Log().size();
        const RunObservation run =
            app->PressProgram(kRefusalTimeoutMs, suite.ScreenshotPath("locked_rom_file"));
        ExpectBoxes(s, run, {ErrorReport(kFileAccessDenied)});
        ExpectIdleWindow(s, *app);
        s.Check(CountLines(app.Log(), "QB_OpenEx", log_start) == 0,
                "an adapter was opened for a ROM file " + how);
      }
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }
}

}  // namespace e2e
