// The path under "Selected File:" when it is too long to show whole, with a room that holds a
// given number of UTF-16 units standing in for the window's measuring of its text.
#include "ui/path_shortening.h"

#include <gtest/gtest.h>

namespace trv::ui {
namespace {

struct Shortening {
  const char* what;
  PathText path;
  std::size_t room;  // UTF-16 units that fit
  PathText shown;
};

class PathShorteningTest : public ::testing::TestWithParam<Shortening> {};

TEST_P(PathShorteningTest, FewestCharactersOfTheFoldersGoAtCharacterBoundaries) {
  const Shortening& row = GetParam();
  const auto fits = [&](const PathText& text) { return text.size() <= row.room; };
  EXPECT_EQ(row.shown, ShortenedPath(row.path, fits));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PathShorteningTest,
    ::testing::Values(
        Shortening{"Fits", u"C:\\aaaa\\b.ROM", 100, u"C:\\aaaa\\b.ROM"},
        Shortening{"NoFolders", u"C:\\a.ROM", 3, u"C:\\a.ROM"},
        Shortening{"Middle", u"C:\\aaaa\\bbbb\\c.ROM", 14, u"C:\\aa\u2026bb\\c.ROM"},
        Shortening{"Slashes", u"C:/aaaa/bbbb/c.ROM", 14, u"C:/aa\u2026bb/c.ROM"},
        Shortening{"Server", u"\\\\srv\\share\\dir\\f.ROM", 15, u"\\\\srv\\s\u2026r\\f.ROM"},
        Shortening{"LongName", u"C:\\ab\\cd\\customerB.ROM", 10, u"C:\\\u2026\\customerB.ROM"},
        // An emoji is two units: the cut goes round both.
        Shortening{"Emoji", u"C:\\ab\U0001F600\U0001F600cd\\e.ROM", 16,
                   u"C:\\ab\u2026\U0001F600cd\\e.ROM"},
        // e and its combining acute accent, U+0301, are one character.
        Shortening{"Accents", u"C:\\ae\u0301e\u0301e\u0301b\\f.ROM", 14,
                   u"C:\\a\u2026e\u0301b\\f.ROM"},
        Shortening{"AccentAtTheCut", u"C:\\Cafe\u0301s\\a.ROM", 14, u"C:\\C\u2026e\u0301s\\a.ROM"}),
    [](const ::testing::TestParamInfo<Shortening>& row) { return std::string(row.param.what); });

}  // namespace
}  // namespace trv::ui
