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

// Hands out decisions from a byte string; once it is used up, every decision is "no fault".
class Decisions {
 public:
  Decisions(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = (value << 8) | Byte();
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
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

 private:
  // Checks the handle, moves time on if the input says so, and tells whether this call fails
  // (with `*status`) instead of reaching the adapter.
  bool Fails(const char* name, AdapterHandle handle, StatusResult* status);
  bool FailsWithoutHandle(StatusResult* status);
  void Violation(const std::string& what) { violations_.push_back(what); }

  AdapterDriver& inner_;
  sim::VirtualClock& clock_;
  Decisions& decide_;
  AdapterHandle open_handle_ = 0;
  AdapterHandle closed_handle_ = 0;
  bool unplugged_ = false;
  std::deque<std::uint8_t> junk_;  // bytes the input slipped in front of the real replies
  std::size_t closes_ = 0;
  std::vector<std::string> violations_;
};

}  // namespace trv::robustness
