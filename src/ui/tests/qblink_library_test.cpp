#include "ui/qblink_library.h"

#include <string>

#include "common/shared_types.h"
#include "scratch_files.h"
#include "ui_test.h"

namespace {

using trv::ui::kDriverLibraryName;
using trv::ui::QblinkLibrary;

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

UI_TEST(DriverLibrary_Missing_IsNamed) {
  std::wstring problem;
  UI_EXPECT(QblinkLibrary::Load(L"NO_SUCH_QB.DLL", &problem) == nullptr);
  // 126: the system found no such module.
  UI_EXPECT(problem == L"NO_SUCH_QB.DLL could not be loaded (Windows error 126).");
}

UI_TEST(DriverLibrary_WithoutTheCalls_NamesTheFirstMissingOne) {
  std::wstring problem;
  UI_EXPECT(QblinkLibrary::Load(L"version.dll", &problem) == nullptr);
  UI_EXPECT(problem == L"version.dll has no entry point QB_CreateDeviceInfoList.");
}

// The file dialog moves the current directory, so a library placed there must never be taken.
UI_TEST(DriverLibrary_InCurrentDirectoryOnly_IsNotLoaded) {
  ui_test::ScratchFolder folder;
  const std::wstring planted = folder.Write(L"PLANTED_QB.DLL", {});
  CopyFileW((ProgramFolder() + L"\\" + kDriverLibraryName).c_str(), planted.c_str(), FALSE);
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder.Path(L"").c_str());
  std::wstring problem;
  UI_EXPECT(QblinkLibrary::Load(L"PLANTED_QB.DLL", &problem) == nullptr);
  SetCurrentDirectoryW(previous);
}
