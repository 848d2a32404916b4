// The operator's guide (docs/operator-guide.md) shows every message each program can show, exactly
// as it appears, in the tables of the sections given for it (the programmer's "Messages", the
// check's chapters), and quotes the windows' captions as they stand. The texts are read from the
// header that holds them all for each program, so a text added or changed there fails here until
// the guide follows, and a row the program no longer shows fails too. In the tables a line break
// is written <br>, and the parts the program fills in (an address, a code, a name) are written in
// italics: *number*; the driver library is named as the operator reads it, QBLINK.DLL or
// *folder*\QBLINK.DLL. A caption with places is quoted with its places in italics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/operator_texts.h"
#include "common/rom_file.h"
#include "tests/support/text_places.h"

namespace trv {
namespace {

constexpr char kGuidePath[] = TRV_SOURCE_DIR "/docs/operator-guide.md";

// A header of texts and where the guide holds its messages.
struct TextsUnderTest {
  const char* name;
  const char* header;
  std::vector<std::string> sections;  // the "## " headings whose tables hold its messages
  // The programmer's: the ROM file's error reports are among its messages (the check shows them
  // as the programmer's), and the first place of its start-up reports names the driver library.
  bool programmer;
  // The guide's chapters on the check come after its program: until they are written, there is
  // nothing to hold its texts to.
  bool chapters_may_be_unwritten;
};

void PrintTo(const TextsUnderTest& texts, std::ostream* out) {
  *out << texts.name;
}

const TextsUnderTest kProgrammerTexts{
    "Programmer", TRV_SOURCE_DIR "/src/common/operator_texts.h", {"## Messages"}, true, false};
const TextsUnderTest kCheckTexts{
    "Check",
    TRV_SOURCE_DIR "/src/check/check_texts.h",
    {"## Checking the adapter and the chip", "## Saving and comparing the chip's flash"},
    false,
    true};
// The largest I/O error code looked at for texts of their own; Windows codes that matter for a
// file are far below it.
constexpr IoError kHighestCodeTried = 20000;
// A code with no text of its own, to show the form of the general I/O error text.
constexpr IoError kCodeWithoutText = 1117;
// Codes shown in the general text that the guide explains in rows of their own: another program
// holding the file open (32) or locked (33).
constexpr IoError kCodesWithRowsOfTheirOwn[] = {32, 33};
// How the names of the texts that are messages or parts of one end; any other text is a caption.
constexpr const char* kMessagePartNames[] = {"Message", "Report", "Prefix", "Text", "Suffix"};
// Where the program completes a message after its text, with what follows, as the guide's rows
// are compared: a place the program fills in is %.
const std::map<std::string, std::string> kCompletions = {
    {"kOpenFailedMessage", "%"},
    {"kCloseFailedMessage", "%"},
    {"kReadBackFailedPrefix", std::string("%") + texts::kAddressSuffix},
    {"kMismatchPrefix", std::string("%") + texts::kAddressSuffix},
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Every text the header declares, by name, as the program holds it: the string literals of each
// "constexpr char kName[] = ...;" joined, with their line breaks, the one escape they use.
std::map<std::string, std::string> DeclaredTexts(const std::string& header) {
  static const std::regex declaration(R"re(constexpr char (k\w+)\[\] =((\s*"[^"]*")+);)re");
  static const std::regex literal(R"re("([^"]*)")re");
  std::map<std::string, std::string> texts;
  for (std::sregex_iterator at(header.begin(), header.end(), declaration), end; at != end; ++at) {
    const std::string literals = (*at)[2];
    for (std::sregex_iterator part(literals.begin(), literals.end(), literal); part != end; ++part)
      texts[(*at)[1]] += Replace((*part)[1], "\\r\\n", "\r\n");
  }
  return texts;
}

// A message as the guide's rows are compared: each place the program fills in (%1, or *italics*
// in the guide) is %, its line breaks are <br>, and the driver library is QBLINK.DLL wherever its
// folder is named.
std::string Compared(const std::string& message) {
  static const std::regex place(R"(%[0-9]|\*[^*]+\*)");
  return std::regex_replace(
      Replace(Replace(message, "\r\n", "<br>"), "*folder*\\QBLINK.DLL", "QBLINK.DLL"), place, "%");
}

// A table cell as the reader sees the text: backslash escapes undone, spaces at the ends gone.
std::string CellText(const std::string& cell) {
  std::string text;
  for (std::size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] == '\\' && i + 1 < cell.size() &&
        std::ispunct(static_cast<unsigned char>(cell[i + 1])))
      ++i;
    text += cell[i];
  }
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The first cell of every table row in the `sections`, header rows left out.
std::vector<std::string> GuideMessageRows(const std::string& guide,
                                          const std::vector<std::string>& sections) {
  std::vector<std::string> lines;
  std::istringstream stream(guide);
  bool in_section = false;
  for (std::string line; std::getline(stream, line);) {
    if (StartsWith(line, "## "))
      in_section = std::find(sections.begin(), sections.end(), line) != sections.end();
    if (in_section && StartsWith(line, "|")) lines.push_back(line);
  }
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool separator = lines[i].find_first_not_of("|-: ") == std::string::npos;
    const bool header =
        i + 1 < lines.size() && lines[i + 1].find_first_not_of("|-: ") == std::string::npos;
    if (separator || header) continue;
    // The first cell ends at the first '|' that no backslash escapes.
    std::size_t end = 1;
    while (end < lines[i].size() && !(lines[i][end] == '|' && lines[i][end - 1] != '\\'))
      ++end;
    rows.push_back(CellText(lines[i].substr(1, end - 1)));
  }
  return rows;
}

// Every message the program can show, as the guide's rows are compared: for the programmer, the
// error reports on the ROM file (the texts of the codes that have their own, the general text with
// its code, and the codes the guide explains alone); and the messages of the header, the
// programmer's start-up reports naming the driver library (%1).
std::set<std::string> ProgramMessages(const std::map<std::string, std::string>& declared,
                                      bool programmer) {
  std::set<std::string> messages;
  for (IoError code = 0; programmer && code <= kHighestCodeTried; ++code) {
    const std::string shown = IoErrorText(code);
    if (!StartsWith(shown, texts::kOtherIoErrorPrefix)) messages.insert(Compared(shown));
  }
  if (programmer) {
    messages.insert(Compared(Replace(IoErrorText(kCodeWithoutText), "1117", "%")));
    for (IoError code : kCodesWithRowsOfTheirOwn)
      messages.insert(Compared(IoErrorText(code)));
  }
  for (const auto& [name, text] : declared) {
    const auto completion = kCompletions.find(name);
    if (completion != kCompletions.end())
      messages.insert(Compared(text + completion->second));
    else if (EndsWith(name, "Message") || EndsWith(name, "Report"))
      messages.insert(Compared(programmer ? texts::FilledIn(text.c_str(), {"QBLINK.DLL"}) : text));
  }
  return messages;
}

// Whether the guide quotes `caption` in double quotes, or as `code` where it holds characters
// Markdown would take; each of its places as any text in italics.
bool Quoted(const std::string& guide, const std::string& caption) {
  const std::string text = test::PlacesPattern(caption, R"(\*[^*]+\*)");
  return std::regex_search(guide, std::regex("\"" + text + "\"|`" + text + "`"));
}

class OperatorGuideTest : public ::testing::TestWithParam<TextsUnderTest> {
 protected:
  void SetUp() override {
    guide_ = ReadFile(kGuidePath);
    ASSERT_FALSE(guide_.empty()) << "cannot read " << kGuidePath;
    const bool written = std::any_of(
        GetParam().sections.begin(), GetParam().sections.end(), [&](const std::string& heading) {
          return guide_.find("\n" + heading + "\n") != std::string::npos;
        });
    if (!written && GetParam().chapters_may_be_unwritten)
      GTEST_SKIP() << "the guide has no chapter on these texts yet";
    ASSERT_TRUE(written) << "the guide has none of the sections for " << GetParam().name;
    // Every text declared is read, or the checks below would pass it by.
    const std::string header = ReadFile(GetParam().header);
    ASSERT_FALSE(header.empty()) << "cannot read " << GetParam().header;
    declared_ = DeclaredTexts(header);
    const std::regex declaration("constexpr char k");
    ASSERT_EQ(std::distance(std::sregex_iterator(header.begin(), header.end(), declaration),
                            std::sregex_iterator()),
              static_cast<std::ptrdiff_t>(declared_.size()));
  }
  std::string guide_;
  std::map<std::string, std::string> declared_;
};

TEST_P(OperatorGuideTest, EveryMessageOfTheProgramIsARowOfTheGuideAndEveryRowAMessage) {
  const std::set<std::string> messages = ProgramMessages(declared_, GetParam().programmer);
  std::set<std::string> in_guide;
  for (const std::string& row : GuideMessageRows(guide_, GetParam().sections)) {
    EXPECT_EQ(messages.count(Compared(row)), 1u)
        << "the program never shows the guide's row: " << row;
    EXPECT_TRUE(in_guide.insert(Compared(row)).second) << "the guide has this row twice: " << row;
  }
  for (const std::string& message : messages) {
    EXPECT_EQ(in_guide.count(message), 1u)
        << "the guide's Messages tables lack a row for: " << message;
  }
}

// The window's captions, the file filter, the box caption, the reason Windows lists, and the
// check's advice and forms of its lines, quoted as the operator sees them. The other texts are
// messages or their parts, which the rows hold.
TEST_P(OperatorGuideTest, EveryCaptionIsQuotedInTheGuide) {
  for (const auto& [name, value] : declared_) {
    const bool caption = std::none_of(std::begin(kMessagePartNames), std::end(kMessagePartNames),
                                      [&](const char* end) { return EndsWith(name, end); });
    if (!caption) continue;
    EXPECT_TRUE(Quoted(guide_, value)) << name << " (\"" << value << "\") is not quoted";
  }
}

INSTANTIATE_TEST_SUITE_P(, OperatorGuideTest, ::testing::Values(kProgrammerTexts, kCheckTexts),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace trv
