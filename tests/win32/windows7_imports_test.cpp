// The program claims Windows 7 SP1 as its oldest system, so every function it imports must be one
// that Windows 7 SP1's own DLLs export: a single newer one and Windows refuses to start it.
// windows7_imports.txt beside this file lists the imports that have been checked. A new import
// (new code, a newer compiler runtime) fails here until it has been checked and added; an entry
// that is no longer imported fails too, so the list stays exactly what the program uses.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "pe_image.h"

namespace trv {
namespace {

// The entries of the list: one a line, without blank lines, whole-line comments ("# ...") and
// trailing ones (" # ..."). A '#' right after the '!' is an ordinal ("dll!#12"), not a comment.
std::multiset<std::string> ReadAllowList(const std::string& path) {
  std::multiset<std::string> entries;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line.substr(0, line.find(" #")));
    std::string entry;
    if (words >> entry) entries.insert(entry);
  }
  return entries;
}

TEST(Windows7Imports, EveryImportIsOnTheCheckedListAndEveryEntryIsImported) {
  const auto image = test::ReadPeImage(TRV_WINDOWS_PROGRAM);
  ASSERT_TRUE(image.has_value()) << TRV_WINDOWS_PROGRAM " missing or not PE32";
  const std::multiset<std::string> allowed = ReadAllowList(TRV_WINDOWS7_IMPORTS);
  ASSERT_FALSE(allowed.empty()) << "cannot read " TRV_WINDOWS7_IMPORTS;
  const std::set<std::string> imported(image->imported_functions.begin(),
                                       image->imported_functions.end());

  for (const std::string& function : imported) {
    EXPECT_EQ(allowed.count(function), 1u)
        << function << " is imported but not on " TRV_WINDOWS7_IMPORTS
        << ": check that Windows 7 SP1 exports it, then add it";
  }
  for (const std::string& entry : std::set<std::string>(allowed.begin(), allowed.end())) {
    EXPECT_EQ(imported.count(entry), 1u)
        << entry << " is on " TRV_WINDOWS7_IMPORTS " but no longer imported: remove it";
    EXPECT_EQ(allowed.count(entry), 1u) << entry << " is listed more than once";
  }
}

}  // namespace
}  // namespace trv
