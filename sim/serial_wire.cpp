#include "sim/serial_wire.h"

#include <algorithm>

namespace trv::sim {
namespace {

// Marks a received byte whose burst has not ended yet.
constexpr std::uint64_t kNotYetReadable = UINT64_MAX;

}  // namespace

void SerialWire::Reset() {
  *this = SerialWire();
}

void SerialWire::set_framing(std::uint8_t word_length, std::uint8_t stop_bits,
                             std::uint8_t parity) {
  framed_ = word_length == 8 && stop_bits == 0 && parity == 0;
}

void SerialWire::Send(const std::uint8_t* bytes, std::uint32_t count, std::uint64_t now_ns) {
  const std::uint64_t byte_ns = ByteTimeNs(baud_);
  for (std::uint32_t i = 0; i < count; ++i) {
    to_chip_idle_ns_ = std::max(to_chip_idle_ns_, now_ns) + byte_ns;
    to_chip_.push_back({to_chip_idle_ns_, bytes[i], baud_, framed_, false});
  }
}

bool SerialWire::Advance(std::uint64_t now_ns, const SimConfig& config, SimulatedChip& chip,
                         const CommandSink& on_command) {
  const std::uint64_t latency_ns = config.latency_us * 1000;
  while (true) {
    const bool chip_due = !to_chip_.empty() && to_chip_.front().arrives_ns <= now_ns;
    const bool host_due = !to_host_.empty() && to_host_.front().arrives_ns <= now_ns;
    if (!chip_due && !host_due) {
      return true;
    }
    if (chip_due && (!host_due || to_chip_.front().arrives_ns <= to_host_.front().arrives_ns)) {
      const InFlight byte = to_chip_.front();
      to_chip_.pop_front();
      if (!DeliverToChip(byte, chip, config, on_command)) {
        return false;
      }
    } else {
      DeliverToHost(to_host_.front(), latency_ns);
      to_host_.pop_front();
    }
  }
}

bool SerialWire::DeliverToChip(const InFlight& byte, SimulatedChip& chip, const SimConfig& config,
                               const CommandSink& on_command) {
  if (config.wiring == Wiring::kLoopback) {
    LoopBack(byte, config);
    return true;
  }
  if (config.wiring == Wiring::kOpen || !byte.framed || chip.mode() != ChipMode::kLoader ||
      byte.rate != chip.loader_rate()) {
    return true;  // garbled, or nobody listening
  }
  const ChipResponse response = chip.Receive(byte.value, byte.arrives_ns / 1000, config.faults);
  if (response.command && !on_command(*response.command)) {
    return false;
  }
  SendReply(response, byte.arrives_ns, chip.loader_rate());
  return true;
}

void SerialWire::SendReply(const ChipResponse& response, std::uint64_t from_ns,
                           std::uint32_t rate) {
  const std::uint64_t byte_ns = ByteTimeNs(rate);
  for (std::size_t i = 0; i < response.reply.size(); ++i) {
    to_host_idle_ns_ = std::max(to_host_idle_ns_, from_ns) + byte_ns;
    const bool joins_next = response.one_burst && i + 1 < response.reply.size();
    to_host_.push_back({to_host_idle_ns_, response.reply[i], rate, true, joins_next});
  }
}

// The far end of a loop is the adapter's own receiver: the byte arrives there as it leaves.
void SerialWire::LoopBack(InFlight byte, const SimConfig& config) {
  ++looped_;
  const auto every = [this](const std::optional<std::uint32_t>& n) {
    return n && *n != 0 && looped_ % *n == 0;
  };
  if (every(config.faults.loop_loses)) return;
  if (every(config.faults.loop_changes)) byte.value = static_cast<std::uint8_t>(~byte.value);
  DeliverToHost(byte, config.latency_us * 1000);
}

void SerialWire::DeliverToHost(const InFlight& byte, std::uint64_t latency_ns) {
  if (framed_ && byte.rate == baud_) {
    received_.push_back({kNotYetReadable, byte.value});
    ++open_burst_;
  }
  if (!byte.joins_next) {
    for (auto it = received_.end() - static_cast<std::ptrdiff_t>(open_burst_);
         it != received_.end(); ++it) {
      it->readable_ns = byte.arrives_ns + latency_ns;
    }
    open_burst_ = 0;
  }
}

std::uint32_t SerialWire::Readable(std::uint64_t now_ns) const {
  std::uint32_t count = 0;
  for (const Received& byte : received_) {
    if (byte.readable_ns > now_ns) {
      break;
    }
    ++count;
  }
  return count;
}

std::uint32_t SerialWire::Take(std::uint8_t* buffer, std::uint32_t count, std::uint64_t now_ns) {
  const std::uint32_t taken = std::min(count, Readable(now_ns));
  for (std::uint32_t i = 0; i < taken; ++i) {
    buffer[i] = received_.front().value;
    received_.pop_front();
  }
  return taken;
}

}  // namespace trv::sim
