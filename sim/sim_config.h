// Configuration of the simulated adapter and chip: the attached adapters, the adapter latency and
// the faults to inject. Built by hand in tests, or from the QBSIM_* environment strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/shared_types.h"

namespace trv::sim {

// Statuses the simulated driver answers when it refuses a call on its own account.
constexpr StatusResult kStatusInvalidHandle = 1;     // the handle is not (or no longer) open
constexpr StatusResult kStatusDeviceNotFound = 2;    // no adapter has that description
constexpr StatusResult kStatusDeviceNotOpened = 3;   // the adapter is open already
constexpr StatusResult kStatusIoError = 4;           // the adapter has been unplugged
constexpr StatusResult kStatusInvalidParameter = 6;  // null pointer, or an open flag other than 2
constexpr StatusResult kStatusInvalidBaudRate = 7;  // a rate of 0, or the rate named by reject_baud
constexpr StatusResult kStatusConfigError = 18;     // the stand-in DLL's configuration is invalid

// Bytes the loader sends in place of an acknowledgement, and as junk.
constexpr std::uint8_t kWrongAckByte = 0x00;
constexpr std::uint8_t kJunkByte = 0x55;

// Every fault is off by default. Block numbers are 0-based: block N is the 128-byte block at
// flash address N * 128, whichever command names it.
struct SimFaults {
  static constexpr std::uint32_t kForever = UINT32_MAX;

  // QB_CreateDeviceInfoList answers 19 for this many more calls (kForever: every call).
  std::uint32_t list_busy = 0;
  std::optional<StatusResult> list_status;   // QB_CreateDeviceInfoList answers this
  std::optional<StatusResult> open_status;   // QB_OpenEx fails with this
  std::optional<std::uint32_t> reject_baud;  // QB_SetBaudRate refuses this rate
  std::optional<StatusResult> data_status;   // QB_SetDataCharacteristics fails with this
  std::optional<StatusResult> flow_status;   // QB_SetFlowControl fails with this
  std::optional<std::uint32_t> write_limit;  // QB_Write takes at most this many bytes
  std::optional<StatusResult> close_status;  // QB_Close answers this, but closes all the same

  bool silent_chip = false;   // the loader never answers a sync byte
  bool echo_only_fa = false;  // the loader echoes 0xFA only; a probe (0xFF) gets no answer
  std::optional<std::uint32_t> no_write_command_ack;
  std::optional<std::uint32_t> wrong_write_command_ack;
  std::optional<std::uint32_t> no_block_ack;
  std::optional<std::uint32_t> wrong_block_ack;
  std::optional<std::uint32_t> no_read_command_ack;
  std::optional<std::uint32_t> short_readback;  // this block is read back one byte short
  std::optional<std::uint16_t> corrupt_read;    // the byte read back from this address is wrong
  // Junk bytes the loader sends together with its acknowledgement of the block at the top of flash.
  std::uint32_t stale_bytes = 0;
  // From the write- or read-address command of this block on, the adapter is gone: every call
  // fails.
  std::optional<std::uint32_t> unplug_at_block;

  // A looped wire loses every Nth byte that goes round it, or brings it back inverted (counted
  // from 1 since the adapter was opened).
  std::optional<std::uint32_t> loop_loses;
  std::optional<std::uint32_t> loop_changes;
};

// What the adapter's serial port is wired to.
enum class Wiring {
  kChip,      // the chip's serial port, TX to RX and RX to TX
  kLoopback,  // its own RX: every byte sent comes back
  kOpen,      // nothing: every byte sent is lost
};

constexpr char kDefaultAdapterDescription[] = "QB USB Serial Adapter";

struct SimConfig {
  std::vector<std::string> adapters{kDefaultAdapterDescription};
  // Time from a reply byte's arrival at the adapter until the host can read it.
  std::uint64_t latency_us = 1000;
  Wiring wiring = Wiring::kChip;
  SimFaults faults;
  // Keep every driver call and chip command in memory for inspection. The stand-in DLL turns
  // this off so a long session does not grow without bound; it logs to a file instead.
  bool record = true;
};

struct SimConfigResult {
  SimConfig config;
  std::string error;  // empty when the strings were valid
  bool ok() const { return error.empty(); }
};

// Builds a configuration from the values of QBSIM_ADAPTERS, QBSIM_LATENCY_MS, QBSIM_FAULTS and
// QBSIM_WIRING (chip, loopback or open); std::nullopt stands for an unset variable.
SimConfigResult ParseSimConfig(const std::optional<std::string>& adapters,
                               const std::optional<std::string>& latency_ms,
                               const std::optional<std::string>& faults,
                               const std::optional<std::string>& wiring = std::nullopt);

}  // namespace trv::sim
