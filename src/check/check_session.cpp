#include "check/check_session.h"

#include <algorithm>

#include "check/check_texts.h"
#include "common/operator_texts.h"

namespace trv {

std::string WithNumber(const char* text, std::uint64_t number) {
  return texts::FilledIn(text, {std::to_string(number)});
}

PumpReport CheckSession::HoldCounter::PumpMessages() {
  const PumpReport report = window_.PumpMessages();
  held_us_ += report.held_us;
  return report;
}

CheckSession::CheckSession(CheckTools& tools)
    : tools_(tools),
      driver_(*tools.library.driver),
      link_(driver_, tools.clock, tools.buffers),
      pump_(tools.pump),
      loader_(link_, pump_) {}

bool CheckSession::Show(const CheckLine& line) {
  tools_.view.ShowLine(line);
  return loader_.Pump();
}

CheckLine CheckSession::UnlessGone(CheckLine line) {
  if (!open_ || stopped()) return line;
  // An adapter that no longer answers even this has gone, whatever else went wrong.
  std::uint32_t waiting = 0;
  const StatusResult status = driver_.QB_GetQueueStatus(handle(), &waiting);
  if (status == kStatusOk) return line;
  adapter_gone_ = true;
  return {line.check, Outcome::kFailed, WithNumber(check_texts::kAdapterGoneMessage, status),
          check_texts::kAdapterGoneAdvice};
}

std::optional<CheckLine> CheckSession::Open(CheckId check, const std::string& description) {
  namespace t = check_texts;
  if (description.empty()) {
    return CheckLine{check, Outcome::kFailed, t::kNoAdapterChosenMessage,
                     t::kNoAdapterChosenAdvice};
  }
  AdapterHandle opened = 0;
  const StatusResult status = driver_.QB_OpenEx(description.c_str(), kOpenByDescription, &opened);
  if (status != kStatusOk) {
    // An adapter that is still listed is there, and held by someone else.
    const AdapterList list = EnumerateAdapters(driver_, tools_.clock);
    const auto& listed = list.descriptions;
    if (std::find(listed.begin(), listed.end(), description) == listed.end()) {
      return CheckLine{check, Outcome::kFailed, WithNumber(t::kNotListedMessage, status),
                       t::kNotListedAdvice};
    }
    return CheckLine{check, Outcome::kFailed, WithNumber(t::kOpenRefusedMessage, status),
                     t::kOpenRefusedAdvice};
  }
  open_ = true;
  tools_.adapter.handle = opened;
  tools_.adapter.open = true;
  tools_.adapter.returning_to_normal = true;
  link_.ClearBuffers();
  return std::nullopt;
}

void CheckSession::HoldChipInReset() {
  chip_ = ChipState::kHeldInReset;
  link_.HoldInReset(handle());
}

std::optional<CheckLine> CheckSession::BringUpLoader(CheckId check, SyncReport& sync) {
  namespace t = check_texts;
  // From the restart on, the way out returns the chip to normal operation.
  chip_ = ChipState::kInLoader;
  const std::optional<BringUpFailure> failure = trv::BringUpLoader(loader_, handle(), &sync);
  if (!failure) return std::nullopt;
  switch (failure->step) {
    case BringUpStep::kUartInitialise:
    case BringUpStep::kUartSetup:
      return Failed(check, WithNumber(t::kSetUpRefusedAtRestartMessage, failure->status),
                    t::kReplugAdvice);
    case BringUpStep::kLoaderRate:
      return Failed(check, t::kRateChangeNotSentMessage, t::kReplugAdvice);
    case BringUpStep::kSynchronise:
      break;
  }
  if (sync.heard_anything) return Failed(check, t::kNotTheLoaderMessage, t::kNotTheLoaderAdvice);
  return Failed(check, t::kNothingAnsweredMessage, t::kNothingAnsweredAdvice);
}

const char* CheckSession::ReceiveBlock(std::uint16_t address) {
  namespace t = check_texts;
  if (!WaitForAck(loader_, handle())) return t::kReadNotAcknowledgedMessage;
  if (WaitForBytes(loader_, handle(), kReadBlockLength))
    return link_.Read(handle(), kReadBlockLength) < kReadBlockLength ? t::kBlockShortMessage
                                                                     : nullptr;
  // The rest of the command, sent back as it went, is no block: the wire loops.
  const std::uint8_t echo[] = {static_cast<std::uint8_t>(address & 0xFF),
                               static_cast<std::uint8_t>(address >> 8),
                               static_cast<std::uint8_t>(kReadBlockLength)};
  const std::uint32_t waiting = link_.BytesWaiting(handle());
  const bool echoed = waiting == sizeof echo && link_.Read(handle(), waiting) == waiting &&
                      std::equal(echo, echo + sizeof echo, link_.received().bytes.begin());
  return echoed ? t::kReadEchoedMessage : t::kBlockShortMessage;
}

CheckLine CheckSession::BlockFailed(CheckId check, const char* failure, std::uint16_t address) {
  namespace t = check_texts;
  return Failed(check, WithNumber(failure, address + 1u),
                failure == t::kReadEchoedMessage ? t::kReadEchoedAdvice : t::kReadAdvice);
}

void CheckSession::DiscardWaiting() {
  link_.DiscardWaiting(handle());
}

bool CheckSession::WaitForWaiting(std::uint32_t count) {
  return WaitForBytesPumping(loader_, handle(), count);
}

CheckSession::Stopwatch CheckSession::StartStopwatch() {
  return {tools_.clock.NowUs(), pump_.held_us()};
}

std::uint64_t CheckSession::ElapsedUs(const Stopwatch& watch) {
  const std::uint64_t elapsed_us = tools_.clock.NowUs() - watch.start_us;
  return elapsed_us - std::min(elapsed_us, pump_.held_us() - watch.held_us);
}

void CheckSession::Release() noexcept {
  if (!open_) return;
  open_ = false;
  try {
    if (!adapter_gone_ && chip_ == ChipState::kInLoader) ReturnToNormalOperation(loader_, handle());
    if (!adapter_gone_ && chip_ == ChipState::kHeldInReset) link_.EnterRunMode(handle());
  } catch (...) {
    // The driver failed again on the way out; the close is still owed.
  }
  try {
    driver_.QB_Close(handle());
  } catch (...) {
    // Its handle is not used any more either way.
  }
  tools_.adapter.open = false;
  tools_.adapter.returning_to_normal = false;
}

}  // namespace trv
