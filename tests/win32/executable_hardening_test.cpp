// How the shipped Windows programs, the programmer and the check, are linked: a 32-bit GUI image
// with ASLR and DEP, a manifest asking for the version 6 common controls and the user's own rights,
// and no debug information. What they import, and so that they need no DLL beyond the system's (not
// even the driver library, which is loaded at run time), is held to the checked list in
// windows7_imports_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "pe_image.h"

namespace trv {
namespace {

constexpr std::uint16_t kMachineI386 = 0x14C;
constexpr std::uint16_t kSubsystemWindowsGui = 2;
constexpr std::uint16_t kDynamicBase = 0x0040;
constexpr std::uint16_t kNxCompatible = 0x0100;

class ExecutableTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    auto read = test::ReadPeImage(GetParam());
    ASSERT_TRUE(read.has_value()) << GetParam() << " missing or not PE32";
    image = *read;
  }
  test::PeImage image;
};

TEST_P(ExecutableTest, IsA32BitGuiProgramWithAslrAndDep) {
  EXPECT_EQ(image.machine, kMachineI386);
  EXPECT_EQ(image.subsystem, kSubsystemWindowsGui);
  EXPECT_TRUE(image.dll_characteristics & kDynamicBase) << "ASLR (dynamic base) is off";
  EXPECT_TRUE(image.dll_characteristics & kNxCompatible) << "DEP (NX compatible) is off";
}

TEST_P(ExecutableTest, ManifestAsksForCommonControls6AndTheUsersRights) {
  const std::string& manifest = image.manifest;
  ASSERT_FALSE(manifest.empty()) << "no application manifest";
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

// Without these, Windows 8.1 and later run the program in the compatibility mode of an older
// system and report an older version to it.
TEST_P(ExecutableTest, ManifestDeclaresWindows7To11) {
  const std::vector<std::pair<std::string, std::string>> systems = {
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}};
  for (const auto& [system, id] : systems) {
    EXPECT_NE(image.manifest.find("<supportedOS Id=\"" + id + "\"/>"), std::string::npos)
        << "the manifest does not declare " << system;
  }
}

// The static runtime's debug information is kept beside the build's program, not shipped in it.
TEST_P(ExecutableTest, CarriesNoDebugSections) {
  std::vector<std::string> debug;
  std::copy_if(image.section_names.begin(), image.section_names.end(), std::back_inserter(debug),
               [](const std::string& name) { return name.rfind(".debug", 0) == 0; });
  EXPECT_TRUE(debug.empty()) << ::testing::PrintToString(debug);
}

INSTANTIATE_TEST_SUITE_P(, ExecutableTest,
                         ::testing::Values(TRV_WINDOWS_PROGRAM, TRV_WINDOWS_CHECK),
                         [](const auto& path) {
                           const std::string name = path.param;
                           return name.substr(name.rfind('/') + 1,
                                              name.rfind('.') - name.rfind('/') - 1);
                         });

}  // namespace
}  // namespace trv
