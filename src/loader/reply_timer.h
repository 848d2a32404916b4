// The time limit of every wait for the chip's reply.
#pragma once

#include <cstdint>
#include <optional>

#include "common/clock.h"
#include "loader/loader_protocol.h"

namespace trv {

// A wait for the chip's reply has timed out once its own time reaches kReplyTimeoutSeconds. Its
// own time is all the time since it began, however slow the window's pumps, but for the modal
// loops in which the operator held the window, as its pumps report them: from such a hold until
// the next pump the clock stands still. So a reply that came in while the operator held the window
// is read at the next poll and accepted if the wait had time left when the hold began, while a
// reply read in the poll in which the wait ran out is refused, however long that poll's pump took.
class ReplyTimer {
 public:
  explicit ReplyTimer(Clock& clock) : clock_(clock), running_since_us_(clock.NowUs()) {}

  // Pumps the window's messages once, for the waits that pump; false once the window is closed.
  bool Pump(LoaderContext& context);
  bool TimedOut();

 private:
  Clock& clock_;
  std::uint64_t own_us_ = 0;                       // own time up to the last stop of the clock
  std::optional<std::uint64_t> running_since_us_;  // none while the clock stands still
};

}  // namespace trv
