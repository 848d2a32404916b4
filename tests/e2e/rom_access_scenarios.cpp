// ROM files that are read-only, open in another program, or locked by one; ROM paths that name
// something other than a file on a disk, and paths longer than the old limit of 260 characters.
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "remote_operator/screen_capture.h"
#include "remote_operator/win_helpers.h"
#include "scenarios.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

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
constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\trv2k-e2e-rom";

struct Lock {
  const char* how;
  DWORD access;
  DWORD share;
};

// A named pipe with a server waiting for readers, for as long as the object lives: a path that a
// program can open and read from, but that holds no ROM image.
class WaitingPipe {
 public:
  explicit WaitingPipe(const std::wstring& name) {
    for (HANDLE& instance : instances_) {
      instance = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                  PIPE_UNLIMITED_INSTANCES, kRomSize, kRomSize, 0, nullptr);
    }
  }
  ~WaitingPipe() {
    for (HANDLE instance : instances_) {
      if (instance != INVALID_HANDLE_VALUE) {
        CloseHandle(instance);
      }
    }
  }
  WaitingPipe(const WaitingPipe&) = delete;
  WaitingPipe& operator=(const WaitingPipe&) = delete;

 private:
  // One for the driver's own check that the pipe opens, one for the programmer.
  HANDLE instances_[2];
};

// A folder path of more than 260 characters under `base`, created.
std::wstring LongFolder(const std::wstring& base) {
  std::wstring folder = base;
  while (folder.size() <= kLongPathLength) {
    folder += L"\\a folder with a name of some forty characters";
    // The \\?\ form reaches beyond 260 characters on every Windows, whatever its settings.
    CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
  }
  return folder;
}

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
        const ScopedTrace trace(s, std::string("a ROM file ") + lock.how);
        const HeldFile holder(path, lock.access, lock.share);
        if (!holder.open()) {
          throw std::runtime_error(s.trace + "cannot lock the ROM file (error " +
                                   std::to_string(holder.error()) + ")");
        }
        // The programmer opens its ROM file this way; the lock must really refuse it here.
        const HeldFile probe(path, GENERIC_READ, FILE_SHARE_READ);
        s.Check(!probe.open() && probe.error() == ERROR_SHARING_VIOLATION,
                "the file can still be opened for reading (error " + std::to_string(probe.error()) +
                    "): the lock does not hold on this system");
        const size_t log_start = app.Log().size();
        const RunObservation run =
            app->PressProgram(kInputCheckTimeoutMs, suite.ScreenshotPath("locked_rom_file"));
        ExpectBoxes(s, run, {ErrorReport(kFileHeldElsewhere)});
        ExpectIdleWindow(s, *app);
        ExpectNoAdapterOpened(s, app.Log(), log_start);
      }
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }

  if (suite.Wants("rom_paths")) {
    Instance app;

    suite.Run("non_disk_rom_paths", [&](Scenario& s) {
      app = suite.Start("rom_paths", {});
      const std::wstring folder = app.Path(L"folder.ROM");
      MakeFolders(folder);
      const WaitingPipe pipe(kPipeName);
      {
        const HeldFile reader(kPipeName, GENERIC_READ, FILE_SHARE_READ);
        s.Check(reader.open(), "the driver's named pipe cannot be opened for reading (error " +
                                   std::to_string(reader.error()) + ")");
      }
      app->TypeDevice(kDefaultAdapter);
      struct NonDiskPath {
        const char* what;
        std::wstring path;
      };
      const NonDiskPath paths[] = {
          {"a folder", folder},
          {"the device NUL", app.Path(L"NUL")},
          {"a named pipe", kPipeName},
      };
      for (const NonDiskPath& path : paths) {
        const ScopedTrace trace(s, std::string(path.what) + " (" + Narrow(path.path) + ")");
        // Set as the operator would by typing it in the file dialog, which takes any name.
        SetTextOf(app->controls().SelectedFile, path.path);
        const size_t log_start = app.Log().size();
        const RunObservation run =
            app->PressProgram(kInputCheckTimeoutMs, suite.ScreenshotPath("non_disk_rom_paths"));
        ExpectBoxes(s, run, {ErrorReport(kFileAccessDenied)});
        ExpectIdleWindow(s, *app);
        ExpectNoAdapterOpened(s, app.Log(), log_start);
      }
      // The window is as usable as before: a file chosen now is taken.
      WriteWholeFile(app.Path(L"image.ROM"), RomImage(kRomSize, 24));
      app->ChooseFile(app.Path(L"image.ROM"));
      s.CheckText(app->SelectedFilePath(), app.Path(L"image.ROM"), "the file chosen afterwards");
    });

    suite.Run("long_rom_path", [&](Scenario& s) {
      app.RequireRunning();
      const std::wstring path = JoinPath(LongFolder(app.folder), L"image.ROM");
      const std::vector<unsigned char> image = RomImage(kRomSize, 25);
      s.Check(WriteWholeFile(L"\\\\?\\" + path, image),
              "cannot write the ROM file at the long path");
      SetTextOf(app->controls().SelectedFile, path);
      s.CheckText(app->SelectedFilePath(), path, "the long path");
      ExpectProgrammed(s, app,
                       app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("long_rom_path")),
                       image);
      // The picture to look at: the window between runs, showing the long path.
      SaveScreenAsBmp(suite.ScreenshotPath("long_rom_path"));
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
    });
  }
}

}  // namespace e2e
