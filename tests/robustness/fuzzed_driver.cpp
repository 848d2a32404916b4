#include "fuzzed_driver.h"

#include <algorithm>
#include <cstring>

#include "common/shared_types.h"

namespace trv::robustness {
namespace {

constexpr StatusResult kUnpluggedStatus = 4;

// Statuses a failing call answers, the success code among them so that "fails" can also mean
// "claims success without doing anything".
StatusResult PickStatus(std::uint8_t choice, Decisions& decide) {
  switch (choice % 6) {
    case 0:
      return 1;
    case 1:
      return kUnpluggedStatus;
    case 2:
      return kStatusListNotReady;
    case 3:
      return kStatusShortWrite;
    case 4:
      return kStatusOk;
    default:
      return decide.Word();
  }
}

}  // namespace

std::uint8_t FuzzedDriver::EventWithoutHandle() {
  if (!decide_.EventNow()) return 0;
  const std::uint8_t event = decide_.Byte();
  if (event >= 0xF0) {  // a slow call
    const std::uint64_t delay_us = std::uint64_t{decide_.Byte()} * 1000;
    clock_.AdvanceUs(delay_us);
    added_us_ += delay_us;
  }
  if (event == 0xEF) unplugged_ = true;
  return event;
}

std::uint8_t FuzzedDriver::Event(const char* name, AdapterHandle handle) {
  if (handle == 0 || handle != open_handle_) {
    Violation(std::string(name) + (handle == closed_handle_ && handle != 0
                                       ? " on a closed handle"
                                       : " on a handle that was never opened"));
  }
  return EventWithoutHandle();
}

bool FuzzedDriver::Fails(std::uint8_t event, StatusResult* status) {
  if (unplugged_) {
    *status = kUnpluggedStatus;
    return true;
  }
  if (event >= 0x40 && event < 0x80) {
    *status = PickStatus(event, decide_);
    return true;
  }
  return false;
}

StatusResult FuzzedDriver::QB_CreateDeviceInfoList(std::uint32_t* count) {
  StatusResult status;
  if (Fails(EventWithoutHandle(), &status)) return status;
  return inner_.QB_CreateDeviceInfoList(count);
}

StatusResult FuzzedDriver::QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) {
  StatusResult status;
  if (Fails(EventWithoutHandle(), &status)) return status;
  return inner_.QB_GetDeviceInfoList(records, count);
}

StatusResult FuzzedDriver::QB_OpenEx(const char* description, std::uint32_t flags,
                                     AdapterHandle* handle) {
  if (open_handle_ != 0) Violation("QB_OpenEx while an adapter is open");
  StatusResult status;
  if (Fails(EventWithoutHandle(), &status)) return status == kStatusOk ? 1 : status;
  status = inner_.QB_OpenEx(description, flags, handle);
  if (status == kStatusOk) open_handle_ = *handle;
  return status;
}

StatusResult FuzzedDriver::QB_Close(AdapterHandle handle) {
  StatusResult status = kStatusOk;
  const bool fails = Fails(Event("QB_Close", handle), &status);
  ++closes_;
  // The adapter is gone after a close whatever the status says, as a real driver frees it.
  if (handle == open_handle_ && handle != 0) {
    inner_.QB_Close(handle);
    closed_handle_ = handle;
    open_handle_ = 0;
  }
  return fails ? status : kStatusOk;
}

StatusResult FuzzedDriver::QB_SetBitMode(AdapterHandle handle, std::uint8_t mask,
                                         std::uint8_t mode) {
  StatusResult status;
  if (Fails(Event("QB_SetBitMode", handle), &status)) return status;
  return inner_.QB_SetBitMode(handle, mask, mode);
}

StatusResult FuzzedDriver::QB_SetRts(AdapterHandle handle) {
  StatusResult status;
  if (Fails(Event("QB_SetRts", handle), &status)) return status;
  return inner_.QB_SetRts(handle);
}

StatusResult FuzzedDriver::QB_SetDtr(AdapterHandle handle) {
  StatusResult status;
  if (Fails(Event("QB_SetDtr", handle), &status)) return status;
  return inner_.QB_SetDtr(handle);
}

StatusResult FuzzedDriver::QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  StatusResult status;
  if (Fails(Event("QB_SetBaudRate", handle), &status)) return status;
  return inner_.QB_SetBaudRate(handle, baud);
}

StatusResult FuzzedDriver::QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                                     std::uint8_t stop_bits, std::uint8_t parity) {
  StatusResult status;
  if (Fails(Event("QB_SetDataCharacteristics", handle), &status)) return status;
  return inner_.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
}

StatusResult FuzzedDriver::QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow,
                                             std::uint8_t xon, std::uint8_t xoff) {
  StatusResult status;
  if (Fails(Event("QB_SetFlowControl", handle), &status)) return status;
  return inner_.QB_SetFlowControl(handle, flow, xon, xoff);
}

StatusResult FuzzedDriver::QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                          std::uint32_t write_ms) {
  StatusResult status;
  if (Fails(Event("QB_SetTimeouts", handle), &status)) return status;
  return inner_.QB_SetTimeouts(handle, read_ms, write_ms);
}

StatusResult FuzzedDriver::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  StatusResult status;
  const std::uint8_t event = Event("QB_GetQueueStatus", handle);
  if (Fails(event, &status)) {
    // A failing driver may still write anything into the count.
    if (event & 1) *waiting = decide_.Word();
    return status;
  }
  // Junk arriving in front of the real replies.
  if (event >= 0x80 && event < 0xA0) {
    for (int i = 0, n = event % 8 + 1; i < n; ++i)
      junk_.push_back(decide_.Byte());
  }
  status = inner_.QB_GetQueueStatus(handle, waiting);
  if (status == kStatusOk) *waiting += static_cast<std::uint32_t>(junk_.size());
  return status;
}

StatusResult FuzzedDriver::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                   std::uint32_t* read) {
  if (count > kLinkBufferSize) Violation("QB_Read asked for more than the receive buffer holds");
  StatusResult status;
  const std::uint8_t event = Event("QB_Read", handle);
  if (Fails(event, &status)) return status;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::uint32_t taken = 0;
  while (taken < count && !junk_.empty()) {
    bytes[taken++] = junk_.front();
    junk_.pop_front();
  }
  std::uint32_t got = 0;
  status = inner_.QB_Read(handle, bytes + taken, count - taken, &got);
  *read = taken + got;
  if (event >= 0x80 && event < 0xA0 && *read > 0) bytes[decide_.Word() % *read] ^= event | 1;
  if (event >= 0xA0 && event < 0xB0 && *read > 0) *read = decide_.Word() % *read;  // bytes lost
  if (event >= 0xB0 && event < 0xB8) *read = count + 1 + decide_.Byte();  // an overstated copy
  return status;
}

StatusResult FuzzedDriver::QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                    std::uint32_t* written) {
  if (count > kLinkBufferSize) Violation("QB_Write of more than the transmit buffer holds");
  StatusResult status;
  const std::uint8_t event = Event("QB_Write", handle);
  if (Fails(event, &status)) {
    *written = 0;
    return status;
  }
  const bool shorten = event >= 0x80 && event < 0xA0 && count > 0;
  status = inner_.QB_Write(handle, buffer, shorten ? decide_.Word() % count : count, written);
  if (event >= 0xA0 && event < 0xB0) *written = count + 1 + decide_.Byte();  // an overstated take
  return status;
}

}  // namespace trv::robustness
