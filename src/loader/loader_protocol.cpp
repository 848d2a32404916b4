#include "loader/loader_protocol.h"

namespace trv {
namespace {

// Baud-change command: three fixed bytes, then the loader's divisor code for the new rate.
constexpr std::uint8_t kBaudChangeCommand[] = {0x01, 0x70, 0x17};
constexpr std::uint8_t kDivisor115200 = 0x1A;
constexpr std::uint8_t kDivisor1000000 = 0x03;

// Every reply wait's time limit: it has timed out once the whole-second count of its own time
// passes 2, that is after 3 full seconds on the monotonic clock. Its own time leaves out each late
// pump together with the poll after it, so that a reply that came in while the operator held the
// window is still read, and a hold never by itself fails the wait.
class ReplyTimer {
 public:
  explicit ReplyTimer(Clock& clock) : clock_(clock), start_ms_(clock.NowMs()) {}

  // Pumps the window's messages once, for the waits that pump; false once the window is closed.
  bool Pump(LoaderContext& context) {
    const std::uint64_t pump_start_ms = clock_.NowMs();
    if (paused_) paused_ms_ += pump_start_ms - pause_start_ms_;
    const bool open = context.Pump();
    paused_ = clock_.NowMs() - pump_start_ms >= kLatePumpMs;
    pause_start_ms_ = pump_start_ms;
    return open;
  }
  // From a late pump's start until the next pump begins, the wait's clock stands still: a wait
  // whose own time was under 3 s at the hold polls at least once more before it gives up.
  bool TimedOut() {
    const std::uint64_t now_ms = paused_ ? pause_start_ms_ : clock_.NowMs();
    return (now_ms - start_ms_ - paused_ms_) / 1000 >= kReplyTimeoutSeconds;
  }

 private:
  Clock& clock_;
  std::uint64_t start_ms_;
  std::uint64_t paused_ms_ = 0;
  bool paused_ = false;  // from a late pump's start, at `pause_start_ms_`, to the next pump
  std::uint64_t pause_start_ms_ = 0;
};

// The last byte of the most recent read, which the handshake tests; none before the first read.
class LastRead {
 public:
  bool EndsWith(const AdapterLink& link, std::uint8_t byte) const {
    return count_ > 0 && link.received().bytes[count_ - 1] == byte;
  }
  // Reads everything waiting, up to the receive buffer's size; false if nothing was waiting.
  bool ReadWaiting(AdapterLink& link, AdapterHandle handle) {
    const std::uint32_t waiting = link.BytesWaiting(handle);
    if (waiting == 0) return false;
    count_ = link.Read(handle, waiting);
    return true;
  }

 private:
  std::uint32_t count_ = 0;
};

StatusResult SendAddressCommand(LoaderContext& context, AdapterHandle handle, std::uint8_t command,
                                std::uint16_t address, std::uint32_t block_length) {
  AdapterLink& link = context.link();
  link.AppendByte(command);
  link.AppendByte(static_cast<std::uint8_t>(address & 0xFF));
  link.AppendByte(static_cast<std::uint8_t>(address >> 8));
  link.AppendByte(static_cast<std::uint8_t>(block_length & 0xFF));
  return link.SendPending(handle);
}

}  // namespace

bool LoaderContext::Pump() {
  if (!window_closed_ && !window_.PumpMessages()) window_closed_ = true;
  return !window_closed_;
}

StatusResult SetLoaderBaud(LoaderContext& context, AdapterHandle handle, std::uint32_t rate) {
  AdapterLink& link = context.link();
  for (std::uint8_t byte : kBaudChangeCommand)
    link.AppendByte(byte);
  link.AppendByte(rate == kProgrammingBaud ? kDivisor1000000 : kDivisor115200);
  link.AppendByte(0x00);
  link.AppendByte(0x00);
  const StatusResult status = link.SendPending(handle);
  // The loader answers nothing; give it time to switch before the port follows.
  link.clock().SleepMs(kBaudChangeSettleMs);
  return status;
}

bool Synchronise(LoaderContext& context, AdapterHandle handle) {
  AdapterLink& link = context.link();
  Clock& clock = link.clock();
  LastRead last_read;

  // Probe until the loader echoes 0xFF. Running out of time is not fatal: a loader that only
  // answers the confirm byte still gets its chance below.
  ReplyTimer probe_timer(clock);
  for (;;) {
    link.AppendByte(kSyncProbeByte);
    link.SendPending(handle, 1);
    if (!last_read.ReadWaiting(link, handle)) clock.SleepMs(0);
    if (!probe_timer.Pump(context)) return false;
    if (last_read.EndsWith(link, kSyncProbeByte) || probe_timer.TimedOut()) break;
  }

  link.AppendByte(kSyncConfirmByte);
  link.SendPending(handle, 1);
  ReplyTimer confirm_timer(clock);
  for (;;) {
    if (!last_read.ReadWaiting(link, handle)) clock.SleepMs(0);
    if (!confirm_timer.Pump(context)) return false;
    const bool timed_out = confirm_timer.TimedOut();
    if (last_read.EndsWith(link, kSyncConfirmByte)) return !timed_out;
    if (timed_out) return false;
  }
}

bool WaitForAck(LoaderContext& context, AdapterHandle handle) {
  AdapterLink& link = context.link();
  Clock& clock = link.clock();
  ReplyTimer timer(clock);
  for (;;) {
    bool got_byte = false;
    bool acknowledged = false;
    if (link.BytesWaiting(handle) > 0 && link.Read(handle, 1) == 1) {
      got_byte = true;
      // Any other byte fails at once and is not skipped: the loader has lost the thread.
      acknowledged = link.received().bytes[0] == kAckByte;
    } else {
      clock.SleepMs(0);
    }
    if (!timer.Pump(context)) return false;
    // A late acknowledgement is refused: the caller has already given up on this command.
    if (timer.TimedOut()) return false;
    if (got_byte) return acknowledged;
  }
}

bool WaitForBytes(LoaderContext& context, AdapterHandle handle, std::uint32_t count) {
  AdapterLink& link = context.link();
  Clock& clock = link.clock();
  ReplyTimer timer(clock);
  for (;;) {
    const bool arrived = link.BytesWaiting(handle) >= count;
    // The same rule as for an acknowledgement: what arrives in the poll that ran out is too late.
    if (timer.TimedOut()) return false;
    if (arrived) return true;
    clock.SleepMs(0);
  }
}

StatusResult SendWriteAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address) {
  return SendAddressCommand(context, handle, kWriteAddressCommand, address, kWriteBlockLength);
}

StatusResult SendReadAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address) {
  return SendAddressCommand(context, handle, kReadAddressCommand, address, kReadBlockLength);
}

}  // namespace trv
