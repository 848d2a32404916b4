// The conversation with the chip's serial loader: baud change, handshake, acknowledgements and
// address commands. The passes over the ROM image that build on it are in flash_passes.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "adapter/adapter_link.h"
#include "common/shared_types.h"
#include "loader/message_pump.h"

namespace trv {

// Each handshake phase, acknowledgement wait and read-back wait gives up after this long of its
// own time (reply_timer.h says what counts).
constexpr std::uint32_t kReplyTimeoutSeconds = 3;
constexpr std::uint32_t kBaudChangeSettleMs = 100;  // pause after a baud-change command

constexpr std::uint8_t kWriteAddressCommand = 0x03;
constexpr std::uint8_t kReadAddressCommand = 0x02;

// What the loader operations work with during one programming run: the adapter link, and the
// window's message pump for the waits.
class LoaderContext {
 public:
  LoaderContext(AdapterLink& link, MessagePump& pump) : link_(link), pump_(pump) {}

  AdapterLink& link() { return link_; }

  // Pumps the window's messages once; false from then on if the window has been closed. Adds the
  // time the operator held the window in that pump to `*held_us`, when given.
  bool Pump(std::uint64_t* held_us = nullptr);
  // True once a pump found the window closed: stop without further driver calls or messages.
  bool window_closed() const { return window_closed_; }

 private:
  AdapterLink& link_;
  MessagePump& pump_;
  bool window_closed_ = false;
};

// What a handshake heard, which tells a wire on which nothing answers from a loader that answers
// only in part.
struct SyncReport {
  bool probe_echoed = false;    // the probe phase ended on the loader's echo of 0xFF
  bool heard_anything = false;  // a read of either phase got at least one byte
};

// Moves the loader to `rate` (115,200 or 1,000,000), then waits 100 ms whatever the outcome.
// Returns the send status.
StatusResult SetLoaderBaud(LoaderContext& context, AdapterHandle handle, std::uint32_t rate);
// The 0xFF probe phase, then the 0xFA confirm phase; true when the loader confirmed. Says what it
// heard in `*report`, when given.
bool Synchronise(LoaderContext& context, AdapterHandle handle, SyncReport* report = nullptr);
// True when the next byte to arrive within 3 s is 0x02; any other byte fails at once.
bool WaitForAck(LoaderContext& context, AdapterHandle handle);
// True once at least `count` bytes wait to be read, within 3 s. Does not pump: the block a read
// command asks for is on its way and follows at once.
bool WaitForBytes(LoaderContext& context, AdapterHandle handle, std::uint32_t count);
// The same, pumping the window's messages between polls, for a reply that may take the adapter's
// latency to come; false also once the window has been closed.
bool WaitForBytesPumping(LoaderContext& context, AdapterHandle handle, std::uint32_t count);
StatusResult SendWriteAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address);
StatusResult SendReadAddress(LoaderContext& context, AdapterHandle handle, std::uint16_t address);

// The steps that bring the chip's loader up at the programming rate on an open adapter, in order.
enum class BringUpStep {
  kUartInitialise,  // the port at the loader's starting rate
  kLoaderRate,      // the command that moves the loader to the programming rate
  kUartSetup,       // the port at the programming rate
  kSynchronise,     // the handshake
};

// Where bringing the loader up stopped; `status` is the driver's or the send's, 0 for a handshake.
struct BringUpFailure {
  BringUpStep step;
  StatusResult status = kStatusOk;
};

// Restarts the chip into its loader, sets the port up at 115,200 baud, moves the loader and then
// the port to 1,000,000 baud and synchronises with it. Stops at the first step that fails and
// says which; none when the loader is ready for the passes. From the restart on, the chip runs its
// loader whatever happens next: ReturnToNormalOperation undoes it. What the handshake heard goes
// to `*sync`, when given.
std::optional<BringUpFailure> BringUpLoader(LoaderContext& context, AdapterHandle handle,
                                            SyncReport* sync = nullptr);
// Moves the loader and the port back to 115,200 baud and restarts the chip into normal operation,
// whatever fails on the way: it only writes and sleeps, and waits for no reply.
void ReturnToNormalOperation(LoaderContext& context, AdapterHandle handle);

}  // namespace trv
