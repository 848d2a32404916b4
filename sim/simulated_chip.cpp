#include "sim/simulated_chip.h"

#include <algorithm>

namespace trv::sim {
namespace {

constexpr std::uint8_t kBaudChangeCommand = 0x01;
constexpr std::uint8_t kReadAddressCommand = 0x02;
constexpr std::uint8_t kWriteAddressCommand = 0x03;
// The baud change is 0x01 followed by this fixed prefix and three operand bytes.
constexpr std::uint8_t kBaudPrefix[] = {0x70, 0x17};
constexpr std::size_t kBaudOperandCount = 5;
constexpr std::size_t kAddressOperandCount = 3;  // address low, address high, length

struct BaudOperands {
  std::uint8_t d0, d1, d2;
  std::uint32_t rate;
};
constexpr BaudOperands kKnownRates[] = {
    {0x1A, 0x00, 0x00, 115200},
    {0x03, 0x00, 0x00, 1000000},
};

// A length byte of 0 stands for 256, the one length a byte cannot say.
std::size_t BlockLength(std::uint8_t length_byte) {
  return length_byte == 0 ? 256 : length_byte;
}

bool IsBlock(const std::optional<std::uint32_t>& fault_block, std::uint16_t address) {
  return fault_block && std::uint64_t{*fault_block} * kWriteBlockLength == address;
}

}  // namespace

void SimulatedChip::SetControlLines(bool reset_released, bool mode_high) {
  if (!reset_released) {
    mode_ = ChipMode::kInReset;
    expect_ = Expect::kCommand;
  } else if (!reset_released_) {
    Restart(/*into_loader=*/!mode_high);
  }
  reset_released_ = reset_released;
}

void SimulatedChip::Restart(bool into_loader) {
  mode_ = into_loader ? ChipMode::kLoader : ChipMode::kRunning;
  loader_rate_ = kStartRate;
  expect_ = Expect::kCommand;
}

std::size_t SimulatedChip::Count(ChipCommandKind kind) const {
  return static_cast<std::size_t>(std::count_if(
      commands_.begin(), commands_.end(), [kind](const ChipCommand& c) { return c.kind == kind; }));
}

std::vector<std::uint32_t> SimulatedChip::Values(ChipCommandKind kind) const {
  std::vector<std::uint32_t> values;
  for (const ChipCommand& command : commands_) {
    if (command.kind == kind) {
      values.push_back(command.value);
    }
  }
  return values;
}

ChipResponse SimulatedChip::Complete(ChipResponse response, ChipCommandKind kind,
                                     std::uint32_t value, std::uint64_t at_us) {
  response.command = ChipCommand{kind, value, at_us};
  if (recording_) {
    commands_.push_back(*response.command);
  }
  return response;
}

ChipResponse SimulatedChip::Receive(std::uint8_t byte, std::uint64_t at_us,
                                    const SimFaults& faults) {
  switch (expect_) {
    case Expect::kCommand:
      return StartCommand(byte, at_us, faults);
    case Expect::kOperands:
      return TakeOperand(byte, at_us, faults);
    case Expect::kData:
      block_.push_back(byte);
      return block_.size() == block_length_ ? FinishWrite(at_us, faults) : ChipResponse{};
  }
  return {};
}

ChipResponse SimulatedChip::StartCommand(std::uint8_t byte, std::uint64_t at_us,
                                         const SimFaults& faults) {
  ChipResponse response;
  switch (byte) {
    case kSyncProbeByte:
      if (!faults.silent_chip && !faults.echo_only_fa) {
        response.reply.push_back(kSyncProbeByte);
      }
      return Complete(response, ChipCommandKind::kSyncProbe, byte, at_us);
    case kSyncConfirmByte:
      if (!faults.silent_chip) {
        response.reply.push_back(kSyncConfirmByte);
      }
      return Complete(response, ChipCommandKind::kSyncConfirm, byte, at_us);
    case kBaudChangeCommand:
      operands_expected_ = kBaudOperandCount;
      break;
    case kReadAddressCommand:
    case kWriteAddressCommand:
      operands_expected_ = kAddressOperandCount;
      break;
    default:
      return response;  // not a command: the loader ignores it
  }
  command_ = byte;
  operands_.clear();
  expect_ = Expect::kOperands;
  return response;
}

ChipResponse SimulatedChip::TakeOperand(std::uint8_t byte, std::uint64_t at_us,
                                        const SimFaults& faults) {
  const std::size_t index = operands_.size();
  if (command_ == kBaudChangeCommand && index < sizeof kBaudPrefix && byte != kBaudPrefix[index]) {
    // Not a baud change after all: the byte starts whatever comes next.
    expect_ = Expect::kCommand;
    return StartCommand(byte, at_us, faults);
  }
  operands_.push_back(byte);
  if (operands_.size() < operands_expected_) {
    return {};
  }
  expect_ = Expect::kCommand;
  switch (command_) {
    case kBaudChangeCommand:
      return ChangeBaud(at_us);
    case kWriteAddressCommand:
      return StartWrite(at_us, faults);
    default:
      return ReadBack(at_us, faults);
  }
}

ChipResponse SimulatedChip::ChangeBaud(std::uint64_t at_us) {
  std::uint32_t rate = 0;
  for (const BaudOperands& known : kKnownRates) {
    if (operands_[2] == known.d0 && operands_[3] == known.d1 && operands_[4] == known.d2) {
      rate = known.rate;
    }
  }
  // Unknown operands leave the rate as it was. Either way the loader sends no reply.
  if (rate != 0) {
    loader_rate_ = rate;
  }
  return Complete({}, ChipCommandKind::kBaudChange, rate, at_us);
}

ChipResponse SimulatedChip::StartWrite(std::uint64_t at_us, const SimFaults& faults) {
  block_address_ = static_cast<std::uint16_t>(operands_[0] | operands_[1] << 8);
  ChipResponse response;
  if (IsBlock(faults.wrong_write_command_ack, block_address_)) {
    response.reply.push_back(kWrongAckByte);
  } else if (!IsBlock(faults.no_write_command_ack, block_address_)) {
    response.reply.push_back(kAckByte);
    block_length_ = BlockLength(operands_[2]);
    block_.clear();
    expect_ = Expect::kData;
  }
  return Complete(response, ChipCommandKind::kWriteAddress, block_address_, at_us);
}

ChipResponse SimulatedChip::FinishWrite(std::uint64_t at_us, const SimFaults& faults) {
  expect_ = Expect::kCommand;
  ChipResponse response;
  if (IsBlock(faults.wrong_block_ack, block_address_)) {
    response.reply.push_back(kWrongAckByte);
  } else if (!IsBlock(faults.no_block_ack, block_address_)) {
    for (std::size_t i = 0; i < block_.size(); ++i) {
      flash_[static_cast<std::uint16_t>(block_address_ + i)] = block_[i];
    }
    response.reply.push_back(kAckByte);
    if (block_address_ + block_.size() == kRomImageSize && faults.stale_bytes > 0) {
      // The junk travels with the acknowledgement, so it is already waiting once the
      // acknowledgement has been read.
      response.reply.insert(response.reply.end(), faults.stale_bytes, kJunkByte);
      response.one_burst = true;
    }
  }
  return Complete(response, ChipCommandKind::kDataBlock, block_address_, at_us);
}

ChipResponse SimulatedChip::ReadBack(std::uint64_t at_us, const SimFaults& faults) {
  const auto address = static_cast<std::uint16_t>(operands_[0] | operands_[1] << 8);
  ChipResponse response;
  if (!IsBlock(faults.no_read_command_ack, address)) {
    response.reply.push_back(kAckByte);
    std::size_t length = BlockLength(operands_[2]);
    if (IsBlock(faults.short_readback, address)) {
      --length;
    }
    for (std::size_t i = 0; i < length; ++i) {
      const auto at = static_cast<std::uint16_t>(address + i);
      const bool corrupt = faults.corrupt_read && *faults.corrupt_read == at;
      response.reply.push_back(corrupt ? static_cast<std::uint8_t>(~flash_[at]) : flash_[at]);
    }
  }
  return Complete(response, ChipCommandKind::kReadAddress, address, at_us);
}

}  // namespace trv::sim
