// A look-alike QBLINK.DLL left in the folders the programmer makes current must never be loaded:
// the program takes the driver library from its own folder or the system folder only.
#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "scenarios.h"
#include "screen_capture.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kFullRunTimeoutMs = 90000;
constexpr DWORD kCloseTimeoutMs = 5000;
constexpr DWORD kLibraryReportTimeoutMs = 20000;
constexpr wchar_t kMarkerVariable[] = L"QBSIM_PLANTED_MARKER";

// The build puts the planted library in its own folder beside the programmer.
std::wstring PlantedLibrary(const Suite& suite) {
  const std::wstring& exe = suite.exe_path();
  return JoinPath(exe.substr(0, exe.rfind(L'\\')), L"planted\\QBLINK.DLL");
}

void Plant(const Suite& suite, const std::wstring& folder) {
  MakeFolders(folder);
  if (!CopyFileW(PlantedLibrary(suite).c_str(), JoinPath(folder, L"QBLINK.DLL").c_str(), FALSE)) {
    throw std::runtime_error("cannot copy the planted QBLINK.DLL into " + Narrow(folder));
  }
}

// The planted library creates the marker file as it loads.
void ExpectNotLoaded(Scenario& s, const std::wstring& marker, const std::string& when) {
  s.Check(GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES,
          "the planted QBLINK.DLL was loaded " + when);
}

void ExpectGenuineList(Scenario& s, ProgrammerProcess& app) {
  app.OpenDeviceList();
  const auto items = app.DeviceItems();
  s.Check(items == std::vector<std::wstring>{kDefaultAdapter},
          "the device list is not the genuine stand-in's one adapter \"QB USB Serial Adapter\"" +
              std::string(items.size() == 1 ? ": " + Printable(items[0]) : ""));
  SendBounded(app.controls().ComboBox1, CB_SETCURSEL, 0, 0);
  app.CloseDeviceList();
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
      // No driver log: these runs are judged by the window and the flash alone.
      app = suite.Start("planted_dll", {{kMarkerVariable, marker}, {L"QBSIM_LOG", L""}});
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
      const RunObservation run =
          app->PressProgram(kFullRunTimeoutMs, suite.ScreenshotPath("planted_dll_in_rom_folder"));
      ExpectProgrammed(s, app, run, image);
      s.Check(app->CloseWindow(kCloseTimeoutMs), "the programmer did not end after WM_CLOSE");
      ExpectNotLoaded(s, marker, "from the ROM file's folder");
    });
  }

  if (suite.Wants("planted_dll_alone")) {
    suite.Run("planted_dll_without_genuine_library", [&](Scenario& s) {
      const std::wstring start_folder = suite.Folder("planted_dll_alone");
      const std::wstring exe_folder = JoinPath(start_folder, L"program");
      const std::wstring marker = JoinPath(start_folder, L"planted-dll-loaded.txt");
      Plant(suite, start_folder);
      MakeFolders(exe_folder);
      DeleteFileW(marker.c_str());
      const std::wstring lonely_exe = JoinPath(exe_folder, L"TRV2KFlash.exe");
      if (!CopyFileW(suite.exe_path().c_str(), lonely_exe.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy the programmer");
      }
      ProgrammerProcess app(lonely_exe, start_folder, {{kMarkerVariable, marker}});
      const HWND box = app.WaitForMessageBox(kLibraryReportTimeoutMs);
      if (!box) {
        s.Check(false, app.Running() ? "no message box about the missing library"
                                     : "the programmer ended without a message box");
        ExpectNotLoaded(s, marker, "in place of the missing genuine one");
        return;
      }
      const MessageBoxSeen report = app.ReadMessageBox(box);
      SaveScreenAsBmp(suite.ScreenshotPath("planted_dll_without_genuine_library"));
      std::wstring upper = report.text;
      std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
      s.Check(upper.find(L"QBLINK.DLL") != std::wstring::npos,
              "the report " + Printable(report.text) + " does not name QBLINK.DLL");
      s.CheckText(report.caption, kApplicationTitle, "caption of the report");
      app.DismissMessageBox(box);
      s.Check(app.WaitForExit(kCloseTimeoutMs), "the programmer did not end after the report");
      ExpectNotLoaded(s, marker, "in place of the missing genuine one");
    });
  }
}

}  // namespace e2e
