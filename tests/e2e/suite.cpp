#include "suite.h"

#include <cstdio>
#include <stdexcept>

#include "remote_operator/screen_capture.h"
#include "remote_operator/stand_in.h"
#include "remote_operator/win_helpers.h"
#include "sim_files.h"
#include "time_limits.h"

namespace e2e {

void Scenario::Check(bool ok, const std::string& what) {
  if (!ok) {
    failures.push_back(trace + what);
  }
}

void Scenario::CheckText(const std::wstring& actual, const std::wstring& expected,
                         const std::string& what) {
  Check(actual == expected, what + ": got " + Printable(actual) + ", want " + Printable(expected));
}

void Instance::RequireRunning() const {
  if (!process || !process->Running()) {
    throw std::runtime_error("the programmer of this group is not running");
  }
  // A scenario that failed half-way may have left a box up; the next one starts without it.
  for (HWND dialog : process->OpenFileDialogs()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
  for (HWND box : process->OpenMessageBoxes()) {
    process->DismissMessageBox(box);
  }
  WaitUntil(kMessageTimeoutMs, [&] { return process->NoBoxOpen(); });
}

std::vector<std::string> Instance::Log() const {
  return ReadLogLines(log_path);
}

std::wstring Instance::Path(const std::wstring& name) const {
  return JoinPath(folder, name);
}

std::vector<unsigned char> Instance::ChooseAdapterAndImage(std::uint32_t seed) const {
  const std::vector<unsigned char> image = RomImage(kRomSize, seed);
  WriteWholeFile(Path(L"image.ROM"), image);
  process->ChooseDevice(0);
  process->ChooseFile(Path(L"image.ROM"));
  return image;
}

Suite::Suite(std::wstring exe_path, std::wstring work_root, std::vector<std::string> only_groups)
    : exe_path_(std::move(exe_path)),
      work_root_(std::move(work_root)),
      only_groups_(std::move(only_groups)) {}

bool Suite::Wants(const std::string& group) const {
  if (only_groups_.empty()) {
    return true;
  }
  for (const std::string& wanted : only_groups_) {
    if (wanted == group) {
      return true;
    }
  }
  return false;
}

void Suite::Run(const std::string& name, const std::function<void(Scenario&)>& body) {
  Scenario scenario{name, {}, {}};
  const DWORD start = GetTickCount();
  try {
    body(scenario);
  } catch (const std::exception& error) {
    scenario.failures.push_back(error.what());
    SaveScreenAsBmp(ScreenshotPath(name));
  }
  if (GetFileAttributesW(ScreenshotPath(name).c_str()) == INVALID_FILE_ATTRIBUTES) {
    SaveScreenAsBmp(ScreenshotPath(name));
  }
  const double seconds = (GetTickCount() - start) / 1000.0;
  const bool ok = scenario.failures.empty();
  (ok ? passed_ : failed_)++;
  std::printf("%s %s (%.1f s)\n", ok ? "PASS" : "FAIL", name.c_str(), seconds);
  for (const std::string& failure : scenario.failures) {
    std::printf("    - %s\n", failure.c_str());
  }
  std::fflush(stdout);
}

std::wstring Suite::Folder(const std::string& name) const {
  return JoinPath(work_root_, Widen(name));
}

std::wstring Suite::ScreenshotPath(const std::string& scenario) const {
  return JoinPath(work_root_, Widen(scenario) + L".bmp");
}

std::wstring Suite::CopyProgrammerAlone(const std::wstring& folder) const {
  MakeFolders(folder);
  const std::wstring copy = JoinPath(folder, L"TRV2KFlash.exe");
  if (!CopyFileW(exe_path_.c_str(), copy.c_str(), FALSE)) {
    throw std::runtime_error("cannot copy the programmer into " + Narrow(folder));
  }
  return copy;
}

Instance Suite::Start(const std::string& folder, const EnvironmentOverrides& settings) {
  Instance instance;
  instance.folder = Folder(folder);
  MakeFolders(instance.folder);
  instance.flash_path = instance.Path(L"flash.bin");
  instance.log_path = instance.Path(L"qbsim.log");
  DeleteFileW(instance.flash_path.c_str());
  DeleteFileW(instance.log_path.c_str());
  EnvironmentOverrides environment = settings;
  const auto set_by_caller = [&](const wchar_t* name) {
    for (const auto& setting : settings) {
      if (setting.first == name) {
        return true;
      }
    }
    return false;
  };
  for (const auto& [name, value] :
       EnvironmentOverrides{{L"QBSIM_FLASH", instance.flash_path},
                            {L"QBSIM_LOG", instance.log_path},
                            {L"QBSIM_LATENCY_MS", std::to_wstring(kStandInLatencyMs)}}) {
    if (!set_by_caller(name.c_str())) {
      environment.emplace_back(name, value);
    }
  }
  instance.process = std::make_unique<ProgrammerProcess>(exe_path_, instance.folder, environment);
  instance.process->WaitForMainWindow(kStartTimeoutMs);
  return instance;
}

}  // namespace e2e
