// A look-alike library left in the folders the programmer makes current must never be loaded:
// neither a QBLINK.DLL in place of the genuine driver library, nor a library under the name the
// driver library itself looks for by plain name when an adapter opens (its companion). The
// program takes its driver library from its own folder or the system folder only, and keeps the
// current folder out of the search for the libraries its driver library loads.
#include <stdexcept>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

namespace {

constexpr wchar_t kMarkerVariable[] = L"QBSIM_PLANTED_MARKER";
// The optional library the stand-in looks for as an adapter opens; it runs without it.
constexpr wchar_t kCompanionLibrary[] = L"QBLINKEX.DLL";
constexpr char kCompanionNotFound[] = "QBSIM companion QBLINKEX.DLL not found";
constexpr char kCompanionLoaded[] = "QBSIM companion QBLINKEX.DLL loaded from ";

// Leaves the look-alike in `folder` as the driver library and as its companion.
void Plant(const std::wstring& folder) {
  MakeFolders(folder);
  const std::wstring planted = FullPath(Widen(TRV_PLANTED_LIBRARY));
  for (const wchar_t* name : {L"QBLINK.DLL", kCompanionLibrary}) {
    if (!CopyFileW(planted.c_str(), JoinPath(folder, name).c_str(), FALSE)) {
      throw std::runtime_error("cannot plant the look-alike as " + Narrow(name) + " in " +
                               Narrow(folder));
    }
  }
}

// The planted library writes the path it was loaded from into the marker file as it loads.
void ExpectNotLoaded(const std::wstring& marker, const std::string& when) {
  std::vector<unsigned char> loaded;
  EXPECT_FALSE(ReadWholeFile(marker, loaded)) << "a planted library was loaded " << when << ": "
                                              << std::string(loaded.begin(), loaded.end());
}

void ExpectGenuineList(ProgrammerProcess& app) {
  app.OpenDeviceList();
  EXPECT_EQ(std::vector<std::wstring>{kDefaultAdapter}, app.DeviceItems())
      << "the device list is not the genuine stand-in's one adapter";
  SendBounded(app.controls().ComboBox1, CB_SETCURSEL, 0, 0);
  app.CloseDeviceList();
}

// The stand-in did look for its companion when the adapter opened, and found none.
void ExpectCompanionSought(const std::vector<std::string>& log) {
  const size_t loaded = LastLine(log, kCompanionLoaded);
  ASSERT_EQ(std::string::npos, loaded) << "the stand-in loaded a companion: " << log[loaded];
  EXPECT_GT(CountLines(log, kCompanionNotFound), 0u)
      << "the stand-in's log does not show it looking for its companion library";
}

// Started in a folder holding the look-alike, with another in the ROM folder it chooses later.
class PlantedDll : public SharedProgrammer<PlantedDll> {
 protected:
  static void SetUpTestSuite() {
    Plant(GroupFolder("planted_dll"));
    Plant(RomFolder());
    DeleteFileW(Marker().c_str());
    app = StartProgrammer("planted_dll", {{kMarkerVariable, Marker()}});
  }

  static std::wstring RomFolder() { return JoinPath(GroupFolder("planted_dll"), L"roms"); }
  static std::wstring Marker() {
    return JoinPath(GroupFolder("planted_dll"), L"planted-dll-loaded.txt");
  }
};

TEST_F(PlantedDll, InTheStartFolder_IsNotLoaded) {
  ExpectGenuineList(*app);
  ExpectNotLoaded(Marker(), "from the folder the programmer was started in");
}

TEST_F(PlantedDll, InTheRomFolderMadeCurrent_IsNotLoaded) {
  const std::vector<unsigned char> image = RomImage(kRomSize, 31);
  WriteWholeFile(JoinPath(RomFolder(), L"image.ROM"), image);
  app->ChooseFileInFolder(L"roms", L"image.ROM");
  // A bare name in the next dialog lands in the folder the first one made current.
  app->ChooseFile(L"image.ROM");
  EXPECT_EQ(JoinPath(RomFolder(), L"image.ROM"), app->SelectedFilePath())
      << "the ROM file's folder did not become the current folder";
  ExpectGenuineList(*app);
  // Opening the adapter makes the stand-in look for its companion, with the ROM folder current.
  const RunObservation run = app->PressProgram(kFullRunTimeoutMs, Screenshot());
  ExpectProgrammed(app, run, image);
  ExpectCompanionSought(app.Log());
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs)) << "the programmer did not end after WM_CLOSE";
  ExpectNotLoaded(Marker(), "from the ROM file's folder");
}

TEST(PlantedDllAlone, InPlaceOfTheMissingGenuineLibrary_IsNotLoaded) {
  const std::wstring start_folder = GroupFolder("planted_dll_alone");
  const std::wstring marker = JoinPath(start_folder, L"planted-dll-loaded.txt");
  Plant(start_folder);
  DeleteFileW(marker.c_str());
  const std::wstring lonely_exe = CopyProgrammerAlone(JoinPath(start_folder, L"program"));
  ProgrammerProcess app(lonely_exe, start_folder, {{kMarkerVariable, marker}});
  ExpectMissingLibraryReport(app, Screenshot());
  ExpectNotLoaded(marker, "in place of the missing genuine one");
}

}  // namespace

}  // namespace e2e
