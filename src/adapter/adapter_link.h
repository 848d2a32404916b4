// The adapter link: the transmit and receive buffers, the control-line sequences that restart
// the chip, the serial-port set-up and the adapter enumeration.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "adapter/adapter_driver.h"
#include "common/clock.h"
#include "common/shared_types.h"

namespace trv {

// Commands are assembled here and sent from the first byte; unsent bytes stay in front.
struct TransmitBuffer {
  std::array<std::uint8_t, kLinkBufferSize> bytes{};
  std::uint32_t pending = 0;
};

// Every read lands here from the first byte.
struct ReceiveBuffer {
  std::array<std::uint8_t, kLinkBufferSize> bytes{};
};

// The two program-wide buffers, owned by the application and lent to the link.
struct LinkBuffers {
  TransmitBuffer transmit;
  ReceiveBuffer receive;
};

// Control-line masks for QB_SetBitMode: bit 3 releases the chip's reset, bit 2 selects normal
// operation over the serial loader once the reset is released.
constexpr std::uint8_t kResetLine = 0x08;
constexpr std::uint8_t kModeLine = 0x04;
constexpr std::uint8_t kLineMaskBase = 0xC0;
constexpr std::uint32_t kLineSettleMs = 10;  // pause after each control-line change

// The port settings ConfigureUart makes, in order, for saying which one the adapter refused.
enum class UartSetting { kBaudRate, kDataCharacteristics, kFlowControl };

class AdapterLink {
 public:
  AdapterLink(AdapterDriver& driver, Clock& clock, LinkBuffers& buffers)
      : driver_(driver), clock_(clock), buffers_(buffers) {}

  Clock& clock() { return clock_; }
  const ReceiveBuffer& received() const { return buffers_.receive; }
  std::uint32_t pending() const { return buffers_.transmit.pending; }

  // Empties both buffers. A run starts with this as soon as its adapter is open, so nothing a
  // failed earlier run left unsent, and no byte it received, can reach this run's conversation.
  void ClearBuffers();

  // Stores the byte behind the pending ones. A full buffer drops the byte and returns false,
  // so nothing is ever written past its end.
  bool AppendByte(std::uint8_t byte);
  // One QB_Write of the first `count` pending bytes; written bytes leave the buffer, the rest
  // stay in order. Returns 0 when all `count` were written, kStatusShortWrite otherwise.
  StatusResult SendPending(AdapterHandle handle, std::uint32_t count);
  StatusResult SendPending(AdapterHandle handle) { return SendPending(handle, pending()); }

  // Bytes waiting in the adapter; a failed query counts as none.
  std::uint32_t BytesWaiting(AdapterHandle handle);
  // Reads up to `count` bytes (never more than the receive buffer holds) into the receive
  // buffer's first bytes and returns how many arrived.
  std::uint32_t Read(AdapterHandle handle, std::uint32_t count);
  // Reads and drops whatever is waiting (up to the receive buffer's size), so that bytes sent
  // before a command are not taken for its reply.
  void DiscardWaiting(AdapterHandle handle);

  // Restart the chip into its serial loader, or into normal operation. Statuses are ignored.
  void EnterLoaderMode(AdapterHandle handle);
  void EnterRunMode(AdapterHandle handle);
  // Holds the chip in reset with the first change of EnterRunMode, which then releases it into
  // normal operation: while held, the chip takes no byte for a command.
  void HoldInReset(AdapterHandle handle);

  // Baud rate, 8N1 and flow control, stopping at the first failure; then the port time-outs.
  // Where a setting was refused, says which in `*refused`, when given.
  StatusResult ConfigureUart(AdapterHandle handle, std::uint32_t baud,
                             UartSetting* refused = nullptr);
  // Raises RTS and DTR, then configures the port for the loader's starting rate.
  StatusResult InitialiseUart(AdapterHandle handle, UartSetting* refused = nullptr);

 private:
  void PulseReset(AdapterHandle handle, std::uint8_t mode_line);

  AdapterDriver& driver_;
  Clock& clock_;
  LinkBuffers& buffers_;
};

// The attached adapters' descriptions, in the driver's order.
struct AdapterList {
  StatusResult status = kStatusOk;
  // The driver answered 0 with a count of 0: the one case the operator is told about.
  bool none_attached = false;
  std::vector<std::string> descriptions;
};

// How long the enumeration is asked again, without pause, while the driver answers 19; after
// that, 19 counts as any other failure so the window cannot freeze for good.
constexpr std::uint32_t kListRetryLimitMs = 2000;
// No bench has more adapters than this; a larger count is taken as this many, so an absurd count
// can neither exhaust memory nor overflow the size of the record array.
constexpr std::uint32_t kMaxListedAdapters = 256;
// Records allocated beyond the count asked for: a driver that fills in adapters plugged in
// between its two calls still writes into memory we own. Those extra entries are never listed.
constexpr std::uint32_t kSpareAdapterRecords = 16;

// Asks the driver for its adapters: the count (repeated while the list is not ready, within
// kListRetryLimitMs), then the records. Never throws and never lists more than
// kMaxListedAdapters entries.
AdapterList EnumerateAdapters(AdapterDriver& driver, Clock& clock);

}  // namespace trv
