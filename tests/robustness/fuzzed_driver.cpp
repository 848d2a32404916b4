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

bool FuzzedDriver::FailsWithoutHandle(StatusResult* status) {
  const std::uint8_t choice = decide_.Byte();
  if (choice >= 0xF0)
    clock_.AdvanceUs(std::uint64_t{decide_.Byte()} * 100);  // a slow call
  if (choice == 0xEF)
    unplugged_ = true;
  if (unplugged_) {
    *status = kUnpluggedStatus;
    return true;
  }
  if (choice >= 0xD8 && choice < 0xEF) {
    *status = PickStatus(choice, decide_);
    return true;
  }
  return false;
}

bool FuzzedDriver::Fails(const char* name, AdapterHandle handle, StatusResult* status) {
  if (handle == 0 || handle != open_handle_) {
    Violation(std::string(name) + (handle == closed_handle_ && handle != 0
                                       ? " on a closed handle"
                                       : " on a handle that was never opened"));
  }
  return FailsWithoutHandle(status);
}

StatusResult FuzzedDriver::QB_CreateDeviceInfoList(std::uint32_t* count) {
  StatusResult status;
  if (FailsWithoutHandle(&status))
    return status;
  return inner_.QB_CreateDeviceInfoList(count);
}

StatusResult FuzzedDriver::QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) {
  StatusResult status;
  if (FailsWithoutHandle(&status))
    return status;
  return inner_.QB_GetDeviceInfoList(records, count);
}

StatusResult FuzzedDriver::QB_OpenEx(const char* description, std::uint32_t flags,
                                     AdapterHandle* handle) {
  if (open_handle_ != 0)
    Violation("QB_OpenEx while an adapter is open");
  StatusResult status;
  if (FailsWithoutHandle(&status))
    return status == kStatusOk ? 1 : status;
  status = inner_.QB_OpenEx(description, flags, handle);
  if (status == kStatusOk)
    open_handle_ = *handle;
  return status;
}

StatusResult FuzzedDriver::QB_Close(AdapterHandle handle) {
  StatusResult status = kStatusOk;
  const bool fails = Fails("QB_Close", handle, &status);
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
  if (Fails("QB_SetBitMode", handle, &status))
    return status;
  return inner_.QB_SetBitMode(handle, mask, mode);
}

StatusResult FuzzedDriver::QB_SetRts(AdapterHandle handle) {
  StatusResult status;
  if (Fails("QB_SetRts", handle, &status))
    return status;
  return inner_.QB_SetRts(handle);
}

StatusResult FuzzedDriver::QB_SetDtr(AdapterHandle handle) {
  StatusResult status;
  if (Fails("QB_SetDtr", handle, &status))
    return status;
  return inner_.QB_SetDtr(handle);
}

StatusResult FuzzedDriver::QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) {
  StatusResult status;
  if (Fails("QB_SetBaudRate", handle, &status))
    return status;
  return inner_.QB_SetBaudRate(handle, baud);
}

StatusResult FuzzedDriver::QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                                     std::uint8_t stop_bits, std::uint8_t parity) {
  StatusResult status;
  if (Fails("QB_SetDataCharacteristics", handle, &status))
    return status;
  return inner_.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
}

StatusResult FuzzedDriver::QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow,
                                             std::uint8_t xon, std::uint8_t xoff) {
  StatusResult status;
  if (Fails("QB_SetFlowControl", handle, &status))
    return status;
  return inner_.QB_SetFlowControl(handle, flow, xon, xoff);
}

StatusResult FuzzedDriver::QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                          std::uint32_t write_ms) {
  StatusResult status;
  if (Fails("QB_SetTimeouts", handle, &status))
    return status;
  return inner_.QB_SetTimeouts(handle, read_ms, write_ms);
}

StatusResult FuzzedDriver::QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) {
  StatusResult status;
  if (Fails("QB_GetQueueStatus", handle, &status)) {
    // A failing driver may still write anything into the count.
    if (decide_.Byte() & 1)
      *waiting = decide_.Word();
    return status;
  }
  // Now and then junk arrives in front of the real replies.
  const std::uint8_t junk = decide_.Byte();
  if (junk >= 0xF8) {
    for (std::uint8_t i = 0, n = decide_.Byte() % 8 + 1; i < n; ++i)
      junk_.push_back(decide_.Byte());
  }
  status = inner_.QB_GetQueueStatus(handle, waiting);
  if (status == kStatusOk)
    *waiting += static_cast<std::uint32_t>(junk_.size());
  return status;
}

StatusResult FuzzedDriver::QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                                   std::uint32_t* read) {
  if (count > kLinkBufferSize)
    Violation("QB_Read asked for more than the receive buffer holds");
  StatusResult status;
  if (Fails("QB_Read", handle, &status))
    return status;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::uint32_t taken = 0;
  while (taken < count && !junk_.empty()) {
    bytes[taken++] = junk_.front();
    junk_.pop_front();
  }
  std::uint32_t got = 0;
  status = inner_.QB_Read(handle, bytes + taken, count - taken, &got);
  *read = taken + got;
  const std::uint8_t corrupt = decide_.Byte();
  if (corrupt >= 0xF8 && *read > 0)
    bytes[decide_.Word() % *read] ^= decide_.Byte() | 1;
  if (corrupt == 0xF7 && *read > 0)
    *read = decide_.Word() % *read;  // bytes lost on the way
  if (corrupt == 0xF6)
    *read = count + 1 + decide_.Byte();  // a driver that overstates its copy
  return status;
}

StatusResult FuzzedDriver::QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                    std::uint32_t* written) {
  if (count > kLinkBufferSize)
    Violation("QB_Write of more than the transmit buffer holds");
  StatusResult status;
  if (Fails("QB_Write", handle, &status)) {
    *written = 0;
    return status;
  }
  const std::uint8_t shorten = decide_.Byte();
  const std::uint32_t offered = shorten >= 0xF0 && count > 0 ? decide_.Word() % count : count;
  status = inner_.QB_Write(handle, buffer, offered, written);
  if (shorten == 0xEF)
    *written = count + 1 + decide_.Byte();  // a driver that overstates its take
  return status;
}

}  // namespace trv::robustness
