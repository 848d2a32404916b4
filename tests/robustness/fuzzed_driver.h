// A driver that stands between the programmer and the simulated adapter and lets a byte stream
// decide what goes wrong: the status of every call, short writes, junk and corrupted replies,
// when bytes arrive, and the moment the adapter is unplugged. It also watches the programmer for
// misuse: calls on a closed handle and transfers larger than the link buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "sim/virtual_clock.h"

namespace trv::robustness {

// Hands out decisions from a byte string. Faults are sparse events: two bytes give the number of
// driver calls until the next event, whose own bytes follow, so a short input can still reach a
// fault deep into a run. Once the string is used up, no further events happen.
class Decisions {
 public:
  Decisions(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
    next_event_ = Gap();
  }

  // Called once per driver call: true when an event falls on this call.
  bool EventNow() {
    if (position_ >= size_ || calls_++ < next_event_) return false;
    next_event_ = calls_ + Gap();
    return true;
  }
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = (value << 8) | Byte();
    return value;
  }

 private:
  std::uint64_t Gap() { return Byte() | std::uint64_t{Byte()} << 8; }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
  std::uint64_t calls_ = 0;
  std::uint64_t next_event_ = 0;
};

class FuzzedDriver final : public AdapterDriver {
 public:
  FuzzedDriver(AdapterDriver& inner, sim::VirtualClock& clock, Decisions& decisions)
      : inner_(inner), clock_(clock), decide_(decisions) {}

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override;
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override;
  StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                         AdapterHandle* handle) override;
  StatusResult QB_Close(AdapterHandle handle) override;
  StatusResult QB_SetBitMode(AdapterHandle handle, std::uint8_t mask, std::uint8_t mode) override;
  StatusResult QB_SetRts(AdapterHandle handle) override;
  StatusResult QB_SetDtr(AdapterHandle handle) override;
  StatusResult QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) override;
  StatusResult QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                         std::uint8_t stop_bits, std::uint8_t parity) override;
  StatusResult QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                 std::uint8_t xoff) override;
  StatusResult QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                              std::uint32_t write_ms) override;
  StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) override;
  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override;
  StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override;

  // What the programmer did wrong, if anything.
  const std::vector<std::string>& violations() const { return violations_; }
  std::size_t closes() const { return closes_; }
  // Virtual time the input added by making calls slow.
  std::uint64_t added_us() const { return added_us_; }

 private:
  // Checks the handle and reads this call's event, if one falls on it: 0 when none. Events move
  // time on, unplug the adapter, or make the call fail; the rest are the caller's to act on.
  std::uint8_t Event(const char* name, AdapterHandle handle);
  std::uint8_t EventWithoutHandle();
  // True when the event (or an earlier unplug) makes the call fail with `*status`.
  bool Fails(std::uint8_t event, StatusResult* status);
  void Violation(const std::string& what) { violations_.push_back(what); }

  AdapterDriver& inner_;
  sim::VirtualClock& clock_;
  Decisions& decide_;
  AdapterHandle open_handle_ = 0;
  AdapterHandle closed_handle_ = 0;
  bool unplugged_ = false;
  std::deque<std::uint8_t> junk_;  // bytes the input slipped in front of the real replies
  std::size_t closes_ = 0;
  std::uint64_t added_us_ = 0;
  std::vector<std::string> violations_;
};

}  // namespace trv::robustness
