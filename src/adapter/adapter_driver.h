// The adapter driver library's fourteen calls, as one injectable interface.
#pragma once

#include <cstdint>

#include "common/shared_types.h"

namespace trv {

// Values pass through unchanged; what they mean is the driver's business.
class AdapterDriver {
 public:
  virtual ~AdapterDriver() = default;

  virtual StatusResult QB_CreateDeviceInfoList(std::uint32_t* count) = 0;
  // Fills at most `*count` records and sets `*count` to the number of adapters it reports.
  virtual StatusResult QB_GetDeviceInfoList(AdapterInfoRecord* records, std::uint32_t* count) = 0;
  virtual StatusResult QB_OpenEx(const char* description, std::uint32_t flags,
                                 AdapterHandle* handle) = 0;
  virtual StatusResult QB_Close(AdapterHandle handle) = 0;
  virtual StatusResult QB_SetBitMode(AdapterHandle handle, std::uint8_t mask,
                                     std::uint8_t mode) = 0;
  virtual StatusResult QB_SetRts(AdapterHandle handle) = 0;
  virtual StatusResult QB_SetDtr(AdapterHandle handle) = 0;
  virtual StatusResult QB_SetBaudRate(AdapterHandle handle, std::uint32_t baud) = 0;
  virtual StatusResult QB_SetDataCharacteristics(AdapterHandle handle, std::uint8_t word_length,
                                                 std::uint8_t stop_bits, std::uint8_t parity) = 0;
  virtual StatusResult QB_SetFlowControl(AdapterHandle handle, std::uint16_t flow, std::uint8_t xon,
                                         std::uint8_t xoff) = 0;
  virtual StatusResult QB_SetTimeouts(AdapterHandle handle, std::uint32_t read_ms,
                                      std::uint32_t write_ms) = 0;
  virtual StatusResult QB_GetQueueStatus(AdapterHandle handle, std::uint32_t* waiting) = 0;
  virtual StatusResult QB_Read(AdapterHandle handle, void* buffer, std::uint32_t count,
                               std::uint32_t* read) = 0;
  virtual StatusResult QB_Write(AdapterHandle handle, const void* buffer, std::uint32_t count,
                                std::uint32_t* written) = 0;
};

// Arguments the programmer passes; the driver realises them as it sees fit.
constexpr std::uint32_t kOpenByDescription = 2;
constexpr std::uint8_t kBitModeSynchronousBitBang = 0x20;
constexpr std::uint8_t kWordLength8 = 8;
constexpr std::uint8_t kStopBits1 = 0;
constexpr std::uint8_t kParityNone = 0;
constexpr std::uint16_t kFlowRtsCts = 0x0100;
constexpr std::uint32_t kPortTimeoutMs = 1000;

}  // namespace trv
