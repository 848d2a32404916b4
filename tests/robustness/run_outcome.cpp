#include "run_outcome.h"

#include <algorithm>

#include "common/operator_texts.h"
#include "common/shared_types.h"

namespace trv::robustness {
namespace {

std::string Hex(std::uint8_t byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
}

// Completion promises that every block was written and read back equal to the file as it was
// when each pass read it; a pass that stopped early or a file that changed breaks the promise.
void CheckCompletion(const RunOutcome& outcome, std::vector<std::string>& broken) {
  const auto& messages = outcome.messages;
  if (std::count(messages.begin(), messages.end(), texts::kVerifiedMessage) > 1)
    broken.push_back("completion reported more than once");
  if (messages.front() != texts::kVerifiedMessage)
    broken.push_back("completion reported after the message \"" + messages.front() + "\"");

  const PassReads* passes[] = {&outcome.programming, &outcome.verification};
  const char* names[] = {"programming", "verification"};
  for (int p = 0; p < 2; ++p) {
    if (passes[p]->size() < kRomImageSize) {
      broken.push_back("completion reported but the " + std::string(names[p]) + " pass read only " +
                       std::to_string(passes[p]->size()) + " bytes of the file");
      return;
    }
  }
  for (std::uint32_t a = 0; a < kRomImageSize; ++a) {
    const std::uint8_t written = outcome.programming[a];
    if (outcome.flash_after[a] != written) {
      broken.push_back("completion reported but flash byte " + std::to_string(a) + " is " +
                       Hex(outcome.flash_after[a]) + " where the file had " + Hex(written));
      return;
    }
    if (outcome.verification[a] != written) {
      broken.push_back("completion reported but the file changed between the passes at byte " +
                       std::to_string(a));
      return;
    }
  }
}

// The chip's flash may only take bytes the programming pass read for that very address.
void CheckNoCorruption(const RunOutcome& outcome, std::vector<std::string>& broken) {
  const auto& read = outcome.programming;
  for (std::uint32_t a = 0; a < kRomImageSize; ++a) {
    const std::uint8_t now = outcome.flash_after[a];
    if (now == outcome.flash_before[a] || (a < read.size() && now == read[a])) continue;
    broken.push_back(
        "flash byte " + std::to_string(a) + " became " + Hex(now) + ", neither its old value " +
        Hex(outcome.flash_before[a]) +
        (a < read.size() ? " nor the file's " + Hex(read[a]) : " nor a byte of the file"));
    return;
  }
}

// A failed close is reported on its own; it does not tell why the flash was not written.
bool SaysWhy(const std::vector<std::string>& messages) {
  const std::string close_failed = texts::kCloseFailedMessage;
  return std::any_of(messages.begin(), messages.end(), [&](const std::string& message) {
    return message.compare(0, close_failed.size(), close_failed) != 0;
  });
}

}  // namespace

bool RunOutcome::completed() const {
  return std::find(messages.begin(), messages.end(), texts::kVerifiedMessage) != messages.end();
}

std::vector<std::string> CheckOutcome(const RunOutcome& outcome) {
  std::vector<std::string> broken = outcome.driver_findings;
  if (outcome.endless) broken.push_back("the run went on without end and was stopped");
  if (!outcome.window_closed && !outcome.controls_enabled)
    broken.push_back("controls left disabled");
  if (outcome.adapter_left_open) broken.push_back("adapter-open flag left set");
  if (outcome.closes > 1) broken.push_back("adapter closed more than once");
  if (outcome.pending > kLinkBufferSize) broken.push_back("pending count overflow");
  if (outcome.messages_after_close > 0) broken.push_back("a message shown after the window closed");
  if (outcome.open_files_after != outcome.open_files_before) {
    broken.push_back("the run left " +
                     std::to_string(outcome.open_files_after - outcome.open_files_before) +
                     " more files open");
  }
  if (outcome.completed()) {
    CheckCompletion(outcome, broken);
  } else if (!outcome.window_closed && !SaysWhy(outcome.messages)) {
    // Every way a run can fail tells the operator; only a closed window ends one silently.
    broken.push_back("the run ended without completing and without a message saying why");
  }
  CheckNoCorruption(outcome, broken);
  return broken;
}

}  // namespace trv::robustness
