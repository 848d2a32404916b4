#include "check/adapter_check.h"

#include <algorithm>
#include <cstdio>

#include "check/check_session.h"
#include "check/check_texts.h"
#include "check/run_time_model.h"
#include "check/wire_loop.h"

namespace trv {
namespace {

namespace t = check_texts;

// Bytes on the wire in a loop's single-byte trip, and in the chip's read-address command and its
// acknowledgement.
constexpr std::uint64_t kLoopTripBytes = 1;
constexpr std::uint64_t kReadTripBytes = 5;

std::string Milliseconds(std::uint64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(us) / 1000);
  return text;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
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
  const char* text = t::kRefusedFlowControl;
  if (setting == UartSetting::kBaudRate) {
    text = baud == kLoaderBaud ? t::kRefused115200 : t::kRefused1000000;
  } else if (setting == UartSetting::kDataCharacteristics) {
    text = t::kRefusedFraming;
  }
  return Numbered(text, status, t::kBracketEnd);
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
  void CheckWire();
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
  std::string found = t::kLibraryLoadedFrom + library.path;
  found += library.file_version.empty() ? t::kLibraryNoFileVersion
                                        : t::kLibraryFileVersion + library.file_version;
  if (!Show(Passed(CheckId::kDriverLibrary, found + t::kLibraryCallsPresent))) return;
  if (!CheckAdapter(description)) return;
  if (!CheckSerialSetUp()) return;
  CheckWire();
}

bool CheckRun::CheckAdapter(const std::string& description) {
  const AdapterList list = EnumerateAdapters(*tools_.library.driver, tools_.clock);
  std::optional<CheckLine> failure;
  if (list.status != kStatusOk) {
    failure =
        CheckLine{CheckId::kAdapter, Outcome::kFailed,
                  Numbered(t::kListFailed, list.status, t::kBracketEnd), t::kListFailedAdvice};
  } else if (list.none_attached) {
    failure = CheckLine{CheckId::kAdapter, Outcome::kFailed, t::kNoAdapterListed,
                        t::kNoAdapterListedAdvice};
  } else {
    failure = session_.Open(CheckId::kAdapter, description);
  }
  if (failure) {
    if (Show(*failure)) NotTriedFrom(CheckId::kSerialSetUp, t::kNotTriedNoAdapter);
    return false;
  }
  return Show(Passed(CheckId::kAdapter,
                     Numbered(t::kAdaptersListed, list.descriptions.size(), t::kAdapterOpened)));
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
  if (status == kStatusOk) return Show(Passed(CheckId::kSerialSetUp, t::kSetUpAccepted));
  if (Show(session_.Failed(CheckId::kSerialSetUp, Refusal(refused, baud, status), t::kSetUpAdvice)))
    NotTriedFrom(CheckId::kLoopback,
                 session_.adapter_gone() ? t::kNotTriedAdapterGone : t::kNotTriedNoSetUp);
  return false;
}

// A loop means no chip is on the wire: the chip's check runs only where nothing came back, since
// a loop answers the handshake and even the acknowledgement byte.
void CheckRun::CheckWire() {
  using Kind = LoopResult::Kind;
  LoopResult loop = TestLoop(session_);
  CheckLine line = NotTried(CheckId::kLoopback, t::kNoLoopback);
  switch (loop.kind) {
    case Kind::kStopped:
      return;
    case Kind::kNoLoop:
      break;
    case Kind::kIntact: {
      std::vector<std::uint64_t>& trips = loop.round_trips_us;
      std::sort(trips.begin(), trips.end());
      const std::uint64_t median_us = trips[trips.size() / 2];
      line = Passed(CheckId::kLoopback, t::kLoopIntact + Milliseconds(median_us) +
                                            t::kRoundTripLongest + Milliseconds(trips.back()) +
                                            t::kMilliseconds);
      result_.estimate = Estimate(median_us, kLoopTripBytes);
      break;
    }
    case Kind::kLost:
      line = session_.Failed(
          CheckId::kLoopback,
          Numbered(loop.rate == kLoaderBaud ? t::kLoopLost115200 : t::kLoopLost1000000,
                   loop.missing, t::kSentenceEnd),
          t::kLoopAdvice);
      break;
    case Kind::kChanged:
      line =
          session_.Failed(CheckId::kLoopback,
                          loop.rate == kLoaderBaud ? t::kLoopChanged115200 : t::kLoopChanged1000000,
                          t::kLoopAdvice);
      break;
    case Kind::kTookNothing:
      line = session_.Failed(CheckId::kLoopback, t::kTookNothing, t::kReplugAdvice);
      break;
  }
  // Nothing back may also be an adapter that has gone.
  if (loop.kind == Kind::kNoLoop) line = session_.UnlessGone(line);
  if (!Show(line)) return;
  if (session_.adapter_gone()) return NotTriedFrom(CheckId::kChip, t::kNotTriedAdapterGone);
  if (loop.kind == Kind::kNoLoop) return CheckChip();
  const char* why = loop.kind == Kind::kIntact ? t::kChipNotTriedLoop : t::kNotTriedLoopFailed;
  if (Show(NotTried(CheckId::kChip, why))) CheckRunTime();
}

// The loader brought up as a run does it, then one block read, never a write.
void CheckRun::CheckChip() {
  SyncReport sync;
  if (std::optional<CheckLine> failure = session_.BringUpLoader(CheckId::kChip, sync)) {
    if (!session_.stopped() && Show(*failure)) CheckRunTime();
    return;
  }
  LoaderContext& loader = session_.loader();
  AdapterLink& link = session_.link();
  const AdapterHandle handle = session_.handle();
  constexpr std::uint16_t kAddress = 0;
  session_.DiscardWaiting();
  const CheckSession::Stopwatch watch = session_.StartStopwatch();
  SendReadAddress(loader, handle, kAddress);
  const bool replied = session_.WaitForWaiting(1);
  const std::uint64_t round_trip_us = session_.ElapsedUs(watch);
  std::optional<CheckLine> failure;
  if (replied && WaitForAck(loader, handle)) {
    if (!WaitForBytes(loader, handle, kReadBlockLength) ||
        link.Read(handle, kReadBlockLength) < kReadBlockLength) {
      failure = session_.Failed(
          CheckId::kChip, Numbered(t::kBlockShort, kAddress + 1, t::kBracketEnd), t::kReadAdvice);
    }
  } else {
    failure = session_.Failed(CheckId::kChip,
                              Numbered(t::kReadNotAcknowledged, kAddress + 1, t::kBracketEnd),
                              t::kReadAdvice);
  }
  if (session_.stopped()) return;
  if (!failure) result_.estimate = Estimate(round_trip_us, kReadTripBytes);
  CheckLine line =
      Passed(CheckId::kChip, t::kChipAnswered + Milliseconds(round_trip_us) + t::kMilliseconds);
  if (failure) {
    line = *failure;
  } else if (!sync.probe_echoed) {
    line = CheckLine{CheckId::kChip, Outcome::kFailed, t::kConfirmOnly, t::kConfirmOnlyAdvice};
  }
  if (Show(line)) CheckRunTime();
}

void CheckRun::CheckRunTime() {
  if (!result_.estimate) {
    Show(NotTried(CheckId::kRunTime, t::kNotTriedNoRoundTrip));
    return;
  }
  const RunEstimate& estimate = *result_.estimate;
  CheckLine line =
      Passed(CheckId::kRunTime, t::kRunTime + Seconds(estimate.run_seconds) + t::kRunTimeAt +
                                    Milliseconds(estimate.round_trip_us) + t::kMilliseconds);
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
      result.lines.push_back(NotTried(static_cast<CheckId>(check), t::kNotTriedNoLibrary));
    }
    for (const CheckLine& line : result.lines)
      tools.view.ShowLine(line);
    return result;
  }
  CheckRun(tools, result).Execute(description);
  return result;
}

}  // namespace trv
