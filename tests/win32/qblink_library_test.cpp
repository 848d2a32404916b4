#include "win32/qblink_library.h"

#include <gtest/gtest.h>

#include <string>

#include "common/operator_texts.h"
#include "common/shared_types.h"
#include "scratch_files.h"
#include "win32/library_search.h"
#include "win32/win32_text.h"

namespace {

namespace texts = trv::texts;

using trv::win32::kDriverLibraryName;
using trv::win32::QblinkLibrary;
using trv::win32::Utf8FromWide;

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace

// A wrong calling convention or argument layout would unbalance the stack or garble the values.
TEST(DriverLibrary, StandIn_AnswersThroughTheBoundCalls) {
  SetEnvironmentVariableW(L"QBSIM_ADAPTERS", L"First adapter|Second");
  std::wstring problem;
  const auto driver = QblinkLibrary::Load(kDriverLibraryName, &problem);
  SetEnvironmentVariableW(L"QBSIM_ADAPTERS", nullptr);
  ASSERT_NE(nullptr, driver) << Utf8FromWide(problem);
  std::uint32_t count = 0;
  EXPECT_EQ(trv::kStatusOk, driver->QB_CreateDeviceInfoList(&count));
  EXPECT_EQ(2u, count);
  trv::AdapterInfoRecord records[2] = {};
  EXPECT_EQ(trv::kStatusOk, driver->QB_GetDeviceInfoList(records, &count));
  EXPECT_EQ(std::string("Second"), trv::DescriptionOf(records[1]));

  trv::AdapterHandle handle = 0;
  EXPECT_EQ(trv::kStatusOk, driver->QB_OpenEx("Second", trv::kOpenByDescription, &handle));
  EXPECT_NE(0u, handle);
  EXPECT_EQ(trv::kStatusOk, driver->QB_SetBaudRate(handle, trv::kLoaderBaud));
  EXPECT_EQ(trv::kStatusOk, driver->QB_SetDataCharacteristics(handle, trv::kWordLength8,
                                                              trv::kStopBits1, trv::kParityNone));
  EXPECT_EQ(trv::kStatusOk, driver->QB_SetFlowControl(handle, trv::kFlowRtsCts, 0, 0));
  std::uint32_t waiting = 99;
  EXPECT_EQ(trv::kStatusOk, driver->QB_GetQueueStatus(handle, &waiting));
  EXPECT_EQ(0u, waiting);
  EXPECT_EQ(trv::kStatusOk, driver->QB_Close(handle));
  EXPECT_NE(trv::kStatusOk, driver->QB_Close(handle));
}

// Each way a library can be unusable, and its report: the file found by its full path (or the
// name, where none was), what went wrong with the system's code (or the call it lacks), then what
// to do. The build puts the qb_ libraries beside the tests: copies cut short or damaged, and
// libraries whose start-up refuses or crashes in each way. Some codes Wine gives for no file: it
// loads a library that imports a call its library lacks, and reports a 64-bit library that one
// needs as missing; those reports are made from the code, for a 32-bit library that was found.
TEST(DriverLibrary, NotUsable_ReportSaysWhichFileWhyAndWhatToDo) {
  enum Where { kNowhere, kHere, kSystem };
  struct Case {
    const wchar_t* library;
    DWORD error;  // reported for `library`; 0: as loading it fails
    Where found;
    const char* report;
    const char* code_or_call;
  };
  const Case cases[] = {
      {L"NO_SUCH_QB.DLL", 0, kNowhere, texts::kLibraryNotFoundReport, "126"},
      {L"qb_needs_absent.DLL", 0, kHere, texts::kLibraryDependencyMissingReport, "126"},
      {L"qb_not_a_library.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_empty.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_cut_1k.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_cut_3000.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_cut_half.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_damaged_body.DLL", 0, kHere, texts::kLibraryDamagedReport, "193"},
      {L"qb_64_bit.DLL", 0, kHere, texts::kLibrary64BitReport, "193"},
      {L"qb_start_fails.DLL", 0, kHere, texts::kLibraryStartFailedReport, "1114"},
      {L"qb_crash_access_violation.DLL", 0, kHere, texts::kLibraryStartFailedReport, "998"},
      {L"qb_crash_stack_overflow.DLL", 0, kHere, texts::kLibraryStartFailedReport, "1001"},
      {L"qb_crash_division_by_zero.DLL", 0, kHere, texts::kLibraryStartCrashedReport, "0xC0000094"},
      {L"qb_crash_invalid_instruction.DLL", 0, kHere, texts::kLibraryStartCrashedReport,
       "0xC000001D"},
      {L"qb_crash_cpp_exception.DLL", 0, kHere, texts::kLibraryStartCrashedReport, "0xE06D7363"},
      {L"qb_folder.DLL", 0, kHere, texts::kLibraryNotLoadedReport, "5"},
      {L"version.dll", 0, kSystem, texts::kLibraryEntryMissingReport, "QB_CreateDeviceInfoList"},
      {L"qb_start_fails.DLL", 193, kHere, texts::kLibraryDependencyNot32BitReport, "193"},
      {L"qb_start_fails.DLL", 127, kHere, texts::kLibraryDependencyTooOldReport, "127"},
      {L"qb_start_fails.DLL", 317, kHere, texts::kLibraryDependencyTooOldReport, "317"},
  };
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8FromWide(c.library) + " " + std::to_string(c.error));
    std::wstring problem;
    if (c.error == 0) {
      EXPECT_EQ(nullptr, QblinkLibrary::Load(c.library, &problem));
    } else {
      problem = QblinkLibrary::LoadFailureReport(c.library, c.error);
    }
    const std::wstring folder[] = {L"", ProgramFolder() + L"\\", system + std::wstring(L"\\")};
    EXPECT_EQ(
        texts::FilledIn(c.report, {Utf8FromWide(folder[c.found] + c.library), c.code_or_call}),
        Utf8FromWide(problem));
  }
}

// A working library of `name` (a copy of the stand-in) in a scratch folder that is the current
// directory while this exists, as the file dialog leaves it after a ROM file there was chosen.
class PlantedLibrary {
 public:
  explicit PlantedLibrary(const std::wstring& name) : path_(folder_.Write(name, {})) {
    EXPECT_TRUE(
        CopyFileW((ProgramFolder() + L"\\" + kDriverLibraryName).c_str(), path_.c_str(), FALSE));
    GetCurrentDirectoryW(MAX_PATH, previous_);
    EXPECT_TRUE(SetCurrentDirectoryW(folder_.Path(L"").c_str()));
    // The copy loads by its full path, so only where it lies can keep it out.
    const HMODULE module = LoadLibraryW(path_.c_str());
    EXPECT_NE(nullptr, module);
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
TEST(DriverLibrary, ByFullPath_FromProgramThenSystemFolderOnly) {
  const HMODULE stand_in = trv::win32::LoadByFullPathFromProgramOrSystemFolder(kDriverLibraryName);
  ASSERT_NE(nullptr, stand_in);
  EXPECT_NE(nullptr, GetProcAddress(stand_in, "QB_OpenEx"));
  FreeLibrary(stand_in);
  const HMODULE system = trv::win32::LoadByFullPathFromProgramOrSystemFolder(L"version.dll");
  EXPECT_NE(nullptr, system);
  FreeLibrary(system);

  const PlantedLibrary planted(L"PLANTED_QB.DLL");
  EXPECT_EQ(nullptr, trv::win32::LoadByFullPathFromProgramOrSystemFolder(L"PLANTED_QB.DLL"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

// What start-up does first, so that no library loaded by name, by anyone, comes from the folder
// the file dialog made current.
TEST(DriverLibrary, SearchRestricted_NothingLoadsFromTheCurrentDirectory) {
  const PlantedLibrary planted(L"PLANTED_QB2.DLL");
  trv::win32::RestrictLibrarySearch();
  const HMODULE module = LoadLibraryW(L"PLANTED_QB2.DLL");
  EXPECT_EQ(nullptr, module);
  if (module != nullptr) {
    FreeLibrary(module);
  }
  EXPECT_NE(nullptr, LoadLibraryW(L"version.dll"));
}
