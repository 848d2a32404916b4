// The programs claim Windows 7 SP1 as their oldest system, so every function they import must be
// one that Windows 7 SP1's own DLLs export: a single newer one and Windows refuses to start the
// program. windows7_imports.txt beside this file lists the imports that have been checked, of both
// the programmer and the check. A new import (new code, a newer compiler runtime) fails here until
// it has been checked and added; an entry that neither program imports any more fails too, so the
// list stays exactly what the programs use.
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
  const std::multiset<std::string> allowed = ReadAllowList(TRV_WINDOWS7_IMPORTS);
  ASSERT_FALSE(allowed.empty()) << "cannot read " TRV_WINDOWS7_IMPORTS;
  std::set<std::string> imported;
  for (const char* program : {TRV_WINDOWS_PROGRAM, TRV_WINDOWS_CHECK}) {
    const auto image = test::ReadPeImage(program);
    ASSERT_TRUE(image.has_value()) << program << " missing or not PE32";
    for (const std::string& function : image->imported_functions) {
      EXPECT_EQ(allowed.count(function), 1u)
          << function << " is imported by " << program << " but not on " TRV_WINDOWS7_IMPORTS
          << ": check that Windows 7 SP1 exports it, then add it";
      imported.insert(function);
    }
  }
  for (const std::string& entry : std::set<std::string>(allowed.begin(), allowed.end())) {
    EXPECT_EQ(imported.count(entry), 1u)
        << entry << " is on " TRV_WINDOWS7_IMPORTS " but no longer imported: remove it";
    EXPECT_EQ(allowed.count(entry), 1u) << entry << " is listed more than once";
  }
}

}  // namespace
}  // namespace trv
