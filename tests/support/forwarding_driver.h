// The base of the driver wrappers that tests put in front of another driver (the simulated
// adapter, mostly): every call goes through `Forward` to the inner driver unchanged. A wrapper
// overrides `Forward` to act on every call (time it, fail it, act at a chosen moment), or the
// calls it changes, and leaves the rest to this class.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "adapter/adapter_driver.h"

namespace trv::test {

class ForwardingDriver : public AdapterDriver {
 public:
  explicit ForwardingDriver(AdapterDriver& inner) : inner_(inner) {}

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override {
    return Forward("QB_CreateDeviceInfoList", nullptr,
                   [&] { return inner_.QB_CreateDeviceInfoList(count); });
  }
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override {
    return Forward("QB_GetDeviceInfoList", nullptr,
                   [&] { return inner_.QB_GetDeviceInfoList(records, count); });
  }
  StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                         AdapterHandle* handle) override {
    return Forward("QB_OpenEx", nullptr,
                   [&] { return inner_.QB_OpenEx(description, flags, handle); });
  }
  StatusResult QB_Close(AdapterHandle handle) override {
    return Forward("QB_Close", &handle, [&] { return inner_.QB_Close(handle); });
  }
  StatusResult QB_SetBitMode(AdapterHandle handle, std::uint8_t mask, std::uint8_t mode) override {
    return Forward("QB_SetBitMode", &handle,
                   [&] { return inner_.QB_SetBitMode(handle, mask, mode); });
  }
  StatusResult QB_SetRts(AdapterHandle handle) override {
    return Forward("QB_SetRts", &handle, [&] { return inner_.QB_SetRts(handle); });
  }
  StatusResult QB_SetDtr(AdapterHandle handle) override {
    return Forward("QB_SetDtr", &handle, [&] { return inner_.QB_SetDtr(handle); });
  }
  StatusResult QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) override {
    return Forward("QB_SetBaudRate", &handle, [&] { return inner_.QB_SetBaudRate(handle, baud); });
  }
  StatusResult QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                         std::uint8_t stop_bits, std::uint8_t parity) override {
    return Forward("QB_SetDataCharacteristics", &handle, [&] {
      return inner_.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
    });
  }
  StatusResult QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                 std::uint8_t xoff) override {
    return Forward("QB_SetFlowControl", &handle,
                   [&] { return inner_.QB_SetFlowControl(handle, flow, xon, xoff); });
  }
  StatusResult QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                              std::uint32_t write_ms) override {
    return Forward("QB_SetTimeouts", &handle,
                   [&] { return inner_.QB_SetTimeouts(handle, read_ms, write_ms); });
  }
  StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) override {
    return Forward("QB_GetQueueStatus", &handle,
                   [&] { return inner_.QB_GetQueueStatus(handle, waiting); });
  }
  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override {
    return Forward("QB_Read", &handle, [&] { return inner_.QB_Read(handle, buffer, count, read); });
  }
  StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override {
    return Forward("QB_Write", &handle,
                   [&] { return inner_.QB_Write(handle, buffer, count, written); });
  }

 protected:
  AdapterDriver& inner() { return inner_; }
  // Passes the call named `call` on: `handle` is the adapter it is made on (null for the calls
  // that take none), `pass_on` makes it on the inner driver and returns its status.
  virtual StatusResult Forward(std::string_view /*call*/, const AdapterHandle* /*handle*/,
                               const std::function<StatusResult()>& pass_on) {
    return pass_on();
  }

 private:
  AdapterDriver& inner_;
};

}  // namespace trv::test
