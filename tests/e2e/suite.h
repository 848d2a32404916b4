// Runs named scenarios, keeps their verdicts and prints them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "remote_operator/programmer_process.h"

namespace e2e {

// The scenarios work the programmer through the remote operator.
using namespace trv::remote;

struct Scenario {
  std::string name;
  std::vector<std::string> failures;
  std::string trace;  // put before every failure recorded; see ScopedTrace

  void Check(bool ok, const std::string& what);
  void CheckText(const std::wstring& actual, const std::wstring& expected, const std::string& what);
};

// Names the case a scenario's loop is at in every failure recorded meanwhile: "<label>: ...".
class ScopedTrace {
 public:
  ScopedTrace(Scenario& scenario, const std::string& label)
      : scenario_(scenario), before_(scenario.trace) {
    scenario_.trace = before_ + label + ": ";
  }
  ~ScopedTrace() { scenario_.trace = before_; }
  ScopedTrace(const ScopedTrace&) = delete;
  ScopedTrace& operator=(const ScopedTrace&) = delete;

 private:
  Scenario& scenario_;
  std::string before_;
};

// A started programmer with its own folder (its working directory), simulated flash and log.
struct Instance {
  std::wstring folder;
  std::wstring flash_path;
  std::wstring log_path;
  std::unique_ptr<ProgrammerProcess> process;

  ProgrammerProcess& operator*() const { return *process; }
  ProgrammerProcess* operator->() const { return process.get(); }
  // Throws when the programmer is not (or no longer) usable.
  void RequireRunning() const;
  std::vector<std::string> Log() const;
  std::wstring Path(const std::wstring& name) const;
  // Chooses the stand-in's first adapter and a new ROM image, image.ROM in the folder, made from
  // `seed`; returns the image.
  std::vector<unsigned char> ChooseAdapterAndImage(std::uint32_t seed) const;
};

class Suite {
 public:
  Suite(std::wstring exe_path, std::wstring work_root, std::vector<std::string> only_groups);

  bool Wants(const std::string& group) const;
  // Runs one scenario; an exception fails it with its message.
  void Run(const std::string& name, const std::function<void(Scenario&)>& body);

  // Starts the programmer in <work>\<folder> (created empty) with its own flash and log.
  Instance Start(const std::string& folder, const EnvironmentOverrides& settings);
  std::wstring Folder(const std::string& name) const;
  // A copy of the programmer alone in `folder` (created), without any driver library beside it;
  // returns its path. Throws when it cannot be made.
  std::wstring CopyProgrammerAlone(const std::wstring& folder) const;
  std::wstring ScreenshotPath(const std::string& scenario) const;
  const std::wstring& exe_path() const { return exe_path_; }

  int passed() const { return passed_; }
  int failed() const { return failed_; }

 private:
  std::wstring exe_path_;
  std::wstring work_root_;
  std::vector<std::string> only_groups_;
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace e2e
