#include "sim/simulated_adapter.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace trv::sim {
namespace {

// Mask bits of QB_SetBitMode: the high nibble makes a line an output, the low nibble drives it.
// A line that is not driven floats high.
constexpr std::uint8_t kResetLineOutput = 0x80;
constexpr std::uint8_t kModeLineOutput = 0x40;
constexpr std::uint8_t kResetLineLevel = 0x08;
constexpr std::uint8_t kModeLineLevel = 0x04;

bool LineLevel(std::uint8_t mask, std::uint8_t output_bit, std::uint8_t level_bit) {
  return (mask & output_bit) == 0 || (mask & level_bit) != 0;
}

void FillRecord(AdapterInfoRecord& record, const std::string& description) {
  std::memset(record.bytes, 0, sizeof record.bytes);
  // A description of exactly 64 characters fills its field and has no terminating zero.
  std::memcpy(record.bytes + AdapterInfoRecord::kDescriptionOffset, description.data(),
              std::min(description.size(), AdapterInfoRecord::kDescriptionMaxLength));
}

}  // namespace

SimulatedAdapter::SimulatedAdapter(Clock& clock, SimConfig config)
    : clock_(clock), config_(std::move(config)) {
  adapters_.resize(config_.adapters.size());
  for (std::size_t i = 0; i < adapters_.size(); ++i) {
    adapters_[i].description = config_.adapters[i];
    adapters_[i].chip.set_recording(config_.record);
  }
}

std::uint64_t SimulatedAdapter::NowNs() {
  return clock_.NowUs() * 1000;
}

SimulatedAdapter::Adapter* SimulatedAdapter::Find(AdapterHandle handle) {
  for (Adapter& adapter : adapters_) {
    if (handle != 0 && adapter.handle == handle) {
      return &adapter;
    }
  }
  return nullptr;
}

SimulatedChip* SimulatedAdapter::ChipFor(AdapterHandle handle) {
  Adapter* adapter = Find(handle);
  return adapter ? &adapter->chip : nullptr;
}

std::size_t SimulatedAdapter::OpenHandleCount() const {
  return static_cast<std::size_t>(std::count_if(adapters_.begin(), adapters_.end(),
                                                [](const Adapter& a) { return a.handle != 0; }));
}

std::size_t SimulatedAdapter::CountCalls(std::string_view name) const {
  return static_cast<std::size_t>(std::count_if(
      calls_.begin(), calls_.end(), [name](const DriverCall& c) { return c.name == name; }));
}

std::vector<DriverCall> SimulatedAdapter::CallsNamed(std::string_view name) const {
  std::vector<DriverCall> named;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(named),
               [name](const DriverCall& c) { return c.name == name; });
  return named;
}

bool SimulatedAdapter::OnChipCommand(const ChipCommand& command) {
  if (observer_ != nullptr) {
    observer_->OnChipCommand(command);
  }
  const auto& unplug = config_.faults.unplug_at_block;
  const bool address_command = command.kind == ChipCommandKind::kWriteAddress ||
                               command.kind == ChipCommandKind::kReadAddress;
  if (address_command && unplug && std::uint64_t{*unplug} * kWriteBlockLength == command.value) {
    unplugged_ = true;
    return false;
  }
  return true;
}

void SimulatedAdapter::AdvanceWires() {
  if (unplugged_) {
    return;
  }
  const std::uint64_t now_ns = NowNs();
  const auto on_command = [this](const ChipCommand& command) { return OnChipCommand(command); };
  for (Adapter& adapter : adapters_) {
    if (adapter.handle != 0 && !adapter.wire.Advance(now_ns, config_, adapter.chip, on_command)) {
      break;
    }
  }
  if (unplugged_) {
    // Whatever was still on its way goes nowhere now.
    for (Adapter& adapter : adapters_) {
      adapter.wire.Reset();
    }
  }
}

DriverCall SimulatedAdapter::StartCall(std::string_view name,
                                       std::initializer_list<std::uint32_t> args) {
  AdvanceWires();
  DriverCall call;
  call.name = name;
  call.at_us = clock_.NowUs();
  std::copy(args.begin(), args.end(), call.args.begin());
  call.arg_count = args.size();
  return call;
}

DriverCall SimulatedAdapter::StartCall(std::string_view name, AdapterHandle handle,
                                       std::initializer_list<std::uint32_t> args) {
  DriverCall call = StartCall(name, args);
  call.has_handle = true;
  call.handle = handle;
  return call;
}

StatusResult SimulatedAdapter::Finish(DriverCall& call, StatusResult status) {
  call.status = status;
  called_on_closed_handle_ = called_on_closed_handle_ || call.on_closed_handle;
  if (observer_ != nullptr) {
    observer_->OnCall(call);
  }
  if (config_.record) {
    calls_.push_back(std::move(call));
  }
  return status;
}

template <typename Action>
StatusResult SimulatedAdapter::OnOpenAdapter(DriverCall& call, Action action) {
  Adapter* adapter = Find(call.handle);
  if (adapter == nullptr) {
    call.on_closed_handle = true;
    return Finish(call, kStatusInvalidHandle);
  }
  if (unplugged_) {
    return Finish(call, kStatusIoError);
  }
  return Finish(call, action(*adapter));
}

StatusResult SimulatedAdapter::QB_CreateDeviceInfoList(std::uint32_t* count) {
  DriverCall call = StartCall("QB_CreateDeviceInfoList", {});
  call.out_label = "count";
  SimFaults& faults = config_.faults;
  if (unplugged_) {
    return Finish(call, kStatusIoError);
  }
  if (count == nullptr) {
    return Finish(call, kStatusInvalidParameter);
  }
  *count = 0;
  if (faults.list_busy > 0) {
    if (faults.list_busy != SimFaults::kForever) {
      --faults.list_busy;
    }
    return Finish(call, kStatusListNotReady);
  }
  if (faults.list_status) {
    return Finish(call, *faults.list_status);
  }
  *count = static_cast<std::uint32_t>(adapters_.size());
  call.out = *count;
  return Finish(call, kStatusOk);
}

StatusResult SimulatedAdapter::QB_GetDeviceInfoList(AdapterInfoRecord* records,
                                                    std::uint32_t* count) {
  DriverCall call = StartCall("QB_GetDeviceInfoList", {count ? *count : 0});
  call.out_label = "count";
  if (unplugged_) {
    return Finish(call, kStatusIoError);
  }
  if (records == nullptr || count == nullptr) {
    return Finish(call, kStatusInvalidParameter);
  }
  const std::size_t filled = std::min<std::size_t>(*count, adapters_.size());
  for (std::size_t i = 0; i < filled; ++i) {
    FillRecord(records[i], adapters_[i].description);
  }
  *count = static_cast<std::uint32_t>(adapters_.size());
  call.out = *count;
  return Finish(call, kStatusOk);
}

StatusResult SimulatedAdapter::QB_OpenEx(const char* description, std::uint32_t flags,
                                         AdapterHandle* handle) {
  DriverCall call = StartCall("QB_OpenEx", {flags});
  call.text = description ? description : "(null)";
  call.out_label = "handle";
  if (unplugged_) {
    return Finish(call, kStatusIoError);
  }
  if (description == nullptr || handle == nullptr || flags != kOpenByDescription) {
    return Finish(call, kStatusInvalidParameter);
  }
  *handle = 0;
  if (config_.faults.open_status) {
    return Finish(call, *config_.faults.open_status);
  }
  const auto named = std::find_if(adapters_.begin(), adapters_.end(),
                                  [&](const Adapter& a) { return a.description == description; });
  if (named == adapters_.end()) {
    return Finish(call, kStatusDeviceNotFound);
  }
  if (named->handle != 0) {
    return Finish(call, kStatusDeviceNotOpened);
  }
  named->handle = next_handle_++;
  named->wire.Reset();
  *handle = named->handle;
  call.out = *handle;
  return Finish(call, kStatusOk);
}

StatusResult SimulatedAdapter::QB_Close(AdapterHandle handle) {
  DriverCall call = StartCall("QB_Close", handle, {});
  Adapter* adapter = Find(handle);
  if (adapter == nullptr) {
    call.on_closed_handle = true;
    return Finish(call, kStatusInvalidHandle);
  }
  // Closed whatever the answer: even an unplugged adapter's handle is gone afterwards.
  adapter->handle = 0;
  adapter->wire.Reset();
  if (unplugged_) {
    return Finish(call, kStatusIoError);
  }
  return Finish(call, config_.faults.close_status.value_or(kStatusOk));
}

StatusResult SimulatedAdapter::QB_SetBitMode(AdapterHandle handle, std::uint8_t mask,
                                             std::uint8_t mode) {
  DriverCall call = StartCall("QB_SetBitMode", handle, {mask, mode});
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    // Only the bit-bang mode drives the control lines; other modes leave them as they are.
    if (mode == kBitModeSynchronousBitBang) {
      adapter.chip.SetControlLines(LineLevel(mask, kResetLineOutput, kResetLineLevel),
                                   LineLevel(mask, kModeLineOutput, kModeLineLevel));
    }
    return kStatusOk;
  });
}

StatusResult SimulatedAdapter::QB_SetRts(AdapterHandle handle) {
  DriverCall call = StartCall("QB_SetRts", handle, {});
  return OnOpenAdapter(call, [](Adapter&) { return kStatusOk; });
}

StatusResult SimulatedAdapter::QB_SetDtr(AdapterHandle handle) {
  DriverCall call = StartCall("QB_SetDtr", handle, {});
  return OnOpenAdapter(call, [](Adapter&) { return kStatusOk; });
}

StatusResult SimulatedAdapter::QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  DriverCall call = StartCall("QB_SetBaudRate", handle, {baud});
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    if (baud == 0 || config_.faults.reject_baud == baud) {
      return kStatusInvalidBaudRate;
    }
    adapter.wire.set_baud(baud);
    return kStatusOk;
  });
}

StatusResult SimulatedAdapter::QB_SetDataCharacteristics(AdapterHandle handle,
                                                         std::uint8_t word_length,
                                                         std::uint8_t stop_bits,
                                                         std::uint8_t parity) {
  DriverCall call =
      StartCall("QB_SetDataCharacteristics", handle, {word_length, stop_bits, parity});
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    if (config_.faults.data_status) {
      return *config_.faults.data_status;
    }
    adapter.wire.set_framing(word_length, stop_bits, parity);
    return kStatusOk;
  });
}

StatusResult SimulatedAdapter::QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow,
                                                 std::uint8_t xon, std::uint8_t xoff) {
  DriverCall call = StartCall("QB_SetFlowControl", handle, {flow, xon, xoff});
  // The chip always keeps up, so flow control changes nothing on the wire.
  return OnOpenAdapter(call,
                       [&](Adapter&) { return config_.faults.flow_status.value_or(kStatusOk); });
}

StatusResult SimulatedAdapter::QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                              std::uint32_t write_ms) {
  DriverCall call = StartCall("QB_SetTimeouts", handle, {read_ms, write_ms});
  // Reads and writes never block here, so there is nothing for the time-outs to limit.
  return OnOpenAdapter(call, [](Adapter&) { return kStatusOk; });
}

StatusResult SimulatedAdapter::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  DriverCall call = StartCall("QB_GetQueueStatus", handle, {});
  call.out_label = "waiting";
  if (waiting != nullptr) {
    *waiting = 0;
  }
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    if (waiting == nullptr) {
      return kStatusInvalidParameter;
    }
    *waiting = adapter.wire.Readable(NowNs());
    call.out = *waiting;
    return kStatusOk;
  });
}

StatusResult SimulatedAdapter::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                       std::uint32_t* read) {
  DriverCall call = StartCall("QB_Read", handle, {count});
  call.out_label = "read";
  if (read != nullptr) {
    *read = 0;
  }
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    if (read == nullptr || (buffer == nullptr && count > 0)) {
      return kStatusInvalidParameter;
    }
    *read = adapter.wire.Take(static_cast<std::uint8_t*>(buffer), count, NowNs());
    call.out = *read;
    return kStatusOk;
  });
}

StatusResult SimulatedAdapter::QB_Write(AdapterHandle handle, const void* buffer,
                                        std::uint32_t count, std::uint32_t* written) {
  DriverCall call = StartCall("QB_Write", handle, {count});
  call.out_label = "written";
  if (written != nullptr) {
    *written = 0;
  }
  return OnOpenAdapter(call, [&](Adapter& adapter) {
    if (written == nullptr || (buffer == nullptr && count > 0)) {
      return kStatusInvalidParameter;
    }
    // The adapter buffers what it takes and returns at once; the wire drains it over time.
    // Only a full transmit buffer holds the caller until the wire has made room, as a real
    // adapter does, so a sender faster than the wire cannot run ahead of it without bound.
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    const std::uint32_t taken = std::min(count, config_.faults.write_limit.value_or(count));
    while (*written < taken && !unplugged_) {
      const std::uint32_t room = SerialWire::kTransmitBufferSize - adapter.wire.QueuedToChip();
      if (room == 0) {
        clock_.SleepMs(0);
        AdvanceWires();
        continue;
      }
      const std::uint32_t chunk = std::min(room, taken - *written);
      adapter.wire.Send(bytes + *written, chunk, NowNs());
      *written += chunk;
    }
    call.out = *written;
    return unplugged_ ? kStatusIoError : kStatusOk;
  });
}

}  // namespace trv::sim
