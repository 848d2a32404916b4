#include "check/check_report.h"

#include "check/check_texts.h"
#include "common/operator_texts.h"

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
    case CheckId::kSaveFlash:
      return check_texts::kSaveFlashName;
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
  using texts::FilledIn;
  std::string text = FilledIn(check_texts::kCheckLine,
                              {CheckName(line.check), OutcomeName(line.outcome), line.text});
  if (!line.advice.empty()) text += kLineEnd + FilledIn(check_texts::kWhatToDoLine, {line.advice});
  return text;
}

std::string ComposeReport(const ReportHeader& header, const std::vector<CheckLine>& lines) {
  namespace t = check_texts;
  using texts::FilledIn;
  std::string library = t::kNoLibraryLine;
  if (!header.library_path.empty()) {
    library = header.library_version.empty()
                  ? FilledIn(t::kLibraryNoVersionLine, {header.library_path})
                  : FilledIn(t::kLibraryLine, {header.library_path, header.library_version});
  }
  const std::string adapter =
      header.adapter.empty() ? t::kNoAdapterLine : FilledIn(t::kAdapterLine, {header.adapter});
  std::string report = FilledIn(t::kProgramLine, {header.program_version}) + kLineEnd +
                       FilledIn(t::kWindowsLine, {header.windows_version}) + kLineEnd + library +
                       kLineEnd + adapter + kLineEnd;
  for (const CheckLine& line : lines)
    report += kLineEnd + LineText(line);
  return report + kLineEnd;
}

}  // namespace trv
