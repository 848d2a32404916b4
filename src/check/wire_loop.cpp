#include "check/wire_loop.h"

#include <algorithm>

namespace trv {
namespace {

constexpr std::uint32_t kPatternLength = 256;  // every byte value once, in order

LoopResult Result(LoopResult::Kind kind, std::uint32_t rate, std::uint32_t missing = 0) {
  return LoopResult{kind, rate, missing, {}};
}

// The pattern at `rate` must come back unchanged in the count the adapter took to send: counted by
// the queue, and read from the receive buffer's first byte.
LoopResult SendPattern(CheckSession& session, std::uint32_t rate) {
  using Kind = LoopResult::Kind;
  AdapterLink& link = session.link();
  const AdapterHandle handle = session.handle();
  // A refused rate was reported by the set-up already; here it shows as bytes lost.
  link.ConfigureUart(handle, rate);
  session.DiscardWaiting();
  for (std::uint32_t value = 0; value < kPatternLength; ++value)
    link.AppendByte(static_cast<std::uint8_t>(value));
  link.SendPending(handle);
  const std::uint32_t sent = kPatternLength - link.pending();
  // What the adapter would not take is not sent later either.
  link.ClearBuffers();
  if (sent == 0) return Result(Kind::kTookNothing, rate);

  session.WaitForWaiting(sent);
  if (session.stopped()) return Result(Kind::kStopped, rate);
  const std::uint32_t waiting = link.BytesWaiting(handle);
  const std::uint32_t got = waiting == 0 ? 0 : link.Read(handle, std::min(waiting, sent));
  if (got == 0) return Result(Kind::kNoLoop, rate);
  if (got < sent) return Result(Kind::kLost, rate, sent - got);
  const std::uint8_t* received = link.received().bytes.data();
  for (std::uint32_t i = 0; i < sent; ++i) {
    if (received[i] != i) return Result(Kind::kChanged, rate);
  }
  return Result(Kind::kIntact, rate);
}

// One byte at a time, each sent once the one before it is back.
LoopResult TimeRoundTrips(CheckSession& session) {
  using Kind = LoopResult::Kind;
  AdapterLink& link = session.link();
  const AdapterHandle handle = session.handle();
  LoopResult result = Result(Kind::kIntact, kProgrammingBaud);
  for (std::uint32_t trip = 0; trip < kRoundTrips; ++trip) {
    const auto byte = static_cast<std::uint8_t>(0xA5 + trip);
    link.AppendByte(byte);
    const CheckSession::Stopwatch watch = session.StartStopwatch();
    link.SendPending(handle);
    const bool back = session.WaitForWaiting(1);
    if (session.stopped()) return Result(Kind::kStopped, kProgrammingBaud);
    if (!back) return Result(Kind::kLost, kProgrammingBaud, 1);
    result.round_trips_us.push_back(session.ElapsedUs(watch));
    if (link.Read(handle, 1) != 1 || link.received().bytes[0] != byte) {
      return Result(Kind::kChanged, kProgrammingBaud);
    }
  }
  return result;
}

}  // namespace

LoopResult TestLoop(CheckSession& session) {
  session.HoldChipInReset();
  LoopResult result = SendPattern(session, kLoaderBaud);
  if (result.kind == LoopResult::Kind::kIntact) result = SendPattern(session, kProgrammingBaud);
  if (result.kind == LoopResult::Kind::kIntact) result = TimeRoundTrips(session);
  // Nothing sent or received here may pass for part of the chip's conversation.
  session.link().ClearBuffers();
  return result;
}

}  // namespace trv
