// The programmer as the scenarios start it, each group in its own folder, and the fixture through
// which the scenarios of a group share one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "remote_operator/programmer_process.h"

namespace e2e {

// A started programmer with its own folder (its working directory), simulated flash and log.
struct Programmer {
  std::wstring folder;
  std::wstring flash_path;
  std::wstring log_path;
  std::unique_ptr<trv::remote::ProgrammerProcess> process;

  trv::remote::ProgrammerProcess& operator*() const { return *process; }
  trv::remote::ProgrammerProcess* operator->() const { return process.get(); }
  std::vector<std::string> Log() const;
  std::wstring Path(const std::wstring& name) const;
  // Chooses the stand-in's first adapter and a new ROM image, image.ROM in the folder, made from
  // `seed`; returns the image.
  std::vector<unsigned char> ChooseAdapterAndImage(std::uint32_t seed) const;
};

// The program tree's TRV2KFlash.exe, beside which the build puts the stand-in QBLINK.DLL.
std::wstring ProgramPath();
// The check, TRV2KCheck.exe, beside the programmer.
std::wstring CheckPath();
// A group's folder, <group> in the driver's working directory (build/e2e).
std::wstring GroupFolder(const std::string& group);
// The stand-in's settings for a program started in `folder` (created): its flash (flash.bin,
// removed) and log (qbsim.log, removed) there and the usual latency, which `settings` add to or
// replace.
trv::remote::EnvironmentOverrides GroupStandIn(const std::wstring& folder,
                                               const trv::remote::EnvironmentOverrides& settings);
// Starts the programmer in the group's folder (created) with its own flash and log; `settings`
// add to or replace those. Throws when it shows no window.
Programmer StartProgrammer(const std::string& group,
                           const trv::remote::EnvironmentOverrides& settings);
// A copy of the programmer alone in `folder` (created), without any driver library beside it;
// returns its path. Throws when it cannot be made.
std::wstring CopyProgrammerAlone(const std::wstring& folder);

// Where a scenario's picture goes: <suite>.<test>.bmp in the working directory, which run.sh
// turns into a PNG. Screenshot() names the running scenario's.
std::wstring ScreenshotOf(const ::testing::TestInfo& test);
std::wstring Screenshot();

// Closes what a scenario that failed half-way left up in either program: message boxes and file
// dialogs.
void CloseLeftOverBoxes(trv::remote::RemoteProcess& program);

// The scenarios of a group that share one programmer, which the group's SetUpTestSuite starts and
// which ends after the group's last scenario. Each scenario begins with it running and nothing
// left over from the one before.
template <typename Group>
class SharedProgrammer : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { app.process.reset(); }
  void SetUp() override {
    ASSERT_TRUE(app.process && app->Running()) << "the programmer of this group is not running";
    CloseLeftOverBoxes(*app);
  }

  static inline Programmer app;
};

}  // namespace e2e
