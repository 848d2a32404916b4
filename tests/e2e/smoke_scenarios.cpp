// With the programmer told it runs on Windows 10, where every other group tells it Windows 7: a
// whole successful run.
#include <optional>

#include "checks.h"
#include "expected_texts.h"
#include "programmer.h"
#include "time_limits.h"
#include "windows_version.h"

namespace e2e {
using namespace trv::remote;

namespace {

class Win10 : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { windows10.emplace(L"win10"); }
  static void TearDownTestSuite() { windows10.reset(); }

  static inline std::optional<ProgrammerWindowsVersion> windows10;
};

TEST_F(Win10, SuccessfulRun) {
  Programmer app = StartProgrammer("win10", {});
  ExpectWindowsVersion(app.Log(), "QBSIM Windows 10.0 ");
  const std::vector<unsigned char> image = app.ChooseAdapterAndImage(42);
  const RunObservation run = app->PressProgram(kFullRunTimeoutMs, Screenshot());
  ExpectSuccessfulRun(app, run, image);
  EXPECT_EQ(app.Path(L"image.ROM"), app->SelectedFilePath()) << "SelectedFile after the run";
  EXPECT_TRUE(app->CloseWindow(kCloseTimeoutMs)) << "the programmer did not end after WM_CLOSE";
}

}  // namespace

}  // namespace e2e
