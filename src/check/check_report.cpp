#include "check/check_report.h"

#include "check/check_texts.h"

namespace trv {
namespace {

constexpr char kLineEnd[] = "\r\n";

}  // namespace

const char* CheckName(CheckId check) {
  switch (check) {
    case CheckId::kDriverLibrary:
      return check_texts::kDriverLibraryName;
    case CheckId::kAdapter:
      return check_texts::kAdapterName;
    case CheckId::kSerialSetUp:
      return check_texts::kSerialSetUpName;
    case CheckId::kLoopback:
      return check_texts::kLoopbackName;
    case CheckId::kChip:
      return check_texts::kChipName;
    case CheckId::kRunTime:
      return check_texts::kRunTimeName;
    case CheckId::kFlashRead:
      return check_texts::kFlashReadName;
    case CheckId::kCompare:
      break;
  }
  return check_texts::kCompareName;
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kPassed:
      return check_texts::kPassed;
    case Outcome::kFailed:
      return check_texts::kFailed;
    case Outcome::kNotTried:
      break;
  }
  return check_texts::kNotTried;
}

std::string LineText(const CheckLine& line) {
  std::string text =
      std::string(CheckName(line.check)) + ": " + OutcomeName(line.outcome) + ". " + line.text;
  if (!line.advice.empty()) text += kLineEnd + std::string(check_texts::kWhatToDo) + line.advice;
  return text;
}

std::string ComposeReport(const ReportHeader& header, const std::vector<CheckLine>& lines) {
  namespace t = check_texts;
  std::string library = header.library_path.empty() ? t::kReportNoLibrary : header.library_path;
  if (!header.library_path.empty()) {
    library += header.library_version.empty()
                   ? std::string(t::kLibraryNoFileVersion)
                   : std::string(t::kLibraryFileVersion) + header.library_version;
  }
  std::string report = t::kReportProgram + header.program_version + kLineEnd + t::kReportWindows +
                       header.windows_version + kLineEnd + t::kReportLibrary + library + kLineEnd +
                       t::kReportAdapter +
                       (header.adapter.empty() ? t::kReportNoAdapter : header.adapter) + kLineEnd;
  for (const CheckLine& line : lines)
    report += kLineEnd + LineText(line);
  return report + kLineEnd;
}

}  // namespace trv
