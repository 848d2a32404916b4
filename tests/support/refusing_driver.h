// The base of the test drivers that answer only the calls they are about: every call a driver
// does not override is refused with status 1 and named to `Refused`, so that a driver scripting
// the adapter list, say, also notices a call that has no business there.
#pragma once

#include <cstdint>
#include <string_view>

#include "adapter/adapter_driver.h"

namespace trv::test {

class RefusingDriver : public AdapterDriver {
 public:
  static constexpr StatusResult kRefused = 1;

  StatusResult QB_CreateDeviceInfoList(std::uint32_t*) override {
    return Refuse("QB_CreateDeviceInfoList");
  }
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord*, std::uint32_t*) override {
    return Refuse("QB_GetDeviceInfoList");
  }
  StatusResult QB_OpenEx(const char*, std::uint32_t, AdapterHandle*) override {
    return Refuse("QB_OpenEx");
  }
  StatusResult QB_Close(AdapterHandle) override { return Refuse("QB_Close"); }
  StatusResult QB_SetBitMode(AdapterHandle, std::uint8_t, std::uint8_t) override {
    return Refuse("QB_SetBitMode");
  }
  StatusResult QB_SetRts(AdapterHandle) override { return Refuse("QB_SetRts"); }
  StatusResult QB_SetDtr(AdapterHandle) override { return Refuse("QB_SetDtr"); }
  StatusResult QB_SetBaudRate(AdapterHandle, std::uint32_t) override {
    return Refuse("QB_SetBaudRate");
  }
  StatusResult QB_SetDataCharacteristics(AdapterHandle, std::uint8_t, std::uint8_t,
                                         std::uint8_t) override {
    return Refuse("QB_SetDataCharacteristics");
  }
  StatusResult QB_SetFlowControl(AdapterHandle, std::uint16_t, std::uint8_t,
                                 std::uint8_t) override {
    return Refuse("QB_SetFlowControl");
  }
  StatusResult QB_SetTimeouts(AdapterHandle, std::uint32_t, std::uint32_t) override {
    return Refuse("QB_SetTimeouts");
  }
  StatusResult QB_GetQueueStatus(AdapterHandle, std::uint32_t*) override {
    return Refuse("QB_GetQueueStatus");
  }
  StatusResult QB_Read(AdapterHandle, void*, std::uint32_t, std::uint32_t*) override {
    return Refuse("QB_Read");
  }
  StatusResult QB_Write(AdapterHandle, const void*, std::uint32_t, std::uint32_t*) override {
    return Refuse("QB_Write");
  }

 protected:
  // Told of each call refused.
  virtual void Refused(std::string_view /*call*/) {}

 private:
  StatusResult Refuse(std::string_view call) {
    Refused(call);
    return kRefused;
  }
};

}  // namespace trv::test
