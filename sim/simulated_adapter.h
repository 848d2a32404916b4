// The simulated adapter driver: the fourteen driver calls over a set of simulated adapters, each
// wired to its own simulated chip, on an injected clock. Every call is recorded for tests, and
// every fault of SimFaults can be switched on from the configuration or at any time in between.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "sim/serial_wire.h"
#include "sim/sim_config.h"
#include "sim/simulated_chip.h"

namespace trv::sim {

// One driver call as it was made and answered.
struct DriverCall {
  std::string_view name;  // "QB_Write"
  bool has_handle = false;
  AdapterHandle handle = 0;
  std::array<std::uint32_t, 3> args{};  // the numeric arguments after the handle, in order
  std::size_t arg_count = 0;
  std::string text;                 // QB_OpenEx: the description asked for
  const char* out_label = nullptr;  // the value the call hands back, if it has one
  std::uint64_t out = 0;
  StatusResult status = kStatusOk;
  bool on_closed_handle = false;  // the handle was not open
  std::uint64_t at_us = 0;        // clock time of the call
};

// Sees every call and chip command as it happens; the stand-in DLL logs them.
class SimObserver {
 public:
  virtual ~SimObserver() = default;
  virtual void OnCall(const DriverCall& call) = 0;
  virtual void OnChipCommand(const ChipCommand& command) = 0;
};

class SimulatedAdapter final : public AdapterDriver {
 public:
  SimulatedAdapter(Clock& clock, SimConfig config);
  SimulatedAdapter(const SimulatedAdapter&) = delete;
  SimulatedAdapter& operator=(const SimulatedAdapter&) = delete;

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

  // Faults may be changed at any time; they apply from the next call on.
  SimFaults& faults() { return config_.faults; }
  void set_observer(SimObserver* observer) { observer_ = observer; }

  // Every call so far, in order (kept only while SimConfig::record is on).
  const std::vector<DriverCall>& calls() const { return calls_; }
  std::size_t CountCalls(std::string_view name) const;
  std::vector<DriverCall> CallsNamed(std::string_view name) const;
  bool CalledOnClosedHandle() const { return called_on_closed_handle_; }
  std::size_t OpenHandleCount() const;
  bool unplugged() const { return unplugged_; }
  // The chip wired to the adapter listed at `index`.
  SimulatedChip& chip(std::size_t index = 0) { return adapters_.at(index).chip; }
  // The chip behind an open handle, or nullptr.
  SimulatedChip* ChipFor(AdapterHandle handle);

 private:
  struct Adapter {
    std::string description;
    SimulatedChip chip;
    SerialWire wire;
    AdapterHandle handle = 0;  // 0 while closed
  };

  DriverCall StartCall(std::string_view name, std::initializer_list<std::uint32_t> args);
  DriverCall StartCall(std::string_view name, AdapterHandle handle,
                       std::initializer_list<std::uint32_t> args);
  StatusResult Finish(DriverCall& call, StatusResult status);
  // Runs `action` on the adapter open under the call's handle; refuses the call when there is
  // none or the adapter has been unplugged.
  template <typename Action>
  StatusResult OnOpenAdapter(DriverCall& call, Action action);
  Adapter* Find(AdapterHandle handle);
  std::uint64_t NowNs();
  void AdvanceWires();
  bool OnChipCommand(const ChipCommand& command);

  Clock& clock_;
  SimConfig config_;
  std::vector<Adapter> adapters_;
  AdapterHandle next_handle_ = 1;
  bool unplugged_ = false;
  SimObserver* observer_ = nullptr;
  std::vector<DriverCall> calls_;
  bool called_on_closed_handle_ = false;
};

}  // namespace trv::sim
