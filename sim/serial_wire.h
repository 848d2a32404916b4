// The serial line between one adapter and its chip, in time. Each byte takes ten bit times at the
// sender's rate, one after another in each direction. A byte gets through only if the receiver
// listens at the rate it was sent at and both ends use 8 data bits, 1 stop bit, no parity; any
// other byte is lost, as on a real wire. A reply byte becomes readable by the host a fixed
// latency after it reached the adapter. Time moves lazily: every driver call first delivers all
// bytes whose time has come. Wired as a loop, every byte comes back to the adapter as it reaches
// the far end; left open, it goes nowhere.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "sim/sim_config.h"
#include "sim/simulated_chip.h"

namespace trv::sim {

class SerialWire {
 public:
  // An adapter's port settings when it is opened.
  static constexpr std::uint32_t kDefaultBaud = 9600;
  // Bytes the adapter holds on their way to the chip.
  static constexpr std::uint32_t kTransmitBufferSize = 4096;

  // Empties the wire and the receive queue and restores the default port settings.
  void Reset();

  void set_baud(std::uint32_t baud) { baud_ = baud; }
  void set_framing(std::uint8_t word_length, std::uint8_t stop_bits, std::uint8_t parity);

  // Puts bytes on the wire to the chip at the port's rate, behind any still on their way.
  void Send(const std::uint8_t* bytes, std::uint32_t count, std::uint64_t now_ns);

  // Hands the far end (the chip, as `config` wires it) every byte that has reached it by `now_ns`
  // and the adapter every byte coming back, in order of arrival. `on_command` sees each command
  // the chip completes; when it returns false, delivery stops there.
  using CommandSink = std::function<bool(const ChipCommand&)>;
  bool Advance(std::uint64_t now_ns, const SimConfig& config, SimulatedChip& chip,
               const CommandSink& on_command);

  // Bytes sent but not yet delivered to the chip, as of the last Advance.
  std::uint32_t QueuedToChip() const { return static_cast<std::uint32_t>(to_chip_.size()); }
  // Bytes the host can read at `now_ns`.
  std::uint32_t Readable(std::uint64_t now_ns) const;
  // Moves up to `count` readable bytes into `buffer`, oldest first; returns how many.
  std::uint32_t Take(std::uint8_t* buffer, std::uint32_t count, std::uint64_t now_ns);

 private:
  struct InFlight {
    std::uint64_t arrives_ns;
    std::uint8_t value;
    std::uint32_t rate;  // the sender's rate
    bool framed;         // sent as 8N1 (bytes from the chip always are)
    bool joins_next;     // part of a burst that only the burst's last byte completes
  };
  struct Received {
    std::uint64_t readable_ns;
    std::uint8_t value;
  };

  bool DeliverToChip(const InFlight& byte, SimulatedChip& chip, const SimConfig& config,
                     const CommandSink& on_command);
  void LoopBack(InFlight byte, const SimConfig& config);
  void DeliverToHost(const InFlight& byte, std::uint64_t latency_ns);
  void SendReply(const ChipResponse& response, std::uint64_t from_ns, std::uint32_t rate);

  std::uint32_t baud_ = kDefaultBaud;
  bool framed_ = true;
  std::deque<InFlight> to_chip_;
  std::deque<InFlight> to_host_;
  std::uint64_t to_chip_idle_ns_ = 0;  // when the last byte to the chip will have arrived
  std::uint64_t to_host_idle_ns_ = 0;
  std::deque<Received> received_;
  std::size_t open_burst_ = 0;  // bytes at the end of received_ waiting for their burst to end
  std::uint32_t looped_ = 0;    // bytes that reached the end of a looped wire
};

}  // namespace trv::sim
