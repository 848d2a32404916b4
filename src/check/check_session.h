// One check's or flash read's hold on the adapter and the chip, and the waits and lines they share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "adapter/adapter_link.h"
#include "check/check_tools.h"
#include "check/check_view.h"
#include "loader/loader_protocol.h"
#include "loader/message_pump.h"

namespace trv {

// `text` with its place %1 filled in with `number` in decimal.
std::string WithNumber(const char* text, std::uint64_t number);

// Opens the adapter, and on every way out, exceptions included, returns the chip to normal
// operation if the operation had restarted it (unless the adapter stopped answering), then closes
// the adapter, once. While it is open, the window's close handler leaves it alone
// (AdapterSession::returning_to_normal): a closed window stops the operation at its next pump, and
// the way out restarts the chip, which only writes and sleeps, and closes the adapter.
class CheckSession {
 public:
  // The library's driver must be usable.
  explicit CheckSession(CheckTools& tools);
  ~CheckSession() { Release(); }
  CheckSession(const CheckSession&) = delete;
  CheckSession& operator=(const CheckSession&) = delete;

  AdapterLink& link() { return link_; }
  LoaderContext& loader() { return loader_; }
  AdapterHandle handle() const { return tools_.adapter.handle; }
  // The window has been closed: stop, with no driver call but the way out's.
  bool stopped() const { return loader_.window_closed(); }

  // Shows a line, then pumps once so that the window paints it; false once the window is closed.
  bool Show(const CheckLine& line);
  // `line`, unless the adapter stopped answering: then that is the cause, and the line says so.
  CheckLine UnlessGone(CheckLine line);
  CheckLine Failed(CheckId check, const std::string& text, const char* advice) {
    return UnlessGone({check, Outcome::kFailed, text, advice});
  }
  bool adapter_gone() const { return adapter_gone_; }

  // Opens the chosen adapter; the line that says why not where it did not open.
  std::optional<CheckLine> Open(CheckId check, const std::string& description);
  // Holds the chip in reset, so that no loader can take the bytes sent for a command; the way out
  // releases it into normal operation.
  void HoldChipInReset();
  // Restarts the chip into its loader and brings the loader up at 1,000,000 baud, as a run does;
  // the line that says why not where it did not come up. `sync` says what the handshake heard.
  std::optional<CheckLine> BringUpLoader(CheckId check, SyncReport& sync);

  // After the read-address command for `address`: the acknowledgement and the block, which is
  // then in the link's receive buffer. The text of the line that says why not where they did not
  // come (its place %1 the address + 1), or null.
  const char* ReceiveBlock(std::uint16_t address);
  // The line for a block at `address` that did not come, as ReceiveBlock said why.
  CheckLine BlockFailed(CheckId check, const char* failure, std::uint16_t address);

  // Reads and drops whatever is waiting, so that it is not taken for a reply.
  void DiscardWaiting();
  // Polls until at least `count` bytes wait, pumping the window between polls; false when they
  // did not come within the reply wait, or the window was closed. Returns at the poll that found
  // them, so the time a reply took can be read right after.
  bool WaitForWaiting(std::uint32_t count);

  // Measures the time from its start, less the time the operator held the window meanwhile.
  struct Stopwatch {
    std::uint64_t start_us;
    std::uint64_t held_us;
  };
  Stopwatch StartStopwatch();
  std::uint64_t ElapsedUs(const Stopwatch& watch);

 private:
  // The window's pump, keeping count of the time the operator held the window in it.
  class HoldCounter final : public MessagePump {
   public:
    explicit HoldCounter(MessagePump& window) : window_(window) {}
    PumpReport PumpMessages() override;
    std::uint64_t held_us() const { return held_us_; }

   private:
    MessagePump& window_;
    std::uint64_t held_us_ = 0;
  };
  enum class ChipState { kUntouched, kHeldInReset, kInLoader };

  void Release() noexcept;

  CheckTools& tools_;
  AdapterDriver& driver_;
  AdapterLink link_;
  HoldCounter pump_;
  LoaderContext loader_;
  bool open_ = false;
  ChipState chip_ = ChipState::kUntouched;
  bool adapter_gone_ = false;
};

}  // namespace trv
