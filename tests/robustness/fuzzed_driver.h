// A driver that stands between the programmer and the simulated adapter and lets a byte stream
// decide what goes wrong: the status of every call, short writes, junk and corrupted replies,
// failing calls that still report counts, when bytes arrive, and the moment the adapter is
// unplugged. It also watches the programmer for misuse: calls on a closed handle, transfers
// larger than the link buffers, bytes lost or reordered on their way out, reads of bytes nobody
// reported, commands sent without a reply to the one before, and waits beyond their bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "adapter/adapter_driver.h"
#include "call_timeline.h"
#include "sim/virtual_clock.h"
#include "tests/support/forwarding_driver.h"

namespace trv::robustness {

// Reads a fuzz input from the front; bytes past its end read as 0.
class ByteCursor {
 public:
  ByteCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = (value << 8) | Byte();
    return value;
  }
  // Two bytes, high first.
  std::uint16_t Fraction() {
    const std::uint8_t high = Byte();
    return static_cast<std::uint16_t>(high << 8 | Byte());
  }
  bool used_up() const { return position_ >= size_; }
  // What has not been read yet.
  const std::uint8_t* rest() const { return data_ + position_; }
  std::size_t rest_size() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Hands out decisions from a byte string. Faults are sparse events: two bytes give the number of
// driver calls until the next event, whose own bytes follow, so a short input can still reach a
// fault deep into a run. Once the string is used up, no further events happen.
class Decisions {
 public:
  Decisions(const std::uint8_t* data, std::size_t size) : input_(data, size) {
    next_event_ = Gap();
  }

  // Called once per driver call: true when an event falls on this call.
  bool EventNow() {
    if (input_.used_up() || calls_++ < next_event_) return false;
    next_event_ = calls_ + Gap();
    return true;
  }
  std::uint8_t Byte() { return input_.Byte(); }
  std::uint32_t Word() { return input_.Word(); }

 private:
  std::uint64_t Gap() { return Byte() | std::uint64_t{Byte()} << 8; }

  ByteCursor input_;
  std::uint64_t calls_ = 0;
  std::uint64_t next_event_ = 0;
};

// Event bytes, by range. Anything else leaves the call alone.
//   0x40-0x7F  the call fails (status picked by the byte). A failing queue query or read may
//              still report a count, and a failing read may leave bytes in the buffer, though
//              nothing was delivered; a failing write may still report the bytes it did write.
//   0x80-0x9F  junk in front of the replies (queue query), a corrupted byte (read),
//              a short write (write)
//   0xA0-0xAF  bytes lost from a read; an overstated write count
//   0xB0-0xB7  an overstated read count
//   0xEF       the adapter is unplugged from here on
//   0xF0-0xFF  a slow call: the next byte gives the delay in milliseconds
class FuzzedDriver final : public test::ForwardingDriver {
 public:
  FuzzedDriver(AdapterDriver& inner, sim::VirtualClock& clock, Decisions& decisions)
      : ForwardingDriver(inner), clock_(clock), decide_(decisions) {}

  // The calls whose events do more than fail them, and those that keep the adapter's state.
  StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                         AdapterHandle* handle) override;
  StatusResult QB_Close(AdapterHandle handle) override;
  StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) override;
  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override;
  StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override;

  // Told of the pumps the operator held, and of those that were slow without any modal loop.
  CallTimeline& timeline() { return timeline_; }
  // What the programmer did wrong, once the run has returned at `end_us`; each kind once.
  std::vector<std::string> Finish(std::uint64_t end_us);
  std::size_t closes() const { return closes_; }

 private:
  // Every other call: timed, and failed when its event says so.
  StatusResult Forward(std::string_view call, const AdapterHandle* handle,
                       const std::function<StatusResult()>& pass_on) override;

  // Times one call for the timeline, from its entry to its return.
  class CallScope {
   public:
    CallScope(FuzzedDriver& driver, CallTimeline::Kind kind, std::uint32_t count = 0)
        : driver_(driver), kind_(kind), count_(count), entry_us_(driver.clock_.NowUs()) {}
    ~CallScope() { driver_.timeline_.OnCall(kind_, count_, entry_us_, driver_.clock_.NowUs()); }
    std::uint64_t entry_us() const { return entry_us_; }

   private:
    FuzzedDriver& driver_;
    CallTimeline::Kind kind_;
    std::uint32_t count_;
    std::uint64_t entry_us_;
  };

  // Checks the handle and reads this call's event, if one falls on it: 0 when none. Events move
  // time on, unplug the adapter, or make the call fail; the rest are the caller's to act on.
  std::uint8_t Event(std::string_view call, AdapterHandle handle);
  std::uint8_t EventWithoutHandle();
  // True when the event (or an earlier unplug) makes the call fail with `*status`.
  bool Fails(std::uint8_t event, StatusResult* status);
  // The programmer's outgoing stream: bytes the adapter did not take must lead the next write,
  // and a command may only follow a reply to the one before or a wait that ran out.
  void CheckOutgoing(const std::uint8_t* bytes, std::uint32_t count, std::uint64_t entry_us);
  void NoteTaken(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t taken);
  void Violation(const std::string& what);

  sim::VirtualClock& clock_;
  Decisions& decide_;
  CallTimeline timeline_;
  AdapterHandle open_handle_ = 0;
  AdapterHandle closed_handle_ = 0;
  bool unplugged_ = false;
  std::deque<std::uint8_t> junk_;  // bytes the input slipped in front of the real replies
  std::size_t closes_ = 0;
  std::vector<std::string> violations_;

  std::vector<std::uint8_t> untaken_;  // bytes written to us that the adapter did not take
  bool wrote_ = false;
  std::uint32_t last_write_count_ = 0;
  std::uint64_t last_write_end_us_ = 0;
  bool replied_since_write_ = false;
  std::uint64_t reported_waiting_ = 0;  // what the last successful queue query reported, less reads
};

}  // namespace trv::robustness
