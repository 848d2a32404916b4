// The versions the check's report names, read from the system and from a file's version resource.
#include "win32/version_facts.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "trv_version.h"
#include "win32/library_search.h"

namespace {

#define TRV_TEXT(...) #__VA_ARGS__
#define TRV_AS_TEXT(...) TRV_TEXT(__VA_ARGS__)

// The programmer carries the build's version as its four numbers; the tests' own program carries
// none.
TEST(VersionFacts, FileVersionIsItsFourNumbersOrNothing) {
  const std::string numbers = TRV_AS_TEXT(TRV_VERSION_NUMBERS);  // "0, 1, 2, 3"
  EXPECT_EQ(std::regex_replace(numbers, std::regex(", "), "."),
            trv::win32::FileVersion(L"" TRV_WINDOWS_PROGRAM));
  EXPECT_EQ("", trv::win32::FileVersion(trv::win32::ModulePath(nullptr)));
  EXPECT_EQ("", trv::win32::FileVersion(L"C:\\no such file.DLL"));
}

TEST(VersionFacts, WindowsVersionIsTheSystemsOwn) {
  EXPECT_TRUE(
      std::regex_match(trv::win32::WindowsVersion(), std::regex(R"(\d+\.\d+ build \d+( .+)?)")))
      << trv::win32::WindowsVersion();
}

}  // namespace
