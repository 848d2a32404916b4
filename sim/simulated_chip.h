// The TRV2K-3B as the programmer sees it: 64 KiB of flash, two control lines that restart it,
// and a serial loader that answers the loader's byte protocol. It knows nothing of time or wires:
// the serial wire hands it bytes that arrived at the loader's rate and carries its replies back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/shared_types.h"
#include "sim/sim_config.h"

namespace trv::sim {

using Flash = std::array<std::uint8_t, kRomImageSize>;

enum class ChipMode {
  kRunning,  // normal operation: serial bytes are ignored
  kInReset,  // held in reset by the reset line: serial bytes are ignored
  kLoader,   // the serial loader runs and answers
};

enum class ChipCommandKind {
  kSyncProbe,     // 0xFF
  kSyncConfirm,   // 0xFA
  kBaudChange,    // value: the new rate, 0 for operands the loader does not know
  kWriteAddress,  // value: the address
  kDataBlock,     // value: the address the block was written to (or refused for)
  kReadAddress,   // value: the address
};

struct ChipCommand {
  ChipCommandKind kind;
  std::uint32_t value = 0;
  std::uint64_t at_us = 0;  // when its last byte reached the chip
};

// What the loader made of one received byte.
struct ChipResponse {
  std::optional<ChipCommand> command;  // set when the byte completed a command
  std::vector<std::uint8_t> reply;     // bytes to send back, in order
  // The reply leaves as one burst that the adapter hands to the host at once, not byte by byte.
  bool one_burst = false;
};

class SimulatedChip {
 public:
  // The loader's rate after every restart, bits per second.
  static constexpr std::uint32_t kStartRate = kLoaderBaud;

  SimulatedChip() { flash_.fill(0xFF); }

  // Lines as the adapter drives them; a released reset line restarts the chip, into its loader
  // when the mode line is low and into normal operation when it is high.
  void SetControlLines(bool reset_released, bool mode_high);
  // One byte that reached the chip at the loader's rate while it was in its loader.
  ChipResponse Receive(std::uint8_t byte, std::uint64_t at_us, const SimFaults& faults);

  ChipMode mode() const { return mode_; }
  std::uint32_t loader_rate() const { return loader_rate_; }
  const Flash& flash() const { return flash_; }
  void set_flash(const Flash& flash) { flash_ = flash; }

  // Every command the loader received, in order (kept only while recording is on).
  const std::vector<ChipCommand>& commands() const { return commands_; }
  std::size_t Count(ChipCommandKind kind) const;
  std::vector<std::uint32_t> Values(ChipCommandKind kind) const;
  void set_recording(bool on) { recording_ = on; }

 private:
  enum class Expect { kCommand, kOperands, kData };

  void Restart(bool into_loader);
  ChipResponse Complete(ChipResponse response, ChipCommandKind kind, std::uint32_t value,
                        std::uint64_t at_us);
  ChipResponse StartCommand(std::uint8_t byte, std::uint64_t at_us, const SimFaults& faults);
  ChipResponse TakeOperand(std::uint8_t byte, std::uint64_t at_us, const SimFaults& faults);
  ChipResponse ChangeBaud(std::uint64_t at_us);
  ChipResponse StartWrite(std::uint64_t at_us, const SimFaults& faults);
  ChipResponse FinishWrite(std::uint64_t at_us, const SimFaults& faults);
  ChipResponse ReadBack(std::uint64_t at_us, const SimFaults& faults);

  Flash flash_;
  ChipMode mode_ = ChipMode::kRunning;
  bool reset_released_ = true;
  std::uint32_t loader_rate_ = kStartRate;

  // The command being received.
  Expect expect_ = Expect::kCommand;
  std::uint8_t command_ = 0;
  std::vector<std::uint8_t> operands_;
  std::size_t operands_expected_ = 0;
  std::uint16_t block_address_ = 0;
  std::size_t block_length_ = 0;
  std::vector<std::uint8_t> block_;

  std::vector<ChipCommand> commands_;
  bool recording_ = true;
};

}  // namespace trv::sim
