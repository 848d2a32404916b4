#include "loader/loader_protocol.h"

#include "loader/reply_timer.h"

namespace trv {
namespace {

// Baud-change command: three fixed bytes, then the loader's divisor code for the new rate.
constexpr std::uint8_t kBaudChangeCommand[] = {0x01, 0x70, 0x17};
constexpr std::uint8_t kDivisor115200 = 0x1A;
constexpr std::uint8_t kDivisor1000000 = 0x03;

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
    heard_ = heard_ || count_ > 0;
    return true;
  }
  bool heard() const { return heard_; }

 private:
  std::uint32_t count_ = 0;
  bool heard_ = false;  // some read got a byte
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

// The two phases of the handshake; `probe_echoed` says whether the probe phase ended on an echo.
bool Handshake(LoaderContext& context, AdapterHandle handle, LastRead& last_read,
               bool& probe_echoed) {
  AdapterLink& link = context.link();
  Clock& clock = link.clock();

  // Probe until the loader echoes 0xFF. Running out of time is not fatal: a loader that only
  // answers the confirm byte still gets its chance below.
  ReplyTimer probe_timer(clock);
  for (;;) {
    link.AppendByte(kSyncProbeByte);
    link.SendPending(handle, 1);
    if (!last_read.ReadWaiting(link, handle)) clock.SleepMs(0);
    if (!probe_timer.Pump(context)) return false;
    probe_echoed = last_read.EndsWith(link, kSyncProbeByte);
    if (probe_echoed || probe_timer.TimedOut()) break;
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

}  // namespace

bool LoaderContext::Pump(std::uint64_t* held_us) {
  if (window_closed_) return false;
  const PumpReport report = pump_.PumpMessages();
  if (held_us != nullptr) *held_us += report.held_us;
  window_closed_ = !report.window_open;
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

bool Synchronise(LoaderContext& context, AdapterHandle handle, SyncReport* report) {
  LastRead last_read;
  bool probe_echoed = false;
  const bool confirmed = Handshake(context, handle, last_read, probe_echoed);
  if (report != nullptr) *report = SyncReport{probe_echoed, last_read.heard()};
  return confirmed;
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

namespace {

// Polls until at least `count` bytes wait, pumping between polls when `pumping`.
bool WaitForWaitingBytes(LoaderContext& context, AdapterHandle handle, std::uint32_t count,
                         bool pumping) {
  AdapterLink& link = context.link();
  Clock& clock = link.clock();
  ReplyTimer timer(clock);
  for (;;) {
    const bool arrived = link.BytesWaiting(handle) >= count;
    // The same rule as for an acknowledgement: what arrives in the poll that ran out is too late.
    if (timer.TimedOut()) return false;
    if (arrived) return true;
    clock.SleepMs(0);
    if (pumping && !timer.Pump(context)) return false;
  }
}

}  // namespace

bool WaitForBytes(LoaderContext& context, AdapterHandle handle, std::uint32_t count) {
  return WaitForWaitingBytes(context, handle, count, false);
}

bool WaitForBytesPumping(LoaderContext& context, AdapterHandle handle, std::uint32_t count) {
  return WaitForWaitingBytes(context, handle, count, true);
}

StatusResult SendWriteAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address) {
  return SendAddressCommand(context, handle, kWriteAddressCommand, address, kWriteBlockLength);
}

StatusResult SendReadAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address) {
  return SendAddressCommand(context, handle, kReadAddressCommand, address, kReadBlockLength);
}

std::optional<BringUpFailure> BringUpLoader(LoaderContext& context, AdapterHandle handle,
                                            SyncReport* sync) {
  AdapterLink& link = context.link();
  link.EnterLoaderMode(handle);
  if (const StatusResult status = link.InitialiseUart(handle); status != kStatusOk)
    return BringUpFailure{BringUpStep::kUartInitialise, status};
  // The loader still listens at its starting rate, so the change goes out before any handshake.
  if (const StatusResult status = SetLoaderBaud(context, handle, kProgrammingBaud);
      status != kStatusOk)
    return BringUpFailure{BringUpStep::kLoaderRate, status};
  if (const StatusResult status = link.ConfigureUart(handle, kProgrammingBaud); status != kStatusOk)
    return BringUpFailure{BringUpStep::kUartSetup, status};
  if (!Synchronise(context, handle, sync)) return BringUpFailure{BringUpStep::kSynchronise};
  return std::nullopt;
}

void ReturnToNormalOperation(LoaderContext& context, AdapterHandle handle) {
  SetLoaderBaud(context, handle, kLoaderBaud);
  context.link().ConfigureUart(handle, kLoaderBaud);
  context.link().EnterRunMode(handle);
}

}  // namespace trv
