// The end-to-end scenarios: works the programmer's window from outside under Wine, as an operator
// would. Run in the work folder (build/e2e), where each group keeps its files and each scenario
// its picture:
//   e2e_tests [GoogleTest options] [group...]
// A group ("rom_access") is the test suite of that name written in words ("RomAccess").
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "programmer.h"
#include "remote_operator/screen_capture.h"
#include "windows_version.h"

namespace {

std::string SuiteOf(const std::string& group) {
  std::string suite;
  bool word_start = true;
  for (char c : group) {
    if (c != '_') {
      suite += word_start ? char(std::toupper(static_cast<unsigned char>(c))) : c;
    }
    word_start = c == '_';
  }
  return suite;
}

bool IsSuite(const std::string& name) {
  const ::testing::UnitTest& tests = *::testing::UnitTest::GetInstance();
  for (int i = 0; i < tests.total_test_suite_count(); ++i) {
    if (name == tests.GetTestSuite(i)->name()) {
      return true;
    }
  }
  return false;
}

// Runs only the suites of `groups` (all when there are none); false when one names no suite.
bool SelectGroups(const std::vector<std::string>& groups) {
  std::string filter;
  for (const std::string& group : groups) {
    if (!IsSuite(SuiteOf(group))) {
      std::printf("no group of scenarios is called %s\n", group.c_str());
      return false;
    }
    filter += (filter.empty() ? "" : ":") + SuiteOf(group) + ".*";
  }
  if (!filter.empty()) {
    GTEST_FLAG_SET(filter, filter);
  }
  return true;
}

// Every scenario leaves a picture of its last state, unless it took one at a moment of its own
// choosing; a failed one also the screen as it failed, in <suite>.<test>.failed.bmp.
class Screenshots : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& test) override {
    const std::wstring path = e2e::ScreenshotOf(test);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      trv::remote::SaveScreenAsBmp(path);
    }
    if (test.result()->Failed()) {
      trv::remote::SaveScreenAsBmp(path.substr(0, path.size() - 4) + L".failed.bmp");
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A group's scenarios share one programmer in the order written: the last closes it, the first
  // finds nothing chosen yet. Shuffled, they would fail for no fault of the program.
  if (GTEST_FLAG_GET(shuffle)) {
    std::printf("the scenarios run in the order written: --gtest_shuffle is refused\n");
    return 1;
  }
  if (!SelectGroups(std::vector<std::string>(argv + 1, argv + argc))) {
    return 1;
  }
  ::testing::UnitTest::GetInstance()->listeners().Append(new Screenshots);
  // Every scenario's programmer is told it runs on Windows 7, the oldest system it serves; the
  // Windows 10 group says otherwise for its own.
  e2e::ProgrammerWindowsVersion::Reset();
  const e2e::ProgrammerWindowsVersion windows7(L"win7");
  return RUN_ALL_TESTS();
}
