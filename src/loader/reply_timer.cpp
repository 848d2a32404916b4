#include "loader/reply_timer.h"

#include <algorithm>

namespace trv {

bool ReplyTimer::Pump(LoaderContext& context) {
  const std::uint64_t pump_start_us = clock_.NowUs();
  if (!running_since_us_) running_since_us_ = pump_start_us;
  std::uint64_t held_us = 0;
  const bool open = context.Pump(&held_us);
  const std::uint64_t pump_end_us = clock_.NowUs();
  // A hold happens inside the pump that reports it: never more than the pump took.
  held_us = std::min(held_us, pump_end_us - pump_start_us);
  if (held_us > 0) {
    own_us_ += pump_end_us - *running_since_us_ - held_us;
    running_since_us_.reset();
  }
  return open;
}

bool ReplyTimer::TimedOut() {
  const std::uint64_t running_us = running_since_us_ ? clock_.NowUs() - *running_since_us_ : 0;
  return own_us_ + running_us >= std::uint64_t{kReplyTimeoutSeconds} * 1'000'000;
}

}  // namespace trv
