// The operator's guide (docs/operator-guide.md) shows every message the program can show, exactly
// as it appears, in the tables of its "Messages" section, and quotes the window's captions as they
// stand. The program's texts come from the table it exports (texts::kOperatorTexts), so a text
// added or changed there fails here until the guide follows, and a row the program no longer
// shows fails too. In the table a line break is written <br>, and the parts the program fills in
// (an address, a code, a name) are written in italics: *number*.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/operator_texts.h"
#include "common/rom_file.h"

namespace trv {
namespace {

using texts::OperatorText;
using texts::TextUse;

constexpr char kGuidePath[] = TRV_SOURCE_DIR "/docs/operator-guide.md";
constexpr char kTextsPath[] = TRV_SOURCE_DIR "/src/common/operator_texts.h";
constexpr char kMessagesHeading[] = "## Messages";
// How the header declares each text.
constexpr char kTextDeclaration[] = "\nconstexpr char k";
// The largest I/O error code looked at for texts of their own; Windows codes that matter for a
// file are far below it.
constexpr IoError kHighestCodeTried = 20000;
// A code with no text of its own, to show the form of the general I/O error text.
constexpr IoError kCodeWithoutText = 1117;
// Codes shown in the general text that the guide explains in rows of their own: another program
// holding the file open (32) or locked (33).
constexpr IoError kCodesWithRowsOfTheirOwn[] = {32, 33};

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

// The first cell of every table row in the Messages section, header rows left out.
std::vector<std::string> GuideMessageRows(const std::string& guide) {
  std::vector<std::string> lines;
  std::istringstream stream(guide);
  bool in_section = false;
  for (std::string line; std::getline(stream, line);) {
    if (StartsWith(line, "## ")) in_section = line == kMessagesHeading;
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

// The error reports on the ROM file as the program shows them: the texts of the codes that have
// their own, the general text with its code in italics, and the codes the guide explains alone.
std::set<std::string> IoErrorMessages() {
  std::set<std::string> messages;
  for (IoError code = 0; code <= kHighestCodeTried; ++code) {
    const std::string shown = IoErrorText(code);
    if (!StartsWith(shown, texts::kOtherIoErrorPrefix)) messages.insert(shown);
  }
  messages.insert(
      Replace(IoErrorText(kCodeWithoutText), std::to_string(kCodeWithoutText), "*number*"));
  for (IoError code : kCodesWithRowsOfTheirOwn)
    messages.insert(IoErrorText(code));
  return messages;
}

// Every message the program can show, as the guide writes it.
std::set<std::string> ProgramMessages() {
  std::set<std::string> messages = IoErrorMessages();
  for (const OperatorText& text : texts::kOperatorTexts) {
    if (text.use == TextUse::kMessage)
      messages.insert(std::string(text.before) + text.text + text.filled_in + text.end);
  }
  std::set<std::string> written;
  for (const std::string& message : messages)
    written.insert(Replace(message, "\r\n", "<br>"));
  return written;
}

class OperatorGuideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    guide_ = ReadFile(kGuidePath);
    ASSERT_FALSE(guide_.empty()) << "cannot read " << kGuidePath;
  }
  std::string guide_;
  std::set<std::string> messages_ = ProgramMessages();
};

TEST_F(OperatorGuideTest, EveryMessageOfTheProgramIsARowOfTheGuideAndEveryRowAMessage) {
  std::set<std::string> in_guide;
  for (const std::string& row : GuideMessageRows(guide_)) {
    EXPECT_EQ(messages_.count(row), 1u) << "the program never shows the guide's row: " << row;
    EXPECT_TRUE(in_guide.insert(row).second) << "the guide has this row twice: " << row;
  }
  for (const std::string& message : messages_) {
    EXPECT_EQ(in_guide.count(message), 1u)
        << "the guide's Messages tables lack a row for: " << message;
  }
}

// The window's captions, the file filter, the box caption and the reason Windows lists, quoted
// as the operator sees them: in double quotes, or as `code` where the text holds characters
// Markdown would take.
TEST_F(OperatorGuideTest, EveryCaptionIsQuotedInTheGuide) {
  for (const OperatorText& text : texts::kOperatorTexts) {
    if (text.use != TextUse::kCaption) continue;
    const std::string value = text.text;
    const bool quoted = guide_.find('"' + value + '"') != std::string::npos ||
                        guide_.find('`' + value + '`') != std::string::npos;
    EXPECT_TRUE(quoted) << text.name << " (\"" << value << "\") is not quoted in the guide";
  }
}

// A text the table leaves out, or lists as part of a message that never uses it, would reach the
// operator without the guide.
TEST_F(OperatorGuideTest, TheTableHoldsEveryTextOfTheProgramInTheMessagesThatUseIt) {
  const std::string header = ReadFile(kTextsPath);
  std::size_t declared = 0;
  for (std::size_t at = header.find(kTextDeclaration); at != std::string::npos;
       at = header.find(kTextDeclaration, at + 1))
    ++declared;
  EXPECT_EQ(std::size(texts::kOperatorTexts), declared);

  std::set<std::string> ends;
  for (const OperatorText& text : texts::kOperatorTexts)
    ends.insert(text.end);
  std::vector<std::string> io_errors;
  for (IoError code = 0; code <= kHighestCodeTried; ++code)
    io_errors.push_back(IoErrorText(code));
  for (const OperatorText& text : texts::kOperatorTexts) {
    if (text.use == TextUse::kMessageEnd) {
      EXPECT_EQ(ends.count(text.text), 1u) << text.name << " ends no message of the table";
    } else if (text.use == TextUse::kIoErrorText) {
      const bool shown =
          std::any_of(io_errors.begin(), io_errors.end(),
                      [&](const std::string& io) { return StartsWith(io, text.text); });
      EXPECT_TRUE(shown) << text.name << " starts no error report on the ROM file";
    }
  }
}

}  // namespace
}  // namespace trv
