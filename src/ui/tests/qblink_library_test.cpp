#include "win32/qblink_library.h"

#include <string>

#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "scratch_files.h"
#include "ui_test.h"
#include "win32/library_search.h"
#include "win32/win32_text.h"

namespace {

namespace texts = trv::texts;

using trv::win32::kDriverLibraryName;
using trv::win32::QblinkLibrary;
using trv::win32::Utf8FromWide;
using trv::win32::WideFromUtf8;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace

// A wrong calling convention or argument layout would unbalance the stack or garble the values.
UI_TEST(DriverLibrary_StandIn_AnswersThroughTheBoundCalls) {
  SetEnvironmentVariableW(L"QBSIM_ADAPTERS", L"First adapter|Second");
  std::wstring problem;
  const auto driver = QblinkLibrary::Load(kDriverLibraryName, &problem);
  SetEnvironmentVariableW(L"QBSIM_ADAPTERS", nullptr);
  UI_EXPECT(driver != nullptr);
  if (driver == nullptr) {
    return;
  }
  std::uint32_t count = 0;
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_CreateDeviceInfoList(&count));
  UI_EXPECT_EQ(2u, count);
  trv::AdapterInfoRecord records[2] = {};
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_GetDeviceInfoList(records, &count));
  UI_EXPECT_EQ(std::string("Second"), trv::DescriptionOf(records[1]));

  trv::AdapterHandle handle = 0;
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_OpenEx("Second", trv::kOpenByDescription, &handle));
  UI_EXPECT(handle != 0);
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_SetBaudRate(handle, trv::kLoaderBaud));
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_SetDataCharacteristics(
                                   handle, trv::kWordLength8, trv::kStopBits1, trv::kParityNone));
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_SetFlowControl(handle, trv::kFlowRtsCts, 0, 0));
  std::uint32_t waiting = 99;
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_GetQueueStatus(handle, &waiting));
  UI_EXPECT_EQ(0u, waiting);
  UI_EXPECT_EQ(trv::kStatusOk, driver->QB_Close(handle));
  UI_EXPECT(driver->QB_Close(handle) != trv::kStatusOk);
}

// Each way a library can be unusable, and its report: what went wrong with the system's code (or
// the call it lacks), then what to do. The build puts the qb_ libraries beside the tests.
UI_TEST(DriverLibrary_NotUsable_ReportSaysWhyAndWhatToDo) {
  struct Case {
    const wchar_t* library;
    const char* prefix;
    const char* code_or_call;
    const char* suffix;
  };
  const Case cases[] = {
      {L"NO_SUCH_QB.DLL", texts::kLibraryNotFoundPrefix, "126", texts::kLibraryNotFoundSuffix},
      {L"qb_needs_absent.DLL", texts::kLibraryDependencyMissingPrefix, "126",
       texts::kLibraryDependencyMissingSuffix},
      {L"qb_not_a_library.DLL", texts::kLibraryNotWin32Prefix, "193",
       texts::kLibraryNotWin32Suffix},
      {L"qb_start_fails.DLL", texts::kLibraryStartFailedPrefix, "1114",
       texts::kLibraryStartFailedSuffix},
      {L"qb_folder.DLL", texts::kLibraryNotLoadedPrefix, "5", texts::kLibraryNotLoadedSuffix},
      {L"version.dll", texts::kLibraryEntryMissingPrefix, "QB_CreateDeviceInfoList",
       texts::kLibraryEntryMissingSuffix},
  };
  for (const Case& c : cases) {
    std::wstring problem;
    UI_EXPECT(QblinkLibrary::Load(c.library, &problem) == nullptr);
    UI_SCOPED_TRACE(Utf8FromWide(problem));
    UI_EXPECT(problem ==
              c.library + WideFromUtf8(std::string(c.prefix) + c.code_or_call + c.suffix));
  }
}

// A working library of `name` (a copy of the stand-in) in a scratch folder that is the current
// directory while this exists, as the file dialog leaves it after a ROM file there was chosen.
class PlantedLibrary {
 public:
  explicit PlantedLibrary(const std::wstring& name) : path_(folder_.Write(name, {})) {
    UI_EXPECT(
        CopyFileW((ProgramFolder() + L"\\" + kDriverLibraryName).c_str(), path_.c_str(), FALSE));
    GetCurrentDirectoryW(MAX_PATH, previous_);
    UI_EXPECT(SetCurrentDirectoryW(folder_.Path(L"").c_str()));
    // The copy loads by its full path, so only where it lies can keep it out.
    const HMODULE module = LoadLibraryW(path_.c_str());
    UI_EXPECT(module != nullptr);
    FreeLibrary(module);
  }
  ~PlantedLibrary() { SetCurrentDirectoryW(previous_); }
  PlantedLibrary(const PlantedLibrary&) = delete;
  PlantedLibrary& operator=(const PlantedLibrary&) = delete;

 private:
  ui_test::ScratchFolder folder_;
  std::wstring path_;
  wchar_t previous_[MAX_PATH] = L"";
};

// The way taken on systems without the search flags.
UI_TEST(DriverLibrary_ByFullPath_FromProgramThenSystemFolderOnly) {
  const HMODULE stand_in = trv::win32::LoadByFullPathFromProgramOrSystemFolder(kDriverLibraryName);
  UI_EXPECT(stand_in != nullptr && GetProcAddress(stand_in, "QB_OpenEx") != nullptr);
  FreeLibrary(stand_in);
  const HMODULE system = trv::win32::LoadByFullPathFromProgramOrSystemFolder(L"version.dll");
  UI_EXPECT(system != nullptr);
  FreeLibrary(system);

  const PlantedLibrary planted(L"PLANTED_QB.DLL");
  UI_EXPECT(trv::win32::LoadByFullPathFromProgramOrSystemFolder(L"PLANTED_QB.DLL") == nullptr);
  UI_EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

// What start-up does first, so that no library loaded by name, by anyone, comes from the folder
// the file dialog made current.
UI_TEST(DriverLibrary_SearchRestricted_NothingLoadsFromTheCurrentDirectory) {
  const PlantedLibrary planted(L"PLANTED_QB2.DLL");
  trv::win32::RestrictLibrarySearch();
  const HMODULE module = LoadLibraryW(L"PLANTED_QB2.DLL");
  UI_EXPECT(module == nullptr);
  if (module != nullptr) {
    FreeLibrary(module);
  }
  UI_EXPECT(LoadLibraryW(L"version.dll") != nullptr);
}
