#include "programmer.h"

#include <algorithm>
#include <stdexcept>

#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {
using namespace trv::remote;

std::vector<std::string> Programmer::Log() const {
  return ReadLogLines(log_path);
}

std::wstring Programmer::Path(const std::wstring& name) const {
  return JoinPath(folder, name);
}

std::vector<unsigned char> Programmer::ChooseAdapterAndImage(std::uint32_t seed) const {
  const std::vector<unsigned char> image = RomImage(kRomSize, seed);
  WriteWholeFile(Path(L"image.ROM"), image);
  process->ChooseDevice(0);
  process->ChooseFile(Path(L"image.ROM"));
  return image;
}

std::wstring ProgramPath() {
  return FullPath(Widen(TRV_WINDOWS_PROGRAM));
}

std::wstring GroupFolder(const std::string& group) {
  return FullPath(Widen(group));
}

std::wstring CheckPath() {
  const std::wstring programmer = ProgramPath();
  return JoinPath(programmer.substr(0, programmer.find_last_of(L"\\/")), L"TRV2KCheck.exe");
}

EnvironmentOverrides GroupStandIn(const std::wstring& folder,
                                  const EnvironmentOverrides& settings) {
  MakeFolders(folder);
  EnvironmentOverrides environment = settings;
  for (const auto& [name, value] :
       EnvironmentOverrides{{L"QBSIM_FLASH", JoinPath(folder, L"flash.bin")},
                            {L"QBSIM_LOG", JoinPath(folder, L"qbsim.log")},
                            {L"QBSIM_LATENCY_MS", std::to_wstring(kStandInLatencyMs)}}) {
    if (std::none_of(settings.begin(), settings.end(),
                     [&](const auto& setting) { return setting.first == name; })) {
      environment.emplace_back(name, value);
    }
  }
  for (const wchar_t* file : {L"flash.bin", L"qbsim.log"}) {
    DeleteFileW(JoinPath(folder, file).c_str());
  }
  return environment;
}

Programmer StartProgrammer(const std::string& group, const EnvironmentOverrides& settings) {
  Programmer programmer;
  programmer.folder = GroupFolder(group);
  const EnvironmentOverrides environment = GroupStandIn(programmer.folder, settings);
  programmer.flash_path = programmer.Path(L"flash.bin");
  programmer.log_path = programmer.Path(L"qbsim.log");
  programmer.process =
      std::make_unique<ProgrammerProcess>(ProgramPath(), programmer.folder, environment);
  programmer.process->WaitForMainWindow(kStartTimeoutMs);
  return programmer;
}

std::wstring CopyProgrammerAlone(const std::wstring& folder) {
  MakeFolders(folder);
  const std::wstring copy = JoinPath(folder, L"TRV2KFlash.exe");
  if (!CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE)) {
    throw std::runtime_error("cannot copy the programmer into " + Narrow(folder));
  }
  return copy;
}

std::wstring ScreenshotOf(const ::testing::TestInfo& test) {
  return FullPath(Widen(std::string(test.test_suite_name()) + "." + test.name() + ".bmp"));
}

std::wstring Screenshot() {
  return ScreenshotOf(*::testing::UnitTest::GetInstance()->current_test_info());
}

void CloseLeftOverBoxes(RemoteProcess& program) {
  for (HWND dialog : program.OpenFileDialogs()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  for (HWND box : program.OpenMessageBoxes()) {
    program.DismissMessageBox(box);
  }
  WaitUntil(kMessageTimeoutMs, [&] { return program.NoBoxOpen(); });
}

}  // namespace e2e
