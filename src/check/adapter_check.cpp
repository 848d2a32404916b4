#include "check/adapter_check.h"

#include <algorithm>
#include <cstdio>

#include "check/check_session.h"
#include "check/check_texts.h"
#include "check/run_time_model.h"
#include "check/wire_loop.h"
#include "common/operator_texts.h"

namespace trv {
namespace {

namespace t = check_texts;

// Bytes on the wire in a loop's single-byte trip, and in the chip's read-address command and its
// acknowledgement.
constexpr std::uint64_t kLoopTripBytes = 1;
constexpr std::uint64_t kReadTripBytes = 5;

// In tenths: a round trip varies by some hundredths of a millisecond from one check to the next
// with the moment the reply is polled, while what tells adapter settings apart is a millisecond.
std::string Milliseconds(std::uint64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(us) / 1000);
  return text;
}

// In two figures, as fine as the estimate is: a run waits for about 1,500 replies, so the few
// hundredths of a millisecond by which a round trip varies move it by a tenth of a second.
std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, seconds < 10 ? "%.1f" : "%.0f", seconds);
  return text;
}

CheckLine Passed(CheckId check, const std::string& text) {
  return {check, Outcome::kPassed, text, ""};
}

CheckLine NotTried(CheckId check, const char* why) {
  return {check, Outcome::kNotTried, why, ""};
}

// The driver's refusal of a port setting, in the operator's words.
std::string Refusal(UartSetting setting, std::uint32_t baud, StatusResult status) {
  const char* text = t::kRefusedFlowControlMessage;
  if (setting == UartSetting::kBaudRate) {
    text = baud == kLoaderBaud ? t::kRefused115200Message : t::kRefused1000000Message;
  } else if (setting == UartSetting::kDataCharacteristics) {
    text = t::kRefusedFramingMessage;
  }
  return WithNumber(text, status);
}

RunEstimate Estimate(std::uint64_t round_trip_us, std::uint64_t bytes_in_trip) {
  const std::uint64_t wire_us = bytes_in_trip * ByteTimeNs(kProgrammingBaud) / 1000;
  const std::uint64_t latency_us = round_trip_us - std::min(round_trip_us, wire_us);
  return {round_trip_us, latency_us, ProgrammingRunSeconds(latency_us)};
}

class CheckRun {
 public:
  CheckRun(CheckTools& tools, CheckResult& result)
      : tools_(tools), result_(result), session_(tools) {}

  void Execute(const std::string& description);

 private:
  bool Show(const CheckLine& line) {
    result_.lines.push_back(line);
    return session_.Show(line);
  }
  // Every check from `first` to the last could not run, for the reason given.
  void NotTriedFrom(CheckId first, const char* why);
  bool CheckAdapter(const std::string& description);
  bool CheckSerialSetUp();
  CheckLine LoopLine(LoopResult& loop);
  void CheckWire();
  std::optional<CheckLine> ReadOneBlock(std::uint64_t& round_trip_us);
  void CheckChip();
  void CheckRunTime();

  CheckTools& tools_;
  CheckResult& result_;
  CheckSession session_;
};

void CheckRun::NotTriedFrom(CheckId first, const char* why) {
  for (auto check = static_cast<int>(first); check <= static_cast<int>(CheckId::kRunTime);
       ++check) {
    if (!Show(NotTried(static_cast<CheckId>(check), why))) return;
  }
}

void CheckRun::Execute(const std::string& description) {
  const DriverLibrary& library = tools_.library;
  const std::string found =
      library.file_version.empty()
          ? texts::FilledIn(t::kLibraryLoadedNoVersionMessage, {library.path})
          : texts::FilledIn(t::kLibraryLoadedMessage, {library.path, library.file_version});
  if (!Show(Passed(CheckId::kDriverLibrary, found))) return;
  if (!CheckAdapter(description)) return;
  if (!CheckSerialSetUp()) return;
  CheckWire();
}

bool CheckRun::CheckAdapter(const std::string& description) {
  const AdapterList list = EnumerateAdapters(*tools_.library.driver, tools_.clock);
  std::optional<CheckLine> failure;
  if (list.status != kStatusOk) {
    failure = CheckLine{CheckId::kAdapter, Outcome::kFailed,
                        WithNumber(t::kListFailedMessage, list.status), t::kListFailedAdvice};
  } else if (list.none_attached) {
    failure = CheckLine{CheckId::kAdapter, Outcome::kFailed, t::kNoAdapterListedMessage,
                        t::kNoAdapterListedAdvice};
  } else {
    failure = session_.Open(CheckId::kAdapter, description);
  }
  if (failure) {
    if (Show(*failure)) NotTriedFrom(CheckId::kSerialSetUp, t::kNotTriedNoAdapterMessage);
    return false;
  }
  return Show(
      Passed(CheckId::kAdapter, WithNumber(t::kAdaptersListedMessage, list.descriptions.size())));
}

// The programmer's set-up at the loader's starting rate, then the programming rate.
bool CheckRun::CheckSerialSetUp() {
  AdapterLink& link = session_.link();
  UartSetting refused = UartSetting::kBaudRate;
  std::uint32_t baud = kLoaderBaud;
  StatusResult status = link.InitialiseUart(session_.handle(), &refused);
  if (status == kStatusOk) {
    baud = kProgrammingBaud;
    status = link.ConfigureUart(session_.handle(), baud, &refused);
  }
  if (status == kStatusOk) return Show(Passed(CheckId::kSerialSetUp, t::kSetUpAcceptedMessage));
  if (Show(session_.Failed(CheckId::kSerialSetUp, Refusal(refused, baud, status), t::kSetUpAdvice)))
    NotTriedFrom(CheckId::kLoopback, session_.adapter_gone() ? t::kNotTriedAdapterGoneMessage
                                                             : t::kNotTriedNoSetUpMessage);
  return false;
}

// The loopback check's line for what came of sending bytes round the wire.
CheckLine CheckRun::LoopLine(LoopResult& loop) {
  using Kind = LoopResult::Kind;
  const bool slow = loop.rate == kLoaderBaud;
  switch (loop.kind) {
    case Kind::kIntact: {
      std::vector<std::uint64_t>& trips = loop.round_trips_us;
      std::sort(trips.begin(), trips.end());
      const std::uint64_t median_us = trips[trips.size() / 2];
      result_.estimate = Estimate(median_us, kLoopTripBytes);
      return Passed(CheckId::kLoopback,
                    texts::FilledIn(t::kLoopIntactMessage,
                                    {Milliseconds(median_us), Milliseconds(trips.back())}));
    }
    case Kind::kLost:
      return session_.Failed(
          CheckId::kLoopback,
          WithNumber(slow ? t::kLoopLost115200Message : t::kLoopLost1000000Message, loop.missing),
          t::kLoopAdvice);
    case Kind::kChanged:
      return session_.Failed(CheckId::kLoopback,
                             slow ? t::kLoopChanged115200Message : t::kLoopChanged1000000Message,
                             t::kLoopAdvice);
    case Kind::kTookNothing:
      return session_.Failed(CheckId::kLoopback, t::kTookNothingMessage, t::kReplugAdvice);
    case Kind::kNoLoop:
    case Kind::kStopped:
      break;
  }
  // Nothing back may also be an adapter that has gone.
  return session_.UnlessGone(NotTried(CheckId::kLoopback, t::kNoLoopbackMessage));
}

// A loop means no chip is on the wire: the chip's check runs only where nothing came back, since
// a loop answers the handshake and even the acknowledgement byte.
void CheckRun::CheckWire() {
  using Kind = LoopResult::Kind;
  LoopResult loop = TestLoop(session_);
  if (loop.kind == Kind::kStopped || !Show(LoopLine(loop))) return;
  if (session_.adapter_gone()) return NotTriedFrom(CheckId::kChip, t::kNotTriedAdapterGoneMessage);
  if (loop.kind == Kind::kNoLoop) return CheckChip();
  const char* why = t::kNotTriedLoopFailedMessage;
  if (loop.kind == Kind::kIntact) why = t::kChipNotTriedLoopMessage;
  if (loop.kind == Kind::kTookNothing) why = t::kTookNothingMessage;
  if (Show(NotTried(CheckId::kChip, why))) CheckRunTime();
}

// One read-address command of the first block, its round trip timed from the command to the
// acknowledgement's arrival; the line that says why where the block did not come.
std::optional<CheckLine> CheckRun::ReadOneBlock(std::uint64_t& round_trip_us) {
  constexpr std::uint16_t kAddress = 0;
  session_.DiscardWaiting();
  const CheckSession::Stopwatch watch = session_.StartStopwatch();
  SendReadAddress(session_.loader(), session_.handle(), kAddress);
  const bool replied = session_.WaitForWaiting(1);
  round_trip_us = session_.ElapsedUs(watch);
  const char* failure = replied ? session_.ReceiveBlock(kAddress) : t::kReadNotAcknowledgedMessage;
  if (failure == nullptr) return std::nullopt;
  return session_.BlockFailed(CheckId::kChip, failure, kAddress);
}

// The loader brought up as a run does it, then one block read, never a write.
void CheckRun::CheckChip() {
  SyncReport sync;
  std::optional<CheckLine> failure = session_.BringUpLoader(CheckId::kChip, sync);
  std::uint64_t round_trip_us = 0;
  if (!failure) failure = ReadOneBlock(round_trip_us);
  if (session_.stopped()) return;
  CheckLine line = Passed(CheckId::kChip,
                          texts::FilledIn(t::kChipAnsweredMessage, {Milliseconds(round_trip_us)}));
  if (failure) {
    line = *failure;
  } else {
    result_.estimate = Estimate(round_trip_us, kReadTripBytes);
    // A run still works with it, but waits out the probe phase first.
    if (!sync.probe_echoed)
      line = {CheckId::kChip, Outcome::kFailed, t::kConfirmOnlyMessage, t::kConfirmOnlyAdvice};
  }
  if (Show(line)) CheckRunTime();
}

void CheckRun::CheckRunTime() {
  if (!result_.estimate) {
    Show(NotTried(CheckId::kRunTime, t::kNotTriedNoRoundTripMessage));
    return;
  }
  const RunEstimate& estimate = *result_.estimate;
  CheckLine line = Passed(
      CheckId::kRunTime,
      texts::FilledIn(t::kRunTimeMessage,
                      {Seconds(estimate.run_seconds), Milliseconds(estimate.round_trip_us)}));
  if (estimate.round_trip_us >= kLongRoundTripUs) line.advice = t::kLongRoundTripAdvice;
  Show(line);
}

}  // namespace

CheckResult RunCheck(CheckTools& tools, const std::string& description) {
  CheckResult result;
  const DriverLibrary& library = tools.library;
  if (library.driver == nullptr) {
    // The start-up report's first line says what went wrong, its second what to do.
    const std::size_t line_end = library.problem.find("\r\n");
    const std::string advice =
        line_end == std::string::npos ? std::string() : library.problem.substr(line_end + 2);
    result.lines.push_back(
        {CheckId::kDriverLibrary, Outcome::kFailed, library.problem.substr(0, line_end), advice});
    for (auto check = static_cast<int>(CheckId::kAdapter);
         check <= static_cast<int>(CheckId::kRunTime); ++check) {
      result.lines.push_back(NotTried(static_cast<CheckId>(check), t::kNotTriedNoLibraryMessage));
    }
    for (const CheckLine& line : result.lines)
      tools.view.ShowLine(line);
    return result;
  }
  CheckRun(tools, result).Execute(description);
  return result;
}

}  // namespace trv
