// The operator's guide (docs/operator-guide.md) shows every message the program can show, exactly
// as it appears, in the tables of its "Messages" section, and names the window's captions as they
// stand. The program's texts are read from common/operator_texts.h itself, so a text added or
// changed there fails here until the guide follows, and a row the program no longer shows fails
// too. In the table a line break is written <br>, and the parts the program fills in (an address,
// a code, a name) are written in italics: *number*.
#include <gtest/gtest.h>

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

namespace trv {
namespace {

constexpr char kGuidePath[] = TRV_SOURCE_DIR "/docs/operator-guide.md";
constexpr char kTextsPath[] = TRV_SOURCE_DIR "/src/common/operator_texts.h";
constexpr char kMessagesHeading[] = "## Messages";
constexpr char kLineBreak[] = "<br>";
constexpr char kNumber[] = "*number*";
// The start-up reports begin with the driver library's name, which the Windows shell adds.
constexpr char kDriverLibrary[] = "QBLINK.DLL";
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

// The C string literals of each `constexpr char kName[] = "..." "...";`, joined and unescaped.
std::map<std::string, std::string> ReadOperatorTexts() {
  const std::string header = ReadFile(kTextsPath);
  const std::regex constant(
      R"re(constexpr\s+char\s+(k\w+)\[\]\s*=\s*((?:"(?:[^"\\]|\\.)*"\s*)+);)re");
  const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  const std::map<char, char> escapes = {
      {'r', '\r'}, {'n', '\n'}, {'t', '\t'}, {'"', '"'}, {'\\', '\\'}};
  std::map<std::string, std::string> texts;
  for (std::sregex_iterator it(header.begin(), header.end(), constant), end; it != end; ++it) {
    std::string value;
    const std::string literals = (*it)[2];
    for (std::sregex_iterator part(literals.begin(), literals.end(), literal); part != end;
         ++part) {
      const std::string raw = (*part)[1];
      for (std::size_t i = 0; i < raw.size(); ++i) {
        value += raw[i] == '\\' && i + 1 < raw.size() ? escapes.at(raw[++i]) : raw[i];
      }
    }
    texts[(*it)[1]] = value;
  }
  return texts;
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
    if (line.rfind("## ", 0) == 0) in_section = line == kMessagesHeading;
    if (in_section && line.rfind("|", 0) == 0) lines.push_back(line);
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

// Every message the program can show, as the guide writes it, built from the header's texts the
// way the program builds it. Each text of the header that a message uses is added to `used`.
std::set<std::string> ProgramMessages(const std::map<std::string, std::string>& texts,
                                      std::set<std::string>* used) {
  auto text = [&](const std::string& name) {
    used->insert(name);
    return texts.count(name) ? texts.at(name) : "<" + name + " missing from the header>";
  };
  std::set<std::string> messages;
  // Messages the program completes with something of its own.
  messages.insert(text("kOpenFailedMessage") + "*device description*");
  messages.insert(text("kCloseFailedMessage") + "*device description*");
  messages.insert(text("kMismatchPrefix") + kNumber + text("kAddressSuffix"));
  messages.insert(text("kReadBackFailedPrefix") + kNumber + text("kAddressSuffix"));
  for (const char* load_failure :
       {"NotFound", "DependencyMissing", "NotWin32", "StartFailed", "NotLoaded"}) {
    const std::string name = std::string("kLibrary") + load_failure;
    messages.insert(kDriverLibrary + text(name + "Prefix") + kNumber + text(name + "Suffix"));
  }
  messages.insert(kDriverLibrary + text("kLibraryEntryMissingPrefix") + "*function name*" +
                  text("kLibraryEntryMissingSuffix"));
  // Every other ...Message is shown as it stands.
  for (const auto& [name, value] : texts) {
    if (name.size() > 7 && name.compare(name.size() - 7, 7, "Message") == 0 && !used->count(name)) {
      messages.insert(text(name));
    }
  }
  // The I/O error texts as the error report shows them: the named ones, and the general one.
  for (IoError code = 0; code <= kHighestCodeTried; ++code) {
    const std::string shown = IoErrorText(code);
    if (shown.rfind(texts.at("kOtherIoErrorPrefix"), 0) != 0) messages.insert(shown);
  }
  messages.insert(
      Replace(IoErrorText(kCodeWithoutText), std::to_string(kCodeWithoutText), kNumber));
  for (IoError code : kCodesWithRowsOfTheirOwn)
    messages.insert(IoErrorText(code));
  used->insert("kOtherIoErrorPrefix");
  for (const auto& [name, value] : texts) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, "Text") == 0) {
      for (const std::string& message : messages) {
        if (message.rfind(value, 0) == 0) used->insert(name);
      }
    }
  }
  std::set<std::string> written;
  for (const std::string& message : messages)
    written.insert(Replace(message, "\r\n", kLineBreak));
  return written;
}

class OperatorGuideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    texts_ = ReadOperatorTexts();
    guide_ = ReadFile(kGuidePath);
    ASSERT_FALSE(guide_.empty()) << "cannot read " << kGuidePath;
    // The reading of the header is right where it is hardest: texts of several literals.
    ASSERT_EQ(texts_["kNoFileMessage"], texts::kNoFileMessage);
    ASSERT_EQ(texts_["kSyncFailedMessage"], texts::kSyncFailedMessage);
    messages_ = ProgramMessages(texts_, &used_);
  }
  std::map<std::string, std::string> texts_;
  std::string guide_;
  std::set<std::string> used_;
  std::set<std::string> messages_;
};

TEST_F(OperatorGuideTest, EveryMessageOfTheProgramIsARowOfTheGuide) {
  const std::vector<std::string> rows = GuideMessageRows(guide_);
  const std::set<std::string> in_guide(rows.begin(), rows.end());
  for (const std::string& message : messages_) {
    EXPECT_EQ(in_guide.count(message), 1u)
        << "the guide's Messages tables lack a row for: " << message;
  }
}

TEST_F(OperatorGuideTest, EveryRowOfTheGuideIsAMessageOfTheProgram) {
  std::set<std::string> seen;
  for (const std::string& row : GuideMessageRows(guide_)) {
    EXPECT_EQ(messages_.count(row), 1u) << "the program never shows the guide's row: " << row;
    EXPECT_TRUE(seen.insert(row).second) << "the guide has this row twice: " << row;
  }
}

TEST_F(OperatorGuideTest, EveryOtherTextOfTheProgramStandsInTheGuide) {
  for (const auto& [name, value] : texts_) {
    if (used_.count(name)) continue;
    const bool part =
        name.find("Prefix") != std::string::npos || name.find("Suffix") != std::string::npos;
    EXPECT_FALSE(part) << name << " is part of a message this test does not build yet: teach it "
                       << "how the program completes the message, and add the row to the guide";
    // The window's captions, the file filter and the box caption, quoted as the operator sees
    // them: in double quotes, or as `code` where the text holds characters Markdown would take.
    const bool quoted = guide_.find('"' + value + '"') != std::string::npos ||
                        guide_.find('`' + value + '`') != std::string::npos;
    EXPECT_TRUE(quoted) << name << " (\"" << value << "\") is not quoted in the guide";
  }
}

}  // namespace
}  // namespace trv
