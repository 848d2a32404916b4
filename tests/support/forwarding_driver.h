// The base of the driver wrappers that tests put in front of another driver (the simulated
// adapter, mostly): every call goes through to the inner driver unchanged, after `BeforeCall` has
// seen its name. A wrapper overrides `BeforeCall` to act at a chosen moment, or the calls it
// changes, and leaves the rest to this class.
#pragma once

#include <cstdint>
#include <string_view>

#include "adapter/adapter_driver.h"

namespace trv::test {

class ForwardingDriver : public AdapterDriver {
 public:
  explicit ForwardingDriver(AdapterDriver& inner) : inner_(inner) {}

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override {
    BeforeCall("QB_CreateDeviceInfoList");
    return inner_.QB_CreateDeviceInfoList(count);
  }
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override {
    BeforeCall("QB_GetDeviceInfoList");
    return inner_.QB_GetDeviceInfoList(records, count);
  }
  StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                         AdapterHandle* handle) override {
    BeforeCall("QB_OpenEx");
    return inner_.QB_OpenEx(description, flags, handle);
  }
  StatusResult QB_Close(AdapterHandle handle) override {
    BeforeCall("QB_Close");
    return inner_.QB_Close(handle);
  }
  StatusResult QB_SetBitMode(AdapterHandle handle, std::uint8_t mask, std::uint8_t mode) override {
    BeforeCall("QB_SetBitMode");
    return inner_.QB_SetBitMode(handle, mask, mode);
  }
  StatusResult QB_SetRts(AdapterHandle handle) override {
    BeforeCall("QB_SetRts");
    return inner_.QB_SetRts(handle);
  }
  StatusResult QB_SetDtr(AdapterHandle handle) override {
    BeforeCall("QB_SetDtr");
    return inner_.QB_SetDtr(handle);
  }
  StatusResult QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) override {
    BeforeCall("QB_SetBaudRate");
    return inner_.QB_SetBaudRate(handle, baud);
  }
  StatusResult QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                         std::uint8_t stop_bits, std::uint8_t parity) override {
    BeforeCall("QB_SetDataCharacteristics");
    return inner_.QB_SetDataCharacteristics(handle, word_length, stop_bits, parity);
  }
  StatusResult QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                 std::uint8_t xoff) override {
    BeforeCall("QB_SetFlowControl");
    return inner_.QB_SetFlowControl(handle, flow, xon, xoff);
  }
  StatusResult QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                              std::uint32_t write_ms) override {
    BeforeCall("QB_SetTimeouts");
    return inner_.QB_SetTimeouts(handle, read_ms, write_ms);
  }
  StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) override {
    BeforeCall("QB_GetQueueStatus");
    return inner_.QB_GetQueueStatus(handle, waiting);
  }
  StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override {
    BeforeCall("QB_Read");
    return inner_.QB_Read(handle, buffer, count, read);
  }
  StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override {
    BeforeCall("QB_Write");
    return inner_.QB_Write(handle, buffer, count, written);
  }

 protected:
  AdapterDriver& inner() { return inner_; }
  // Runs before each call is passed on, with the call's name.
  virtual void BeforeCall(std::string_view /*call*/) {}

 private:
  AdapterDriver& inner_;
};

}  // namespace trv::test
