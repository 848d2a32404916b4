#include "call_timeline.h"

namespace trv::robustness {
namespace {

std::string Ms(std::uint64_t us) {
  return std::to_string(us / 1000) + "." + std::to_string(us % 1000 / 100) + " ms";
}

}  // namespace

void CallTimeline::OnCall(Kind kind, std::uint32_t count, std::uint64_t entry_us,
                          std::uint64_t exit_us) {
  const Call call{kind, count, entry_us - excluded_us_, holds_, busy_us_};
  excluded_us_ += exit_us - entry_us;

  CheckGap(any_call_ ? previous_ : Call{}, call);
  if (in_stretch_ && !ContinuesStretch(call)) EndStretch();
  if (!in_stretch_ && ContinuesStretch(call)) {
    in_stretch_ = true;
    handshake_ = any_call_ && previous_.kind == Kind::kSetTimeouts;
    stretch_start_ = previous_;
  }
  if (in_stretch_) stretch_.push_back(call);
  previous_ = call;
  any_call_ = true;
}

void CallTimeline::OnWindowHeld(std::uint64_t from_us, std::uint64_t to_us) {
  excluded_us_ += to_us - from_us;
  ++holds_;
}

void CallTimeline::OnWindowBusy(std::uint64_t from_us, std::uint64_t to_us) {
  busy_us_ += to_us - from_us;
}

std::vector<std::string> CallTimeline::Finish(std::uint64_t end_us) {
  if (in_stretch_) EndStretch();
  Call end;
  end.at_us = end_us - excluded_us_;
  end.busy_us = busy_us_;
  CheckGap(any_call_ ? previous_ : Call{}, end);
  return broken_;
}

bool CallTimeline::ContinuesStretch(const Call& call) const {
  if (call.kind == Kind::kQueueStatus || call.kind == Kind::kRead) return true;
  // The handshake sends one byte per probe poll, and its confirm byte, as part of its waiting.
  if (call.kind != Kind::kWrite || call.count > 1) return false;
  return in_stretch_ ? handshake_ : any_call_ && previous_.kind == Kind::kSetTimeouts;
}

// The window's slow pumps are not the programmer's pauses.
void CallTimeline::CheckGap(const Call& from, const Call& to) {
  const std::uint64_t gap_us = to.at_us - from.at_us - (to.busy_us - from.busy_us);
  if (gap_us > kLongestPauseUs + kSlackUs) {
    broken_.push_back("the programmer went " + Ms(gap_us) +
                      " without a driver call, longer than any of its pauses");
  }
}

void CallTimeline::EndStretch() {
  const std::size_t last = stretch_.size() - 1;
  if (handshake_) {
    std::size_t confirm = stretch_.size();
    for (std::size_t i = 0; i < stretch_.size(); ++i) {
      if (stretch_[i].kind == Kind::kWrite) confirm = i;
    }
    if (confirm == stretch_.size()) {
      // No byte sent at all: only the handshake's total can be checked.
      CheckPolls("the handshake", 0, last, stretch_start_, 2 * kWaitBoundUs);
    } else {
      // The confirm byte goes out once the probe phase has timed out, after that poll's pump.
      if (confirm > 0) {
        CheckPolls("the handshake's probe phase", 0, confirm - 1, stretch_start_, kWaitBoundUs);
      }
      if (confirm < last) {
        CheckPolls("the handshake's confirm phase", confirm + 1, last, stretch_[confirm],
                   kWaitBoundUs);
      }
    }
  } else {
    // The acknowledgement wait reads exactly one byte per poll; whatever polls follow its last
    // read belong to the read-back wait.
    std::size_t ack_read = stretch_.size();
    for (std::size_t i = 0; i < stretch_.size(); ++i) {
      if (stretch_[i].kind == Kind::kRead && stretch_[i].count == 1) ack_read = i;
    }
    if (ack_read == stretch_.size()) {
      CheckPolls("an acknowledgement wait", 0, last, stretch_start_, kWaitBoundUs);
    } else {
      CheckPolls("an acknowledgement wait", 0, ack_read, stretch_start_, kWaitBoundUs);
      if (ack_read < last) {
        CheckPolls("a read-back wait", ack_read + 1, last, stretch_[ack_read], kWaitBoundUs);
      }
    }
  }
  stretch_.clear();
  in_stretch_ = false;
}

void CallTimeline::CheckPolls(const char* wait, std::size_t first, std::size_t last,
                              const Call& start, std::uint64_t bound_us) {
  // A wait begins once the pumps of the one before it are over, as the read-back wait follows the
  // acknowledgement wait's last pump: slow pumps before its first poll are not its time.
  const std::uint64_t begin_us = start.at_us + (stretch_[first].busy_us - start.busy_us);
  for (std::size_t i = first; i <= last; ++i) {
    const std::uint64_t elapsed_us = stretch_[i].at_us - begin_us;
    if (elapsed_us >= bound_us + kSlackUs * (1 + stretch_[i].holds - start.holds)) {
      broken_.push_back(std::string(wait) + " was still polling " + Ms(elapsed_us) +
                        " after it began (bound " + Ms(bound_us) + ")");
      return;  // one report per wait is enough
    }
  }
}

}  // namespace trv::robustness
