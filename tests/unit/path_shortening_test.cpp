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

// Three of `character` between two letters in a folder, in room for one: the cut takes two whole.
Shortening ThreeInAFolder(const char* what, const PathText& character) {
  return {what, u"C:\\a" + character + character + character + u"b\\f.ROM", 12 + character.size(),
          u"C:\\a\u2026" + character + u"b\\f.ROM"};
}

class PathShorteningTest : public ::testing::TestWithParam<Shortening> {};

TEST_P(PathShorteningTest, FewestCharactersGoAtCharacterBoundaries) {
  const Shortening& row = GetParam();
  const auto fits = [&](const PathText& text) { return text.size() <= row.room; };
  EXPECT_EQ(row.shown, ShortenedPath(row.path, fits));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PathShorteningTest,
    ::testing::Values(
        Shortening{"Fits", u"C:\\aaaa\\b.ROM", 100, u"C:\\aaaa\\b.ROM"},
        Shortening{"Middle", u"C:\\aaaa\\bbbb\\c.ROM", 14, u"C:\\aa\u2026bb\\c.ROM"},
        Shortening{"Slashes", u"C:/aaaa/bbbb/c.ROM", 14, u"C:/aa\u2026bb/c.ROM"},
        Shortening{"Server", u"\\\\srv\\share\\dir\\f.ROM", 15, u"\\\\srv\\s\u2026r\\f.ROM"},
        // The name itself too long: its beginning and its extension stay.
        Shortening{"LongName", u"C:\\ab\\cd\\customerB.ROM", 14, u"C:\\\u2026\\cust\u2026.ROM"},
        Shortening{"LongNameNoFolders", u"C:\\customerB.ROM", 10, u"C:\\cu\u2026.ROM"},
        Shortening{"AccentAtTheCut", u"C:\\Cafe\u0301s\\a.ROM", 14, u"C:\\C\u2026e\u0301s\\a.ROM"},
        // A letter and its marks, a surrogate pair, an emoji with its skin tone or the emoji
        // joined to it, and a flag's two halves are each one character.
        ThreeInAFolder("Latin", u"e\u0301"), ThreeInAFolder("Arabic", u"\u0628\u064E"),
        ThreeInAFolder("Hebrew", u"\u05E9\u05C1"), ThreeInAFolder("Devanagari", u"\u0915\u093F"),
        ThreeInAFolder("Thai", u"\u0E01\u0E35"), ThreeInAFolder("Surrogates", u"\U0001F600"),
        ThreeInAFolder("SkinTone", u"\U0001F44D\U0001F3FD"),
        ThreeInAFolder("Joined", u"\U0001F469\u200D\U0001F4BB"),
        ThreeInAFolder("Flag", u"\U0001F1E9\U0001F1EA")),
    [](const ::testing::TestParamInfo<Shortening>& row) { return std::string(row.param.what); });

}  // namespace
}  // namespace trv::ui
