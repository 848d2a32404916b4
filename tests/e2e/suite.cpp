#include "suite.h"

#include <cstdio>
#include <stdexcept>

#include "screen_capture.h"
#include "sim_files.h"
#include "win_helpers.h"

namespace e2e {

namespace {

constexpr DWORD kStartTimeoutMs = 30000;

}  // namespace

void Scenario::Check(bool ok, const std::string& what) {
  if (!ok) {
    failures.push_back(what);
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
  return ReadLogLines(logPath);
}

std::wstring Instance::Path(const std::wstring& name) const {
  return JoinPath(folder, name);
}

Suite::Suite(std::wstring exePath, std::wstring workRoot, std::vector<std::string> onlyGroups)
    : exePath_(std::move(exePath)),
      workRoot_(std::move(workRoot)),
      onlyGroups_(std::move(onlyGroups)) {}

bool Suite::Wants(const std::string& group) const {
  if (onlyGroups_.empty()) {
    return true;
  }
  for (const std::string& wanted : onlyGroups_) {
    if (wanted == group) {
      return true;
    }
  }
  return false;
}

void Suite::Run(const std::string& name, const std::function<void(Scenario&)>& body) {
  Scenario scenario{name, {}};
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
  return JoinPath(workRoot_, Widen(name));
}

std::wstring Suite::ScreenshotPath(const std::string& scenario) const {
  return JoinPath(workRoot_, Widen(scenario) + L".bmp");
}

Instance Suite::Start(const std::string& folder, const EnvironmentOverrides& settings) {
  Instance instance;
  instance.folder = Folder(folder);
  MakeFolders(instance.folder);
  instance.flashPath = instance.Path(L"flash.bin");
  instance.logPath = instance.Path(L"qbsim.log");
  DeleteFileW(instance.flashPath.c_str());
  DeleteFileW(instance.logPath.c_str());
  EnvironmentOverrides environment = settings;
  const auto setByCaller = [&](const wchar_t* name) {
    for (const auto& setting : settings) {
      if (setting.first == name) {
        return true;
      }
    }
    return false;
  };
  for (const auto& [name, value] : EnvironmentOverrides{{L"QBSIM_FLASH", instance.flashPath},
                                                        {L"QBSIM_LOG", instance.logPath},
                                                        {L"QBSIM_LATENCY_MS", kFastLatencyMs}}) {
    if (!setByCaller(name.c_str())) {
      environment.emplace_back(name, value);
    }
  }
  instance.process = std::make_unique<ProgrammerProcess>(exePath_, instance.folder, environment);
  instance.process->WaitForMainWindow(kStartTimeoutMs);
  return instance;
}

}  // namespace e2e
