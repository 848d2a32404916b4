// The check's report as the operator copies it: a header that says what the bench is (program,
// Windows, driver library, adapter), then one line per check, as plain text with Windows line ends.
#pragma once

#include <string>
#include <vector>

#include "check/check_view.h"

namespace trv {

// The header's values, as the program found them.
struct ReportHeader {
  std::string program_version;
  std::string windows_version;
  std::string library_path;     // empty where no driver library was found
  std::string library_version;  // empty where it has no file version
  std::string adapter;          // the chosen adapter's description; empty where none was chosen
};

const char* CheckName(CheckId check);
const char* OutcomeName(Outcome outcome);
// "<check>: <outcome>. <text>", and where there is advice, "What to do: <advice>" on a line of its
// own.
std::string LineText(const CheckLine& line);
std::string ComposeReport(const ReportHeader& header, const std::vector<CheckLine>& lines);

}  // namespace trv
