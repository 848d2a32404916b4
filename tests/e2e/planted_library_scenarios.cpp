// A look-alike library left in the folders the programmer makes current must never be loaded:
// neither a QBLINK.DLL in place of the genuine driver library, nor a library under the name the
// driver library itself looks for by plain name when an adapter opens (its companion). The
// program takes its driver library from its own folder or the system folder only, and keeps the
// current folder out of the search for the libraries its driver library loads.
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

constexpr wchar_t kMarkerVariable[] = L"QBSIM_PLANTED_MARKER";
// The optional library the stand-in looks for as an adapter opens; it runs without it.
constexpr wchar_t kCompanionLibrary[] = L"QBLINKEX.DLL";
constexpr char kCompanionNotFound[] = "QBSIM companion QBLINKEX.DLL not found";
constexpr char kCompanionLoaded[] = "QBSIM companion QBLINKEX.DLL loaded from ";

// The build puts the planted library in its own folder beside the programmer.
std::wstring PlantedLibrary(const Suite& suite) {
  const std::wstring& exe = suite.exe_path();
  return JoinPath(exe.substr(0, exe.rfind(L'\\')), L"planted\\QBLINK.DLL");
}

// Leaves the look-alike in `folder` as the driver library and as its companion.
void Plant(const Suite& suite, const std::wstring& folder) {
  MakeFolders(folder);
  for (const wchar_t* name : {L"QBLINK.DLL", kCompanionLibrary}) {
    if (!CopyFileW(PlantedLibrary(suite).c_str(), JoinPath(folder, name).c_str(), FALSE)) {
      throw std::runtime_error("cannot plant the look-alike as " + Narrow(name) + " in " +
                               Narrow(folder));
    }
  }
}

// The planted library writes the path it was loaded from into the marker file as it loads.
void ExpectNotLoaded(Scenario& s, const std::wstring& marker, const std::string& when) {
  std::vector<unsigned char> loaded;
  if (ReadWholeFile(marker, loaded)) {
    std::string paths(loaded.begin(), loaded.end());
    while (!paths.empty() && (paths.back() == '\n' || paths.back() == '\r')) {
      paths.pop_back();
    }
    s.Check(false, "a planted library was loaded " + when + ": " + paths);
  }
}

void ExpectGenuineList(Scenario& s, ProgrammerProcess& app) {
  app.OpenDeviceList();
  const auto items = app.DeviceItems();
  s.Check(items == std::vector<std::wstring>{kDefaultAdapter},
          "the device list is not the genuine stand-in's one adapter " +
              Printable(kDefaultAdapter) +
              std::string(items.size() == 1 ? ": " + Printable(items[0]) : ""));
  SendBounded(app.controls().ComboBox1, CB_SETCURSEL, 0, 0);
  app.CloseDeviceList();
}

// The stand-in did look for its companion when the adapter opened, and found none.
void ExpectCompanionSought(Scenario& s, const std::vector<std::string>& log) {
  const size_t loaded = LastLine(log, kCompanionLoaded);
  if (loaded != std::string::npos) {
    s.Check(false, "the stand-in loaded a companion: " + log[loaded]);
    return;
  }
  s.Check(CountLines(log, kCompanionNotFound) > 0,
          "the stand-in's log does not show it looking for its companion library");
}

}  // namespace

void PlantedLibraryScenarios(Suite& suite) {
  if (suite.Wants("planted_dll")) {
    Instance app;
    const std::wstring start_folder = suite.Folder("planted_dll");
    const std::wstring rom_folder = JoinPath(start_folder, L"roms");
    const std::wstring marker = JoinPath(start_folder, L"planted-dll-loaded.txt");

    suite.Run("planted_dll_in_start_folder", [&](Scenario& s) {
      Plant(suite, start_folder);
      Plant(suite, rom_folder);
      DeleteFileW(marker.c_str());
      app = suite.Start("planted_dll", {{kMarkerVariable, marker}});
      ExpectGenuineList(s, *app);
      SaveScreenAsBmp(suite.ScreenshotPath("planted_dll_in_start_folder"));
      ExpectNotLoaded(s, marker, "from the folder the programmer was started in");
    });

    suite.Run("planted_dll_in_rom_folder", [&](Scenario& s) {
      app.RequireRunning();
      const std::vector<unsigned char> image = RomImage(kRomSize, 31);
      WriteWholeFile(JoinPath(rom_folder, L"image.ROM"), image);
      app->ChooseFileInFolder(L"roms", L"image.ROM");
      // A bare name in the next dialog lands in the folder the first one made current.
      app->ChooseFile(L"image.ROM");
      s.CheckText(app->SelectedFilePath(), JoinPath(rom_folder, L"image.ROM"),
                  "the ROM file's folder did not become the current folder");
      ExpectGenuineList(s, *app);
      // Opening the adapter makes the stand-in look for its companion, with the ROM folder
      // current.
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("planted_dll_in_rom_folder"));
      ExpectProgrammed(s, app, run, image);
      ExpectCompanionSought(s, app.Log());
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
      ExpectNotLoaded(s, marker, "from the ROM file's folder");
    });
  }

  if (suite.Wants("planted_dll_alone")) {
    suite.Run("planted_dll_without_genuine_library", [&](Scenario& s) {
      const std::wstring start_folder = suite.Folder("planted_dll_alone");
      const std::wstring marker = JoinPath(start_folder, L"planted-dll-loaded.txt");
      Plant(suite, start_folder);
      DeleteFileW(marker.c_str());
      const std::wstring lonely_exe = suite.CopyProgrammerAlone(JoinPath(start_folder, L"program"));
      ProgrammerProcess app(lonely_exe, start_folder, {{kMarkerVariable, marker}});
      ExpectMissingLibraryReport(s, app,
                                 suite.ScreenshotPath("planted_dll_without_genuine_library"));
      ExpectNotLoaded(s, marker, "in place of the missing genuine one");
    });
  }
}

}  // namespace e2e
