// A driver whose every answer the test scripts: which bytes arrive at which queue query, how
// many bytes each write takes, and the status of each call. It records every call in order.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "common/clock.h"

namespace trv::test {

class ScriptedDriver final : public AdapterDriver {
 public:
  explicit ScriptedDriver(Clock& clock) : clock_(clock) {}

  // Bytes that start waiting at the given QB_GetQueueStatus call (counted from 0).
  std::map<int, std::vector<std::uint8_t>> arrivals;
  // Virtual time each queue query takes, so that loops which never sleep still move on.
  std::uint32_t query_cost_ms = 0;
  // The most bytes one QB_Write takes.
  std::uint32_t write_limit = UINT32_MAX;
  // Status answered by a call, by name; absent names answer 0.
  std::map<std::string, StatusResult> statuses;
  // Adapters QB_CreateDeviceInfoList and QB_GetDeviceInfoList report.
  std::vector<std::string> adapters;
  // Reported by QB_GetDeviceInfoList instead of the real count, when set.
  std::uint32_t list_count_override = 0;
  // How many QB_CreateDeviceInfoList calls answer 19 before the scripted status (-1: for ever).
  int list_not_ready_calls = 0;
  // Reported by QB_CreateDeviceInfoList instead of the number of adapters, when set.
  std::optional<std::uint32_t> created_count;
  // QB_GetDeviceInfoList fills this many records beyond the room it was given, as a driver does
  // for adapters plugged in between the two calls.
  std::uint32_t records_beyond_room = 0;
  // A failing QB_Read (see `statuses`) still claims this many bytes, and copies none.
  std::uint32_t failed_read_claims = 0;
  // A failing QB_Write still claims every byte written, and takes none.
  bool failed_write_claims_all = false;

  std::vector<std::string> calls;                 // call names in order
  std::vector<std::vector<std::uint8_t>> writes;  // bytes taken by each QB_Write
  std::vector<std::uint32_t> read_requests;       // count asked by each QB_Read
  int queue_queries = 0;

  std::vector<std::uint8_t> waiting;  // bytes the host can read now

  StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) override;
  StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) override;
  StatusResult QB_OpenEx(const char*, std::uint32_t, AdapterHandle* handle) override;
  StatusResult QB_Close(AdapterHandle) override { return Call("QB_Close"); }
  StatusResult QB_SetBitMode(AdapterHandle, std::uint8_t mask, std::uint8_t mode) override;
  StatusResult QB_SetRts(AdapterHandle) override { return Call("QB_SetRts"); }
  StatusResult QB_SetDtr(AdapterHandle) override { return Call("QB_SetDtr"); }
  StatusResult QB_SetBaudRate(AdapterHandle, std::uint32_t baud) override;
  StatusResult QB_SetDataCharacteristics(AdapterHandle, std::uint8_t, std::uint8_t,
                                         std::uint8_t) override {
    return Call("QB_SetDataCharacteristics");
  }
  StatusResult QB_SetFlowControl(AdapterHandle, std::uint16_t, std::uint8_t,
                                 std::uint8_t) override {
    return Call("QB_SetFlowControl");
  }
  StatusResult QB_SetTimeouts(AdapterHandle, std::uint32_t, std::uint32_t) override {
    return Call("QB_SetTimeouts");
  }
  StatusResult QB_GetQueueStatus(AdapterHandle, std::uint32_t* count) override;
  StatusResult QB_Read(AdapterHandle, void* buffer, std::uint32_t count,
                       std::uint32_t* read) override;
  StatusResult QB_Write(AdapterHandle, const void* buffer, std::uint32_t count,
                        std::uint32_t* written) override;

  // Every byte taken by the writes, in order.
  std::vector<std::uint8_t> WrittenBytes() const;

 private:
  StatusResult Call(const std::string& name);

  Clock& clock_;
};

}  // namespace trv::test
